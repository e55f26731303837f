#include "cli/front_end.h"

#include <algorithm>
#include <iostream>

#include "platform/console.h"

namespace taliq::cli {
namespace {

// The version of the project, as CMake's project() gives it.
constexpr std::string_view kVersion = TALIQ_VERSION;

constexpr OptionDecl kVersionOption = {"--version", false};

}  // namespace

void Note(const Streams& io, std::string_view message) {
  io.err << io.program.name << ": " << message << '\n';
}

void NoteEachLine(const Streams& io, std::string_view lines) {
  while (!lines.empty()) {
    const std::size_t end = std::min(lines.find('\n'), lines.size());
    Note(io, lines.substr(0, end));
    lines.remove_prefix(std::min(end + 1, lines.size()));
  }
}

int UsageError(const Streams& io, std::string_view message) {
  Note(io, message);
  if (io.program.afterUsageError == Program::AfterUsageError::kUsage) {
    io.program.writeUsage(io.err);
  } else {
    io.err << "Try '" << io.program.name << " --help'.\n";
  }
  return kExitUsage;
}

int Failure(const Streams& io, std::string_view message) {
  Note(io, message);
  return kExitFailure;
}

int Refused(const Streams& io, std::string_view message) {
  Note(io, message);
  return kExitUsage;
}

std::vector<OptionDecl> WithHelp(std::span<const OptionDecl> decls) {
  std::vector<OptionDecl> all(decls.begin(), decls.end());
  all.push_back({"--help", false});
  all.push_back({"-h", false});
  return all;
}

bool AsksForHelp(const ParsedArgs& parsed) { return parsed.Has("--help") || parsed.Has("-h"); }

std::optional<int> ParseGlobalOptions(const Streams& io, const std::vector<std::string>& args,
                                      std::span<const OptionDecl> decls, ParsedArgs* parsed,
                                      std::size_t* command) {
  std::vector<OptionDecl> all = WithHelp(decls);
  all.push_back(kVersionOption);
  std::string error;
  if (!ParseArgs(args, 0, all, ParseMode::kUntilCommand, parsed, command, &error)) {
    return UsageError(io, error);
  }
  if (AsksForHelp(*parsed)) {
    io.program.writeUsage(io.out);
    return kExitOk;
  }
  if (parsed->Has(kVersionOption.name)) {
    io.out << io.program.name << ' ' << kVersion << '\n';
    return kExitOk;
  }
  return std::nullopt;
}

int RunMain(const Program& program, int argc, char** argv,
            int (*run)(const std::vector<std::string>& args, const Streams& io)) {
  UseUtf8Console();
  return run(Utf8Arguments(argc, argv), Streams{std::cout, std::cerr, program});
}

}  // namespace taliq::cli
