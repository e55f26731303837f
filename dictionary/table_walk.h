// Walking every code group of a table, block by block in bucket order,
// through the bounded block reader: what find and the copy comparison read.
#ifndef TALIQ_DICTIONARY_TABLE_WALK_H_
#define TALIQ_DICTIONARY_TABLE_WALK_H_

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "dictionary/table_cursor.h"
#include "dictionary/dictionary_index.h"
#include "dictionary/format.h"
#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

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
