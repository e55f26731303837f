// The quick pass of a copy check: a table of both copies read side by side,
// compared byte for byte, and the first copy's groups checked with the scan
// kernels instead of entry by entry. It only ever vouches for a table that
// is sound and the same in both copies; for anything else (a problem, a
// difference, a read that fails, a text longer than its buffer) it gives up
// and the detailed check (table_check.h) reads the table and says what is
// wrong.
#ifndef TALIQ_DICTIONARY_TABLE_CHECK_SCAN_H_
#define TALIQ_DICTIONARY_TABLE_CHECK_SCAN_H_

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "dictionary/format.h"
#include "platform/platform.h"

namespace taliq {

// Each block's length, as an index gives it.
using BlockLengths = std::array<std::uint32_t, kBucketCount>;

// A table to vouch for: its file in the first copy and in the second
// (empty when there is none) and the block lengths the index gives.
struct QuickTable {
  std::string first;
  std::string second;
  BlockLengths lengths;
  TableKind table;
};

// Sets sound[i] true when the table of tables[i] at `first` (and at
// `second`, unless it is empty) is exactly as long as the header and the
// blocks of `lengths`, the two files hold the same bytes, and every block of
// the first divides into groups the detailed check finds nothing wrong
// with: a code of digits that belongs to the block, entries whole, an end
// marker inside the block. False otherwise, and whenever the pass cannot
// tell. Where the C++ library has threads and the tables take 256 KiB or
// more, their reading is shared with a helper thread kept for the life of
// the process: the files are opened on the calling thread, and the helper
// only seeks and reads (Platform::Seek and Platform::Read) on handles of its
// own or on a table's only handles when it takes the whole table.
void TablesAreSoundAndSame(Platform* platform, std::span<const QuickTable> tables, bool* sound);

}  // namespace taliq

#endif  // TALIQ_DICTIONARY_TABLE_CHECK_SCAN_H_
