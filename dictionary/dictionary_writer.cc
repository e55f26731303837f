#include "dictionary/dictionary_writer.h"

#include <cstdio>

#include "dictionary/coding.h"
#include "platform/platform.h"
#include "platform/replace_file.h"

namespace taliq {
namespace {

bool ValidCode(std::u16string_view code, size_t maxDigits) {
  return BucketOf(code) >= 0 && code.size() <= maxDigits;
}

std::string CodeText(const std::u16string& code) { return std::string(code.begin(), code.end()); }

// Appends the groups bucket by bucket, each bucket's in the order their codes
// were first added, and gives each bucket's block length.
template <typename Group, typename AppendEntry>
std::vector<std::size_t> AppendBlocks(const std::vector<Group>& groups, AppendEntry appendEntry,
                                      std::vector<std::uint8_t>* table) {
  std::vector<std::vector<std::size_t>> buckets(kBucketCount);
  for (std::size_t i = 0; i < groups.size(); ++i) {
    buckets[static_cast<std::size_t>(BucketOf(groups[i].code))].push_back(i);
  }
  std::vector<std::size_t> lengths(kBucketCount);
  for (std::size_t b = 0; b < buckets.size(); ++b) {
    const std::size_t start = table->size();
    for (std::size_t g : buckets[b]) {
      const std::array<std::uint8_t, 3> packed = PackDigits(groups[g].code);
      table->insert(table->end(), packed.begin(), packed.end());
      for (const auto& e : groups[g].entries) appendEntry(e, table);
      PutFixed16(table, kGroupEnd);
    }
    lengths[b] = table->size() - start;
  }
  return lengths;
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes,
               std::string* error) {
  FileHandle f(std::fopen(path.c_str(), "wb"));
  if (f == nullptr) {
    *error = "cannot create " + path;
    return false;
  }
  const std::string_view contents(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (!WriteAllAndClose(std::move(f), contents)) {
    *error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace

DictionaryWriter::CharacterGroup* DictionaryWriter::CharacterGroupFor(std::u16string_view code) {
  auto [it, added] =
      characterGroupIndex_.try_emplace(std::u16string(code), characterGroups_.size());
  if (added) characterGroups_.push_back({std::u16string(code), {}});
  return &characterGroups_[it->second];
}

DictionaryWriter::PhraseGroup* DictionaryWriter::PhraseGroupFor(std::u16string_view code) {
  auto [it, added] = phraseGroupIndex_.try_emplace(std::u16string(code), phraseGroups_.size());
  if (added) phraseGroups_.push_back({std::u16string(code), {}});
  return &phraseGroups_[it->second];
}

bool DictionaryWriter::AddCharacter(std::u16string_view code, CharacterEntry entry) {
  if (!ValidCode(code, 4)) return false;
  // A character group is skipped unit by unit up to its first 0xFFFF, so no
  // unit of an entry may be one; 0 is no character.
  if (entry.character == 0 || entry.character == kGroupEnd) return false;
  for (std::uint16_t v : entry.values) {
    if (v == kGroupEnd) return false;
  }
  CharacterGroupFor(code)->entries.push_back(entry);
  return true;
}

bool DictionaryWriter::AddPhrase(std::u16string_view code, PhraseEntry entry) {
  if (!ValidCode(code, 6)) return false;
  // 0x0000 ends the text early; 0xFFFF would read as the group's end.
  for (char16_t c : entry.text) {
    if (c == kTextEnd || c == kGroupEnd) return false;
  }
  PhraseGroupFor(code)->entries.push_back(std::move(entry));
  return true;
}

bool DictionaryWriter::AddEmptyCharacterGroup(std::u16string_view code) {
  if (!ValidCode(code, 4)) return false;
  CharacterGroupFor(code);
  return true;
}

bool DictionaryWriter::AddEmptyPhraseGroup(std::u16string_view code) {
  if (!ValidCode(code, 6)) return false;
  PhraseGroupFor(code);
  return true;
}

void DictionaryWriter::AddPunctuation(char16_t mark) { punctuation_.push_back(mark); }

bool DictionaryWriter::Build(Files* files, std::string* error) const {
  files->index.assign(kMinIndexSize, 0);
  files->characters.assign(kTableHeaderSize, 0);
  files->phrases.assign(kTableHeaderSize, 0);

  const std::vector<std::size_t> characterLengths = AppendBlocks(
      characterGroups_,
      [](const CharacterEntry& e, std::vector<std::uint8_t>* out) {
        AppendCharacterEntry(e.character, e.values[0], e.values[1], e.values[2], out);
      },
      &files->characters);
  const std::vector<std::size_t> phraseLengths = AppendBlocks(
      phraseGroups_,
      [](const PhraseEntry& e, std::vector<std::uint8_t>* out) {
        AppendPhraseEntry(e.text, e.values[0], e.values[1], out);
      },
      &files->phrases);
  for (int b = 0; b < kBucketCount; ++b) {
    const std::size_t length = characterLengths[static_cast<std::size_t>(b)];
    if (length > 0xFFFF) {
      std::u16string first;
      for (const CharacterGroup& g : characterGroups_) {
        if (BucketOf(g.code) == b && first.empty()) first = g.code;
      }
      *error = "the character block of bucket " + std::to_string(b) + " (codes from \"" +
               CodeText(first) + "\") is " + std::to_string(length) +
               " bytes; a character block holds at most 65535";
      return false;
    }
    EncodeFixed16(files->index.data() + kCharacterLengthsOffset + 2 * static_cast<std::size_t>(b),
                  static_cast<std::uint16_t>(length));
    EncodeFixed32(files->index.data() + kPhraseLengthsOffset + 4 * static_cast<std::size_t>(b),
                  static_cast<std::uint32_t>(phraseLengths[static_cast<std::size_t>(b)]));
  }

  // Block offsets are 32-bit signed numbers.
  constexpr std::size_t kMaxTable = static_cast<std::size_t>(kMaxTableOffset);
  if (files->characters.size() > kMaxTable || files->phrases.size() > kMaxTable) {
    *error = "a table exceeds 2147483647 bytes";
    return false;
  }
  return true;
}

DictionaryWriter::Files DictionaryWriter::BuildOrEmpty() const {
  Files files;
  std::string error;
  return Build(&files, &error) ? files : Files();
}

std::vector<std::uint8_t> DictionaryWriter::IndexBytes() const { return BuildOrEmpty().index; }

std::vector<std::uint8_t> DictionaryWriter::CharacterTableBytes() const {
  return BuildOrEmpty().characters;
}

std::vector<std::uint8_t> DictionaryWriter::PhraseTableBytes() const {
  return BuildOrEmpty().phrases;
}

std::vector<std::uint8_t> DictionaryWriter::PunctuationBytes() const {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(punctuation_.size() * kPunctuationRecordSize);
  for (char16_t mark : punctuation_) {
    PutFixed16(&bytes, mark);
    PutFixed16(&bytes, kPunctuationFiller);
  }
  return bytes;
}

bool DictionaryWriter::WriteFolder(const std::string& folder, std::string* error) const {
  std::string scratch;
  if (error == nullptr) error = &scratch;
  Files files;
  if (!Build(&files, error)) return false;
  std::string prefix = folder;
  if (!prefix.empty() && prefix.back() != '/' && prefix.back() != '\\') prefix += kPathSeparator;
  return WriteFile(prefix + kIndexFileName, files.index, error) &&
         WriteFile(prefix + kCharacterTableFileName, files.characters, error) &&
         WriteFile(prefix + kPhraseTableFileName, files.phrases, error) &&
         WriteFile(prefix + kPunctuationFileName, PunctuationBytes(), error);
}

}  // namespace taliq
