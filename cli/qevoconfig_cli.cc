// qevoconfig-cli: the settings dialog from the command line, for scripted
// set-up and for machines without the dialog.
//
//   qevoconfig-cli [options] show           the seven settings as the dialog
//                                           shows them on opening
//   qevoconfig-cli [options] set KEY=VALUE...  change some, then do what OK does
//
// The dialog's own model decides everything; this file only parses
// arguments and prints.
#include <charconv>
#include <map>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/args.h"
#include "cli/cli_platform.h"
#include "cli/front_end.h"
#include "platform/text.h"
#include "settings/settings_dialog.h"
#include "settings/settings_file.h"

namespace taliq::cli {
namespace {

constexpr std::string_view kUsage =
    "usage: qevoconfig-cli [--appdata DIR] [--program-files DIR] [--codepage N] show\n"
    "       qevoconfig-cli [--appdata DIR] [--program-files DIR] [--codepage N] set KEY=VALUE...\n"
    "\n"
    "  show  prints KEY=VALUE<TAB>caption for the seven settings, as the settings\n"
    "        dialog shows them when it opens (VALUE is what OK would write)\n"
    "  set   changes the named settings and saves as the dialog's OK does: the\n"
    "        per-user file and both installation copies\n"
    "\n"
    "  keys and values: SHOWMODE=1|2  ASSIO=0|1  SPEAK=0|1  CHSCHT=0|1\n"
    "                   ORDERMODE=0|1  ZDY=0|1  ZYCK=0|1\n"
    "  --appdata DIR        the application-data folder (default: $APPDATA)\n"
    "  --program-files DIR  the Program Files folder (default: $PROGRAMFILES)\n"
    "  --codepage N         the ANSI code page; under 936 the character set defaults\n"
    "                       to simplified (default: the system's; elsewhere than\n"
    "                       Windows from LC_ALL, LC_CTYPE or LANG)\n"
    "  --version            show the program's version\n";

void WriteUsage(std::ostream& out) { out << kUsage; }

constexpr Program kQevoConfigCli = {"qevoconfig-cli", WriteUsage, Program::AfterUsageError::kUsage};

// The dialog's controls as plain values: the choices and the captions the
// model sets, starting from the template's captions.
class SettingsControls : public SettingsDialogView {
 public:
  explicit SettingsControls(const Streams& io) : io_(io) {}
  int GetChoice(Setting setting) override { return choices_[setting]; }
  void SetChoice(Setting setting, int choice) override { choices_[setting] = choice; }
  void SetControlCaption(int controlId, std::u16string_view caption) override {
    captions_[controlId] = std::u16string(caption);
  }
  void SetWindowCaption(std::u16string_view) override {}
  void ShowAboutBox() override {}
  // The tool says itself what a failed save did not write.
  int ShowMessage(std::u16string_view, std::u16string_view, unsigned) override { return kIdOk; }
  // Saves an earlier run did not finish: a line each on standard error.
  int ShowRecoveries(std::u16string_view, std::u16string_view, unsigned,
                     std::string_view lines) override {
    NoteEachLine(io_, lines);
    return kIdOk;
  }

  std::u16string Caption(int controlId) const {
    auto it = captions_.find(controlId);
    return it != captions_.end() ? it->second
                                 : std::u16string(ControlCaption(controlId, kTemplateCodePage));
  }

 private:
  static constexpr unsigned kTemplateCodePage = 936;  // the template's own texts
  const Streams io_;
  std::map<Setting, int> choices_;
  std::map<int, std::u16string> captions_;
};

// What the user can do about a failure the options could have avoided.
std::string Hint(const SettingsFailure& failure) {
  switch (failure.reason) {
    case SettingsFailureReason::kAppDataUnknown:
      return " (give --appdata DIR or set APPDATA)";
    case SettingsFailureReason::kProgramFilesUnknown:
      return " (give --program-files DIR or set PROGRAMFILES)";
    default:
      return "";
  }
}

// Which files a failed save had written before it stopped.
std::string_view WrittenBefore(SettingsCopy failed) {
  switch (failed) {
    case SettingsCopy::kInstallation:
      return "; the per-user file was saved, the installation copies were not";
    case SettingsCopy::kNativeInstallation:
      return "; the per-user file and the installation copy were saved, the native copy was not";
    default:
      return "; nothing was saved";
  }
}

bool ParseCodePage(std::string_view text, unsigned* codePage) {
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value == 0 || value > 65535) {
    return false;
  }
  *codePage = value;
  return true;
}

// The folders and the code page the global options name. Returns kExitOk,
// or kExitUsage after reporting a usage error.
int ReadPlatformOptions(const Streams& io, const ParsedArgs& global, PlatformOptions* options) {
  for (const auto& [name, value] : global.options) {
    if (value.empty()) return UsageError(io, name + " needs a value");
    if (name == "--appdata" || name == "--program-files") {
      // The settings files are named in UTF-16 only.
      if (!FolderUsableAsGiven(value, false)) return Refused(io, FolderNotUsable(name));
      (name == "--appdata" ? options->appData : options->programFiles) = value;
    } else {
      unsigned codePage = 0;
      if (!ParseCodePage(value, &codePage)) {
        return UsageError(io, "--codepage wants a code page number, not " + value);
      }
      options->codePage = codePage;
    }
  }
  return kExitOk;
}

// The changes `set` names as KEY=VALUE. Returns kExitOk, or kExitUsage
// after reporting the first that is not one.
int ParseChanges(const Streams& io, std::span<const std::string> assignments,
                 std::map<Setting, int>* changes) {
  for (const std::string_view arg : assignments) {
    const size_t eq = arg.find('=');
    if (eq == std::string_view::npos) {
      return UsageError(io, "expected KEY=VALUE, got " + std::string(arg));
    }
    const std::string_view key = arg.substr(0, eq);
    const std::string_view value = arg.substr(eq + 1);
    const std::optional<Setting> setting = SettingForKey(key);
    if (!setting) return UsageError(io, "unknown key " + std::string(key));
    int choice = -1;
    for (int c : {0, 1}) {
      if (ChoiceValue(*setting, c) == value) choice = c;
    }
    if (choice < 0) {
      return UsageError(io, std::string(key) + " takes " + std::string(ChoiceValue(*setting, 0)) +
                                " or " + std::string(ChoiceValue(*setting, 1)) + ", not \"" +
                                std::string(value) + "\"");
    }
    if (changes->count(*setting) != 0) {
      return UsageError(io, std::string(key) + " is given twice");
    }
    (*changes)[*setting] = choice;
  }
  return kExitOk;
}

// The settings dialog as it opens on the folders the options name, and why
// the settings could not be read, if they could not.
struct OpenedDialog {
  OpenedDialog(const Streams& io, PlatformOptions options)
      : platform(Platform::Default(), std::move(options)),
        view(io),
        model(&platform, &view),
        loadFailure(model.settings().LastFailure()) {
    // Says what the load completed or undid of saves an earlier run did
    // not finish (SettingsControls::ShowRecoveries), as OK does for its own.
    model.OnInitDialog();
  }
  bool loaded() const { return model.loadStatus() == 1; }

  CliPlatform platform;
  SettingsControls view;
  SettingsDialogModel model;
  const SettingsFailure loadFailure;
};

std::string CouldNotRead(const SettingsFailure& failure, std::string_view outcome) {
  return "the settings could not be read: " + DescribeSettingsFailure(failure) + Hint(failure) +
         std::string(outcome);
}

// The dialog as it opens, with the model's captions, and what OK would
// write; the status is a failure when the settings could not be read.
int Show(const Streams& io, PlatformOptions options) {
  OpenedDialog dialog(io, std::move(options));
  for (Setting s : kAllSettings) {
    const int choice = dialog.view.GetChoice(s);
    io.out << SettingKey(s) << '=' << ChoiceValue(s, choice) << '\t'
           << Utf16ToUtf8(dialog.view.Caption(ChoiceControl(s, choice))) << '\n';
  }
  if (!dialog.loaded()) {
    return Failure(
        io, CouldNotRead(dialog.loadFailure, "; shown as the dialog shows missing settings"));
  }
  return kExitOk;
}

// The dialog opened, the choices changed, OK pressed.
int Set(const Streams& io, PlatformOptions options, const std::map<Setting, int>& changes) {
  OpenedDialog dialog(io, std::move(options));
  // Saving over a file that could not be read would lose what it holds.
  if (!dialog.loaded()) return Failure(io, CouldNotRead(dialog.loadFailure, "; nothing was saved"));
  for (const auto& [setting, choice] : changes) dialog.view.SetChoice(setting, choice);
  const int status = dialog.model.OnOk();
  if (status == 1) return kExitOk;
  const SettingsFailure& failure = dialog.model.settings().LastFailure();
  return Failure(io, "saving failed (status " + std::to_string(status) +
                         "): " + DescribeSettingsFailure(failure) + Hint(failure) +
                         std::string(WrittenBefore(failure.copy)));
}

int Run(const std::vector<std::string>& args, const Streams& io) {
  static constexpr OptionDecl kGlobalOptions[] = {
      {"--appdata", true},
      {"--program-files", true},
      {"--codepage", true},
  };
  ParsedArgs global;
  size_t next = 0;
  if (auto status = ParseGlobalOptions(io, args, kGlobalOptions, &global, &next)) return *status;
  PlatformOptions options;
  if (int status = ReadPlatformOptions(io, global, &options); status != kExitOk) return status;
  if (next >= args.size()) return UsageError(io, "no command given");
  const std::string_view command = args[next];
  const std::span<const std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(next) + 1,
                                          args.end());
  if (command == "show") {
    if (!rest.empty()) return UsageError(io, "show takes no arguments");
    return Show(io, std::move(options));
  }
  if (command == "set") {
    if (rest.empty()) return UsageError(io, "set needs at least one KEY=VALUE");
    // Every change is checked before anything is read or written.
    std::map<Setting, int> changes;
    if (int status = ParseChanges(io, rest, &changes); status != kExitOk) return status;
    return Set(io, std::move(options), changes);
  }
  return UsageError(io, "unknown command " + std::string(command));
}

}  // namespace
}  // namespace taliq::cli

int main(int argc, char** argv) {
  return taliq::cli::RunMain(taliq::cli::kQevoConfigCli, argc, argv, taliq::cli::Run);
}
