// The rollback journal's bytes (docs/journal-format.md): where an in-place
// write goes, the bytes it replaces, the bytes it writes and the file's
// size before and after, under a CRC-32.
#ifndef TALIQ_PLATFORM_JOURNAL_FORMAT_H_
#define TALIQ_PLATFORM_JOURNAL_FORMAT_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace taliq {

// oldSize of a journal written before creating the file it protects.
inline constexpr std::int64_t kFileAbsent = -1;

// The most bytes one side of a journal holds; an in-place write of more is
// refused before anything is written.
inline constexpr std::size_t kMaxJournalRegion = 16 * 1024 * 1024;

// Header, two counts and the checksum: a journal is this many bytes plus
// its old and new bytes.
inline constexpr std::size_t kJournalOverhead = 44;

struct JournalRecord {
  // The bytes at [offset, offset + oldBytes.size()) of a file of oldSize
  // bytes become newBytes, and the file's size becomes newSize. When the
  // sizes differ the record covers the whole file: offset 0, oldBytes all
  // of the old file (none when it was absent), newBytes all of the new.
  std::int64_t offset = 0;
  std::int64_t oldSize = 0;
  std::int64_t newSize = 0;
  std::string oldBytes;
  std::string newBytes;
};

// Whether the fields describe a write the format can hold (the rules
// above, the limits, no negative offset).
bool IsValidJournalRecord(const JournalRecord& record);

// The journal's bytes for a valid record.
std::string EncodeJournal(const JournalRecord& record);

// The record, when `bytes` are exactly one whole journal with a matching
// checksum and valid fields; false for anything else (a journal torn while
// it was written, other bytes).
bool DecodeJournal(std::string_view bytes, JournalRecord* record);

}  // namespace taliq

#endif  // TALIQ_PLATFORM_JOURNAL_FORMAT_H_
