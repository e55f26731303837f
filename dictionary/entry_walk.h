// Walking every entry of a table, in file order, through the bounded block
// reader: what a dump of the table reads. Unlike WalkTable it lists every
// entry of a group, also those a lookup leaves out (after the 300th, and
// phrases of 50 units or more), and the groups that hold no entry.
#ifndef TALIQ_DICTIONARY_ENTRY_WALK_H_
#define TALIQ_DICTIONARY_ENTRY_WALK_H_

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "dictionary/dictionary_index.h"
#include "dictionary/format.h"
#include "dictionary/table_walk.h"
#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

// The buckets whose blocks can hold a code that starts with `prefix` (one
// to six digits): one bucket for three digits or more, eleven for two,
// 121 for one. None for a prefix that is not 1-6 digits.
BucketSet BucketsOfPrefix(std::u16string_view prefix);

struct WalkedEntry {
  // The group's code as its packed bytes spell it (the digits before the
  // first 0xF nibble; a damaged code may hold other characters).
  std::u16string_view code;
  // File offset of the group's packed code.
  std::int64_t groupOffset = 0;
  // 1-based, in stored order (the order the input method offers them); 0
  // for a group that holds no entry, which is visited once with no text
  // and no values.
  int position = 0;
  // One unit for a character; the whole text for a phrase.
  std::u16string_view text;
  // Three for a character, two for a phrase.
  std::array<std::uint16_t, 3> values = {0, 0, 0};
  int valueCount = 0;
};

// Calls `visit` for every entry of the table at `path` whose bucket is in
// `buckets` (every bucket when null), in file order. Memory stays bounded
// by one block buffer and the longest phrase text. Returns what WalkTable
// returns: Ok, or why the table could not be read whole (the entries before
// the damage were visited).
Status WalkEntries(Platform* platform, const DictionaryIndex& index, const std::string& path,
                   TableKind table, const BucketSet* buckets,
                   const std::function<void(const WalkedEntry&)>& visit);

}  // namespace taliq

#endif  // TALIQ_DICTIONARY_ENTRY_WALK_H_
