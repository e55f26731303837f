#include "cli/cli_platform.h"

#include "platform/console.h"
#include "platform/text.h"

namespace taliq::cli {

CliPlatform::CliPlatform(Platform* base, std::optional<std::string> programFiles)
    : PlatformWrapper(base), programFiles_(std::move(programFiles)) {}

void CliPlatform::WriteMessages(std::ostream& err) {
  for (const std::u16string& m : messages_) err << Utf16ToUtf8(m) << '\n';
  messages_.clear();
}

bool CliPlatform::ProgramFilesFolderA(std::string* path) {
  if (!programFiles_) return base()->ProgramFilesFolderA(path);
  // The option was checked to be usable as given when it was parsed.
  return PathArgumentToNarrow(*programFiles_, path);
}

bool CliPlatform::ProgramFilesFolderW(std::u16string* path) {
  if (!programFiles_) return base()->ProgramFilesFolderW(path);
  return PathArgumentToUtf16(*programFiles_, path);
}

int CliPlatform::MessageBox(std::u16string_view text, std::u16string_view /*caption*/,
                            unsigned /*flags*/) {
  messages_.emplace_back(text);
  return kIdOk;
}

}  // namespace taliq::cli
