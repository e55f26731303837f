// The text form of a table, as tunavo-cli dump writes it and compile reads
// it: one UTF-8 line per entry,
//
//   CODE<TAB>POSITION<TAB>TEXT<TAB>VALUES
//
// CODE the entry's code ("-" in the punctuation table), POSITION its place
// among the code's entries (1-based), TEXT the candidate with the escapes
// below, VALUES the numbers the entry holds in file order, in decimal,
// separated by single spaces (three for a character, two for a phrase, none
// for a punctuation mark). A code whose group holds no entry is one line
// with POSITION 0, TEXT and VALUES empty. docs/dictionary-text.md describes
// the form for users.
//
// TEXT escapes: "\\" a backslash, "\t" a tab, "\n" a line feed, "\r" a
// carriage return, "\uXXXX" (four hexadecimal digits) one UTF-16 unit. The
// writer uses \uXXXX for the units UTF-8 cannot carry or a reader could
// trip over: other control characters (U+0000-U+001F, U+007F), surrogates
// that are not part of a pair, U+FFFE and U+FFFF.
#ifndef TALIQ_DICTIONARY_TABLE_TEXT_H_
#define TALIQ_DICTIONARY_TABLE_TEXT_H_

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace taliq {

// The CODE of every line of the punctuation table.
inline constexpr std::string_view kPunctuationLineCode = "-";

// The text as TEXT: UTF-8 with the escapes above.
std::string EscapeText(std::u16string_view text);
// The reverse: false with `error` set when the field is not UTF-8 or holds
// a backslash that starts no escape.
bool UnescapeText(std::string_view field, std::u16string* text, std::string* error);

// One line, with its line feed.
std::string FormatTableLine(std::string_view code, int position, std::u16string_view text,
                            std::span<const std::uint16_t> values);

struct TableLine {
  std::string code;
  int position = 0;
  std::u16string text;
  std::vector<std::uint16_t> values;
};

// Parses one line (without its line feed; a carriage return before it is
// allowed): four tab-separated fields, POSITION a decimal number of at most
// nine digits, VALUES decimal numbers of 0 to 65535 separated by single
// spaces. False with `error` saying what is wrong otherwise. The code is
// not checked here: which codes a table takes is the reader's business.
bool ParseTableLine(std::string_view line, TableLine* out, std::string* error);

}  // namespace taliq

#endif  // TALIQ_DICTIONARY_TABLE_TEXT_H_
