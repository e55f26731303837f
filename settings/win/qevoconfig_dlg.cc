#include "settings/win/qevoconfig_dlg.h"

#include <string>

#include "settings/win/resource.h"

namespace taliq {

using win32::W;

// The model names the controls by the template's ids, and its About
// command is the one the system menu gets.
static_assert(IDOK == kIdcOk && IDCANCEL == kIdcCancel);
static_assert(IDC_SHOWMODE_HORIZONTAL == kIdcShowModeHorizontal);
static_assert(IDC_SHOWMODE_VERTICAL == kIdcShowModeVertical);
static_assert(IDC_ASSIO_ON == kIdcAssioOn);
static_assert(IDC_ASSIO_OFF == kIdcAssioOff);
static_assert(IDC_SPEAK_ON == kIdcSpeakOn);
static_assert(IDC_SPEAK_OFF == kIdcSpeakOff);
static_assert(IDC_CHARSET_SIMPLIFIED == kIdcCharsetSimplified);
static_assert(IDC_CHARSET_TRADITIONAL == kIdcCharsetTraditional);
static_assert(IDC_SHOWMODE_GROUP == kIdcShowModeGroup);
static_assert(IDC_SPEAK_GROUP == kIdcSpeakGroup);
static_assert(IDC_ASSIO_GROUP == kIdcAssioGroup);
static_assert(IDC_CHARSET_GROUP == kIdcCharsetGroup);
static_assert(IDC_ORDERMODE == kIdcOrderMode);
static_assert(IDC_ZDY_ON == kIdcZdyOn);
static_assert(IDC_ZDY_GROUP == kIdcZdyGroup);
static_assert(IDC_ZYCK_GROUP == kIdcZyckGroup);
static_assert(IDC_ZDY_OFF == kIdcZdyOff);
static_assert(IDC_ZYCK_ON == kIdcZyckOn);
static_assert(IDC_ZYCK_OFF == kIdcZyckOff);
static_assert(IDM_ABOUTBOX == kIdmAbout);

CQevoConfigDlg::CQevoConfigDlg()
    : ModelDialog(
          {IDD_QEVOCONFIG_DIALOG, IDD_ABOUTBOX, IDR_MAINFRAME, IDS_ABOUTBOX, IDM_ABOUTBOX}) {}

CQevoConfigDlg::~CQevoConfigDlg() = default;

void CQevoConfigDlg::OnInitControls() {
  // The two text members, the seven choices and the code page's captions.
  model().OnInitDialog();
}

void CQevoConfigDlg::OnOK() {
  // After a save that did not write every file the model has warned, and
  // the dialog stays open.
  model().OnOk();
  if (model().okClosesDialog()) EndDialog(IDOK);
}

void CQevoConfigDlg::OnCancel() {
  model().OnCancel();
  EndDialog(IDCANCEL);
}

int CQevoConfigDlg::GetChoice(Setting setting) {
  const SettingControls controls = ControlsOf(setting);
  if (setting == Setting::kOrderMode) return win32::CheckState(hwnd(), controls.choice0);
  return win32::RadioGroupIndex(hwnd(), controls.choice0);
}

void CQevoConfigDlg::SetChoice(Setting setting, int choice) {
  const SettingControls controls = ControlsOf(setting);
  if (setting == Setting::kOrderMode) {
    win32::SetCheckState(hwnd(), controls.choice0, choice);
  } else {
    win32::SetRadioGroupIndex(hwnd(), controls.choice0, choice);
  }
}

void CQevoConfigDlg::SetControlCaption(int controlId, std::u16string_view caption) {
  const std::u16string text(caption);
  ::SetDlgItemTextW(hwnd(), controlId, W(text));
}

void CQevoConfigDlg::SetWindowCaption(std::u16string_view caption) {
  const std::u16string text(caption);
  ::SetWindowTextW(hwnd(), W(text));
}

int CQevoConfigDlg::ShowMessage(std::u16string_view text, std::u16string_view caption,
                                unsigned flags) {
  const std::u16string t(text);
  const std::u16string c(caption);
  return ::MessageBoxW(hwnd(), W(t), W(c), flags);
}

}  // namespace taliq
