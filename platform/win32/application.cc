#include "platform/win32/application.h"

namespace taliq::win32 {

Application* Application::current_ = nullptr;

Application::Application() { current_ = this; }

Application::~Application() {
  if (current_ == this) current_ = nullptr;
}

int Application::Run(HINSTANCE instance) {
  instance_ = instance;
  title_ = LoadStringResource(kAppTitleStringId);
  InitInstance();
  return 0;
}

std::u16string LoadStringResource(UINT id) {
  // With a zero buffer size LoadStringW hands back a pointer to the
  // resource's text, which is not zero-terminated.
  const wchar_t* text = nullptr;
  const int length = ::LoadStringW(::GetModuleHandleW(nullptr), id,
                                   reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) return std::u16string();
  return U16(text, static_cast<size_t>(length));
}

unsigned FrameworkMessageBoxFlags(unsigned flags) {
  if ((flags & MB_ICONMASK) != 0) return flags;
  switch (flags & MB_TYPEMASK) {
    case MB_OK:
    case MB_OKCANCEL:
      return flags | MB_ICONEXCLAMATION;
    case MB_YESNO:
    case MB_YESNOCANCEL:
      return flags | MB_ICONQUESTION;
    default:
      return flags;
  }
}

int FrameworkMessageBox(std::u16string_view text, unsigned flags) {
  Application* app = Application::Current();
  std::u16string caption = app != nullptr ? app->title() : std::u16string();
  HWND owner = ::GetActiveWindow();
  if (owner == nullptr && app != nullptr) owner = app->mainWindow();
  const std::u16string body(text);
  return ::MessageBoxW(owner, W(body), caption.empty() ? nullptr : W(caption),
                       FrameworkMessageBoxFlags(flags));
}

}  // namespace taliq::win32

// The entry point of every dialog program: the application object was
// constructed with the program's globals.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  taliq::win32::Application* app = taliq::win32::Application::Current();
  return app != nullptr ? app->Run(instance) : 1;
}
