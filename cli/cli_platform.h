// The platform as the command-line front ends see it: the build's own
// platform, except that the Program Files folder may come from an option and
// message boxes become lines on the error stream, at a time the command
// chooses. Works over the Win32 and the portable platform alike.
#ifndef TALIQ_CLI_CLI_PLATFORM_H_
#define TALIQ_CLI_CLI_PLATFORM_H_

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/platform_wrapper.h"

namespace taliq::cli {

class CliPlatform : public PlatformWrapper {
 public:
  // `programFiles`, when given, replaces the platform's answer (narrow text
  // as the command line delivers it).
  CliPlatform(Platform* base, std::optional<std::string> programFiles);

  // Message boxes shown so far and not yet written or dropped.
  const std::vector<std::u16string>& messages() const { return messages_; }
  // Writes them, one per line in UTF-8, and forgets them.
  void WriteMessages(std::ostream& err);
  void DropMessages() { messages_.clear(); }

  bool ProgramFilesFolderA(std::string* path) override;
  bool ProgramFilesFolderW(std::u16string* path) override;
  int MessageBox(std::u16string_view text, std::u16string_view caption,
                 unsigned flags) override;

 private:
  const std::optional<std::string> programFiles_;
  std::vector<std::u16string> messages_;
};

}  // namespace taliq::cli

#endif  // TALIQ_CLI_CLI_PLATFORM_H_
