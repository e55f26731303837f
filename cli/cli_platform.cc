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

bool PathArgument(const std::string& given, std::string* path) {
  return PathArgumentToNarrow(given, path);
}
bool PathArgument(const std::string& given, std::u16string* path) {
  return PathArgumentToUtf16(given, path);
}

// A folder given on the command line, converted as the caller needs it, or
// else the system's.
template <typename Path>
bool GivenOr(const std::optional<std::string>& given, Path* path, Platform* system,
             bool (Platform::*folder)(Path*)) {
  return given ? PathArgument(*given, path) : (system->*folder)(path);
}

}  // namespace

// The folders are used exactly as given; the front ends refuse those that
// cannot be (FolderUsableAsGiven) before anything is read.
bool CliPlatform::ProgramFilesFolderA(std::string* path) {
  return GivenOr(options_.programFiles, path, base(), &Platform::ProgramFilesFolderA);
}
bool CliPlatform::ProgramFilesFolderW(std::u16string* path) {
  return GivenOr(options_.programFiles, path, base(), &Platform::ProgramFilesFolderW);
}
bool CliPlatform::AppDataFolderW(std::u16string* path) {
  return GivenOr(options_.appData, path, base(), &Platform::AppDataFolderW);
}
bool CliPlatform::UserDataFolder(std::string* path) {
  return GivenOr(options_.dataDir, path, base(), &Platform::UserDataFolder);
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
