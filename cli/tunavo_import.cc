// tunavo-cli import: applies an orders file (exported here or on another
// machine) to the installed dictionaries.
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/tunavo_command.h"
#include "cli/tunavo_orders_report.h"
#include "cli/tunavo_session.h"
#include "orders/user_orders.h"

namespace taliq::cli {
namespace {

constexpr OptionDecl kImportOptions[] = {{"--dry-run", false}};

int Import(Session& session, const ParsedArgs& parsed) {
  const std::string& source = parsed.positionals[0];
  const bool dryRun = parsed.Has("--dry-run");
  ImportReport report;
  Status s;
  if (source == "-") {
    const std::string bytes((std::istreambuf_iterator<char>(std::cin)),
                            std::istreambuf_iterator<char>());
    s = ImportOrdersText(session.keeper(), bytes, "the standard input", dryRun,
                         HistoryKind::kImport, &report);
  } else {
    s = ImportOrders(session.keeper(), source, dryRun, HistoryKind::kImport, &report);
  }
  if (!s.ok()) return session.OrdersFailure("import", s);
  return PrintImportReport(session.io(), "import", report);
}

}  // namespace

const Command kImportCommand = {
    "import",
    "[--dry-run] FILE|-",
    R"(Applies an orders file (see export; UTF-8 with or without a byte order
mark, or UTF-16LE as Notepad saves "Unicode"; - reads the standard
input). A group that holds exactly the listed texts takes their order;
one that gained or lost texts takes the listed ones it holds first, its
others after. Lines that cannot be applied are reported with their line
numbers; the others are applied, as one change that undo takes back.
  --dry-run   print what would change and write nothing
Exit status: 0 every line applied, 1 a line was not applied or a file
could not be read or written, 2 not an orders file, or bad arguments.
)",
    nullptr,
    {kImportOptions, 1, 1, "one FILE, or - for the standard input", Import},
};

}  // namespace taliq::cli
