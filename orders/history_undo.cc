#include "orders/history_undo.h"

#include <unordered_set>

namespace taliq {

std::optional<UndoStep> NextUndo(const History& history) {
  std::unordered_set<std::int64_t> undone;
  for (const HistoryEntry& e : history.entries) {
    if (e.kind == HistoryKind::kUndo) undone.insert(e.undoes);
  }
  // The batch of the last line that still counts; its lines are gathered
  // from the end, so that a group changed twice in the batch is restored to
  // its first `before`.
  std::optional<UndoStep> step;
  for (auto it = history.entries.rbegin(); it != history.entries.rend(); ++it) {
    if (it->kind == HistoryKind::kUndo || undone.count(it->batch) != 0) continue;
    if (!step) step = UndoStep{it->batch, it->kind, it->time, {}};
    if (it->batch != step->batch) continue;
    step->changes.push_back(OrderChange{it->change.group, it->change.after, it->change.before});
  }
  return step;
}

}  // namespace taliq
