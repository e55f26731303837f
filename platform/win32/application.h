// The application object of a dialog program, in the manner of the dialog
// framework the programs were designed on: one global object whose
// InitInstance runs the main dialog; the program ends when it returns.
#ifndef TALIQ_PLATFORM_WIN32_APPLICATION_H_
#define TALIQ_PLATFORM_WIN32_APPLICATION_H_

#include <string>

#include "platform/win32/win32_api.h"

namespace taliq::win32 {

class Application {
 public:
  // The one application object, constructed with the program's globals; it
  // registers itself for the program's entry point (wWinMain).
  Application();
  virtual ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  static Application* Current() { return current_; }

  // Runs InitInstance and gives the process exit code: 0, as the framework
  // gives after a run that never entered a message loop.
  int Run(HINSTANCE instance);

  HINSTANCE instance() const { return instance_; }

 protected:
  // Returns false to end the program without a message loop; the programs
  // run their main dialog inside it and always do.
  virtual bool InitInstance() = 0;

 private:
  static Application* current_;
  HINSTANCE instance_ = nullptr;
};

// A string resource of the running program; empty when it is missing.
std::u16string LoadStringResource(UINT id);

}  // namespace taliq::win32

#endif  // TALIQ_PLATFORM_WIN32_APPLICATION_H_
