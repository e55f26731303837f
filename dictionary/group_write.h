// The checked write-back of one code group.
#ifndef TALIQ_DICTIONARY_GROUP_WRITE_H_
#define TALIQ_DICTIONARY_GROUP_WRITE_H_

#include <cstdint>
#include <string>

#include "dictionary/candidate.h"
#include "dictionary/dictionary_id.h"
#include "dictionary/format.h"
#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

// The group a lookup listed: what a write-back may replace.
struct GroupMatch {
  TableKind table = TableKind::kCharacters;
  DictionaryId dictionary;
  PackedMatcher code{u""};
  // File offset of the group's first entry.
  std::int32_t entryOffset = 0;
  // Phrases: a text too long to list lies between listed entries.
  bool longPhraseBetween = false;
};

// Rewrites the group's entries in the table at `path` with the first
// `count` records of `list`, in list order, after reading the bytes about
// to be overwritten back: they must hold exactly the entries being written
// (the same units and values, each entry as often, in any order; U+0000 is
// a unit like any other) behind the group's packed code. The write is one
// in-place write under a rollback journal (RewriteInPlace, which first
// resolves a journal an interrupted save left; its note goes to `*note`
// when given), synced to the disk. `secondCopy` says that `path` is the
// second installed copy, which the lookup did not read. The caller holds
// the dictionary folder's lock.
//
// Ok: the group holds the new order (decided from the bytes also when a
// flush or close failed after the write). Refusals, with nothing written:
// kRefused for a count outside 1-300, a record the table cannot take, a
// group holding texts too long to list between listed entries, or a second
// copy that differs from the first; kChanged when the first copy no longer
// holds the listed entries there. Failures, with the group as it was:
// kNotFound / kCannotOpen (the file), kIoError (a step of the write).
Status WriteGroup(Platform* platform, const std::string& path, const GroupMatch& match,
                  const CandidateList& list, int count, bool secondCopy,
                  std::string* note = nullptr);

}  // namespace taliq

#endif  // TALIQ_DICTIONARY_GROUP_WRITE_H_
