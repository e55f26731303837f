// CQevoConfigDlg: the settings dialog (template 102). OK, the system menu
// and the opening go to the SettingsDialogModel; the view requests are
// carried out with button and caption messages. It decides nothing itself.
#ifndef TALIQ_SETTINGS_WIN_QEVOCONFIG_DLG_H_
#define TALIQ_SETTINGS_WIN_QEVOCONFIG_DLG_H_

#include "platform/win32/dialog.h"
#include "settings/settings_dialog.h"

namespace taliq {

class CAboutDlg : public win32::ModalDialog {
 public:
  explicit CAboutDlg(HWND parent);
};

class CQevoConfigDlg : public win32::ModalDialog, public SettingsDialogView {
 public:
  // Loads the icon and constructs the model, which loads the settings file.
  CQevoConfigDlg();
  ~CQevoConfigDlg() override;

  // SettingsDialogView.
  int GetChoice(Setting setting) override;
  void SetChoice(Setting setting, int choice) override;
  void SetControlCaption(int controlId, std::u16string_view caption) override;
  void SetWindowCaption(std::u16string_view caption) override;
  void ShowAboutBox() override;

 protected:
  bool OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  bool OnSysCommand(WPARAM command, LPARAM position) override;
  bool OnPaint() override;
  HICON OnQueryDragIcon() override;

 private:
  HICON icon_;
  SettingsDialogModel model_;
};

}  // namespace taliq

#endif  // TALIQ_SETTINGS_WIN_QEVOCONFIG_DLG_H_
