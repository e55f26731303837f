// tunavo-cli find: every code where a text is a candidate, with its
// position among the code's candidates, read from whole tables.
#include <string>
#include <vector>

#include "cli/tunavo_command.h"
#include "cli/tunavo_session.h"
#include "dictionary/format.h"
#include "dictionary/table_find.h"
#include "platform/text.h"

namespace taliq::cli {
namespace {

// Exit status when some text was found in no dictionary searched.
constexpr int kExitNotFound = 3;

constexpr OptionDecl kFindOptions[] = {{"--all-dictionaries", false}};

int RunFind(const GlobalOptions& options, const std::vector<std::string>& args, const Streams& io) {
  ParsedArgs parsed;
  if (auto status = ParseCommand(kFindCommand, args, kFindOptions, io, &parsed)) return *status;
  if (parsed.positionals.empty()) return UsageError(io, "find: no TEXT given");
  std::vector<std::u16string> texts;
  for (const std::string& p : parsed.positionals) {
    if (p.empty()) return UsageError(io, "find: an empty TEXT is never a candidate");
    texts.push_back(Utf8ToUtf16(p));
  }
  const bool all = parsed.Has("--all-dictionaries");

  Session session(options, io);
  if (int status = session.OpenFolders(); status != kExitOk) return status;
  std::vector<FindHit> hits;
  for (DictionaryId id : kAllDictionaries) {
    if (!all && id != session.dictionary()) continue;
    const std::string folder = session.DictionaryFolder(id, false);
    if (int status = session.ResolveSaves(id); status != kExitOk) return status;
    // With --all-dictionaries, a dictionary that is not installed (no
    // index) is skipped.
    if (all && session.platform()->OpenFile(folder + kIndexFileName, "rb") == nullptr) continue;
    const Status s = FindInDictionary(session.platform(), folder, id, texts, &hits);
    if (!s.ok())
      return session.ReadFailure(
          "the " + std::string(DictionaryName(id)) + " dictionary in " + folder, s);
  }
  // The hits of each text in turn, in the order the texts were given.
  bool allFound = true;
  for (std::size_t k = 0; k < texts.size(); ++k) {
    bool found = false;
    for (const FindHit& h : hits) {
      if (h.text != k) continue;
      found = true;
      io.out << DictionaryName(h.dictionary) << '\t' << TableKindName(h.table) << '\t'
             << Utf16ToUtf8(h.code) << '\t' << h.position << '\t' << h.count << '\n';
    }
    if (!found) {
      allFound = false;
      Note(io, "find: '" + parsed.positionals[k] + "' is a candidate of no code");
    }
  }
  io.out.flush();
  if (!io.out) return Failure(io, "cannot write the hits");
  return allFound ? kExitOk : kExitNotFound;
}

}  // namespace

const Command kFindCommand = {
    "find",
    "[--all-dictionaries] TEXT...",
    R"(Prints every code where TEXT is a candidate, one line per hit:
DICTIONARY<TAB>TABLE<TAB>CODE<TAB>POSITION<TAB>COUNT, the position 1-based
among the code's COUNT candidates in the order the input method offers them.
  --all-dictionaries  search cht, cht-2002, chs and chs-2002 (those not
                      installed are skipped); without it the dictionary
                      --charset and --edition choose
Exit status: 0 every TEXT found, 3 some TEXT found nowhere, 1 a dictionary
could not be read, 2 bad arguments.
)",
    RunFind,
};

}  // namespace taliq::cli
