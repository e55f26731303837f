// tunavo-cli reapply: after the installation was replaced (a reinstall or
// an update), applies the orders kept in the user data folder again.
#include <string>
#include <vector>

#include "cli/tunavo_command.h"
#include "cli/tunavo_orders_report.h"
#include "cli/tunavo_session.h"
#include "orders/user_orders.h"

namespace taliq::cli {
namespace {

constexpr OptionDecl kReapplyOptions[] = {{"--dry-run", false}};

int ApplyKeptOrders(Session& session, const ParsedArgs& parsed) {
  const Streams& io = session.io();
  const bool dryRun = parsed.Has("--dry-run");
  if (!dryRun) {
    ReplacedCheck check;
    if (Status s = CheckReplaced(session.keeper(), &check); !s.ok()) {
      return session.OrdersFailure("reapply", s);
    }
    for (DictionaryId id : check.replaced) {
      io.out << "the " << DictionaryName(id)
             << " dictionary was replaced since the last save: took a new snapshot of it\n";
    }
  }
  ImportReport report;
  const Status s = Reapply(session.keeper(), dryRun, &report);
  if (s.Is(Status::Code::kNotFound)) {
    return Refused(io, "reapply: no kept orders to apply (" + s.message() + ")");
  }
  return s.ok() ? PrintImportReport(io, "reapply", report) : session.OrdersFailure("reapply", s);
}

}  // namespace

const Command kReapplyCommand = {
    "reapply",
    "[--dry-run]",
    R"(After the installed dictionaries were replaced (a reinstall or an
update), takes a new snapshot of them and applies the orders kept in the
user data folder again, as import does.
  --dry-run   print what would change and write nothing
Exit status: 0 every kept order applied, 1 one was not applied or a file
could not be read or written, 2 nothing kept, or bad arguments.
)",
    nullptr,
    {kReapplyOptions, 0, 0, "", ApplyKeptOrders},
};

}  // namespace taliq::cli
