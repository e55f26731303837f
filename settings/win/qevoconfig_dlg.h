// CQevoConfigDlg: the settings dialog (template 102). OK, the system menu
// and the opening go to the SettingsDialogModel; the view requests are
// carried out with button and caption messages. It decides nothing itself.
// The About item, the icons and the minimised painting are the main
// dialog's (platform/win32/main_dialog.h).
#ifndef TALIQ_SETTINGS_WIN_QEVOCONFIG_DLG_H_
#define TALIQ_SETTINGS_WIN_QEVOCONFIG_DLG_H_

#include "platform/win32/main_dialog.h"
#include "settings/settings_dialog.h"
#include "settings/settings_view.h"

namespace taliq {

class CQevoConfigDlg : public win32::ModelDialog<SettingsDialogModel, SettingsDialogView> {
 public:
  // Loads the icon and constructs the model, which loads the settings file.
  CQevoConfigDlg();
  ~CQevoConfigDlg() override;

  // SettingsDialogView.
  int GetChoice(Setting setting) override;
  void SetChoice(Setting setting, int choice) override;
  void SetControlCaption(int controlId, std::u16string_view caption) override;
  void SetWindowCaption(std::u16string_view caption) override;
  int ShowMessage(std::u16string_view text, std::u16string_view caption, unsigned flags) override;

 protected:
  void OnInitControls() override;
  void OnOK() override;
  void OnCancel() override;
};

}  // namespace taliq

#endif  // TALIQ_SETTINGS_WIN_QEVOCONFIG_DLG_H_
