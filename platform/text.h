// UTF-8 / UTF-16 conversion for front ends, file names and tests.
#ifndef TALIQ_PLATFORM_TEXT_H_
#define TALIQ_PLATFORM_TEXT_H_

#include <string>
#include <string_view>

namespace taliq {

// Malformed input becomes U+FFFD; nothing is dropped silently.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);
// A number in decimal digits.
std::u16string DecimalUtf16(long long value);

// File names elsewhere than Windows are bytes, not text. These two carry
// any byte string through UTF-16 and back unchanged: valid UTF-8 becomes
// its UTF-16, and each byte that is not part of valid UTF-8 becomes one of
// U+DC80..U+DCFF, a lone low surrogate that valid UTF-16 never holds, which
// Utf16ToPathBytes turns back into that byte. Any other lone surrogate
// becomes U+FFFD, as in Utf16ToUtf8.
std::u16string PathBytesToUtf16(std::string_view bytes);
std::string Utf16ToPathBytes(std::u16string_view path);

// Whether `text` is valid UTF-8 (no surrogates, no overlong forms).
bool IsValidUtf8(std::string_view text);

}  // namespace taliq

#endif  // TALIQ_PLATFORM_TEXT_H_
