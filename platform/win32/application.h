// The application object of a dialog program, in the manner of the dialog
// framework the programs were designed on: one global object whose
// InitInstance runs the main dialog; the program ends when it returns.
#ifndef TALIQ_PLATFORM_WIN32_APPLICATION_H_
#define TALIQ_PLATFORM_WIN32_APPLICATION_H_

#include <string>
#include <string_view>

#include "platform/win32/win32_api.h"

namespace taliq::win32 {

// String resource that names the program: its title, and the caption of
// every framework message box.
inline constexpr UINT kAppTitleStringId = 57344;  // AFX_IDS_APP_TITLE
// Command id of the framework's Help command, routed to the default handler.
inline constexpr UINT kHelpCommandId = 57670;  // ID_HELP

class Application {
 public:
  // The one application object; constructing a second is a programming
  // error. It registers itself for the program's entry point.
  Application();
  virtual ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  static Application* Current() { return current_; }

  // Loads the title, runs InitInstance and gives the process exit code (0,
  // as the framework's ExitInstance does after a dialog-only run).
  int Run(HINSTANCE instance);

  HINSTANCE instance() const { return instance_; }
  const std::u16string& title() const { return title_; }
  HWND mainWindow() const { return mainWindow_; }
  void SetMainWindow(HWND window) { mainWindow_ = window; }

 protected:
  // Return false to end the program without a message loop.
  virtual bool InitInstance() = 0;

 private:
  static Application* current_;
  HINSTANCE instance_ = nullptr;
  std::u16string title_;
  HWND mainWindow_ = nullptr;
};

// A string resource of the running program; empty when it is missing.
std::u16string LoadStringResource(UINT id);

// The flags the framework gives a message box: without an icon, MB_OK and
// MB_OKCANCEL get the exclamation icon, MB_YESNO and MB_YESNOCANCEL the
// question mark; other button sets stay without one.
unsigned FrameworkMessageBoxFlags(unsigned flags);

// The framework's message box: owned by the active window of the program
// (so it is modal to the dialog), captioned with the program title, flags as
// FrameworkMessageBoxFlags gives them. Returns the button pressed.
int FrameworkMessageBox(std::u16string_view text, unsigned flags);

}  // namespace taliq::win32

#endif  // TALIQ_PLATFORM_WIN32_APPLICATION_H_
