// The layout of a dictionary folder's files, as docs/dictionary-format.md
// describes it: file names, the index and table layout, codes and their
// buckets, packed codes, and the bytes of an entry.
#ifndef TALIQ_DICTIONARY_FORMAT_H_
#define TALIQ_DICTIONARY_FORMAT_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary/candidate.h"

namespace taliq {

enum class TableKind : int { kCharacters = 1, kPhrases = 2 };

// File names inside a dictionary folder.
inline constexpr char kIndexFileName[] = "lurm2008.idx";
inline constexpr char kCharacterTableFileName[] = "lurmsmz.mb";
inline constexpr char kPhraseTableFileName[] = "lurmsmc.mb";
inline constexpr char kPunctuationFileName[] = "Pround.dat";
// The lock a save holds on its dictionary folder (platform/file_lock.h);
// the file is there only while it is held.
inline constexpr char kDictionaryLockFileName[] = "taliq.lock";

constexpr const char* TableFileName(TableKind table) {
  return table == TableKind::kCharacters ? kCharacterTableFileName : kPhraseTableFileName;
}

// The table's name in the tools' output: "characters" or "phrases".
constexpr const char* TableKindName(TableKind table) {
  return table == TableKind::kCharacters ? "characters" : "phrases";
}

// Index layout.
inline constexpr std::size_t kIndexHeaderSize = 64;
inline constexpr int kBucketCount = 1210;
inline constexpr std::size_t kCharacterLengthsOffset = 64;
inline constexpr std::size_t kPhraseLengthsOffset = 2484;
inline constexpr std::size_t kMinIndexSize = 7324;

// Table layout.
inline constexpr std::uint32_t kTableHeaderSize = 64;
// Block offsets are 32-bit signed: nothing of a table lies past this.
inline constexpr std::int64_t kMaxTableOffset = std::numeric_limits<std::int32_t>::max();
inline constexpr std::size_t kPackedCodeSize = 3;
// The unit that ends a code group, and the one that ends a phrase's text.
inline constexpr std::uint16_t kGroupEnd = 0xFFFF;
inline constexpr std::uint16_t kTextEnd = 0x0000;
inline constexpr std::size_t kCharacterEntrySize = 8;
// What follows a phrase's text: its terminator and two values.
inline constexpr std::size_t kPhraseEntryTail = 6;
// The longest phrase entry a record can take: 49 units, terminator, values.
inline constexpr std::size_t kListedPhraseEntryBytes = 2 * kMaxCandidateText + kPhraseEntryTail;

// Punctuation table: 4-byte records, the mark and a filler unit.
inline constexpr std::size_t kPunctuationRecordSize = 4;
inline constexpr std::uint16_t kPunctuationFiller = 0x0020;
// The bytes of the records a list holds; later records are kept as they are.
inline constexpr std::size_t kListedPunctuationBytes =
    static_cast<std::size_t>(kCandidateListCapacity) * kPunctuationRecordSize;

// The digits 0-9 of a code (ASCII only; the full-width digits are not).
constexpr bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
inline bool AllDigits(std::u16string_view text) {
  for (char16_t c : text) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

// Bucket of a code of decimal digits (1 to 6 units), or -1 for any other code.
inline int BucketOf(std::u16string_view code) {
  if (code.empty() || code.size() > 6 || !AllDigits(code)) return -1;
  int bucket = 121 * (code[0] - u'0');
  if (code.size() >= 2) bucket += 11 * (code[1] - u'0' + 1);
  if (code.size() >= 3) bucket += code[2] - u'0' + 1;
  return bucket;
}

// Packs a code of 1-6 digits into three bytes (the 0xF nibble after a code
// of fewer than six digits, the rest 0xF as well).
std::array<std::uint8_t, 3> PackDigits(std::u16string_view code);

// Writes the code packed in three bytes as text plus terminator into `out`
// (at least 7 units); returns the units written, terminator included (1-7).
int UnpackDigits(const std::uint8_t packed[3], char16_t* out);

// A code packed for comparison with the three bytes of a group: the code's
// nibbles, then the 0xF that ends a code of fewer than six digits; the
// nibbles after that are ignored. Equal to unpacking the bytes and comparing
// the texts, for a code of digits.
struct PackedMatcher {
  std::uint32_t value = 0;
  std::uint32_t mask = 0;

  explicit PackedMatcher(std::u16string_view code) {
    const std::size_t n = code.size();
    for (std::size_t i = 0; i < 6 && i <= n; ++i) {
      const std::uint32_t nibble = i < n ? static_cast<std::uint32_t>(code[i] - u'0') : 0xF;
      const int shift = 20 - 4 * static_cast<int>(i);
      value |= nibble << shift;
      mask |= 0xFu << shift;
    }
  }

  // The code matched, as text.
  std::u16string Code() const;

  bool Matches(const std::uint8_t* p) const {
    const std::uint32_t packed =
        (static_cast<std::uint32_t>(p[0]) << 16) | (static_cast<std::uint32_t>(p[1]) << 8) | p[2];
    return (packed & mask) == value;
  }
};

// The bytes of one entry, appended to `out`.
void AppendCharacterEntry(char16_t character, std::uint16_t value0, std::uint16_t value1,
                          std::uint16_t value2, std::vector<std::uint8_t>* out);
void AppendPhraseEntry(std::u16string_view text, std::uint16_t value0, std::uint16_t value1,
                       std::vector<std::uint8_t>* out);
// A record as an entry of the table (the layouts the lookups read).
void AppendEntry(const CandidateRecord& record, TableKind table, std::vector<std::uint8_t>* out);

// One entry's bytes inside a buffer.
struct EntryBytes {
  const std::uint8_t* data;
  std::size_t size;

  bool operator<(const EntryBytes& o) const;
  bool operator==(const EntryBytes& o) const;
};

// Splits `bytes` into exactly `count` entries of the table's layout. False
// when they do not divide so, or when an entry starts with the group's end
// marker, or (characters) holds a 0xFFFF unit anywhere.
bool SplitEntries(const std::uint8_t* bytes, std::size_t size, int count, TableKind table,
                  std::vector<EntryBytes>* entries);

// Whether both hold the same entries, each as often, in any order.
bool SameEntries(std::vector<EntryBytes> a, std::vector<EntryBytes> b);

}  // namespace taliq

#endif  // TALIQ_DICTIONARY_FORMAT_H_
