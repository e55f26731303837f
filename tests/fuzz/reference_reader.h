// A reader of the tables written from docs/dictionary-format.md alone, one
// unit at a time, for the harnesses to hold the store's scans against.
#ifndef TALIQ_TESTS_FUZZ_REFERENCE_READER_H_
#define TALIQ_TESTS_FUZZ_REFERENCE_READER_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary/format.h"

namespace taliq::fuzz {

struct ReferenceEntry {
  std::u16string text;                  // one unit for a character
  std::uint16_t values[3] = {0, 0, 0};  // two for a phrase
};

struct ReferenceLookup {
  bool matched = false;
  std::int64_t entryOffset = 0;         // file offset of the group's first entry
  std::vector<ReferenceEntry> entries;  // at most 300, texts of 50+ units left out
};

// The entries of `code` in the block of `length` bytes at `offset` of the
// table `file` (the whole file's bytes): the groups before it skipped, its
// entries listed until its end marker, the block's or the file's end (a
// partial entry there is left out) or 300.
ReferenceLookup ReferenceFind(std::string_view file, std::int64_t offset, std::uint32_t length,
                              std::u16string_view code, TableKind table);

// The entries of a group's bytes, as the table's layout splits them; false
// when the bytes are not exactly whole entries.
bool ReferenceSplit(std::string_view bytes, TableKind table, std::vector<std::string>* entries);

}  // namespace taliq::fuzz

#endif  // TALIQ_TESTS_FUZZ_REFERENCE_READER_H_
