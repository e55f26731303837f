#include "orders/text_codec.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "platform/text.h"

namespace taliq {
namespace {

// The escapes of a text: the letter after the backslash and the character
// it stands for.
constexpr std::pair<char, char> kEscapes[] = {
    {'s', ' '}, {'t', '\t'}, {'n', '\n'}, {'r', '\r'}, {'\\', '\\'}};

bool IsHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

void AppendUtf8(char32_t c, std::string* out) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | c >> 6));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | c >> 12));
    out->push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | c >> 18));
    out->push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// Calls `each` with every code point of `text`; false on an unpaired
// surrogate.
template <typename F>
bool ForEachCodePoint(std::u16string_view text, F each) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      return false;
    }
    each(c);
  }
  return true;
}

// Escapes one text; false when it is empty or not valid UTF-16.
bool AppendEscaped(std::u16string_view text, std::string* out) {
  if (text.empty()) return false;
  return ForEachCodePoint(text, [out](char32_t c) {
    const auto* escape = std::find_if(std::begin(kEscapes), std::end(kEscapes),
                                      [c](const auto& e) { return char32_t(e.second) == c; });
    if (escape == std::end(kEscapes)) {
      AppendUtf8(c, out);
    } else {
      out->push_back('\\');
      out->push_back(escape->first);
    }
  });
}

// One escaped text of a field to UTF-8 without escapes.
bool Unescape(std::string_view text, std::string* out, std::string* reason) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      *reason = "a carriage return inside the order (write it as \\r)";
      return false;
    }
    if (text[i] != '\\') {
      out->push_back(text[i]);
      continue;
    }
    if (++i == text.size()) {
      *reason = "a backslash ends a text (write a backslash as \\\\)";
      return false;
    }
    const char letter = text[i];
    const auto* escape = std::find_if(std::begin(kEscapes), std::end(kEscapes),
                                      [letter](const auto& e) { return e.first == letter; });
    if (escape == std::end(kEscapes)) {
      *reason = "unknown escape \\" + std::string(1, letter) + " (known: \\s \\t \\n \\r \\\\)";
      return false;
    }
    out->push_back(escape->second);
  }
  return true;
}

}  // namespace

bool EncodeUtf8(std::u16string_view text, std::string* out) {
  out->clear();
  return ForEachCodePoint(text, [out](char32_t c) { AppendUtf8(c, out); });
}

bool DecodeUtf8(std::string_view text, std::u16string* out) {
  out->clear();
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int length;
    char32_t c;
    char32_t least;
    if (lead < 0x80) {
      length = 1, c = lead, least = 0;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2, c = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3, c = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4, c = lead & 0x07, least = 0x10000;
    } else {
      return false;
    }
    if (text.size() - i < static_cast<std::size_t>(length)) return false;
    for (int k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      c = c << 6 | (next & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    if (c >= 0x10000) {
      out->push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      out->push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      out->push_back(static_cast<char16_t>(c));
    }
    i += static_cast<std::size_t>(length);
  }
  return true;
}

bool FormatTextOrder(const TextOrder& order, std::string* out, std::string* reason) {
  if (order.empty()) {
    *reason = "the order holds no text";
    return false;
  }
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (i > 0) out->push_back(' ');
    if (!AppendEscaped(order[i], out)) {
      *reason = order[i].empty() ? "text " + std::to_string(i + 1) + " of the order is empty"
                                 : "text " + std::to_string(i + 1) +
                                       " of the order holds an unpaired UTF-16 surrogate";
      return false;
    }
  }
  return true;
}

bool ParseTextOrder(std::string_view field, TextOrder* order, std::string* reason) {
  order->clear();
  if (field.empty()) {
    *reason = "the order holds no text";
    return false;
  }
  std::string utf8;
  std::u16string text;
  for (std::size_t start = 0;;) {
    std::size_t end = field.find(' ', start);
    if (end == std::string_view::npos) end = field.size();
    if (end == start) {
      *reason = "an empty text in the order (texts are separated by exactly one space)";
      return false;
    }
    utf8.clear();
    if (!Unescape(field.substr(start, end - start), &utf8, reason)) return false;
    if (!DecodeUtf8(utf8, &text)) {
      *reason = "the order is not valid UTF-8";
      return false;
    }
    order->push_back(text);
    if (end == field.size()) return true;
    start = end + 1;
  }
}

std::string TextForMessage(std::u16string_view text) { return Utf16ToUtf8(text); }

}  // namespace taliq
