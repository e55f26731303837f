#include "cli/tunavo_orders_report.h"

#include "orders/text_codec.h"

namespace taliq::cli {

std::string OrderText(const TextOrder& order) {
  std::string text, reason;
  if (!FormatTextOrder(order, &text, &reason)) return "(" + reason + ")";
  return text;
}

int PrintImportReport(const Streams& io, std::string_view command, const ImportReport& report) {
  for (const ImportLine& l : report.changed) {
    io.out << "line " << l.lineNumber << ": " << GroupName(l.change.group) << ": "
           << OrderText(l.change.before) << " -> " << OrderText(l.change.after);
    if (!l.dropped.empty()) io.out << " (no longer held: " << OrderText(l.dropped) << ")";
    io.out << '\n';
  }
  for (const MalformedOrdersLine& m : report.notApplied) {
    Note(io, std::string(command) + ": line " + std::to_string(m.lineNumber) +
                 " not applied: " + m.reason);
  }
  io.out << (report.dryRun ? "would change " : "changed ") << report.changed.size()
         << (report.changed.size() == 1 ? " group" : " groups") << ", " << report.unchanged
         << " already in that order, " << report.notApplied.size() << " not applied"
         << (report.dryRun ? " (dry run: nothing was written)" : "") << '\n';
  return report.notApplied.empty() ? kExitOk : kExitFailure;
}

}  // namespace taliq::cli
