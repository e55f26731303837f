// The history of every change the tools made to a group's order, in
// DATA/history.tsv: one UTF-8 line per rewritten group,
//
//   TIME  DICTIONARY  TABLE  CODE  BEFORE  AFTER  KIND  BATCH  UNDOES
//
// separated by tabs: the local time (FormatLocalTime), the dictionary's
// name, the table's name, the code ("-" for punctuation), the group's
// order before and after (text_codec.h), what made the change (save, undo,
// reset, import, reapply), the number of the batch (all lines written by
// one change of the user share it; it counts up through the file) and, for
// an undo, the batch it undid ("-" otherwise). docs/user-data.md has the
// details.
#ifndef TALIQ_ORDERS_HISTORY_H_
#define TALIQ_ORDERS_HISTORY_H_

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "orders/local_time.h"
#include "orders/order_group.h"
#include "platform/platform.h"
#include "platform/status.h"

namespace taliq {

inline constexpr char kHistoryFileName[] = "history.tsv";

enum class HistoryKind { kSave, kUndo, kReset, kImport, kReapply };

// "save", "undo", "reset", "import", "reapply".
std::string_view HistoryKindName(HistoryKind kind);
std::optional<HistoryKind> ParseHistoryKindName(std::string_view name);

// One group's order changed from `before` to `after`.
struct OrderChange {
  GroupKey group;
  TextOrder before;
  TextOrder after;

  friend bool operator==(const OrderChange&, const OrderChange&) = default;
};

struct HistoryEntry {
  std::string time;
  OrderChange change;
  HistoryKind kind = HistoryKind::kSave;
  std::int64_t batch = 0;
  std::int64_t undoes = 0;  // the batch an undo undid; 0 for other kinds
};

struct History {
  std::vector<HistoryEntry> entries;  // in the file's order
  // Physical line numbers (1-based) of the lines skipped as malformed.
  std::vector<int> malformedLines;
  // The last line was cut short (no line break, or unreadable): ignored.
  bool tornLastLine = false;
  // The highest batch number in the file, 0 when there is none.
  std::int64_t lastBatch = 0;
};

// DATA/history.tsv.
std::string HistoryPath(const std::string& dataDir);

// One line with its line break. False, with `reason` set, when an order
// cannot be written (empty order, empty text, unpaired surrogate) or the
// code does not fit the table.
bool FormatHistoryLine(const HistoryEntry& entry, std::string* line, std::string* reason);

// Parses the file's bytes.
void ParseHistory(std::string_view bytes, History* history);

// Reads DATA/history.tsv piece by piece; a missing file is an empty
// history.
Status ReadHistory(Platform* platform, const std::string& dataDir, History* history);

// Appends one batch: a line per change, all with the time from `clock`,
// `kind` and the next batch number (one above the highest in the file),
// written in one write and synced to the disk before returning. `undoes` is
// the batch an undo undid (required for kUndo, ignored otherwise). Writes
// nothing when a change cannot be written (kRefused) or there is none.
// `batch` (optional) receives the number used.
Status AppendHistory(Platform* platform, const std::string& dataDir, HistoryKind kind,
                     std::span<const OrderChange> changes, const Clock& clock,
                     std::int64_t undoes = 0, std::int64_t* batch = nullptr);

}  // namespace taliq

#endif  // TALIQ_ORDERS_HISTORY_H_
