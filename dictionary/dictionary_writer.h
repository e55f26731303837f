// Builds the four files of a dictionary folder from codes and their entries.
// Used by the demo installation generator and by the tests' fixtures.
#ifndef TALIQ_DICTIONARY_DICTIONARY_WRITER_H_
#define TALIQ_DICTIONARY_DICTIONARY_WRITER_H_

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "dictionary/format.h"

namespace taliq {

struct CharacterEntry {
  char16_t character = 0;
  std::array<std::uint16_t, 3> values = {0, 0, 0};
};

struct PhraseEntry {
  std::u16string text;
  std::array<std::uint16_t, 2> values = {0, 0};
};

// Groups are laid out in the order their code was first added; within a
// group, entries keep the order they were added in.
class DictionaryWriter {
 public:
  // Codes must be 1-4 digits for characters and 1-6 digits for phrases;
  // entries break no invariant of the tables (no 0xFFFF unit in a character
  // group, no 0x0000 or 0xFFFF in a phrase text...). Returns false and adds
  // nothing otherwise.
  bool AddCharacter(std::u16string_view code, CharacterEntry entry);
  bool AddPhrase(std::u16string_view code, PhraseEntry entry);
  // Adds a code's group with no entries (only the code and the end marker).
  bool AddEmptyCharacterGroup(std::u16string_view code);
  bool AddEmptyPhraseGroup(std::u16string_view code);
  void AddPunctuation(char16_t mark);

  // Writes lurm2008.idx, lurmsmz.mb, lurmsmc.mb and Pround.dat into `folder`
  // (which must exist). False with `error` set when a block does not fit its
  // index entry (a character block over 65535 bytes) or a file cannot be
  // written.
  bool WriteFolder(const std::string& folder, std::string* error) const;

  // The bytes of each file, for tests that damage or inspect them. Empty
  // when the tables do not fit their index (see WriteFolder).
  std::vector<std::uint8_t> IndexBytes() const;
  std::vector<std::uint8_t> CharacterTableBytes() const;
  std::vector<std::uint8_t> PhraseTableBytes() const;
  std::vector<std::uint8_t> PunctuationBytes() const;

 private:
  struct CharacterGroup {
    std::u16string code;
    std::vector<CharacterEntry> entries;
  };
  struct PhraseGroup {
    std::u16string code;
    std::vector<PhraseEntry> entries;
  };
  // The index and the two tables.
  struct Files {
    std::vector<std::uint8_t> index;
    std::vector<std::uint8_t> characters;
    std::vector<std::uint8_t> phrases;
  };
  // The files' bytes, or false with `error` set.
  bool Build(Files* files, std::string* error) const;
  // The same, empty when they cannot be built.
  Files BuildOrEmpty() const;
  CharacterGroup* CharacterGroupFor(std::u16string_view code);
  PhraseGroup* PhraseGroupFor(std::u16string_view code);

  std::vector<CharacterGroup> characterGroups_;
  std::vector<PhraseGroup> phraseGroups_;
  // Code -> position in the group vectors, so adding stays linear.
  std::unordered_map<std::u16string, std::size_t> characterGroupIndex_;
  std::unordered_map<std::u16string, std::size_t> phraseGroupIndex_;
  std::vector<char16_t> punctuation_;
};

}  // namespace taliq

#endif  // TALIQ_DICTIONARY_DICTIONARY_WRITER_H_
