// Which groups of an installed dictionary are no longer in their original
// order: the installed tables read side by side with a snapshot's, group by
// group, in memory that does not grow with the tables.
#ifndef TALIQ_ORDERS_TABLE_DIFF_H_
#define TALIQ_ORDERS_TABLE_DIFF_H_

#include <functional>
#include <string>

#include "orders/folder_digests.h"
#include "orders/order_group.h"
#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

// A group whose installed order differs from the snapshot's.
struct GroupDifference {
  OrderTable table = OrderTable::kCharacters;
  std::string code;  // "-" for the punctuation table
  TextOrder original;
  TextOrder current;
};

// Receives each difference; a failure ends the comparison with it.
using DifferenceSink = std::function<Status(const GroupDifference&)>;

// Compares the characters, then the phrases, then the punctuation table of
// `installedFolder` with those of `snapshotFolder`. Groups are matched by
// code; a group only one side has is not a difference. Where both tables
// have one layout, their bytes are compared front to back first and only
// the blocks that differ are read group by group. Fails with the first
// table that cannot be read whole (its path and why). `installedDigests`
// (optional) receives the sizes and SHA-256 of the installed files, taken
// from the same reads.
Status DiffDictionary(Platform* platform, const std::string& snapshotFolder,
                      const std::string& installedFolder, const DifferenceSink& sink,
                      FolderDigests* installedDigests = nullptr);

// The order `group` has in the snapshot (its dictionary is the snapshot's).
// kNotFound when the snapshot has no such group.
Status SnapshotOrder(Platform* platform, const std::string& snapshotFolder, const GroupKey& group,
                     TextOrder* order);

}  // namespace taliq

#endif  // TALIQ_ORDERS_TABLE_DIFF_H_
