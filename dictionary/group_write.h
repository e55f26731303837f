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
  TableKind table = TableKind::Characters;
  DictionaryId dictionary;
  std::u16string code;
  // File offset of the group's first entry.
  std::int32_t entryOffset = 0;
  // Phrases: a text too long to list lies between listed entries.
  bool longPhraseBetween = false;
};

// Rewrites the group's entries in the table at `path` with the first
// `count` records of `list`, in list order, with one write, after reading
// the bytes about to be overwritten back: they must hold exactly the
// entries being written (same texts and values, each as often, in any
// order) behind the group's packed code. `secondCopy` says that `path` is
// the second installed copy, which the lookup did not read.
//
// Refusals, with nothing written: kRefused for a count outside 1-300, a
// record the table cannot take, a group holding texts too long to list
// between listed entries, or a second copy that differs from the first;
// kChanged when the first copy no longer holds the listed entries there.
// Failures: kNotFound / kCannotOpen (the file), kIoError (a seek, or the
// write with the OS's reason).
Status WriteGroup(Platform* platform, const std::string& path, const GroupMatch& match,
                  const CandidateList& list, int count, bool secondCopy);

}  // namespace taliq

#endif  // TALIQ_DICTIONARY_GROUP_WRITE_H_
