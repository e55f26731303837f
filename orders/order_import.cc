// Import: every good line of an orders file applied to its group by the
// merge rule, as one batch; the lines that cannot be applied reported by
// line number.
#include <algorithm>
#include <memory>
#include <optional>

#include "orders/group_order.h"
#include "orders/merge.h"
#include "orders/user_orders.h"

namespace taliq {
namespace {

// Works out each line's change against the installed groups, then writes
// them (unless `dryRun`).
Status ApplyLines(OrderKeeper& keeper, std::vector<OrdersLine> lines, bool dryRun, HistoryKind kind,
                  ImportReport* report) {
  // One dictionary after the other: each switch reloads an index.
  std::stable_sort(lines.begin(), lines.end(), [](const OrdersLine& a, const OrdersLine& b) {
    return DictionaryName(a.group.dictionary) < DictionaryName(b.group.dictionary);
  });
  auto list = std::make_unique<CandidateList>();
  std::optional<DictionaryId> loaded;
  Status installed;
  for (OrdersLine& line : lines) {
    if (loaded != line.group.dictionary) {
      loaded = line.group.dictionary;
      installed = SelectAndReload(keeper.store(), *loaded);
      if (!installed.ok() && !installed.Is(Status::Code::kNotFound)) return installed;
    }
    if (!installed.ok()) {
      report->notApplied.push_back({line.lineNumber, "the " + std::string(DictionaryName(*loaded)) +
                                                         " dictionary is not installed (" +
                                                         installed.message() + ")"});
      continue;
    }
    int count = 0;
    TextOrder current;
    const Status s = ReadGroupOrder(keeper.store(), line.group, *list, &count, &current);
    if (s.Is(Status::Code::kNotFound) && s.message().find(GroupName(line.group)) == 0) {
      report->notApplied.push_back(
          {line.lineNumber, GroupName(line.group) + ": the dictionary has no such code"});
      continue;
    }
    if (!s.ok()) return s;
    MergedOrder merged = MergeOrder(line.order, current);
    if (merged.order == current) {
      ++report->unchanged;
      continue;
    }
    report->changed.push_back(ImportLine{
        line.lineNumber, OrderChange{line.group, std::move(current), std::move(merged.order)},
        std::move(merged.dropped)});
  }
  std::sort(report->notApplied.begin(), report->notApplied.end(),
            [](const auto& a, const auto& b) { return a.lineNumber < b.lineNumber; });
  if (dryRun || report->changed.empty()) return Status::Ok();
  std::vector<OrderChange> changes;
  changes.reserve(report->changed.size());
  for (const ImportLine& l : report->changed) changes.push_back(l.change);
  return keeper.Apply(kind, changes);
}

}  // namespace

Status ImportOrders(OrderKeeper& keeper, const std::string& path, bool dryRun, HistoryKind kind,
                    ImportReport* report) {
  *report = ImportReport{};
  report->dryRun = dryRun;
  std::vector<OrdersLine> lines;
  if (Status s = ReadOrdersFile(
          keeper.platform(), path, [&](OrdersLine&& l) { lines.push_back(std::move(l)); },
          &report->notApplied);
      !s.ok()) {
    return s;
  }
  return ApplyLines(keeper, std::move(lines), dryRun, kind, report);
}

Status ImportOrdersText(OrderKeeper& keeper, std::string_view bytes, const std::string& name,
                        bool dryRun, HistoryKind kind, ImportReport* report) {
  *report = ImportReport{};
  report->dryRun = dryRun;
  std::vector<OrdersLine> lines;
  OrdersReader reader(name, [&](OrdersLine&& l) { lines.push_back(std::move(l)); });
  reader.Feed(bytes);
  if (Status s = reader.Finish(); !s.ok()) return s;
  report->notApplied = reader.malformed();
  return ApplyLines(keeper, std::move(lines), dryRun, kind, report);
}

}  // namespace taliq
