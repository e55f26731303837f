// Which of the four installed dictionaries: character set and edition.
#ifndef TALIQ_DICTIONARY_DICTIONARY_ID_H_
#define TALIQ_DICTIONARY_DICTIONARY_ID_H_

#include <array>
#include <optional>
#include <string_view>

namespace taliq {

enum class Charset { kSimplified, kTraditional };
enum class Edition { kStandard, k2002 };

struct DictionaryId {
  Charset charset = Charset::kSimplified;
  Edition edition = Edition::kStandard;

  friend bool operator==(const DictionaryId&, const DictionaryId&) = default;
};

// The digits the command line and the settings hold: 0 is simplified, any
// other value traditional; 1 is the 2002 edition, any other value standard.
constexpr Charset CharsetFromDigit(int digit) {
  return digit == 0 ? Charset::kSimplified : Charset::kTraditional;
}
constexpr Edition EditionFromDigit(int digit) {
  return digit == 1 ? Edition::k2002 : Edition::kStandard;
}
constexpr int CharsetDigit(Charset charset) { return charset == Charset::kSimplified ? 0 : 1; }
constexpr int EditionDigit(Edition edition) { return edition == Edition::k2002 ? 1 : 0; }

// The name the tools print and read: "chs", "chs-2002", "cht", "cht-2002".
constexpr std::string_view DictionaryName(DictionaryId id) {
  if (id.charset == Charset::kSimplified) {
    return id.edition == Edition::k2002 ? "chs-2002" : "chs";
  }
  return id.edition == Edition::k2002 ? "cht-2002" : "cht";
}

// The dictionary's folder below the installation's "mb" folder.
constexpr std::string_view DictionaryFolderName(DictionaryId id) {
  constexpr std::string_view kNames[2][2] = {{"chs", "chs_2002"}, {"cht", "cht_2002"}};
  return kNames[CharsetDigit(id.charset)][EditionDigit(id.edition)];
}

constexpr std::optional<DictionaryId> ParseDictionaryName(std::string_view name) {
  for (Charset c : {Charset::kSimplified, Charset::kTraditional}) {
    for (Edition e : {Edition::kStandard, Edition::k2002}) {
      if (DictionaryName({c, e}) == name) return DictionaryId{c, e};
    }
  }
  return std::nullopt;
}

// The four, in the order the tools go through them.
inline constexpr std::array<DictionaryId, 4> kAllDictionaries = {{
    {Charset::kTraditional, Edition::kStandard},
    {Charset::kTraditional, Edition::k2002},
    {Charset::kSimplified, Edition::kStandard},
    {Charset::kSimplified, Edition::k2002},
}};

}  // namespace taliq

#endif  // TALIQ_DICTIONARY_DICTIONARY_ID_H_
