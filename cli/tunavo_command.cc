#include "cli/tunavo_command.h"

namespace taliq::cli {
namespace {

// Whether the text is an input code: one to six digits 0 to 9.
bool IsInputCode(std::string_view code) {
  if (code.empty() || code.size() > 6) return false;
  for (char c : code) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

void WriteCommandUsage(const Streams& io, const Command& command) {
  io.out << "usage: " << io.program.name << " [GLOBAL OPTIONS] " << command.name << ' '
         << command.synopsis << "\n\n"
         << command.description;
}

bool ParseArguments(const std::vector<std::string>& args, std::span<const OptionDecl> decls,
                    const Streams& io, ParsedArgs* parsed, std::string_view context) {
  std::size_t next = 0;
  std::string error;
  if (ParseArgs(args, 0, WithHelp(decls), ParseMode::kMixed, parsed, &next, &error)) return true;
  UsageError(io, std::string(context) + error);
  return false;
}

std::optional<int> ParseCommand(const Command& command, const std::vector<std::string>& args,
                                std::span<const OptionDecl> decls, const Streams& io,
                                ParsedArgs* parsed) {
  if (!ParseArguments(args, decls, io, parsed)) return kExitUsage;
  if (AsksForHelp(*parsed)) {
    WriteCommandUsage(io, command);
    return kExitOk;
  }
  return std::nullopt;
}

std::optional<int> ParseCommandOptions(const Command& command, const std::vector<std::string>& args,
                                       std::span<const OptionDecl> decls, const Streams& io,
                                       ParsedArgs* parsed) {
  if (auto status = ParseCommand(command, args, decls, io, parsed)) return status;
  if (parsed->positionals.empty()) return std::nullopt;
  return UsageError(
      io, std::string(command.name) + ": unexpected argument '" + parsed->positionals[0] + "'");
}

int CheckInputCode(const Streams& io, std::string_view command, const std::string& code) {
  if (IsInputCode(code)) return kExitOk;
  return UsageError(
      io, std::string(command) + ": invalid code '" + code + "': a code is one to six digits 0-9");
}

}  // namespace taliq::cli
