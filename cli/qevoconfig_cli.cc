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
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/args.h"
#include "platform/console.h"
#include "platform/platform_wrapper.h"
#include "platform/text.h"
#include "settings/settings_dialog.h"
#include "settings/settings_file.h"

namespace taliq {
namespace {

using cli::kExitFailure;
using cli::kExitOk;
using cli::kExitUsage;

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
    "                       Windows from LC_ALL, LC_CTYPE or LANG)\n";

void Print(std::FILE* out, std::string_view text) { std::fwrite(text.data(), 1, text.size(), out); }

int UsageError(std::string_view problem) {
  Print(stderr, "qevoconfig-cli: " + std::string(problem) + "\n");
  Print(stderr, kUsage);
  return kExitUsage;
}

// The build's platform with the folders and the code page the options name.
class OptionsPlatform : public PlatformWrapper {
 public:
  explicit OptionsPlatform(Platform* base) : PlatformWrapper(base) {}

  std::optional<std::u16string> appData;
  std::optional<std::u16string> programFiles;
  std::string programFilesArgument;  // as the option gave it
  std::optional<unsigned> codePage;

  bool ProgramFilesFolderA(std::string* path) override {
    if (!programFiles) return base()->ProgramFilesFolderA(path);
    return PathArgumentToNarrow(programFilesArgument, path);
  }
  bool ProgramFilesFolderW(std::u16string* path) override {
    if (!programFiles) return base()->ProgramFilesFolderW(path);
    *path = *programFiles;
    return true;
  }
  bool AppDataFolderW(std::u16string* path) override {
    if (!appData) return base()->AppDataFolderW(path);
    *path = *appData;
    return true;
  }
  unsigned AnsiCodePage() override { return codePage ? *codePage : base()->AnsiCodePage(); }
};

// The dialog's controls as plain values: the choices and the captions the
// model sets, starting from the template's captions.
class CliView : public SettingsDialogView {
 public:
  int GetChoice(Setting setting) override { return choices_[setting]; }
  void SetChoice(Setting setting, int choice) override { choices_[setting] = choice; }
  void SetControlCaption(int controlId, std::u16string_view caption) override {
    captions_[controlId] = std::u16string(caption);
  }
  void SetWindowCaption(std::u16string_view) override {}
  void ShowAboutBox() override {}

  std::u16string Caption(int controlId) const {
    auto it = captions_.find(controlId);
    return it != captions_.end() ? it->second
                                 : std::u16string(ControlCaption(controlId, kTemplateCodePage));
  }

 private:
  static constexpr unsigned kTemplateCodePage = 936;  // the template's own texts
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

// Says, once, what became of saves an earlier run did not finish.
void PrintRecoveryNote(SettingsDialogModel* model) {
  const std::string note = model->TakeRecoveryNote();
  size_t start = 0;
  while (start < note.size()) {
    size_t end = note.find('\n', start);
    if (end == std::string::npos) end = note.size();
    Print(stderr, "qevoconfig-cli: " + note.substr(start, end - start) + "\n");
    start = end + 1;
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

int Run(const std::vector<std::string>& args) {
  static constexpr cli::OptionDecl kGlobalOptions[] = {
      {"--appdata", true}, {"--program-files", true}, {"--codepage", true},
      {"--help", false},   {"-h", false},
  };
  cli::ParsedArgs global;
  size_t i = 0;
  std::string error;
  if (!cli::ParseArgs(args, 0, kGlobalOptions, cli::ParseMode::kUntilCommand, &global, &i,
                      &error)) {
    return UsageError(error);
  }
  if (global.Has("--help") || global.Has("-h")) {
    Print(stdout, kUsage);
    return kExitOk;
  }
  OptionsPlatform platform(Platform::Default());
  for (const auto& [name, value] : global.options) {
    if (value.empty()) return UsageError(name + " needs a value");
    if (name == "--appdata" || name == "--program-files") {
      // A folder is used as given, or not at all.
      std::u16string folder;
      if (!PathArgumentToUtf16(value, &folder)) {
        return UsageError(name + ": the folder cannot be named as given (it is not valid text)");
      }
      (name == "--appdata" ? platform.appData : platform.programFiles) = std::move(folder);
      if (name == "--program-files") platform.programFilesArgument = value;
    } else {
      unsigned codePage = 0;
      if (!ParseCodePage(value, &codePage)) {
        return UsageError("--codepage wants a code page number, not " + value);
      }
      platform.codePage = codePage;
    }
  }
  if (i >= args.size()) return UsageError("no command given");
  const std::string_view command = args[i++];
  if (command != "show" && command != "set") {
    return UsageError("unknown command " + std::string(command));
  }

  // Every change is checked before anything is read or written.
  std::map<Setting, int> changes;
  if (command == "show" && i < args.size()) return UsageError("show takes no arguments");
  if (command == "set" && i >= args.size()) return UsageError("set needs at least one KEY=VALUE");
  for (; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    const size_t eq = arg.find('=');
    if (eq == std::string_view::npos) return UsageError("expected KEY=VALUE, got " + std::string(arg));
    const std::string_view key = arg.substr(0, eq);
    const std::string_view value = arg.substr(eq + 1);
    const std::optional<Setting> setting = SettingForKey(key);
    if (!setting) return UsageError("unknown key " + std::string(key));
    int choice = -1;
    for (int c : {0, 1}) {
      if (ChoiceValue(*setting, c) == value) choice = c;
    }
    if (choice < 0) {
      return UsageError(std::string(key) + " takes " + std::string(ChoiceValue(*setting, 0)) +
                        " or " + std::string(ChoiceValue(*setting, 1)) + ", not \"" +
                        std::string(value) + "\"");
    }
    if (changes.count(*setting) != 0) return UsageError(std::string(key) + " is given twice");
    changes[*setting] = choice;
  }

  CliView view;
  SettingsDialogModel model(&platform, &view);
  const SettingsFailure loadFailure = model.settings().LastFailure();
  PrintRecoveryNote(&model);
  model.OnInitDialog();

  if (command == "show") {
    for (Setting s : kAllSettings) {
      const int choice = view.GetChoice(s);
      Print(stdout, std::string(SettingKey(s)) + "=" + std::string(ChoiceValue(s, choice)) + "\t" +
                        Utf16ToUtf8(view.Caption(ChoiceControl(s, choice))) + "\n");
    }
    if (model.loadStatus() != 1) {
      Print(stderr, "qevoconfig-cli: the settings could not be read: " +
                        DescribeSettingsFailure(loadFailure) + Hint(loadFailure) +
                        "; shown as the dialog shows missing settings\n");
      return kExitFailure;
    }
    return kExitOk;
  }

  // Saving over a file that could not be read would lose what it holds.
  if (model.loadStatus() != 1) {
    Print(stderr, "qevoconfig-cli: the settings could not be read: " +
                      DescribeSettingsFailure(loadFailure) + Hint(loadFailure) +
                      "; nothing was saved\n");
    return kExitFailure;
  }
  for (const auto& [setting, choice] : changes) view.SetChoice(setting, choice);
  const int status = model.OnOk();
  PrintRecoveryNote(&model);
  if (status == 1) return kExitOk;
  const SettingsFailure& failure = model.settings().LastFailure();
  Print(stderr, "qevoconfig-cli: saving failed (status " + std::to_string(status) +
                    "): " + DescribeSettingsFailure(failure) + Hint(failure) +
                    std::string(WrittenBefore(failure.copy)) + "\n");
  return kExitFailure;
}

}  // namespace
}  // namespace taliq

int main(int argc, char** argv) {
  taliq::UseUtf8Console();
  return taliq::Run(taliq::Utf8Arguments(argc, argv));
}
