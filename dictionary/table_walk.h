// Walking every code group of a table, block by block in bucket order,
// through the bounded block reader: what find and the copy comparison read.
#ifndef TALIQ_DICTIONARY_TABLE_WALK_H_
#define TALIQ_DICTIONARY_TABLE_WALK_H_

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "dictionary/candidate.h"
#include "dictionary/dictionary_index.h"
#include "dictionary/format.h"
#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

// One code group as a lookup of its code would list it.
struct WalkedGroup {
  TableKind table = TableKind::kCharacters;
  // The code as its packed bytes spell it (the digits before the first 0xF
  // nibble; a damaged code may hold other characters).
  std::u16string_view code;
  // File offset of the group's packed code.
  std::int64_t offset = 0;
  // The entries a lookup lists, in stored order: the first 300, phrases of
  // 50 units or more left out.
  const CandidateList* entries = nullptr;
  int count = 0;
};

// Calls `visit` for every group of the table at `path`, whose blocks the
// loaded `index` places. Memory stays bounded whatever the table's size: one
// block buffer and one candidate list. Returns Ok, or why the table could
// not be read whole: kRefused (no index loaded), kNotFound / kCannotOpen
// (the file), kIoError (a seek), kCorruption with the offset where a block or the
// file ran out inside a group (the groups before it were visited).
Status WalkTable(Platform* platform, const DictionaryIndex& index, const std::string& path,
                 TableKind table, const std::function<void(const WalkedGroup&)>& visit);

}  // namespace taliq

#endif  // TALIQ_DICTIONARY_TABLE_WALK_H_
