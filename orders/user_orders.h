// What a user can do with the orders kept in the data folder, beside the
// history and undo of OrderKeeper: put codes back in their original order,
// carry the orders to another machine (export, import) and apply them again
// after the installation was replaced. The front ends (tunavo-cli,
// Tunavo.exe's system menu) call these and show the outcome.
//
// "Original" is the dictionary's current snapshot (snapshot.h). A
// dictionary without a snapshot was never written by the tools: none of its
// codes differs from the original.
//
// Every write goes through OrderKeeper::Apply: group by group through the
// store's checked write-back (characters and phrases: both copies;
// punctuation: the first copy), one history batch per call, and the
// automatic export DATA/orders.tsv rewritten afterwards.
#ifndef TALIQ_ORDERS_USER_ORDERS_H_
#define TALIQ_ORDERS_USER_ORDERS_H_

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "dictionary/dictionary_id.h"
#include "orders/history.h"
#include "orders/install_state.h"
#include "orders/order_keeper.h"
#include "orders/orders_file.h"

namespace taliq {

// The automatic export of every dictionary's orders, rewritten after every
// save: DATA/orders.tsv.
inline constexpr char kAutomaticExportFileName[] = "orders.tsv";
// The largest automatic export read back into memory.
inline constexpr std::size_t kMaxOrdersFileSize = 256u * 1024 * 1024;
// The automatic export as it was when the installation was found replaced,
// waiting for a re-apply: DATA/orders-to-reapply.tsv.
inline constexpr char kPendingReapplyFileName[] = "orders-to-reapply.tsv";

// ---- reset to the original order ----------------------------------------

// What a reset wrote: one change per group (none when everything already
// was in its original order).
struct ResetReport {
  std::vector<OrderChange> changes;
};

// Puts one group back in its snapshot's order (the characters or phrases
// of `group.code`, or the punctuation table). When the group gained or lost
// texts since the snapshot, the merge rule of merge.h applies. kNotFound
// when the code has no candidates now; Ok with no change when the
// dictionary has no snapshot or the group is already in its original
// order.
Status ResetGroup(OrderKeeper& keeper, const GroupKey& group, ResetReport* report);

// Puts every group of `id` (characters, phrases, punctuation) whose order
// differs from the snapshot back in its original order, as one batch.
Status ResetDictionary(OrderKeeper& keeper, DictionaryId id, ResetReport* report);

// ---- export -------------------------------------------------------------

struct ExportReport {
  int groups = 0;  // lines written
  // Groups that cannot be written as a line (a text listed twice, a text
  // that is not valid): left out, each with why.
  std::vector<std::string> leftOut;
};

// Writes the orders file (orders_file.h) to `sink`: for every dictionary
// of `ids`, every group whose current order differs from the snapshot,
// with its complete current order. Reads the tables group by group in
// step with the snapshot's, whatever their size, in bounded memory.
Status ExportOrders(Platform* platform, const DictionaryStore& store, const std::string& dataDir,
                    std::span<const DictionaryId> ids, const OrdersSink& sink,
                    ExportReport* report);

// Rewrites DATA/orders.tsv (all four dictionaries) in one atomic replace.
// A dictionary with a snapshot whose installed files are gone (uninstalled)
// keeps the lines the file had for it, for when it is installed again.
Status WriteAutomaticExport(Platform* platform, const DictionaryStore& store,
                            const std::string& dataDir);

// ---- import and re-apply --------------------------------------------------

struct ImportLine {
  int lineNumber = 0;  // physical, 1-based (the header is line 1)
  OrderChange change;  // before: the group now; after: the order written
  TextOrder dropped;   // listed texts the group no longer holds
};

struct ImportReport {
  std::vector<ImportLine> changed;  // lines that change a group
  int unchanged = 0;                // lines whose group already has the order
  // Lines not applied: malformed, or a code without candidates now. Each
  // names its line number.
  std::vector<MalformedOrdersLine> notApplied;
  bool dryRun = false;
};

// Reads the orders file at `path` ("-" is not handled here: see
// ImportOrdersText) and applies every good line by the merge rule as one
// batch of `kind` (kImport or kReapply). With `dryRun` nothing is written
// and `report` says what would change. kRefused when the file is not an
// orders file (nothing applied); Ok otherwise, also when some lines were
// not applied (see report->notApplied).
Status ImportOrders(OrderKeeper& keeper, const std::string& path, bool dryRun, HistoryKind kind,
                    ImportReport* report);
// The same for a file's bytes already read (standard input).
Status ImportOrdersText(OrderKeeper& keeper, std::string_view bytes, const std::string& name,
                        bool dryRun, HistoryKind kind, ImportReport* report);

// ---- status and a replaced installation ---------------------------------

struct TableStatus {
  OrderTable table = OrderTable::kCharacters;
  int differing = 0;  // groups whose order differs from the snapshot
};

struct DictionaryStatus {
  DictionaryId id;
  bool hasSnapshot = false;
  std::string snapshotTime;  // when the current snapshot was taken
  int snapshotNumber = 0;
  std::vector<TableStatus> tables;  // characters, phrases, punctuation
  InstallComparison install;        // the installed files against the last save
  // Why the dictionary could not be compared (not installed, unreadable);
  // empty when it was.
  std::string problem;
};

struct OrdersStatus {
  std::string dataDir;
  std::vector<DictionaryStatus> dictionaries;
  bool reapplyPending = false;  // DATA/orders-to-reapply.tsv exists
};

// Reads, writes nothing.
Status GetOrdersStatus(Platform* platform, const DictionaryStore& store, const std::string& dataDir,
                       std::span<const DictionaryId> ids, OrdersStatus* status);

struct ReplacedCheck {
  // Dictionaries found replaced by this call (a new snapshot was taken).
  std::vector<DictionaryId> replaced;
  // A re-apply waits (found now or earlier, not applied yet).
  bool reapplyPending = false;
};

// For each dictionary whose installed files differ from what the last save
// left: takes a new snapshot (the old ones stay), records the installed
// files, and keeps the automatic export as DATA/orders-to-reapply.tsv for
// Reapply. Applies nothing. Front ends call it at start and offer Reapply
// when `reapplyPending`.
Status CheckReplaced(OrderKeeper& keeper, ReplacedCheck* check);

// CheckReplaced for one dictionary; `replaced` (optional) says whether it
// was found replaced now. OrderKeeper runs it before every write, so that
// a save after a reinstall does not drop the kept orders from the automatic
// export.
Status CheckReplacedDictionary(OrderKeeper& keeper, DictionaryId id, bool* replaced = nullptr);

// Imports DATA/orders-to-reapply.tsv (or, when none waits, DATA/orders.tsv)
// as a batch of kind kReapply. After a real run that applied every line
// the waiting file is removed. kNotFound when there is nothing to apply.
Status Reapply(OrderKeeper& keeper, bool dryRun, ImportReport* report);

}  // namespace taliq

#endif  // TALIQ_ORDERS_USER_ORDERS_H_
