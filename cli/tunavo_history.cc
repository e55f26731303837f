// tunavo-cli history: the changes kept in the user data folder's history,
// newest first.
#include <cstddef>
#include <string>
#include <vector>

#include "cli/tunavo_command.h"
#include "cli/tunavo_orders_report.h"
#include "cli/tunavo_session.h"
#include "orders/data_folder.h"
#include "orders/history.h"
#include "orders/text_codec.h"

namespace taliq::cli {
namespace {

constexpr OptionDecl kHistoryOptions[] = {{"--limit", true}};

int RunHistory(const GlobalOptions& options, const std::vector<std::string>& args,
               const Streams& io) {
  ParsedArgs parsed;
  if (auto status = ParseCommandOptions(kHistoryCommand, args, kHistoryOptions, io, &parsed)) {
    return *status;
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
  return session.EndOutput("history");
}

}  // namespace

const Command kHistoryCommand = {
    "history",
    "[--limit N]",
    R"(Prints the changes kept in the history of the user data folder, newest
first, one per line: time, kind (save, undo, reset, import, reapply),
dictionary, table, code, the order before, "->" and the order after,
separated by tabs.
  --limit N   print only the N newest
Exit status: 0 printed, 1 the history could not be read, 2 bad arguments.
)",
    RunHistory,
};

}  // namespace taliq::cli
