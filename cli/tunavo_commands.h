// The pieces tunavo-cli's subcommands share: global options, the
// dictionary session, error reporting and the command table. Each
// subcommand lives in its own tunavo_<name>.cc and is listed in
// tunavo_cli.cc.
#ifndef TALIQ_CLI_TUNAVO_COMMANDS_H_
#define TALIQ_CLI_TUNAVO_COMMANDS_H_

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/args.h"
#include "cli/cli_platform.h"
#include "dictionary/dictionary_store.h"

namespace taliq::cli {

inline constexpr char kProgramName[] = "tunavo-cli";

// Options that come before the subcommand.
struct GlobalOptions {
  std::optional<std::string> programFiles;  // --program-files
  int charset = 1;                          // --charset: 0 chs, 1 cht (the dialog's start)
  int edition = 0;                          // --edition: 0 standard, 1 the 2002 edition
};

struct Streams {
  std::ostream& out;
  std::ostream& err;
};

// "tunavo-cli: <message>" and a pointer to --help; returns kExitUsage.
int UsageError(std::ostream& err, std::string_view message);
// "tunavo-cli: <message>"; returns kExitFailure.
int Failure(std::ostream& err, std::string_view message);

// Whether the text is an input code: one to six digits 0 to 9.
bool IsInputCode(std::string_view code);

// The store of the chosen character set and edition, for one command.
class DictionarySession {
 public:
  explicit DictionarySession(const GlobalOptions& options);

  // Creates the store and loads the chosen dictionary's index. Returns
  // kExitOk, or after writing the reason to `err`: kExitUsage when no
  // Program Files folder is known, kExitFailure when the index cannot be
  // loaded (the store's own message first).
  int Open(std::ostream& err);

  DictionaryStore& store() { return *store_; }
  CliPlatform& platform() { return platform_; }
  // The chosen dictionary's folder in the first installed copy.
  std::string Folder();
  // Whether a file of that folder can be opened for reading.
  bool CanRead(std::string_view fileName);

 private:
  const GlobalOptions options_;
  CliPlatform platform_;
  std::unique_ptr<DictionaryStore> store_;
};

// A subcommand; `args` are the arguments after its name.
struct Command {
  std::string_view name;
  std::string_view synopsis;     // its arguments, for the usage text
  std::string_view description;  // indented lines for the usage text
  int (*run)(const GlobalOptions& options, const std::vector<std::string>& args, Streams io);
};

int RunList(const GlobalOptions& options, const std::vector<std::string>& args, Streams io);
extern const Command kListCommand;

// Writes "usage: tunavo-cli ... <name> <synopsis>" and the description.
void WriteCommandUsage(std::ostream& out, const Command& command);

}  // namespace taliq::cli

#endif  // TALIQ_CLI_TUNAVO_COMMANDS_H_
