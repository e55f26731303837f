// What tunavo-cli's commands share: the global options and the command
// table's entry. Each command lives in its own tunavo_<name>.cc and is
// listed in tunavo_cli.cc.
#ifndef TALIQ_CLI_TUNAVO_COMMAND_H_
#define TALIQ_CLI_TUNAVO_COMMAND_H_

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/front_end.h"
#include "dictionary/dictionary_id.h"

namespace taliq::cli {

// Options that come before the command.
struct GlobalOptions {
  std::optional<std::string> programFiles;  // --program-files
  std::optional<std::string> dataDir;       // --data-dir
  // --charset and --edition; the dialog starts on the traditional standard one.
  DictionaryId dictionary = {Charset::kTraditional, Edition::kStandard};
};

// A command; `args` are the arguments after its name.
struct Command {
  std::string_view name;
  std::string_view synopsis;     // its arguments, for the usage text
  std::string_view description;  // indented lines for the usage text
  int (*run)(const GlobalOptions& options, const std::vector<std::string>& args, const Streams& io);
};

// list [--phrases] [--values] CODE
// list --punctuation
extern const Command kListCommand;
// move [--phrases] CODE TEXT --top|--up|--down|--bottom
// move --punctuation MARK --top|--up|--down|--bottom
extern const Command kMoveCommand;
// order [--phrases] CODE TEXT...
// order --punctuation MARK...
extern const Command kOrderCommand;
// find [--all-dictionaries] TEXT...
extern const Command kFindCommand;
// check [--all-dictionaries]
extern const Command kCheckCommand;
// sync-copies
extern const Command kSyncCommand;
// history [--limit N]
extern const Command kHistoryCommand;
// undo
extern const Command kUndoCommand;

// Writes "usage: tunavo-cli [GLOBAL OPTIONS] <name> <synopsis>" and the
// description.
void WriteCommandUsage(const Streams& io, const Command& command);

// Parses a command's options (`decls`, --help and -h) and arguments, in any
// order. Returns false after reporting a usage error (`context` before the
// parser's message).
bool ParseArguments(const std::vector<std::string>& args, std::span<const OptionDecl> decls,
                    const Streams& io, ParsedArgs* parsed, std::string_view context = "");
// The same, and the command's usage written for --help. Returns the exit
// status when the run ends here, else nothing.
std::optional<int> ParseCommand(const Command& command, const std::vector<std::string>& args,
                                std::span<const OptionDecl> decls, const Streams& io,
                                ParsedArgs* parsed);

// kExitOk when `code` is an input code (one to six digits 0 to 9), else
// kExitUsage after saying so for `command` ("list").
int CheckInputCode(const Streams& io, std::string_view command, const std::string& code);

}  // namespace taliq::cli

#endif  // TALIQ_CLI_TUNAVO_COMMAND_H_
