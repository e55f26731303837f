// tunavo-cli history: the changes kept in the user data folder's history,
// newest first.
#include <cstddef>
#include <string>
#include <vector>

#include "cli/tunavo_command.h"
#include "cli/tunavo_session.h"
#include "orders/data_folder.h"
#include "orders/history.h"
#include "orders/text_codec.h"

namespace taliq::cli {
namespace {

constexpr OptionDecl kHistoryOptions[] = {{"--limit", true}};

// "甲 乙 丙" as the history file writes it.
std::string OrderText(const TextOrder& order) {
  std::string text, reason;
  if (!FormatTextOrder(order, &text, &reason)) return "(" + reason + ")";
  return text;
}

int RunHistory(const GlobalOptions& options, const std::vector<std::string>& args,
               const Streams& io) {
  ParsedArgs parsed;
  if (auto status = ParseCommand(kHistoryCommand, args, kHistoryOptions, io, &parsed)) {
    return *status;
  }
  if (!parsed.positionals.empty()) {
    return UsageError(io, "history: unexpected argument '" + parsed.positionals[0] + "'");
  }
  std::size_t limit = static_cast<std::size_t>(-1);
  if (std::optional<std::string> given = parsed.Value("--limit")) {
    const bool digits = !given->empty() && given->size() <= 9 &&
                        given->find_first_not_of("0123456789") == std::string::npos;
    if (!digits) return UsageError(io, "history: --limit needs a number, not '" + *given + "'");
    limit = std::stoul(*given);
  }
  Session session(options, io);
  std::string dataDir;
  if (!session.platform()->UserDataFolder(&dataDir)) {
    return Failure(io, "history: no user data folder: give --data-dir DIR");
  }
  History history;
  if (Status s = ReadHistory(session.platform(), dataDir, &history); !s.ok()) {
    return Failure(io, "history: " + s.message());
  }
  if (history.entries.empty()) Note(io, "no save has been kept in " + HistoryPath(dataDir));
  std::size_t shown = 0;
  for (auto it = history.entries.rbegin(); it != history.entries.rend() && shown < limit;
       ++it, ++shown) {
    const HistoryEntry& e = *it;
    io.out << e.time << '\t' << HistoryKindName(e.kind) << '\t'
           << DictionaryName(e.change.group.dictionary) << '\t'
           << OrderTableName(e.change.group.table) << '\t' << e.change.group.code << '\t'
           << OrderText(e.change.before) << "\t->\t" << OrderText(e.change.after) << '\n';
  }
  io.out.flush();
  return io.out ? kExitOk : Failure(io, "history: the output could not be written");
}

}  // namespace

const Command kHistoryCommand = {
    "history",
    "[--limit N]",
    "Prints the changes kept in the history of the user data folder, newest\n"
    "first, one per line: time, kind (save, undo, reset, import, reapply),\n"
    "dictionary, table, code, the order before, \"->\" and the order after,\n"
    "separated by tabs.\n"
    "  --limit N   print only the N newest\n"
    "Exit status: 0 printed, 1 the history could not be read, 2 bad arguments.\n",
    RunHistory,
};

}  // namespace taliq::cli
