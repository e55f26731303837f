// The platform as the command-line front ends see it: the build's own
// platform, except that the folders and the code page may come from
// options, and message boxes become lines on the error stream, at a time
// the command chooses. Works over the Win32 and the portable platform alike.
#ifndef TALIQ_CLI_CLI_PLATFORM_H_
#define TALIQ_CLI_CLI_PLATFORM_H_

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform_wrapper.h"

namespace taliq::cli {

// Answers given on the command line; each replaces the platform's own.
struct PlatformOptions {
  std::optional<std::string> programFiles;  // UTF-8, as the arguments arrive
  std::optional<std::string> appData;       // UTF-8
  std::optional<unsigned> codePage;
  std::optional<std::string> dataDir;  // UTF-8: the tools' own per-user data folder
};

// Whether a folder option can be used exactly as given: elsewhere than
// Windows always (a name is bytes); on Windows when it is valid text and,
// with `narrowToo`, has a form in the ANSI code page (platform/console.h).
bool FolderUsableAsGiven(const std::string& folder, bool narrowToo);
// What a front end says when it refuses such an option (exit status 2).
std::string FolderNotUsable(std::string_view option);

class CliPlatform : public PlatformWrapper {
 public:
  CliPlatform(Platform* base, PlatformOptions options);

  bool ProgramFilesFolderA(std::string* path) override;
  bool ProgramFilesFolderW(std::u16string* path) override;
  bool AppDataFolderW(std::u16string* path) override;
  unsigned AnsiCodePage() override;
  bool UserDataFolder(std::string* path) override;
  int MessageBox(std::u16string_view text, std::u16string_view caption, unsigned flags) override;

 private:
  const PlatformOptions options_;
};

}  // namespace taliq::cli

#endif  // TALIQ_CLI_CLI_PLATFORM_H_
