// One table of an installed dictionary compared with a snapshot's, group by
// group (the work of DiffDictionary for the characters and the phrases).
#ifndef TALIQ_ORDERS_TABLE_COMPARE_H_
#define TALIQ_ORDERS_TABLE_COMPARE_H_

#include <string>

#include "dictionary/dictionary_index.h"
#include "orders/fingerprint.h"
#include "orders/table_diff.h"
#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

// Gives `sink` each group of the table at `installedPath` whose order
// differs from the one at `snapshotPath`, the indexes placing their blocks.
// With `fingerprint`, also the installed file's size and fingerprint.
Status DiffTable(Platform* platform, const DictionaryIndex& snapshotIndex,
                 const std::string& snapshotPath, const DictionaryIndex& installedIndex,
                 const std::string& installedPath, TableKind kind, const DifferenceSink& sink,
                 FileFingerprint* fingerprint);

}  // namespace taliq

#endif  // TALIQ_ORDERS_TABLE_COMPARE_H_
