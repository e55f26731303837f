// tunavo-cli: the frequency tool's dictionary operations on the command line.
//
//   tunavo-cli [--program-files DIR] [--charset chs|cht]
//              [--edition standard|2002] COMMAND [ARGS...]
//
// Global options come before the command; each command parses the rest.
// Exit status: 0 done, 1 the dictionary could not be read or written,
// 2 bad arguments (nothing was done).
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/args.h"
#include "cli/cli_platform.h"
#include "cli/front_end.h"
#include "cli/tunavo_command.h"

namespace taliq::cli {
namespace {

// Every command, in the order the usage text lists them.
const Command* const kCommands[] = {
    &kListCommand,  &kMoveCommand, &kOrderCommand,   &kFindCommand,
    &kCheckCommand, &kSyncCommand, &kHistoryCommand, &kUndoCommand,
};

constexpr OptionDecl kGlobalOptions[] = {
    {"--program-files", true},
    {"--data-dir", true},
    {"--charset", true},
    {"--edition", true},
};

// The values --charset and --edition take, in the order the messages name
// them.
template <typename T>
using Names = std::pair<std::string_view, T>[2];
constexpr Names<Charset> kCharsetNames = {{"chs", Charset::kSimplified},
                                          {"cht", Charset::kTraditional}};
constexpr Names<Edition> kEditionNames = {{"standard", Edition::kStandard},
                                          {"2002", Edition::k2002}};

void WriteUsage(std::ostream& out) {
  out << "usage: tunavo-cli"
      << " [--program-files DIR] [--data-dir DIR] [--charset chs|cht]\n"
      << "                  [--edition standard|2002] COMMAND [ARGS...]\n\n"
      << "Lists the candidates of the input method's dictionaries and saves new orders.\n\n"
      << "Global options (before the command):\n"
      << "  --program-files DIR   the Program Files folder the input method is installed\n"
#ifdef _WIN32
      << "                        below (default: the system's)\n"
#else
      << "                        below (default: the PROGRAMFILES environment variable)\n"
#endif
      << "  --data-dir DIR        the tools' own per-user data folder (history, kept\n"
#ifdef _WIN32
      << "                        orders; default: %LOCALAPPDATA%\\Taliq\\Tunavo)\n"
#else
      << "                        orders; default: $XDG_DATA_HOME/taliq/tunavo)\n"
#endif
      << "  --charset chs|cht     simplified or traditional dictionary (default cht)\n"
      << "  --edition standard|2002\n"
      << "                        dictionary edition (default standard)\n"
      << "  -h, --help            show this help (COMMAND --help: that command's)\n"
      << "  --version             show the program's version\n\n"
      << "Commands:\n";
  for (const Command* c : kCommands) {
    out << "  " << c->name << ' ' << c->synopsis << '\n';
  }
  out << "\nExit status: 0 done, 1 the dictionary could not be read or written,\n"
      << "2 bad arguments (nothing was done).\n";
}

constexpr Program kTunavoCli = {"tunavo-cli", WriteUsage, Program::AfterUsageError::kPointToHelp};

// Sets `*value` from the option's last occurrence, if given. Returns
// kExitOk, or kExitUsage after naming the values it takes.
template <typename T>
int ParseChoice(const Streams& io, const ParsedArgs& parsed, std::string_view option,
                const Names<T>& names, T* value) {
  const std::optional<std::string> given = parsed.Value(option);
  if (!given) return kExitOk;
  for (const auto& [name, choice] : names) {
    if (*given == name) {
      *value = choice;
      return kExitOk;
    }
  }
  return UsageError(io, std::string(option) + " must be " + std::string(names[0].first) + " or " +
                            std::string(names[1].first) + ", not '" + *given + "'");
}

int Main(const std::vector<std::string>& args, const Streams& io) {
  ParsedArgs parsed;
  std::size_t next = 0;
  if (auto status = ParseGlobalOptions(io, args, kGlobalOptions, &parsed, &next)) return *status;

  GlobalOptions options;
  if (std::optional<std::string> v = parsed.Value("--program-files")) {
    if (v->empty()) return UsageError(io, "--program-files needs a folder");
    if (!FolderUsableAsGiven(*v, true)) return Refused(io, FolderNotUsable("--program-files"));
    options.programFiles = *v;
  }
  if (std::optional<std::string> v = parsed.Value("--data-dir")) {
    if (v->empty()) return UsageError(io, "--data-dir needs a folder");
    if (!FolderUsableAsGiven(*v, true)) return Refused(io, FolderNotUsable("--data-dir"));
    options.dataDir = *v;
  }
  DictionaryId& id = options.dictionary;
  if (int status = ParseChoice(io, parsed, "--charset", kCharsetNames, &id.charset);
      status != kExitOk) {
    return status;
  }
  if (int status = ParseChoice(io, parsed, "--edition", kEditionNames, &id.edition);
      status != kExitOk) {
    return status;
  }

  if (next >= args.size()) return UsageError(io, "no command given");
  const std::string& name = args[next];
  for (const Command* c : kCommands) {
    if (c->name == name) {
      const std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(next) + 1,
                                          args.end());
      return c->run(options, rest, io);
    }
  }
  return UsageError(io, "unknown command '" + name + "'");
}

}  // namespace
}  // namespace taliq::cli

int main(int argc, char** argv) {
  return taliq::cli::RunMain(taliq::cli::kTunavoCli, argc, argv, taliq::cli::Main);
}
