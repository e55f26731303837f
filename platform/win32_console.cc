#include "platform/console.h"

#include "platform/text.h"
#include "platform/win32/win32_api.h"

#include <shellapi.h>

namespace taliq {
namespace {

// UTF-16 as UTF-8, a lone surrogate as the three bytes of its code point,
// which no UTF-8 check passes, so that a path made of it is refused rather
// than read as U+FFFD.
std::string ArgumentToUtf8(const wchar_t* wide) {
  std::string out;
  for (const wchar_t* p = wide; *p != 0; ++p) {
    const char16_t unit = static_cast<char16_t>(*p);
    if (unit >= 0xD800 && unit <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
      const char16_t pair[] = {unit, static_cast<char16_t>(p[1])};
      out += Utf16ToUtf8(std::u16string_view(pair, 2));
      ++p;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      out.push_back(static_cast<char>(0xE0 | (unit >> 12)));
      out.push_back(static_cast<char>(0x80 | ((unit >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
    } else {
      out += Utf16ToUtf8(std::u16string_view(&unit, 1));
    }
  }
  return out;
}

}  // namespace

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return args;
  }
  std::vector<std::string> args;
  for (int i = 1; i < count; ++i) args.push_back(ArgumentToUtf8(wide[i]));
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
    ::WideCharToMultiByte(CP_ACP, 0, w, static_cast<int>(wide.size()), narrow.data(), n, nullptr,
                          nullptr);
  }
  return narrow;
}

bool PathArgumentToUtf16(const std::string& argument, std::u16string* path) {
  if (!IsValidUtf8(argument)) return false;
  *path = Utf8ToUtf16(argument);
  return true;
}

bool PathArgumentToNarrow(const std::string& argument, std::string* path) {
  std::u16string wide;
  if (!PathArgumentToUtf16(argument, &wide)) return false;
  if (wide.empty()) {
    path->clear();
    return true;
  }
  const UINT codePage = ::GetACP();
  if (codePage == CP_UTF8) {
    *path = argument;
    return true;
  }
  // No best-fit look-alikes and no default character: a character the code
  // page lacks makes the conversion fail.
  const wchar_t* w = win32::W(wide);
  const int units = static_cast<int>(wide.size());
  BOOL lossy = FALSE;
  const int n =
      ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, w, units, nullptr, 0, nullptr, &lossy);
  if (n <= 0 || lossy) return false;
  std::string narrow(static_cast<size_t>(n), '\0');
  if (::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, w, units, narrow.data(), n, nullptr,
                            &lossy) != n ||
      lossy) {
    return false;
  }
  *path = std::move(narrow);
  return true;
}

void UseUtf8Console() { ::SetConsoleOutputCP(CP_UTF8); }

}  // namespace taliq
