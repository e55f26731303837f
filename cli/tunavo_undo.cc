// tunavo-cli undo: every group of the most recent save not yet undone goes
// back to its order from before that save, in both installed copies.
#include <string>
#include <vector>

#include "cli/tunavo_command.h"
#include "cli/tunavo_session.h"
#include "orders/history_undo.h"
#include "orders/order_keeper.h"

namespace taliq::cli {
namespace {

int RunUndo(const GlobalOptions& options, const std::vector<std::string>& args, const Streams& io) {
  ParsedArgs parsed;
  if (auto status = ParseCommandOptions(kUndoCommand, args, {}, io, &parsed)) return *status;
  Session session(options, io);
  if (int status = session.OpenStore(); status != kExitOk) return status;
  UndoStep step;
  const Status s = session.keeper().Undo(&step);
  if (s.Is(Status::Code::kRefused)) return Refused(io, "undo: " + s.message());
  if (!s.ok()) return Failure(io, "undo: " + s.message() + "; nothing more was undone");
  io.out << "undid the " << HistoryKindName(step.kind) << " of " << step.time << ":";
  for (const OrderChange& c : step.changes) {
    io.out << ' ' << DictionaryName(c.group.dictionary) << ' ' << OrderTableName(c.group.table)
           << ' ' << c.group.code << (&c == &step.changes.back() ? "" : ",");
  }
  io.out << '\n';
  return session.EndOutput("undo");
}

}  // namespace

const Command kUndoCommand = {
    "undo",
    "",
    R"(Restores the orders from before the most recent save (or reset, import,
reapply) that has not been undone, in both installed copies (the
punctuation table: the first copy); undoing again walks further back.
Refused when a group's entries changed since that save (a reinstall).
Exit status: 0 undone, 1 a file could not be read or written, 2 nothing
to undo, refused, or bad arguments.
)",
    RunUndo,
};

}  // namespace taliq::cli
