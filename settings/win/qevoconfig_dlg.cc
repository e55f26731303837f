#include "settings/win/qevoconfig_dlg.h"

#include <string>

#include "settings/win/resource.h"

namespace taliq {

using win32::W;

CAboutDlg::CAboutDlg(HWND parent) : ModalDialog(IDD_ABOUTBOX, parent) {}

CQevoConfigDlg::CQevoConfigDlg()
    : ModalDialog(IDD_QEVOCONFIG_DIALOG),
      icon_(::LoadIconW(::GetModuleHandleW(nullptr), win32::ResourceId(IDR_MAINFRAME))),
      model_(Platform::Default(), this) {}

CQevoConfigDlg::~CQevoConfigDlg() = default;

bool CQevoConfigDlg::OnInitDialog() {
  win32::AppendAboutItem(hwnd(), IDS_ABOUTBOX, IDM_ABOUTBOX);
  win32::SetWindowIcons(hwnd(), icon_);
  // The two text members, the seven choices and the code page's captions.
  model_.OnInitDialog();
  return true;
}

void CQevoConfigDlg::OnOK() {
  model_.OnOk();
  EndDialog(IDOK);
}

void CQevoConfigDlg::OnCancel() {
  model_.OnCancel();
  EndDialog(IDCANCEL);
}

bool CQevoConfigDlg::OnSysCommand(WPARAM command, LPARAM) {
  return model_.OnSysCommand(static_cast<unsigned>(command));
}

bool CQevoConfigDlg::OnPaint() {
  if (!::IsIconic(hwnd())) return false;
  // The icon centred in the client area, rounded as the framework's
  // generated dialogs do.
  const SIZE client = win32::ClientSize(hwnd());
  const int x = (client.cx - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.cy - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
  win32::PaintMinimizedIcon(hwnd(), icon_, x, y);
  return true;
}

HICON CQevoConfigDlg::OnQueryDragIcon() { return icon_; }

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

void CQevoConfigDlg::ShowAboutBox() {
  CAboutDlg about(hwnd());
  about.DoModal();
}

}  // namespace taliq
