// Undo, computed from the history file alone: an undo restores the orders
// from before the most recent batch (a save, reset, import or reapply) that
// has not been undone yet; undoing again walks further back. Undo batches
// themselves are not undone.
#ifndef TALIQ_ORDERS_HISTORY_UNDO_H_
#define TALIQ_ORDERS_HISTORY_UNDO_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "orders/history.h"

namespace taliq {

struct UndoStep {
  std::int64_t batch = 0;  // the batch to undo: AppendHistory's `undoes`
  HistoryKind kind = HistoryKind::kSave;
  std::string time;  // when that batch was written
  // One change per group, to be applied in this order: `before` is the order
  // the batch left (what the group should hold now), `after` the order to
  // restore. Recorded as they are, they make the undo's batch.
  std::vector<OrderChange> changes;
};

// The next undo, or nullopt when every batch has been undone.
std::optional<UndoStep> NextUndo(const History& history);

}  // namespace taliq

#endif  // TALIQ_ORDERS_HISTORY_UNDO_H_
