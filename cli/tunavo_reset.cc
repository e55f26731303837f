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
constexpr char kResetArguments[] = "one of [--phrases] CODE, --punctuation, --all";

// The group `parsed` names, or kExitUsage after saying what is wrong.
int ResetTarget(const ParsedArgs& parsed, const Streams& io, DictionaryId id, GroupKey* group) {
  const bool phrases = parsed.Has("--phrases");
  const bool punctuation = parsed.Has("--punctuation");
  const std::size_t codes = parsed.positionals.size();
  if (parsed.Has("--all") + punctuation + codes != 1 || (phrases && codes == 0)) {
    return UsageError(io, std::string("reset: give ") + kResetArguments);
  }
  *group = GroupKey{id, OrderTable::kPunctuation, std::string(kPunctuationCode)};
  if (punctuation) return kExitOk;
  group->table = phrases ? OrderTable::kPhrases : OrderTable::kCharacters;
  group->code = parsed.positionals[0];
  if (int status = CheckInputCode(io, "reset", group->code); status != kExitOk) return status;
  if (!phrases && group->code.size() > 4) {
    return UsageError(io, "reset: a character code has one to four digits");
  }
  return kExitOk;
}

int Reset(Session& session, const ParsedArgs& parsed) {
  const Streams& io = session.io();
  const DictionaryId id = session.dictionary();
  ResetReport report;
  Status s;
  if (parsed.Has("--all") && parsed.positionals.empty() && !parsed.Has("--punctuation")) {
    s = ResetDictionary(session.keeper(), id, &report);
  } else {
    GroupKey group;
    if (int status = ResetTarget(parsed, io, id, &group); status != kExitOk) return status;
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
  const std::size_t n = report.changes.size();
  if (n == 0) io.out << "nothing to reset: already in the original order\n";
  if (n > 0)
    io.out << "reset " << n << (n == 1 ? " group" : " groups") << " to the original order\n";
  return kExitOk;
}

}  // namespace

const Command kResetCommand = {
    "reset",
    "[--phrases] CODE | --punctuation | --all",
    R"(Puts the candidates of CODE (characters, or phrases with --phrases), the
punctuation table, or every code of the dictionary whose order differs
(--all) back in their original order: the order kept in the user data
folder before the tools first wrote into the dictionary. Written group by
group into both installed copies (punctuation: the first copy) and kept
in the history, so that undo takes it back.
Exit status: 0 done (also when nothing differed), 1 a file could not be
read or written, 2 bad arguments or a code without candidates.
)",
    nullptr,
    {kResetOptions, 0, 1, kResetArguments, Reset},
};

}  // namespace taliq::cli
