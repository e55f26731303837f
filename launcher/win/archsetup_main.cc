// archsetup.exe: starts the Windows Installer with the package for the
// machine's native architecture. The decision lives in launcher/; this file
// only supplies the real Win32 calls.
#include <cstring>

#include "launcher/launcher.h"
#include "platform/win32/dll_search.h"
#include "platform/win32/win32_api.h"

namespace taliq {
namespace {

class Win32LauncherSystem : public LauncherSystem {
 public:
  std::uint16_t GetNativeSystemArchitecture() override {
    SYSTEM_INFO info;
    std::memset(&info, 0, sizeof(info));
    ::GetNativeSystemInfo(&info);
    return info.wProcessorArchitecture;
  }

  bool CreateProcess(char16_t* commandLine, std::uint32_t startupInfoSize) override {
    STARTUPINFOW startup;
    std::memset(&startup, 0, sizeof(startup));
    startup.cb = startupInfoSize;
    PROCESS_INFORMATION process;
    std::memset(&process, 0, sizeof(process));
    // The handles stay open: they are released when the launcher exits,
    // and nothing waits for the installer.
    return ::CreateProcessW(nullptr, reinterpret_cast<wchar_t*>(commandLine), nullptr, nullptr,
                            FALSE, 0, nullptr, nullptr, &startup, &process) != 0;
  }

  void MessageBox(std::u16string_view text, std::u16string_view caption, unsigned style) override {
    const std::u16string t(text);
    const std::u16string c(caption);
    ::MessageBoxW(nullptr, win32::W(t), win32::W(c), style);
  }
};

}  // namespace
}  // namespace taliq

int main(int /*argc*/, char* /*argv*/[], char* /*envp*/[]) {
  taliq::win32::RestrictDllSearchToSystem32();
  taliq::Win32LauncherSystem system;
  return taliq::RunLauncher(&system);
}
