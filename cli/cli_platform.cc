#include "cli/cli_platform.h"

#include <utility>

#include "platform/console.h"
#include "platform/text.h"

namespace taliq::cli {

CliPlatform::CliPlatform(Platform* base, PlatformOptions options)
    : PlatformWrapper(base), options_(std::move(options)) {}

bool FolderUsableAsGiven(const std::string& folder, bool narrowToo) {
  std::u16string wide;
  std::string narrow;
  return PathArgumentToUtf16(folder, &wide) &&
         (!narrowToo || PathArgumentToNarrow(folder, &narrow));
}

std::string FolderNotUsable(std::string_view option) {
  return std::string(option) +
         ": the folder cannot be named as given (it is not valid text, or holds characters "
         "the system code page lacks); nothing was done";
}

namespace {

// Sets `*path` from the option exactly as given, in the form the query
// answers with; false when the option was not given. The front ends refuse
// an option that cannot be used as given (FolderUsableAsGiven) before
// anything is read; should one come here, it names no folder.
bool Given(const std::optional<std::string>& option, std::string* path) {
  if (option && !PathArgumentToNarrow(*option, path)) path->clear();
  return option.has_value();
}

bool Given(const std::optional<std::string>& option, std::u16string* path) {
  if (option && !PathArgumentToUtf16(*option, path)) path->clear();
  return option.has_value();
}

}  // namespace

bool CliPlatform::ProgramFilesFolderA(std::string* path) {
  return Given(options_.programFiles, path) || base()->ProgramFilesFolderA(path);
}

bool CliPlatform::ProgramFilesFolderW(std::u16string* path) {
  return Given(options_.programFiles, path) || base()->ProgramFilesFolderW(path);
}

bool CliPlatform::AppDataFolderW(std::u16string* path) {
  return Given(options_.appData, path) || base()->AppDataFolderW(path);
}

bool CliPlatform::UserDataFolder(std::string* path) {
  return Given(options_.dataDir, path) || base()->UserDataFolder(path);
}

unsigned CliPlatform::AnsiCodePage() {
  return options_.codePage ? *options_.codePage : base()->AnsiCodePage();
}

int CliPlatform::MessageBox(std::u16string_view /*text*/, std::u16string_view /*caption*/,
                            unsigned /*flags*/) {
  // The front ends report the results the boxes stand for, with their
  // reasons, on the error stream.
  return kIdOk;
}

}  // namespace taliq::cli
