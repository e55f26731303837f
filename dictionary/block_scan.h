// The lookups' scans of one block: skip the groups of other codes, list the
// entries of the wanted one.
#ifndef TALIQ_DICTIONARY_BLOCK_SCAN_H_
#define TALIQ_DICTIONARY_BLOCK_SCAN_H_

#include <cstdint>

#include "dictionary/block_stream.h"
#include "dictionary/candidate.h"
#include "dictionary/format.h"
#include "dictionary/scan_kernels.h"

namespace taliq {

// Records filled by a scan, where the matched group's entries begin, and how
// the scan ended.
struct ScanResult {
  int count = 0;
  bool matched = false;
  std::int32_t entryOffset = 0;
  // The block's bytes (or the file's) ran out before the scan was done: it
  // found no group of the code, or the group had no end marker.
  bool exhausted = false;
  // They ran out inside a group or a packed code: the block is damaged.
  bool cut = false;
  // Phrases: a text too long to list lies between listed entries, so the
  // listed entries are not one run of the group's bytes.
  bool longPhraseBetween = false;
};

// Both scan from the stream's position to the group of `matcher`'s code and
// fill `list` with its entries, in stored order, up to the list's capacity.
// A damaged block ends the scan with the records completed so far.
ScanResult ScanCharacterBlock(BlockStream* s, const PackedMatcher& matcher, const ScanOps& ops,
                              CandidateList& list);
// Texts of 50 units or more do not fit a record: they are left out.
ScanResult ScanPhraseBlock(BlockStream* s, const PackedMatcher& matcher, const ScanOps& ops,
                           CandidateList& list);

}  // namespace taliq

#endif  // TALIQ_DICTIONARY_BLOCK_SCAN_H_
