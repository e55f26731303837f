// Finding where a text's bytes occur in a table, at any byte offset, at the
// speed of reading the bytes: find reads only the blocks that may list one
// of its texts.
#ifndef TALIQ_DICTIONARY_BYTE_SEARCH_H_
#define TALIQ_DICTIONARY_BYTE_SEARCH_H_

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "dictionary/dictionary_index.h"
#include "dictionary/table_walk.h"
#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

// The buckets whose blocks in the phrase table at `path` may list one of
// `texts` (each at least one unit): where a text's UTF-16LE bytes followed
// by a text end stand where an entry can start (after its group's packed
// code, or six bytes after a text end). A block that is not marked cannot
// list any of the texts. A table whose size is not that of its header and
// blocks gives every bucket (its damage is the walk's to report). The table
// is read front to back through one 128 KiB buffer. kNotFound /
// kCannotOpen / kIoError as the file gives.
Status PhraseBlocksThatMayList(Platform* platform, const DictionaryIndex& index,
                               const std::string& path, std::span<const std::u16string> texts,
                               BucketSet* buckets);

// The offset of every occurrence of `needle` in `data`, in ascending order:
// the search the table's reads go through (the scan kernel's findBytePair).
std::vector<std::size_t> OccurrencesForTest(const std::vector<std::uint8_t>& data,
                                            const std::vector<std::uint8_t>& needle);

}  // namespace taliq

#endif  // TALIQ_DICTIONARY_BYTE_SEARCH_H_
