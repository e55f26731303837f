// What both command-line tools share around their commands: the streams
// they write to under their name, the exit statuses, the reports of a usage
// error, a failure or a refusal, and the start of every run (the options
// before the command, --help and --version).
#ifndef TALIQ_CLI_FRONT_END_H_
#define TALIQ_CLI_FRONT_END_H_

#include <cstddef>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/args.h"

namespace taliq::cli {

// Exit statuses of the front ends.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // the files could not be read or written
inline constexpr int kExitUsage = 2;    // bad arguments; nothing was done

// A front end as its user meets it.
struct Program {
  std::string_view name;  // "tunavo-cli"; every message starts with "NAME: "
  // The --help text.
  void (*writeUsage)(std::ostream& out);
  // What follows a usage error's message: the whole usage text, or a
  // pointer to --help.
  enum class AfterUsageError { kUsage, kPointToHelp } afterUsageError;
};

// Where a front end writes, and as which program.
struct Streams {
  std::ostream& out;
  std::ostream& err;
  const Program& program;
};

// "NAME: message" and the usage text or "Try 'NAME --help'."; returns
// kExitUsage.
int UsageError(const Streams& io, std::string_view message);
// "NAME: message"; returns kExitFailure.
int Failure(const Streams& io, std::string_view message);
// Arguments that are well formed but do not fit what is there: nothing is
// done, as for a usage error, but the help would not help. "NAME: message";
// returns kExitUsage.
int Refused(const Streams& io, std::string_view message);
// "NAME: message" on the error stream.
void Note(const Streams& io, std::string_view message);
// Note() for each line of `lines` (none for an empty text).
void NoteEachLine(const Streams& io, std::string_view lines);

// `decls` and the options every parse accepts: --help and -h.
std::vector<OptionDecl> WithHelp(std::span<const OptionDecl> decls);
// Whether --help or -h was given.
bool AsksForHelp(const ParsedArgs& parsed);

// The start of every run: parses the options before the command, the
// program's own `decls` and the shared --help, -h and --version. Returns the
// exit status when the run ends here (a usage error reported, the usage or
// the version written), or nothing with `*parsed` filled and `*command` the
// index of the command's name (args.size() when there is none).
std::optional<int> ParseGlobalOptions(const Streams& io, const std::vector<std::string>& args,
                                      std::span<const OptionDecl> decls, ParsedArgs* parsed,
                                      std::size_t* command);

// What a front end's main() does: makes the console show UTF-8, takes the
// arguments as UTF-8 and runs `run` on the standard streams as `program`.
// Returns its exit status.
int RunMain(const Program& program, int argc, char** argv,
            int (*run)(const std::vector<std::string>& args, const Streams& io));

}  // namespace taliq::cli

#endif  // TALIQ_CLI_FRONT_END_H_
