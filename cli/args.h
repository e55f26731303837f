// A small command-line parser for the front ends: long options with or
// without a value ("--name VALUE" or "--name=VALUE"), flags, and plain
// arguments. Global options come before a subcommand; a subcommand's own
// options may come before or after its arguments.
#ifndef TALIQ_CLI_ARGS_H_
#define TALIQ_CLI_ARGS_H_

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace taliq::cli {

struct OptionDecl {
  std::string_view name;  // as typed: "--charset", "-h"
  bool takesValue = false;
};

struct ParsedArgs {
  // Options in the order given: name and value (empty for a flag).
  std::vector<std::pair<std::string, std::string>> options;
  std::vector<std::string> positionals;

  bool Has(std::string_view name) const;
  // The value of the last occurrence of the option.
  std::optional<std::string> Value(std::string_view name) const;
};

enum class ParseMode {
  // Stops at the first argument that is not an option: the subcommand.
  kUntilCommand,
  // Options and plain arguments in any order; "--" ends the options.
  kMixed,
};

// Parses args[begin...]. On success returns true and sets *next to the
// index of the first argument left unparsed (args.size() in kMixed mode).
// Returns false with a message in *error for an unknown option, an option
// without its value, or a value given to a flag.
bool ParseArgs(const std::vector<std::string>& args, std::size_t begin,
               std::span<const OptionDecl> decls, ParseMode mode, ParsedArgs* out,
               std::size_t* next, std::string* error);

}  // namespace taliq::cli

#endif  // TALIQ_CLI_ARGS_H_
