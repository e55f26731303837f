// tunavo-cli status: what the user data folder keeps and how the installed
// dictionaries stand against it.
#include <string>
#include <vector>

#include "cli/tunavo_command.h"
#include "cli/tunavo_session.h"
#include "orders/user_orders.h"

namespace taliq::cli {
namespace {

std::string InstallText(const InstallComparison& c) {
  switch (c.result) {
    case InstallComparison::Result::kNoRecord:
      return "no save recorded";
    case InstallComparison::Result::kUnchanged:
      return "unchanged since the last save (" + c.recordedTime + ")";
    case InstallComparison::Result::kReplaced:
      break;
  }
  std::string text = "CHANGED since the last save (" + c.recordedTime + "):";
  for (const std::string& f : c.changedFiles) text += " " + f;
  return text;
}

int ShowStatus(Session& session, const ParsedArgs& /*parsed*/) {
  const Streams& io = session.io();
  OrdersStatus st;
  if (Status s = GetOrdersStatus(session.platform(), *session.keeper().store(), session.dataDir(),
                                 kAllDictionaries, &st);
      !s.ok()) {
    return session.OrdersFailure("status", s);
  }
  io.out << "data folder: " << st.dataDir << '\n';
  for (const DictionaryStatus& d : st.dictionaries) {
    io.out << DictionaryName(d.id) << ":\n";
    if (!d.hasSnapshot) {
      io.out << "  original: no snapshot (the tools have not written into it)\n";
    } else {
      io.out << "  original: snapshot " << d.snapshotNumber << " of " << d.snapshotTime << '\n';
      if (!d.problem.empty()) io.out << "  cannot compare: " << d.problem << '\n';
      for (const TableStatus& t : d.tables) {
        if (!d.problem.empty()) break;
        io.out << "  " << OrderTableName(t.table) << ": " << t.differing
               << (t.differing == 1 ? " code differs" : " codes differ")
               << " from the original order\n";
      }
    }
    io.out << "  installation: " << InstallText(d.install) << '\n';
  }
  if (st.reapplyPending) io.out << "kept orders wait to be applied again: tunavo-cli reapply\n";
  return kExitOk;
}

}  // namespace

const Command kStatusCommand = {
    "status",
    "",
    R"(Prints the user data folder and, for each dictionary, when its original
order was kept, how many codes per table differ from it, and whether the
installed files changed since the last save (a reinstall or an update:
see reapply). Exit status: 0 printed, 1 a file could not be read.
)",
    nullptr,
    {{}, 0, 0, "", ShowStatus},
};

}  // namespace taliq::cli
