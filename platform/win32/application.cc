#include "platform/win32/application.h"

#include "platform/win32/dll_search.h"

namespace taliq::win32 {

Application* Application::current_ = nullptr;

Application::Application() { current_ = this; }

Application::~Application() {
  if (current_ == this) current_ = nullptr;
}

int Application::Run(HINSTANCE instance) {
  instance_ = instance;
  InitInstance();
  return 0;
}

std::u16string LoadStringResource(UINT id) {
  // With a zero buffer size LoadStringW hands back a pointer to the
  // resource's text, which is not zero-terminated.
  const wchar_t* text = nullptr;
  const int length =
      ::LoadStringW(::GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) return std::u16string();
  return U16(text, static_cast<size_t>(length));
}

}  // namespace taliq::win32

// The entry point of every dialog program.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  taliq::win32::RestrictDllSearchToSystem32();
  taliq::win32::Application* app = taliq::win32::Application::Current();
  return app != nullptr ? app->Run(instance) : 1;
}
