// Status: for each dictionary, its snapshot, how many groups per table
// differ from it, and whether the installed files changed since the last
// save.
#include "orders/data_folder.h"
#include "orders/snapshot.h"
#include "orders/table_diff.h"
#include "orders/user_orders.h"

namespace taliq {

Status GetOrdersStatus(Platform* platform, const DictionaryStore& store, const std::string& dataDir,
                       std::span<const DictionaryId> ids, OrdersStatus* status) {
  *status = OrdersStatus{};
  status->dataDir = dataDir;
  FileHandle pending = platform->OpenFile(JoinPath(dataDir, kPendingReapplyFileName), "rb");
  status->reapplyPending = pending != nullptr;
  for (DictionaryId id : ids) {
    DictionaryStatus& d = status->dictionaries.emplace_back();
    d.id = id;
    for (OrderTable t : {OrderTable::kCharacters, OrderTable::kPhrases, OrderTable::kPunctuation}) {
      d.tables.push_back(TableStatus{t, 0});
    }
    const std::string installed = store.ResolveDictionaryFolder(id, false);
    Snapshot snapshot;
    const Status found = CurrentSnapshot(platform, dataDir, id, &snapshot);
    if (!found.ok() && !found.Is(Status::Code::kNotFound)) return found;
    if (found.ok()) {
      d.hasSnapshot = true;
      d.snapshotNumber = snapshot.number;
      d.snapshotTime = snapshot.manifest.time;
      // One read of the installed files gives both the differences and the
      // digests to compare with the last save's.
      FolderDigests digests;
      const Status s = DiffDictionary(
          platform, snapshot.folder, installed,
          [&](const GroupDifference& g) {
            ++d.tables[static_cast<std::size_t>(g.table)].differing;
            return Status::Ok();
          },
          &digests);
      if (s.ok()) {
        if (Status c = CompareInstallDigests(platform, dataDir, id, digests, &d.install); !c.ok()) {
          return c;
        }
        continue;
      }
      d.problem = s.message();
    }
    if (Status s = CompareInstallState(platform, dataDir, id, installed, &d.install); !s.ok()) {
      return s;
    }
  }
  return Status::Ok();
}

}  // namespace taliq
