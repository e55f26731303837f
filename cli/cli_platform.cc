#include "cli/cli_platform.h"

#include <utility>

#include "platform/console.h"
#include "platform/text.h"

namespace taliq::cli {

CliPlatform::CliPlatform(Platform* base, PlatformOptions options)
    : PlatformWrapper(base), options_(std::move(options)) {}

bool CliPlatform::ProgramFilesFolderA(std::string* path) {
  if (!options_.programFiles) return base()->ProgramFilesFolderA(path);
  *path = NarrowPathFromUtf8(*options_.programFiles);
  return true;
}

bool CliPlatform::ProgramFilesFolderW(std::u16string* path) {
  if (!options_.programFiles) return base()->ProgramFilesFolderW(path);
  *path = Utf8ToUtf16(*options_.programFiles);
  return true;
}

bool CliPlatform::AppDataFolderW(std::u16string* path) {
  if (!options_.appData) return base()->AppDataFolderW(path);
  *path = Utf8ToUtf16(*options_.appData);
  return true;
}

bool CliPlatform::UserDataFolder(std::string* path) {
  if (!options_.dataDir) return base()->UserDataFolder(path);
  *path = NarrowPathFromUtf8(*options_.dataDir);
  return true;
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
