#include "platform/text.h"

#include <string>

namespace taliq {
namespace {

// The code point of the valid UTF-8 sequence at in[i] into *cp and its
// length in bytes, or 0 when no valid sequence starts there (a stray or
// missing continuation byte, an overlong form, a surrogate, beyond
// U+10FFFF).
size_t DecodeUtf8(std::string_view in, size_t i, char32_t* cp) {
  const unsigned char c = static_cast<unsigned char>(in[i]);
  size_t need = 0;
  char32_t min = 0;
  if (c < 0x80) {
    *cp = c;
    return 1;
  } else if ((c & 0xE0) == 0xC0) {
    need = 1, *cp = c & 0x1F, min = 0x80;
  } else if ((c & 0xF0) == 0xE0) {
    need = 2, *cp = c & 0x0F, min = 0x800;
  } else if ((c & 0xF8) == 0xF0) {
    need = 3, *cp = c & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  for (size_t k = 1; k <= need; ++k) {
    if (i + k >= in.size()) return 0;
    const unsigned char cc = static_cast<unsigned char>(in[i + k]);
    if ((cc & 0xC0) != 0x80) return 0;
    *cp = (*cp << 6) | (cc & 0x3F);
  }
  if (*cp < min || *cp > 0x10FFFF || (*cp >= 0xD800 && *cp <= 0xDFFF)) return 0;
  return need + 1;
}

void AppendUtf16(char32_t cp, std::u16string* out) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out->push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out->push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  } else {
    out->push_back(static_cast<char16_t>(cp));
  }
}

void AppendUtf8(char32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// The units of UTF-16 text as code points: pairs joined, a lone surrogate
// handed to `lone`, which gives what stands for it.
template <class Lone>
std::string EncodeUtf8(std::u16string_view in, Lone lone) {
  std::string out;
  out.reserve(in.size() * 3);
  for (size_t i = 0; i < in.size(); ++i) {
    char32_t cp = in[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 &&
        in[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (in[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      if (lone(static_cast<char16_t>(cp), &out)) continue;
      cp = 0xFFFD;
    }
    AppendUtf8(cp, &out);
  }
  return out;
}

// The byte a lone surrogate of PathBytesToUtf16 stands for.
constexpr char16_t kEscapedByteBase = 0xDC00;

}  // namespace

std::u16string Utf8ToUtf16(std::string_view in) {
  std::u16string out;
  out.reserve(in.size());
  for (size_t i = 0; i < in.size();) {
    char32_t cp = 0;
    const size_t len = DecodeUtf8(in, i, &cp);
    AppendUtf16(len == 0 ? 0xFFFD : cp, &out);
    i += len == 0 ? 1 : len;
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view in) {
  return EncodeUtf8(in, [](char16_t, std::string*) { return false; });
}

std::u16string DecimalUtf16(long long value) { return Utf8ToUtf16(std::to_string(value)); }

std::u16string PathBytesToUtf16(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    char32_t cp = 0;
    const size_t len = DecodeUtf8(bytes, i, &cp);
    if (len == 0) {
      out.push_back(static_cast<char16_t>(kEscapedByteBase + static_cast<unsigned char>(bytes[i])));
      ++i;
    } else {
      AppendUtf16(cp, &out);
      i += len;
    }
  }
  return out;
}

std::string Utf16ToPathBytes(std::u16string_view path) {
  return EncodeUtf8(path, [](char16_t unit, std::string* out) {
    // Only bytes of 0x80 and above can be part of invalid UTF-8.
    if (unit < kEscapedByteBase + 0x80 || unit > kEscapedByteBase + 0xFF) return false;
    out->push_back(static_cast<char>(unit - kEscapedByteBase));
    return true;
  });
}

bool IsValidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    const size_t len = DecodeUtf8(text, i, &cp);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

}  // namespace taliq
