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
    if (Status s = CompareInstallState(platform, dataDir, id, installed, &d.install); !s.ok()) {
      return s;
    }
    Snapshot snapshot;
    const Status found = CurrentSnapshot(platform, dataDir, id, &snapshot);
    if (found.Is(Status::Code::kNotFound)) continue;
    if (!found.ok()) return found;
    d.hasSnapshot = true;
    d.snapshotNumber = snapshot.number;
    d.snapshotTime = snapshot.manifest.time;
    const Status s =
        DiffDictionary(platform, snapshot.folder, installed, [&](const GroupDifference& g) {
          ++d.tables[static_cast<std::size_t>(g.table)].differing;
          return Status::Ok();
        });
    if (!s.ok()) d.problem = s.message();
  }
  return Status::Ok();
}

}  // namespace taliq
