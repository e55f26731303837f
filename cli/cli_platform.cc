#include "cli/cli_platform.h"

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
  *path = *programFiles_;
  return true;
}

bool CliPlatform::ProgramFilesFolderW(std::u16string* path) {
  if (!programFiles_) return base()->ProgramFilesFolderW(path);
  // The option arrives as the narrow command line. That is UTF-8 everywhere
  // but Windows, where only ASCII folders convert faithfully this way; the
  // dictionary commands use the narrow form only.
  *path = Utf8ToUtf16(*programFiles_);
  return true;
}

int CliPlatform::MessageBox(std::u16string_view text, std::u16string_view /*caption*/,
                            unsigned /*flags*/) {
  messages_.emplace_back(text);
  return kIdOk;
}

}  // namespace taliq::cli
