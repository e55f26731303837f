#include "platform/console.h"

#include "platform/text.h"
#include "platform/win32/win32_api.h"

#include <shellapi.h>

namespace taliq {

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return args;
  }
  std::vector<std::string> args;
  for (int i = 1; i < count; ++i) {
    args.push_back(Utf16ToUtf8(reinterpret_cast<const char16_t*>(wide[i])));
  }
  ::LocalFree(wide);
  return args;
}

std::string NarrowPathFromUtf8(const std::string& utf8) {
  const std::u16string wide = Utf8ToUtf16(utf8);
  if (wide.empty()) return std::string();
  const wchar_t* w = reinterpret_cast<const wchar_t*>(wide.c_str());
  const int n = ::WideCharToMultiByte(CP_ACP, 0, w, static_cast<int>(wide.size()), nullptr, 0,
                                      nullptr, nullptr);
  std::string narrow(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) {
    ::WideCharToMultiByte(CP_ACP, 0, w, static_cast<int>(wide.size()), narrow.data(), n,
                          nullptr, nullptr);
  }
  return narrow;
}

void UseUtf8Console() { ::SetConsoleOutputCP(CP_UTF8); }

}  // namespace taliq
