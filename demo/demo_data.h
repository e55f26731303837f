// The demo dictionary's data: four-corner codes from the Unihan database and
// the simplified/traditional split and phrases from OpenCC, turned into the
// code groups of one character set and edition. The rules are described in
// demo/README.md.
#ifndef TALIQ_DEMO_DEMO_DATA_H_
#define TALIQ_DEMO_DEMO_DATA_H_

#include <array>
#include <cstdint>
#include <istream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dictionary/dictionary_id.h"
#include "dictionary/dictionary_writer.h"

namespace taliq::demo {

// Frequency class given to characters Unihan has no kFrequency for; the
// classes it does give run from 1 (most frequent) to 5.
inline constexpr int kUnknownFrequency = 6;
// Supplementary-corner value of a code written without its ".d" part.
inline constexpr int kNoSupplement = 10;
// Longest phrase kept, in UTF-16 units: the list shows no text of 50 or more.
inline constexpr std::size_t kMaxPhraseUnits = 49;

// One kFourCornerCode value: four digits, optionally "." and the
// supplementary corner digit.
struct FourCornerCode {
  std::string digits;              // exactly four decimal digits
  int supplement = kNoSupplement;  // 0-9, or kNoSupplement
};

std::optional<FourCornerCode> ParseFourCornerCode(std::string_view value);

struct CharacterInfo {
  // Distinct four-digit codes in Unihan's order; the first is the primary
  // code, the one phrase codes are derived from.
  std::vector<FourCornerCode> codes;
  int frequency = kUnknownFrequency;
  int strokes = 0;  // 0 when Unihan gives no stroke count
};

struct Sources {
  // Characters of one UTF-16 unit that have a four-corner code.
  std::map<char16_t, CharacterInfo> characters;
  // Characters OpenCC always converts into another character: simplified
  // forms absent from traditional text, and the reverse.
  std::set<char16_t> simplifiedOnly;
  std::set<char16_t> traditionalOnly;
  // OpenCC phrase tables: a phrase and its conversions, first preferred.
  std::vector<std::pair<std::u16string, std::vector<std::u16string>>> stPhrases;
  std::vector<std::pair<std::u16string, std::vector<std::u16string>>> tsPhrases;
  // Lines of the inputs that were not understood (kept for the summary).
  int rejectedLines = 0;
};

// Readers of the tab-separated text files. Unihan readers pick their field
// from a whole Unihan file and ignore other fields and comments.
void ReadFourCornerCodes(std::istream& in, Sources* sources);
void ReadFrequencies(std::istream& in, Sources* sources);
void ReadStrokeCounts(std::istream& in, Sources* sources);
// OpenCC dictionaries as `opencc_dict -t text` writes them.
void ReadConversionCharacters(std::istream& in, bool simplifiedToTraditional, Sources* sources);
void ReadConversionPhrases(std::istream& in, bool simplifiedToTraditional, Sources* sources);

// Whether the character belongs to the dictionary of the character set.
bool InCharset(const Sources& sources, char16_t c, Charset charset);

// The phrase code: for two characters the first three digits of each
// character's primary code (six digits); for three or more the first two
// digits of the first and second characters and the first digit of the
// third (five digits). Empty for a text of fewer than two characters or one
// holding a character without a code.
std::u16string PhraseCode(const Sources& sources, std::u16string_view text);

struct CharacterCandidate {
  char16_t character = 0;
  std::array<std::uint16_t, 3> values = {0, 0, 0};
};
struct PhraseCandidate {
  std::u16string text;
  std::array<std::uint16_t, 2> values = {0, 0};
};

// A character set and edition as code groups in ascending code order, each
// group's candidates in the order the input method offers them.
struct EditionData {
  std::vector<std::pair<std::u16string, std::vector<CharacterCandidate>>> characters;
  std::vector<std::pair<std::u16string, std::vector<PhraseCandidate>>> phrases;
  std::vector<char16_t> punctuation;
  int droppedPhrases = 0;  // phrases left out (script, length or code)
};

EditionData BuildEdition(const Sources& sources, Charset charset, Edition edition);

// Feeds the edition to a writer; false (and `error` set) when the writer
// refuses an entry.
bool AddToWriter(const EditionData& data, DictionaryWriter* writer, std::string* error);

}  // namespace taliq::demo

#endif  // TALIQ_DEMO_DEMO_DATA_H_
