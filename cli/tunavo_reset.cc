// tunavo-cli reset: puts a code, the punctuation table or every code of the
// dictionary back in its original order (the order the tools kept before
// they first wrote into it).
#include <string>
#include <vector>

#include "cli/tunavo_command.h"
#include "cli/tunavo_orders_report.h"
#include "cli/tunavo_session.h"
#include "orders/user_orders.h"

namespace taliq::cli {
namespace {

constexpr OptionDecl kResetOptions[] = {
    {"--phrases", false}, {"--punctuation", false}, {"--all", false}};

int RunReset(const GlobalOptions& options, const std::vector<std::string>& args,
             const Streams& io) {
  ParsedArgs parsed;
  if (auto status = ParseCommand(kResetCommand, args, kResetOptions, io, &parsed)) return *status;
  const bool all = parsed.Has("--all");
  const bool punctuation = parsed.Has("--punctuation");
  const bool phrases = parsed.Has("--phrases");
  const std::size_t codes = parsed.positionals.size();
  if (all + punctuation + (codes > 0) != 1 || codes > 1 || (phrases && codes == 0)) {
    return UsageError(io, "reset: give one of [--phrases] CODE, --punctuation, --all");
  }
  if (codes == 1) {
    if (int status = CheckInputCode(io, "reset", parsed.positionals[0]); status != kExitOk) {
      return status;
    }
    if (!phrases && parsed.positionals[0].size() > 4) {
      return UsageError(io, "reset: a character code has one to four digits");
    }
  }
  Session session(options, io);
  std::string dataDir;
  if (int status = session.OpenOrders("reset", &dataDir); status != kExitOk) return status;
  const DictionaryId id = session.dictionary();
  ResetReport report;
  Status s;
  if (all) {
    s = ResetDictionary(session.keeper(), id, &report);
  } else {
    GroupKey group{id, OrderTable::kPunctuation, std::string(kPunctuationCode)};
    if (!punctuation) {
      group.table = phrases ? OrderTable::kPhrases : OrderTable::kCharacters;
      group.code = parsed.positionals[0];
    }
    s = ResetGroup(session.keeper(), group, &report);
    if (s.Is(Status::Code::kNotFound) && s.message().find(GroupName(group)) == 0) {
      return Refused(io, "reset: " + GroupName(group) + " has no candidates");
    }
  }
  if (!s.ok()) return session.OrdersFailure("reset", s);
  for (const OrderChange& c : report.changes) {
    io.out << GroupName(c.group) << ": " << OrderText(c.before) << " -> " << OrderText(c.after)
           << '\n';
  }
  if (report.changes.empty()) {
    io.out << "nothing to reset: already in the original order\n";
  } else {
    io.out << "reset " << report.changes.size()
           << (report.changes.size() == 1 ? " group" : " groups") << " to the original order\n";
  }
  return session.EndOutput("reset");
}

}  // namespace

const Command kResetCommand = {
    "reset",
    "[--phrases] CODE | --punctuation | --all",
    "Puts the candidates of CODE (characters, or phrases with --phrases), the\n"
    "punctuation table, or every code of the dictionary whose order differs\n"
    "(--all) back in their original order: the order kept in the user data\n"
    "folder before the tools first wrote into the dictionary. Written group by\n"
    "group into both installed copies (punctuation: the first copy) and kept\n"
    "in the history, so that undo takes it back.\n"
    "Exit status: 0 done (also when nothing differed), 1 a file could not be\n"
    "read or written, 2 bad arguments or a code without candidates.\n",
    RunReset,
};

}  // namespace taliq::cli
