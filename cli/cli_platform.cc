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

// The folders are used exactly as given; the front ends refuse those that
// cannot be (FolderUsableAsGiven) before anything is read.
bool CliPlatform::ProgramFilesFolderA(std::string* path) {
  if (!options_.programFiles) return base()->ProgramFilesFolderA(path);
  return PathArgumentToNarrow(*options_.programFiles, path);
}

bool CliPlatform::ProgramFilesFolderW(std::u16string* path) {
  if (!options_.programFiles) return base()->ProgramFilesFolderW(path);
  return PathArgumentToUtf16(*options_.programFiles, path);
}

bool CliPlatform::AppDataFolderW(std::u16string* path) {
  if (!options_.appData) return base()->AppDataFolderW(path);
  return PathArgumentToUtf16(*options_.appData, path);
}

bool CliPlatform::UserDataFolder(std::string* path) {
  if (!options_.dataDir) return base()->UserDataFolder(path);
  return PathArgumentToNarrow(*options_.dataDir, path);
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
