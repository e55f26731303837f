#include "orders/order_keeper.h"

#include <utility>

#include "dictionary/candidate.h"
#include "orders/data_folder.h"
#include "orders/group_order.h"
#include "orders/install_state.h"
#include "orders/snapshot.h"

namespace taliq {
OrderKeeper::OrderKeeper(Platform* platform, DictionaryStore* store, Clock clock)
    : platform_(platform), store_(store), clock_(std::move(clock)) {}

Status OrderKeeper::DataFolder(std::string* folder) {
  return EnsureUserDataFolder(platform_, folder);
}

Status OrderKeeper::Snapshot(DictionaryId id, const std::string& dataDir) {
  const std::string installed = store_->ResolveDictionaryFolder(id, false);
  if (installed.empty()) return Status::NotFound("the installed dictionary folder");
  return EnsureSnapshot(platform_, dataDir, id, installed, clock_);
}

Status OrderKeeper::Record(HistoryKind kind, std::span<const OrderChange> changes,
                           std::int64_t undoes, const std::string& dataDir) {
  if (Status s = AppendHistory(platform_, dataDir, kind, changes, clock_, undoes); !s.ok()) {
    return s;
  }
  // Each dictionary written once.
  std::vector<DictionaryId> recorded;
  for (const OrderChange& c : changes) {
    const DictionaryId id = c.group.dictionary;
    bool seen = false;
    for (DictionaryId r : recorded) seen = seen || r == id;
    if (seen) continue;
    recorded.push_back(id);
    const std::string installed = store_->ResolveDictionaryFolder(id, false);
    if (Status s = RecordInstallState(platform_, dataDir, id, installed, clock_); !s.ok()) {
      return s;
    }
  }
  return Status::Ok();
}

Status OrderKeeper::BeforeSave(const OrderChange& change) {
  pending_.reset();
  std::string dataDir;
  status_ = DataFolder(&dataDir);
  if (status_.Is(Status::Code::kNotFound)) return status_ = Status::Ok();
  if (!status_.ok()) return status_;
  pending_ = change;
  return status_ = Snapshot(change.group.dictionary, dataDir);
}

Status OrderKeeper::Saved() {
  if (!pending_) return status_;
  const OrderChange change = std::move(*pending_);
  pending_.reset();
  std::string dataDir;
  if (status_ = DataFolder(&dataDir); !status_.ok()) return status_;
  return status_ = Record(HistoryKind::kSave, std::span(&change, 1), 0, dataDir);
}

Status OrderKeeper::Undo(UndoStep* undone) {
  std::string dataDir;
  if (Status s = DataFolder(&dataDir); !s.ok()) return s;
  History history;
  if (Status s = ReadHistory(platform_, dataDir, &history); !s.ok()) return s;
  std::optional<UndoStep> step = NextUndo(history);
  if (!step) return Status::Refused(kNothingToUndo);
  if (Status s = Apply(HistoryKind::kUndo, step->changes, step->batch); !s.ok()) return s;
  if (undone != nullptr) *undone = std::move(*step);
  return Status::Ok();
}

Status OrderKeeper::Apply(HistoryKind kind, std::span<const OrderChange> changes,
                          std::int64_t undoes) {
  std::string dataDir;
  if (Status s = DataFolder(&dataDir); !s.ok()) return s;
  CandidateList list{};
  int count = 0;
  TextOrder current;
  // Nothing is written unless every group still holds what it is expected
  // to hold. The index is read afresh: the files may have been replaced
  // since the store loaded it.
  std::optional<DictionaryId> loaded;
  for (const OrderChange& c : changes) {
    if (loaded != c.group.dictionary) {
      loaded = c.group.dictionary;
      if (Status s = store_->SelectCharset(*loaded); !s.ok()) return s;
      if (Status s = store_->LoadIndex(); !s.ok()) return s;
    }
    if (Status s = ReadGroupOrder(store_, c.group, list, &count, &current); !s.ok()) return s;
    if (current != c.before) {
      return Status::Refused(GroupName(c.group) +
                             ": its entries changed since that save (the dictionary was "
                             "replaced or changed from outside); nothing was written");
    }
  }
  for (const OrderChange& c : changes) {
    if (Status s = Snapshot(c.group.dictionary, dataDir); !s.ok()) return s;
  }
  for (std::size_t i = 0; i < changes.size(); ++i) {
    const OrderChange& c = changes[i];
    Status s = ReadGroupOrder(store_, c.group, list, &count, &current);
    if (s.ok()) s = WriteGroupOrder(store_, c.group, list, count, c.after);
    if (!s.ok()) {
      // What was written stays recorded, so that it can be undone.
      if (i > 0) Record(kind, changes.first(i), undoes, dataDir);
      return s;
    }
  }
  return Record(kind, changes, undoes, dataDir);
}

}  // namespace taliq
