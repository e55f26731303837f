// The settings dialog without its window: which choice each setting shows
// when the dialog opens, which captions it carries under the system code
// page, what OK writes, and where the About command goes. The Win32 dialog
// and the command-line tool both drive this model through a view.
#ifndef TALIQ_SETTINGS_SETTINGS_DIALOG_H_
#define TALIQ_SETTINGS_SETTINGS_DIALOG_H_

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/dialog_frame.h"
#include "platform/platform.h"
#include "settings/settings_file.h"
#include "settings/settings_view.h"

namespace taliq {

// Control ids of the settings dialog (template 102); QevoConfig.exe checks
// them against its resource.h.
inline constexpr int kIdcOk = 1;
inline constexpr int kIdcCancel = 2;
inline constexpr int kIdcShowModeHorizontal = 1000;
inline constexpr int kIdcShowModeVertical = 1001;
inline constexpr int kIdcAssioOn = 1002;
inline constexpr int kIdcAssioOff = 1003;
inline constexpr int kIdcSpeakOn = 1004;
inline constexpr int kIdcSpeakOff = 1005;
inline constexpr int kIdcCharsetSimplified = 1006;
inline constexpr int kIdcCharsetTraditional = 1007;
inline constexpr int kIdcShowModeGroup = 1008;
inline constexpr int kIdcSpeakGroup = 1009;
inline constexpr int kIdcAssioGroup = 1010;
inline constexpr int kIdcCharsetGroup = 1011;
inline constexpr int kIdcOrderMode = 1012;
inline constexpr int kIdcZdyOn = 1013;
inline constexpr int kIdcZdyGroup = 1014;
inline constexpr int kIdcZyckGroup = 1015;
inline constexpr int kIdcZdyOff = 1016;
inline constexpr int kIdcZyckOn = 1017;
inline constexpr int kIdcZyckOff = 1018;

// The system-menu About item: its command id (IDM_ABOUTBOX of
// QevoConfig.exe) and its text (string 101).
inline constexpr unsigned kIdmAbout = 0x0010;
inline constexpr std::u16string_view kAboutMenuText = u"关于 QevoConfig(&A)...";

// The seven settings (Setting, settings_view.h), in their order.
inline constexpr int kSettingCount = 7;
inline constexpr std::array<Setting, kSettingCount> kAllSettings = {
    Setting::kShowMode,  Setting::kAssio, Setting::kSpeak, Setting::kCharset,
    Setting::kOrderMode, Setting::kZdy,   Setting::kZyck};

// The key a setting is stored under ("SHOWMODE", "ASSIO", ...).
std::string_view SettingKey(Setting setting);
// The setting stored under `key` (exact bytes), if any.
std::optional<Setting> SettingForKey(std::string_view key);

// The controls that show a setting: the radio buttons of choices 0 and 1 and
// their group box, or for the checkbox (ORDERMODE) its id three times.
struct SettingControls {
  int choice0;
  int choice1;
  int group;
};
SettingControls ControlsOf(Setting setting);
// The control that stands for `choice` (0 or 1) of a setting.
int ChoiceControl(Setting setting, int choice);

// The choice (0 or 1) a setting shows when the dialog opens: `value` is the
// value found under its key, or nullopt when the key is absent (the list is
// empty or holds no such key). Only the value's first byte counts.
int ReadChoice(Setting setting, std::optional<std::string_view> value, unsigned ansiCodePage);

// The value OK writes for a choice: choice 1 gives the second value, any
// other the first (choice 0).
std::string_view ChoiceValue(Setting setting, int choice);

// A control's caption as the open dialog shows it under the code page: the
// template's text under 936, the replaced text otherwise. Empty for an id
// that is not a control of the dialog.
std::u16string_view ControlCaption(int controlId, unsigned ansiCodePage);
std::u16string_view WindowCaption(unsigned ansiCodePage);

// The warning OK shows when a save did not write every file: a line of its
// own, then each file not written (the one that failed, with why, and those
// the save did not come to), as `settings` names them after its save.
std::u16string SaveWarningText(const SettingsFile& settings);

class SettingsDialogModel {
 public:
  // Loads the settings file once (`platform` null: Platform::Default()).
  // Both must outlive the model.
  SettingsDialogModel(Platform* platform, SettingsDialogView* view);

  SettingsDialogModel(const SettingsDialogModel&) = delete;
  SettingsDialogModel& operator=(const SettingsDialogModel&) = delete;

  // Opening: the two text-member captions, the seven choices read from the
  // file, and, unless the code page is 936, the replaced captions.
  void OnInitDialog();

  // OK: takes the choices from the view, sets all seven keys in order and
  // saves. Returns SaveSettings' status. When not every file was written
  // (the per-user file unreadable at the start, a file that could not be
  // written), a warning names each file not written and why (the view's
  // message box: the window caption, OK, the warning icon), and the dialog
  // stays open, so that nothing the user chose is lost: okClosesDialog().
  int OnOk();
  // Whether the dialog ends after the last OnOk (the save wrote all files).
  bool okClosesDialog() const { return okClosesDialog_; }

  // Cancel writes nothing; the window just closes.
  void OnCancel() {}

  // True when the command was the About item and the About box has run;
  // false when the command belongs to the default handling.
  bool OnSysCommand(unsigned command);

  int choice(Setting setting) const { return choices_[static_cast<int>(setting)]; }
  int loadStatus() const { return loadStatus_; }
  // What the load and the saves found of saves an earlier run did not
  // finish, one line per file; handed over once (SettingsFile). The opening
  // and OK tell what is left of it themselves (TellRecoveries).
  std::string TakeRecoveryNote() { return settings_.TakeRecoveryNote(); }
  const SettingsFile& settings() const { return settings_; }

 private:
  // Says, once, what the load or the save completed or undid of saves an
  // earlier run did not finish (SettingsDialogView::ShowRecoveries, before
  // OK's warning); without such saves no box is added.
  void TellRecoveries();

  Platform* platform_;
  SettingsDialogView* view_;
  SettingsFile settings_;
  std::array<int, kSettingCount> choices_{};
  int loadStatus_ = 0;
  bool okClosesDialog_ = false;
};

// Whether a system-menu command is the About item (the low four bits are
// the system's own and do not count).
inline bool IsAboutCommand(unsigned command) { return IsSystemMenuItem(command, kIdmAbout); }

}  // namespace taliq

#endif  // TALIQ_SETTINGS_SETTINGS_DIALOG_H_
