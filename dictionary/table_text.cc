#include "dictionary/table_text.h"

#include "platform/text.h"

namespace taliq {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Whether the unit at text[i] is written as \uXXXX.
bool NeedsUnitEscape(std::u16string_view text, std::size_t i) {
  const char16_t c = text[i];
  if (c < 0x20 || c == 0x7F || c == 0xFFFE || c == 0xFFFF) return true;
  if (IsHighSurrogate(c)) return i + 1 >= text.size() || !IsLowSurrogate(text[i + 1]);
  if (IsLowSurrogate(c)) return i == 0 || !IsHighSurrogate(text[i - 1]);
  return false;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A decimal number of at most `maxDigits` digits into *value.
bool ParseDecimal(std::string_view s, std::size_t maxDigits, std::uint32_t* value) {
  if (s.empty() || s.size() > maxDigits) return false;
  std::uint32_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<std::uint32_t>(c - '0');
  }
  *value = v;
  return true;
}

}  // namespace

std::string EscapeText(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 3);
  std::size_t plain = 0;  // start of the units not yet written
  const auto flush = [&](std::size_t end) {
    if (end > plain) out += Utf16ToUtf8(text.substr(plain, end - plain));
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const char* escape = c == u'\\'   ? "\\\\"
                         : c == u'\t' ? "\\t"
                         : c == u'\n' ? "\\n"
                         : c == u'\r' ? "\\r"
                                      : nullptr;
    if (escape == nullptr && !NeedsUnitEscape(text, i)) continue;
    flush(i);
    plain = i + 1;
    if (escape != nullptr) {
      out += escape;
    } else {
      out += "\\u";
      for (int shift = 12; shift >= 0; shift -= 4) out += kHexDigits[(c >> shift) & 0xF];
    }
  }
  flush(text.size());
  return out;
}

bool UnescapeText(std::string_view field, std::u16string* text, std::string* error) {
  text->clear();
  if (!IsValidUtf8(field)) {
    *error = "the text is not UTF-8";
    return false;
  }
  std::size_t plain = 0;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\') continue;
    *text += Utf8ToUtf16(field.substr(plain, i - plain));
    if (i + 1 >= field.size()) {
      *error = "the text ends in a lone backslash (write \\\\ for one)";
      return false;
    }
    const char kind = field[i + 1];
    if (kind == 'u') {
      int unit = 0;
      for (std::size_t k = i + 2; k < i + 6; ++k) {
        const int v = k < field.size() ? HexValue(field[k]) : -1;
        if (v < 0) {
          *error = "\\u must be followed by four hexadecimal digits";
          return false;
        }
        unit = unit * 16 + v;
      }
      text->push_back(static_cast<char16_t>(unit));
      i += 5;
    } else {
      const char16_t c = kind == '\\'  ? u'\\'
                         : kind == 't' ? u'\t'
                         : kind == 'n' ? u'\n'
                         : kind == 'r' ? u'\r'
                                       : 0;
      if (c == 0) {
        *error =
            std::string("unknown escape \\") + kind + " in the text (write \\\\ for a backslash)";
        return false;
      }
      text->push_back(c);
      i += 1;
    }
    plain = i + 1;
  }
  *text += Utf8ToUtf16(field.substr(plain));
  return true;
}

std::string FormatTableLine(std::string_view code, int position, std::u16string_view text,
                            std::span<const std::uint16_t> values) {
  std::string line(code);
  line += '\t';
  line += std::to_string(position);
  line += '\t';
  line += EscapeText(text);
  line += '\t';
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) line += ' ';
    line += std::to_string(values[i]);
  }
  line += '\n';
  return line;
}

bool ParseTableLine(std::string_view line, TableLine* out, std::string* error) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::string_view fields[4];
  std::size_t count = 0;
  for (std::size_t start = 0;;) {
    const std::size_t tab = line.find('\t', start);
    if (count == 4) {
      *error = "more than four tab-separated fields";
      return false;
    }
    fields[count++] = line.substr(start, tab == std::string_view::npos ? tab : tab - start);
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  if (count < 4) {
    *error = "expected four tab-separated fields (CODE, POSITION, TEXT, VALUES), found " +
             std::to_string(count);
    return false;
  }
  out->code.assign(fields[0]);
  std::uint32_t position = 0;
  if (!ParseDecimal(fields[1], 9, &position)) {
    *error = "the position '" + std::string(fields[1]) + "' is not a number";
    return false;
  }
  out->position = static_cast<int>(position);
  if (!UnescapeText(fields[2], &out->text, error)) return false;
  out->values.clear();
  std::string_view rest = fields[3];
  while (!rest.empty()) {
    const std::size_t space = rest.find(' ');
    const std::string_view number = rest.substr(0, space);
    std::uint32_t value = 0;
    if (!ParseDecimal(number, 5, &value) || value > 0xFFFF) {
      *error = "the values must be numbers of 0 to 65535 separated by single spaces, not '" +
               std::string(fields[3]) + "'";
      return false;
    }
    out->values.push_back(static_cast<std::uint16_t>(value));
    if (space == std::string_view::npos) break;
    rest = rest.substr(space + 1);
    if (rest.empty()) {
      *error = "the values end in a space";
      return false;
    }
  }
  return true;
}

}  // namespace taliq
