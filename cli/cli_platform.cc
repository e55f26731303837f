#include "cli/cli_platform.h"

#include <utility>

#include "platform/console.h"
#include "platform/text.h"

namespace taliq::cli {

CliPlatform::CliPlatform(Platform* base, PlatformOptions options)
    : PlatformWrapper(base), options_(std::move(options)) {}

namespace {

// Sets `*path` from the option, in the form the query answers with; false
// when the option was not given.
bool Given(const std::optional<std::string>& option, std::string* path) {
  if (option) *path = NarrowPathFromUtf8(*option);
  return option.has_value();
}

bool Given(const std::optional<std::string>& option, std::u16string* path) {
  if (option) *path = Utf8ToUtf16(*option);
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
