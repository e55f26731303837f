// Export: the groups whose order differs from the snapshot, as an orders
// file; and the automatic export kept in the data folder.
#include <string>

#include "orders/data_folder.h"
#include "orders/durable_file.h"
#include "orders/snapshot.h"
#include "orders/table_diff.h"
#include "orders/user_orders.h"

namespace taliq {

Status ExportOrders(Platform* platform, const DictionaryStore& store, const std::string& dataDir,
                    std::span<const DictionaryId> ids, const OrdersSink& sink,
                    ExportReport* report) {
  *report = ExportReport{};
  const std::string comments[] = {
      "DICTIONARY<TAB>TABLE<TAB>CODE<TAB>TEXTS: each group's order where it differs from the "
      "original"};
  if (Status s = WriteOrdersHeader(sink, comments); !s.ok()) return s;
  for (DictionaryId id : ids) {
    Snapshot snapshot;
    const Status found = CurrentSnapshot(platform, dataDir, id, &snapshot);
    if (found.Is(Status::Code::kNotFound)) continue;  // never written: nothing differs
    if (!found.ok()) return found;
    const Status s =
        DiffDictionary(platform, snapshot.folder, store.ResolveDictionaryFolder(id, false),
                       [&](const GroupDifference& d) {
                         const GroupKey group{id, d.table, d.code};
                         Status written = WriteOrdersLine(sink, group, d.current);
                         if (written.Is(Status::Code::kRefused)) {
                           report->leftOut.push_back(written.message());
                           return Status::Ok();
                         }
                         if (written.ok()) ++report->groups;
                         return written;
                       });
    if (!s.ok()) return s;
  }
  return Status::Ok();
}

Status WriteAutomaticExport(Platform* platform, const DictionaryStore& store,
                            const std::string& dataDir) {
  std::string text;
  ExportReport report;
  const Status s = ExportOrders(
      platform, store, dataDir, kAllDictionaries,
      [&](std::string_view piece) {
        text += piece;
        return Status::Ok();
      },
      &report);
  if (!s.ok()) return s;
  return WriteFileAtomically(platform, JoinPath(dataDir, kAutomaticExportFileName), text);
}

}  // namespace taliq
