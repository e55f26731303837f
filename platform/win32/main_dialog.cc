#include "platform/win32/main_dialog.h"

#include "platform/dialog_frame.h"

namespace taliq::win32 {

CAboutDlg::CAboutDlg(int templateId, HWND parent) : ModalDialog(templateId, parent) {}

MainDialog::MainDialog(const MainDialogIds& ids)
    : ModalDialog(ids.dialog),
      ids_(ids),
      icon_(::LoadIconW(::GetModuleHandleW(nullptr), ResourceId(ids.icon))) {}

MainDialog::~MainDialog() = default;

void MainDialog::RunAboutBox() {
  CAboutDlg about(ids_.aboutBox, hwnd());
  about.DoModal();
}

bool MainDialog::OnInitDialog() {
  AppendSystemMenuCommands(hwnd(), SystemMenuCommands());
  AppendAboutItem(hwnd(), ids_.aboutText, ids_.aboutCommand);
  SetWindowIcons(hwnd(), icon_);
  OnInitControls();
  return true;
}

bool MainDialog::OnPaint() {
  if (!::IsIconic(hwnd())) return false;
  const SIZE client = ClientSize(hwnd());
  const IconPosition at = MinimizedIconPosition(client.cx, client.cy, ::GetSystemMetrics(SM_CXICON),
                                                ::GetSystemMetrics(SM_CYICON));
  PaintMinimizedIcon(hwnd(), icon_, at.x, at.y);
  return true;
}

}  // namespace taliq::win32
