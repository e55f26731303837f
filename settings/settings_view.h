// SettingsDialogView: what the settings dialog's model asks of the screen.
//
// Each member is one control message of the Win32 dialog (a radio group's
// or the checkbox's state, a caption), so that the dialog carries it out
// without deciding anything. The command-line tool and the tests implement
// it over plain memory.
#ifndef TALIQ_SETTINGS_SETTINGS_VIEW_H_
#define TALIQ_SETTINGS_SETTINGS_VIEW_H_

#include <string_view>

namespace taliq {

// The seven settings, in the order the dialog reads and writes them.
enum class Setting { kShowMode, kAssio, kSpeak, kCharset, kOrderMode, kZdy, kZyck };

class SettingsDialogView {
 public:
  virtual ~SettingsDialogView() = default;
  // The index of the checked button of the setting's pair (0 or 1), or the
  // checkbox's state (0 unchecked, 1 checked).
  virtual int GetChoice(Setting setting) = 0;
  // Checks the button with that index and unchecks the other (or sets the
  // checkbox).
  virtual void SetChoice(Setting setting, int choice) = 0;
  virtual void SetControlCaption(int controlId, std::u16string_view caption) = 0;
  virtual void SetWindowCaption(std::u16string_view caption) = 0;
  // Runs the About box modally and returns when it is closed (template 100).
  virtual void ShowAboutBox() = 0;
  // A message box owned by the dialog (MessageBoxW); returns the button.
  virtual int ShowMessage(std::u16string_view text, std::u16string_view caption,
                          unsigned flags) = 0;
  // Saves an earlier run did not finish, which have just been completed or
  // undone: `lines` names each file and what became of its save, one line
  // each. The dialog shows the model's message box (`text`, `caption`,
  // `flags`, as ShowMessage); a front end with a console may say the lines
  // there instead.
  virtual int ShowRecoveries(std::u16string_view text, std::u16string_view caption, unsigned flags,
                             std::string_view /*lines*/) {
    return ShowMessage(text, caption, flags);
  }
};

}  // namespace taliq

#endif  // TALIQ_SETTINGS_SETTINGS_VIEW_H_
