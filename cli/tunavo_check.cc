// tunavo-cli check: reads both installed copies of a dictionary whole and
// reports every problem, then the codes whose groups differ between them.
// Nothing is written.
#include <ostream>
#include <string>
#include <vector>

#include "cli/tunavo_command.h"
#include "cli/tunavo_session.h"
#include "dictionary/format.h"
#include "dictionary/table_check.h"
#include "platform/text.h"

namespace taliq::cli {
namespace {

constexpr OptionDecl kCheckOptions[] = {{"--all-dictionaries", false}};

struct CheckTotals {
  int dictionaries = 0;
  int copies = 0;
  int problems = 0;
  int differing = 0;
};

// The closing line: "checked 1 dictionary, 2 copies: 0 problems, 1 code
// differs between the copies".
void PrintSummary(std::ostream& out, const CheckTotals& t) {
  out << "checked " << t.dictionaries << (t.dictionaries == 1 ? " dictionary, " : " dictionaries, ")
      << t.copies << (t.copies == 1 ? " copy: " : " copies: ") << t.problems
      << (t.problems == 1 ? " problem, " : " problems, ") << t.differing
      << (t.differing == 1 ? " code differs" : " codes differ") << " between the copies\n";
}

int RunCheck(const GlobalOptions& options, const std::vector<std::string>& args,
             const Streams& io) {
  ParsedArgs parsed;
  if (auto status = ParseCommand(kCheckCommand, args, kCheckOptions, io, &parsed)) return *status;
  if (!parsed.positionals.empty()) {
    return UsageError(io, "check: unexpected argument '" + parsed.positionals[0] + "'");
  }
  const bool all = parsed.Has("--all-dictionaries");

  Session session(options, io);
  if (int status = session.OpenFolders(); status != kExitOk) return status;
  CheckTotals totals;
  for (DictionaryId id : kAllDictionaries) {
    if (!all && id != session.dictionary()) continue;
    const std::string name(DictionaryName(id));
    CheckReport report;
    report.problem = [&](const CheckProblem& p) {
      io.out << (p.copy == 0 ? "first" : "second") << '\t' << p.file << '\t' << p.offset << '\t'
             << p.problem << '\n';
    };
    report.differs = [&](TableKind table, const std::u16string& code) {
      io.out << "differs\t" << name << '\t' << TableKindName(table) << '\t' << Utf16ToUtf8(code)
             << '\n';
    };
    const CheckCounts counts =
        CheckDictionary(session.platform(), session.DictionaryFolder(id, false),
                        session.DictionaryFolder(id, true), report);
    if (counts.notInstalled) {
      // Only a dictionary asked for by name must be there.
      if (!all) {
        io.out.flush();
        return Failure(io, "check: the " + name + " dictionary is not installed in " +
                               session.DictionaryFolder(id, false));
      }
      continue;
    }
    ++totals.dictionaries;
    totals.copies += counts.secondCopy ? 2 : 1;
    totals.problems += counts.problems;
    totals.differing += counts.differing;
  }
  PrintSummary(io.out, totals);
  io.out.flush();
  if (!io.out) return Failure(io, "cannot write the report");
  if (totals.dictionaries == 0) return Failure(io, "check: no dictionary is installed");
  return totals.problems == 0 && totals.differing == 0 ? kExitOk : kExitFailure;
}

}  // namespace

const Command kCheckCommand = {
    "check",
    "[--all-dictionaries]",
    R"(Reads both installed copies of the dictionary (--charset, --edition) whole
and prints each problem, one per line: COPY<TAB>FILE<TAB>OFFSET<TAB>PROBLEM
(COPY first or second); then each code whose groups differ between the
copies: differs<TAB>DICTIONARY<TAB>TABLE<TAB>CODE; then a summary line.
A second copy without an index is not installed and is not checked. A file
whose save was interrupted (its journal is still beside it) is a problem;
the check leaves it as it is, and the next lookup or save completes or
undoes that save.
  --all-dictionaries  check cht, cht-2002, chs and chs-2002 (those not
                      installed are skipped)
Nothing is written. Exit status: 0 the copies are sound and agree, 1
otherwise, 2 bad arguments.
)",
    RunCheck,
};

}  // namespace taliq::cli
