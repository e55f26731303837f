// The one way code under platform/ includes <windows.h>.
//
// <windows.h> turns names such as MessageBox and ReplaceFile into macros,
// which would rename the Platform interface's members in this translation
// unit only. They are undefined here; call the ...W / ...A functions by name.
#ifndef TALIQ_PLATFORM_WIN32_WIN32_API_H_
#define TALIQ_PLATFORM_WIN32_WIN32_API_H_

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif

#include <windows.h>

#undef MessageBox
#undef CreateProcess
#undef ReplaceFile
#undef CreateDirectory
#undef GetObject
#undef LoadIcon
#undef LoadString

#include <string>
#include <string_view>

namespace taliq::win32 {

// char16_t and wchar_t are both UTF-16 units on Windows.
inline const wchar_t* W(const std::u16string& s) {
  return reinterpret_cast<const wchar_t*>(s.c_str());
}
inline std::u16string U16(const wchar_t* s) {
  return s == nullptr ? std::u16string() : std::u16string(reinterpret_cast<const char16_t*>(s));
}
inline std::u16string U16(const wchar_t* s, size_t n) {
  return std::u16string(reinterpret_cast<const char16_t*>(s), n);
}

}  // namespace taliq::win32

#endif  // TALIQ_PLATFORM_WIN32_WIN32_API_H_
