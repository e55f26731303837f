// Export: the groups whose order differs from the snapshot, as an orders
// file; and the automatic export kept in the data folder.
#include <string>
#include <string_view>

#include "orders/data_folder.h"
#include "orders/durable_file.h"
#include "orders/snapshot.h"
#include "orders/table_diff.h"
#include "orders/text_lines.h"
#include "orders/user_orders.h"

namespace taliq {

namespace {

Status WriteExportHeader(const OrdersSink& sink) {
  const std::string comments[] = {
      "DICTIONARY<TAB>TABLE<TAB>CODE<TAB>TEXTS: each group's order where it differs from the "
      "original"};
  return WriteOrdersHeader(sink, comments);
}

// One dictionary's lines. kNotFound when it has a snapshot but its
// installed files cannot be found.
Status ExportDictionary(Platform* platform, const DictionaryStore& store,
                        const std::string& dataDir, DictionaryId id, const OrdersSink& sink,
                        ExportReport* report) {
  Snapshot snapshot;
  const Status found = CurrentSnapshot(platform, dataDir, id, &snapshot);
  if (found.Is(Status::Code::kNotFound)) return Status::Ok();  // never written: nothing differs
  if (!found.ok()) return found;
  return DiffDictionary(platform, snapshot.folder, store.ResolveDictionaryFolder(id, false),
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
}

// The lines of `id` in an orders file's text.
std::string LinesOf(std::string_view text, DictionaryId id) {
  const std::string prefix = std::string(DictionaryName(id)) + "\t";
  std::string lines;
  const auto keep = [&](std::string_view line) {
    if (line.starts_with(prefix)) {
      lines += line;
      lines += '\n';
    }
  };
  std::string partial;
  SplitAtLineFeeds(text, &partial, keep);
  keep(partial);  // a last line without its line end
  return lines;
}

}  // namespace

Status ExportOrders(Platform* platform, const DictionaryStore& store, const std::string& dataDir,
                    std::span<const DictionaryId> ids, const OrdersSink& sink,
                    ExportReport* report) {
  *report = ExportReport{};
  if (Status s = WriteExportHeader(sink); !s.ok()) return s;
  for (DictionaryId id : ids) {
    if (Status s = ExportDictionary(platform, store, dataDir, id, sink, report); !s.ok()) return s;
  }
  return Status::Ok();
}

Status WriteAutomaticExport(Platform* platform, const DictionaryStore& store,
                            const std::string& dataDir) {
  const std::string path = JoinPath(dataDir, kAutomaticExportFileName);
  std::string text;
  const OrdersSink sink = [&](std::string_view piece) {
    text += piece;
    return Status::Ok();
  };
  if (Status s = WriteExportHeader(sink); !s.ok()) return s;
  std::string previous;
  bool previousRead = false;
  for (DictionaryId id : kAllDictionaries) {
    const std::size_t start = text.size();
    ExportReport report;
    const Status s = ExportDictionary(platform, store, dataDir, id, sink, &report);
    if (!s.Is(Status::Code::kNotFound)) {
      if (!s.ok()) return s;
      continue;
    }
    // Uninstalled since it was last written: its orders stay as the last
    // export had them, for when it is installed again.
    text.resize(start);
    if (!previousRead) {
      const Status r = ReadSmallFile(platform, path, kMaxOrdersFileSize, &previous);
      if (!r.ok() && !r.Is(Status::Code::kNotFound)) return r;
      previousRead = true;
    }
    text += LinesOf(previous, id);
  }
  return WriteFileAtomically(platform, path, text);
}

}  // namespace taliq
