// OrderKeeper: what the tools keep of a user's orders around every write
// into the installed dictionaries (docs/user-data.md):
// - before the first write into a dictionary, a snapshot of its first
//   installed copy (the original order);
// - after every save, a batch in the history and the installed files'
//   digests (to tell later whether they were replaced from outside);
// - undo of the most recent batch not yet undone, through the store's
//   checked write-back.
// Without a user data folder (the platform names none) nothing is kept and
// saves go on as before.
#ifndef TALIQ_ORDERS_ORDER_KEEPER_H_
#define TALIQ_ORDERS_ORDER_KEEPER_H_

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "dictionary/dictionary_store.h"
#include "orders/history.h"
#include "orders/history_undo.h"
#include "orders/local_time.h"
#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

class OrderKeeper {
 public:
  // `store` writes the groups of an undo; both must outlive the keeper.
  OrderKeeper(Platform* platform, DictionaryStore* store, Clock clock = SystemClock());
  OrderKeeper(const OrderKeeper&) = delete;
  OrderKeeper& operator=(const OrderKeeper&) = delete;

  // The user data folder, created when missing. kNotFound when the platform
  // names none.
  Status DataFolder(std::string* folder);

  // Before a save writes `change`'s group: the dictionary's snapshot unless
  // one exists, and the change kept for Saved(). Ok, keeping nothing, when
  // there is no data folder.
  Status BeforeSave(const OrderChange& change);
  // After the save of BeforeSave's change succeeded: appends it to the
  // history as a save and records the installed files.
  Status Saved();

  // Undoes the most recent batch not yet undone: every group goes back to
  // its order from before that batch, in both copies (punctuation: the
  // first copy). kRefused, writing nothing, when every batch is undone
  // (message kNothingToUndo) or a group's entries changed since the batch
  // (a reinstall): the message names the group. `undone` (optional)
  // receives the step that was applied.
  Status Undo(UndoStep* undone = nullptr);

  // Writes `changes` (each group from its `before` to its `after`) as one
  // batch of `kind`: a snapshot first, then every group checked to hold
  // its `before` before anything is written, then the writes, the history
  // and the installed files' record.
  Status Apply(HistoryKind kind, std::span<const OrderChange> changes, std::int64_t undoes = 0);

  // The outcome of the last BeforeSave / Saved.
  const Status& status() const { return status_; }

 private:
  Status Snapshot(DictionaryId id, const std::string& dataDir);
  Status Record(HistoryKind kind, std::span<const OrderChange> changes, std::int64_t undoes,
                const std::string& dataDir);

  Platform* const platform_;
  DictionaryStore* const store_;
  const Clock clock_;
  std::optional<OrderChange> pending_;
  Status status_;
};

inline constexpr char kNothingToUndo[] = "there is no save left to undo";

}  // namespace taliq

#endif  // TALIQ_ORDERS_ORDER_KEEPER_H_
