#include <cstdio>

#include "cli/tunavo_commands.h"
#include "freqtool/tunavo_dialog_model.h"

namespace taliq::cli {
namespace {

// The dictionary the options choose.
DictionaryId IdOf(const GlobalOptions& options) {
  return {CharsetFromDigit(options.charset), EditionFromDigit(options.edition)};
}

}  // namespace

int UsageError(std::ostream& err, std::string_view message) {
  err << kProgramName << ": " << message << "\nTry '" << kProgramName << " --help'.\n";
  return kExitUsage;
}

int Failure(std::ostream& err, std::string_view message) {
  err << kProgramName << ": " << message << '\n';
  return kExitFailure;
}

bool IsInputCode(std::string_view code) {
  if (code.empty() || code.size() > 6) return false;
  for (char c : code) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

void WriteCommandUsage(std::ostream& out, const Command& command) {
  out << "usage: " << kProgramName << " [GLOBAL OPTIONS] " << command.name << ' '
      << command.synopsis << "\n\n"
      << command.description;
}

DictionarySession::DictionarySession(const GlobalOptions& options)
    : options_(options), platform_(Platform::Default(), options.programFiles) {}

int DictionarySession::Open(std::ostream& err) {
  std::string programFiles;
  if (!platform_.ProgramFilesFolderA(&programFiles) || programFiles.empty()) {
    return UsageError(err,
                      "no Program Files folder: give --program-files DIR or set PROGRAMFILES");
  }
  // The store starts on the simplified standard dictionary, as the tool
  // does. Its complaint about that one is beside the point when another was
  // asked for; the one asked for is loaded (and reported) next.
  store_ = std::make_unique<DictionaryStore>(&platform_);
  ReportIndexLoad(&platform_, store_->indexStatus(), kIndexLoadFailedMessage);
  if (options_.charset != 0 || options_.edition != 0) platform_.DropMessages();
  ReportIndexLoad(&platform_, store_->SelectCharset(IdOf(options_)), kTableLoadFailedMessage);
  if (!store_->HasIndex()) {
    platform_.WriteMessages(err);
    return Failure(err, "cannot read the index " + Folder() + kIndexFileName);
  }
  platform_.WriteMessages(err);
  return kExitOk;
}

std::string DictionarySession::Folder() {
  return store_->ResolveDictionaryFolder(IdOf(options_), false);
}

bool DictionarySession::CanRead(std::string_view fileName) {
  const std::string folder = Folder();
  if (folder.empty()) return false;
  return platform_.OpenFile(folder + std::string(fileName), "rb") != nullptr;
}

}  // namespace taliq::cli
