// CQevoConfigApp: the application object of QevoConfig.exe. Its whole run
// is the settings dialog.
#include <string>

#include "platform/win32/application.h"
#include "platform/win32/win32_api.h"
#include "settings/win/qevoconfig_dlg.h"

#include <commctrl.h>
#include <objbase.h>

namespace taliq {

// The framework's restart-manager support: "restart only" asks Windows to
// restart the program after a crash, hang or update, with no recovery or
// autosave.
inline constexpr DWORD kRestartManagerSupportRestart = 0x01;

class CQevoConfigApp : public win32::Application {
 public:
  CQevoConfigApp() : restartManagerSupport_(kRestartManagerSupportRestart) {}

 protected:
  bool InitInstance() override {
    LoadCommonControls();

    RegisterWithRestartManager();

    CQevoConfigDlg dialog;
    dialog.DoModal();
    return false;
  }

 private:
  // The common controls (version 6, as the manifest asks) are loaded here,
  // after the entry point restricted the DLL search to System32, rather
  // than imported: the loader resolves an import before the program runs,
  // and comctl32's own imports (uxtheme.dll) with the program's folder
  // searched first.
  static void LoadCommonControls() {
    using InitCommonControlsExFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const HMODULE comctl32 = ::LoadLibraryW(L"comctl32.dll");
    if (comctl32 == nullptr) return;
    // Through void (*)(), the generic function pointer type.
    const auto init = reinterpret_cast<InitCommonControlsExFn>(
        reinterpret_cast<void (*)()>(::GetProcAddress(comctl32, "InitCommonControlsEx")));
    if (init == nullptr) return;
    INITCOMMONCONTROLSEX controls;
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES;
    init(&controls);
  }

  // As the framework registers an application whose support includes
  // restarting: a command line that names this instance, and the default
  // restart flags (0: restart in every case the system offers).
  void RegisterWithRestartManager() {
    if ((restartManagerSupport_ & kRestartManagerSupportRestart) == 0) return;
    GUID id;
    if (FAILED(::CoCreateGuid(&id))) return;
    wchar_t text[64] = {};
    if (::StringFromGUID2(id, text, 64) == 0) return;
    const std::wstring commandLine = std::wstring(L"/restartByRestartManager:") + text;
    ::RegisterApplicationRestart(commandLine.c_str(), 0);
  }

  DWORD restartManagerSupport_;
};

// The one application object.
CQevoConfigApp theApp;

}  // namespace taliq
