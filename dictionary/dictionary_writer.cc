#include "dictionary/dictionary_writer.h"

#include <cstdio>
#include <limits>

#include "dictionary/coding.h"
#include "dictionary/dictionary_store.h"

namespace taliq {
namespace {

constexpr std::uint16_t kGroupEnd = 0xFFFF;
constexpr std::uint16_t kPunctuationFiller = 0x0020;

bool ValidCode(std::u16string_view code, size_t maxDigits) {
  return BucketOf(code) >= 0 && code.size() <= maxDigits;
}

std::string CodeText(const std::u16string& code) { return std::string(code.begin(), code.end()); }

// Groups of each bucket, in the order their codes were first added.
template <typename Group>
std::vector<std::vector<std::size_t>> GroupsByBucket(const std::vector<Group>& groups) {
  std::vector<std::vector<std::size_t>> buckets(kBucketCount);
  for (std::size_t i = 0; i < groups.size(); ++i) {
    buckets[static_cast<std::size_t>(BucketOf(groups[i].code))].push_back(i);
  }
  return buckets;
}

void AppendPackedCode(std::vector<std::uint8_t>* out, std::u16string_view code) {
  const std::array<std::uint8_t, 3> packed = PackDigits(code);
  out->insert(out->end(), packed.begin(), packed.end());
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes,
               std::string* error) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) {
    *error = "cannot create " + path;
    return false;
  }
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fflush(f) == 0 && ok;
  ok = std::fclose(f) == 0 && ok;
  if (!ok) *error = "cannot write " + path;
  return ok;
}

}  // namespace

std::array<std::uint8_t, 3> PackDigits(std::u16string_view code) {
  std::uint8_t nibbles[6] = {0xF, 0xF, 0xF, 0xF, 0xF, 0xF};
  for (std::size_t i = 0; i < code.size() && i < 6; ++i) {
    nibbles[i] = static_cast<std::uint8_t>((code[i] - u'0') & 0xF);
  }
  return {static_cast<std::uint8_t>((nibbles[0] << 4) | nibbles[1]),
          static_cast<std::uint8_t>((nibbles[2] << 4) | nibbles[3]),
          static_cast<std::uint8_t>((nibbles[4] << 4) | nibbles[5])};
}

DictionaryWriter::CharacterGroup* DictionaryWriter::CharacterGroupFor(
    std::u16string_view code) {
  auto [it, added] = characterGroupIndex_.try_emplace(std::u16string(code),
                                                      characterGroups_.size());
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
    if (c == 0 || c == kGroupEnd) return false;
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

bool DictionaryWriter::Build(std::vector<std::uint8_t>* index,
                             std::vector<std::uint8_t>* characters,
                             std::vector<std::uint8_t>* phrases, std::string* error) const {
  index->assign(kMinIndexSize, 0);
  characters->assign(kTableHeaderSize, 0);
  phrases->assign(kTableHeaderSize, 0);

  const auto characterBuckets = GroupsByBucket(characterGroups_);
  for (int b = 0; b < kBucketCount; ++b) {
    const std::size_t start = characters->size();
    for (std::size_t g : characterBuckets[static_cast<std::size_t>(b)]) {
      const CharacterGroup& group = characterGroups_[g];
      AppendPackedCode(characters, group.code);
      for (const CharacterEntry& e : group.entries) {
        PutFixed16(characters, e.character);
        for (std::uint16_t v : e.values) PutFixed16(characters, v);
      }
      PutFixed16(characters, kGroupEnd);
    }
    const std::size_t length = characters->size() - start;
    if (length > 0xFFFF) {
      *error = "the character block of bucket " + std::to_string(b) + " (codes from \"" +
               CodeText(characterGroups_[characterBuckets[static_cast<std::size_t>(b)][0]].code) +
               "\") is " + std::to_string(length) + " bytes; a character block holds at most 65535";
      return false;
    }
    EncodeFixed16(index->data() + kCharacterLengthsOffset + 2 * static_cast<std::size_t>(b),
                  static_cast<std::uint16_t>(length));
  }

  const auto phraseBuckets = GroupsByBucket(phraseGroups_);
  for (int b = 0; b < kBucketCount; ++b) {
    const std::size_t start = phrases->size();
    for (std::size_t g : phraseBuckets[static_cast<std::size_t>(b)]) {
      const PhraseGroup& group = phraseGroups_[g];
      AppendPackedCode(phrases, group.code);
      for (const PhraseEntry& e : group.entries) {
        for (char16_t c : e.text) PutFixed16(phrases, c);
        PutFixed16(phrases, 0);
        for (std::uint16_t v : e.values) PutFixed16(phrases, v);
      }
      PutFixed16(phrases, kGroupEnd);
    }
    EncodeFixed32(index->data() + kPhraseLengthsOffset + 4 * static_cast<std::size_t>(b),
                  static_cast<std::uint32_t>(phrases->size() - start));
  }

  // Block offsets are 32-bit signed numbers.
  constexpr std::size_t kMaxTable = std::numeric_limits<std::int32_t>::max();
  if (characters->size() > kMaxTable || phrases->size() > kMaxTable) {
    *error = "a table exceeds 2147483647 bytes";
    return false;
  }
  return true;
}

std::vector<std::uint8_t> DictionaryWriter::IndexBytes() const {
  std::vector<std::uint8_t> index, characters, phrases;
  std::string error;
  if (!Build(&index, &characters, &phrases, &error)) return {};
  return index;
}

std::vector<std::uint8_t> DictionaryWriter::CharacterTableBytes() const {
  std::vector<std::uint8_t> index, characters, phrases;
  std::string error;
  if (!Build(&index, &characters, &phrases, &error)) return {};
  return characters;
}

std::vector<std::uint8_t> DictionaryWriter::PhraseTableBytes() const {
  std::vector<std::uint8_t> index, characters, phrases;
  std::string error;
  if (!Build(&index, &characters, &phrases, &error)) return {};
  return phrases;
}

std::vector<std::uint8_t> DictionaryWriter::PunctuationBytes() const {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(punctuation_.size() * 4);
  for (char16_t mark : punctuation_) {
    PutFixed16(&bytes, mark);
    PutFixed16(&bytes, kPunctuationFiller);
  }
  return bytes;
}

bool DictionaryWriter::WriteFolder(const std::string& folder, std::string* error) const {
  std::string scratch;
  if (error == nullptr) error = &scratch;
  std::vector<std::uint8_t> index, characters, phrases;
  if (!Build(&index, &characters, &phrases, error)) return false;
  std::string prefix = folder;
  if (!prefix.empty() && prefix.back() != '/' && prefix.back() != '\\') prefix += kPathSeparator;
  return WriteFile(prefix + kIndexFileName, index, error) &&
         WriteFile(prefix + kCharacterTableFileName, characters, error) &&
         WriteFile(prefix + kPhraseTableFileName, phrases, error) &&
         WriteFile(prefix + kPunctuationFileName, PunctuationBytes(), error);
}

}  // namespace taliq
