// UTF-8 / UTF-16 conversion for front ends, file names and tests.
#ifndef TALIQ_PLATFORM_TEXT_H_
#define TALIQ_PLATFORM_TEXT_H_

#include <string>
#include <string_view>

namespace taliq {

// Malformed input becomes U+FFFD; nothing is dropped silently.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace taliq

#endif  // TALIQ_PLATFORM_TEXT_H_
