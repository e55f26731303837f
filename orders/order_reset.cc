// Reset to the original order: one group, or every group of a dictionary
// that differs from its snapshot.
#include <memory>

#include "orders/group_order.h"
#include "orders/merge.h"
#include "orders/snapshot.h"
#include "orders/table_diff.h"
#include "orders/user_orders.h"

namespace taliq {
namespace {

// The current snapshot's folder; Ok with an empty folder when the
// dictionary has none.
Status SnapshotFolder(OrderKeeper& keeper, DictionaryId id, std::string* folder) {
  folder->clear();
  std::string dataDir;
  if (Status s = keeper.DataFolder(&dataDir); !s.ok()) return s;
  Snapshot snapshot;
  const Status s = CurrentSnapshot(keeper.platform(), dataDir, id, &snapshot);
  if (s.Is(Status::Code::kNotFound)) return Status::Ok();
  if (s.ok()) *folder = snapshot.folder;
  return s;
}

}  // namespace

Status ResetGroup(OrderKeeper& keeper, const GroupKey& group, ResetReport* report) {
  report->changes.clear();
  std::string folder;
  if (Status s = SnapshotFolder(keeper, group.dictionary, &folder); !s.ok() || folder.empty()) {
    return s;
  }
  auto list = std::make_unique<CandidateList>();
  int count = 0;
  TextOrder current;
  if (Status s = SelectAndReload(keeper.store(), group.dictionary); !s.ok()) return s;
  if (Status s = ReadGroupOrder(keeper.store(), group, *list, &count, &current); !s.ok()) return s;
  TextOrder original;
  const Status s = SnapshotOrder(keeper.platform(), folder, group, &original);
  // A code the original did not have has no original order to go back to.
  if (s.Is(Status::Code::kNotFound)) return Status::Ok();
  if (!s.ok()) return s;
  MergedOrder merged = MergeOrder(original, current);
  if (merged.order == current) return Status::Ok();
  report->changes.push_back(OrderChange{group, std::move(current), std::move(merged.order)});
  return keeper.Apply(HistoryKind::kReset, report->changes);
}

Status ResetDictionary(OrderKeeper& keeper, DictionaryId id, ResetReport* report) {
  report->changes.clear();
  std::string folder;
  if (Status s = SnapshotFolder(keeper, id, &folder); !s.ok() || folder.empty()) return s;
  const std::string installed = keeper.store()->ResolveDictionaryFolder(id, false);
  const Status s =
      DiffDictionary(keeper.platform(), folder, installed, [&](const GroupDifference& d) {
        MergedOrder merged = MergeOrder(d.original, d.current);
        if (merged.order != d.current) {
          report->changes.push_back(
              OrderChange{GroupKey{id, d.table, d.code}, d.current, std::move(merged.order)});
        }
        return Status::Ok();
      });
  if (!s.ok()) return s;
  if (report->changes.empty()) return Status::Ok();
  return keeper.Apply(HistoryKind::kReset, report->changes);
}

}  // namespace taliq
