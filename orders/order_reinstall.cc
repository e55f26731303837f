// A replaced installation: found by the installed files' digests, answered
// with a new snapshot and the kept orders set aside for a re-apply.
#include "orders/data_folder.h"
#include "orders/durable_file.h"
#include "orders/snapshot.h"
#include "orders/user_orders.h"

namespace taliq {
namespace {

bool Exists(Platform* platform, const std::string& path) {
  return platform->OpenFile(path, "rb") != nullptr;
}

// Keeps the automatic export as the file to re-apply, unless one waits
// already (from an earlier replacement not yet re-applied).
Status SetAsideOrders(Platform* platform, const std::string& dataDir) {
  const std::string pending = JoinPath(dataDir, kPendingReapplyFileName);
  if (Exists(platform, pending)) return Status::Ok();
  std::string bytes;
  const Status s = ReadSmallFile(platform, JoinPath(dataDir, kAutomaticExportFileName),
                                 kMaxOrdersFileSize, &bytes);
  if (s.Is(Status::Code::kNotFound)) return Status::Ok();
  if (!s.ok()) return s;
  return WriteFileAtomically(platform, pending, bytes);
}

}  // namespace

Status CheckReplacedDictionary(OrderKeeper& keeper, DictionaryId id, bool* replaced) {
  if (replaced != nullptr) *replaced = false;
  Platform* platform = keeper.platform();
  std::string dataDir;
  if (Status s = keeper.DataFolder(&dataDir); !s.ok()) return s;
  const std::string installed = keeper.store()->ResolveDictionaryFolder(id, false);
  InstallComparison comparison;
  if (Status s = CompareInstallState(platform, dataDir, id, installed, &comparison); !s.ok()) {
    return s;
  }
  if (comparison.result != InstallComparison::Result::kReplaced) return Status::Ok();
  // Set aside first: the new snapshot makes the old orders vanish from the
  // next automatic export.
  if (Status s = SetAsideOrders(platform, dataDir); !s.ok()) return s;
  Snapshot taken;
  const Status s = TakeNewSnapshot(platform, dataDir, id, installed, keeper.clock(), &taken);
  // Not installed now: nothing to compare with until it is again.
  if (s.Is(Status::Code::kNotFound)) return Status::Ok();
  if (!s.ok()) return s;
  if (Status r = RecordInstallState(platform, dataDir, id, installed, keeper.clock()); !r.ok()) {
    return r;
  }
  if (replaced != nullptr) *replaced = true;
  return Status::Ok();
}

Status CheckReplaced(OrderKeeper& keeper, ReplacedCheck* check) {
  *check = ReplacedCheck{};
  std::string dataDir;
  if (Status s = keeper.DataFolder(&dataDir); !s.ok()) return s;
  for (DictionaryId id : kAllDictionaries) {
    bool replaced = false;
    if (Status s = CheckReplacedDictionary(keeper, id, &replaced); !s.ok()) return s;
    if (replaced) check->replaced.push_back(id);
  }
  check->reapplyPending = Exists(keeper.platform(), JoinPath(dataDir, kPendingReapplyFileName));
  return Status::Ok();
}

Status Reapply(OrderKeeper& keeper, bool dryRun, ImportReport* report) {
  *report = ImportReport{};
  Platform* platform = keeper.platform();
  std::string dataDir;
  if (Status s = keeper.DataFolder(&dataDir); !s.ok()) return s;
  const std::string pending = JoinPath(dataDir, kPendingReapplyFileName);
  const bool waiting = Exists(platform, pending);
  const std::string path = waiting ? pending : JoinPath(dataDir, kAutomaticExportFileName);
  if (Status s = ImportOrders(keeper, path, dryRun, HistoryKind::kReapply, report); !s.ok()) {
    return s;
  }
  if (!dryRun && waiting && report->notApplied.empty() && !platform->RemoveFile(pending)) {
    return Status::IoError(pending, "cannot be removed after the re-apply");
  }
  return Status::Ok();
}

}  // namespace taliq
