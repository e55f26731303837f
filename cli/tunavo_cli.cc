// tunavo-cli: the frequency tool's dictionary operations on the command line.
//
//   tunavo-cli [--program-files DIR] [--charset chs|cht]
//              [--edition standard|2002] COMMAND [ARGS...]
//
// Global options come before the command; each command parses the rest.
// Exit status: 0 done, 1 the dictionary could not be read or written,
// 2 bad arguments (nothing was done).
#include <iostream>
#include <string>
#include <vector>

#include "cli/args.h"
#include "cli/tunavo_commands.h"
#include "cli/tunavo_save_commands.h"
#include "platform/console.h"

namespace taliq::cli {
namespace {

// Every command, in the order the usage text lists them.
const Command* const kCommands[] = {
    &kListWithPunctuationCommand,
    &kMoveCommand,
    &kOrderCommand,
};

constexpr char kUnusablePath[] =
    "--program-files: the folder cannot be named as given (it is not valid text, or holds "
    "characters the system code page lacks)";

constexpr OptionDecl kGlobalOptions[] = {
    {"--program-files", true},
    {"--charset", true},
    {"--edition", true},
    {"--help", false},
    {"-h", false},
};

void WriteUsage(std::ostream& out) {
  out << "usage: " << kProgramName
      << " [--program-files DIR] [--charset chs|cht] [--edition standard|2002]\n"
      << "                  COMMAND [ARGS...]\n\n"
      << "Lists the candidates of the input method's dictionaries and saves new orders.\n\n"
      << "Global options (before the command):\n"
      << "  --program-files DIR   the Program Files folder the input method is installed\n"
#ifdef _WIN32
      << "                        below (default: the system's)\n"
#else
      << "                        below (default: the PROGRAMFILES environment variable)\n"
#endif
      << "  --charset chs|cht     simplified or traditional dictionary (default cht)\n"
      << "  --edition standard|2002\n"
      << "                        dictionary edition (default standard)\n"
      << "  -h, --help            show this help (COMMAND --help: that command's)\n\n"
      << "Commands:\n";
  for (const Command* c : kCommands) {
    out << "  " << c->name << ' ' << c->synopsis << '\n';
  }
  out << "\nExit status: 0 done, 1 the dictionary could not be read or written,\n"
      << "2 bad arguments (nothing was done).\n";
}

int Main(const std::vector<std::string>& args, Streams io) {
  ParsedArgs parsed;
  std::size_t next = 0;
  std::string error;
  if (!ParseArgs(args, 0, kGlobalOptions, ParseMode::kUntilCommand, &parsed, &next, &error)) {
    return UsageError(io.err, error);
  }
  if (parsed.Has("--help") || parsed.Has("-h")) {
    WriteUsage(io.out);
    return kExitOk;
  }

  GlobalOptions options;
  if (std::optional<std::string> v = parsed.Value("--program-files")) {
    if (v->empty()) return UsageError(io.err, "--program-files needs a folder");
    std::string narrow;
    std::u16string wide;
    if (!PathArgumentToNarrow(*v, &narrow) || !PathArgumentToUtf16(*v, &wide)) {
      return UsageError(io.err, kUnusablePath);
    }
    options.programFiles = *v;
  }
  if (std::optional<std::string> v = parsed.Value("--charset")) {
    if (*v == "chs") {
      options.charset = 0;
    } else if (*v == "cht") {
      options.charset = 1;
    } else {
      return UsageError(io.err, "--charset must be chs or cht, not '" + *v + "'");
    }
  }
  if (std::optional<std::string> v = parsed.Value("--edition")) {
    if (*v == "standard") {
      options.edition = 0;
    } else if (*v == "2002") {
      options.edition = 1;
    } else {
      return UsageError(io.err, "--edition must be standard or 2002, not '" + *v + "'");
    }
  }

  if (next >= args.size()) return UsageError(io.err, "no command given");
  const std::string& name = args[next];
  for (const Command* c : kCommands) {
    if (c->name == name) {
      const std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(next) + 1,
                                          args.end());
      return c->run(options, rest, io);
    }
  }
  return UsageError(io.err, "unknown command '" + name + "'");
}

}  // namespace
}  // namespace taliq::cli

int main(int argc, char** argv) {
  taliq::UseUtf8Console();
  const std::vector<std::string> args = taliq::Utf8Arguments(argc, argv);
  return taliq::cli::Main(args, taliq::cli::Streams{std::cout, std::cerr});
}
