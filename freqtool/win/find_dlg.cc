#include "freqtool/win/find_dlg.h"

#include "freqtool/win/resource.h"

namespace taliq {

using win32::W;

const win32::ModalDialog::CommandEntry<CFindDlg> CFindDlg::kCommandMap[] = {
    {BN_CLICKED, IDC_FIND_SEARCH, &CFindDlg::OnSearch},
    {LBN_SELCHANGE, IDC_FIND_HITS, &CFindDlg::OnHitSelected},
    {LBN_DBLCLK, IDC_FIND_HITS, &CFindDlg::OnGo},
    {BN_CLICKED, IDC_FIND_GO, &CFindDlg::OnGo},
};

CFindDlg::CFindDlg(FindDialogModel* model, HWND parent)
    : ModalDialog(IDD_FIND_DIALOG, parent), model_(model) {}

bool CFindDlg::OnInitDialog() {
  model_->OnInitDialog(this);
  return true;
}

bool CFindDlg::OnCommand(WORD id, WORD code) {
  return DispatchCommand<CFindDlg>(this, kCommandMap, id, code);
}

std::u16string CFindDlg::QueryText() { return win32::WindowText(Item(IDC_FIND_TEXT)); }

void CFindDlg::LimitQueryText(int maxUnits) {
  ::SendMessageW(Item(IDC_FIND_TEXT), EM_LIMITTEXT, static_cast<WPARAM>(maxUnits), 0);
}

void CFindDlg::ResetHits() { ::SendMessageW(Item(IDC_FIND_HITS), LB_RESETCONTENT, 0, 0); }

void CFindDlg::AddHit(std::u16string_view line) {
  const std::u16string text(line);
  ::SendMessageW(Item(IDC_FIND_HITS), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(text)));
}

int CFindDlg::SelectedHit() {
  return static_cast<int>(::SendMessageW(Item(IDC_FIND_HITS), LB_GETCURSEL, 0, 0));
}

void CFindDlg::SelectHit(int index) {
  ::SendMessageW(Item(IDC_FIND_HITS), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void CFindDlg::SetStatusText(std::u16string_view text) {
  win32::SetWindowTextIfDifferent(Item(IDC_FIND_STATUS), text);
}

void CFindDlg::EnableGo(bool enabled) { ::EnableWindow(Item(IDC_FIND_GO), enabled); }

int CFindDlg::ShowMessage(std::u16string_view text, std::u16string_view caption, unsigned flags) {
  const std::u16string t(text);
  const std::u16string c(caption);
  return ::MessageBoxW(hwnd(), W(t), W(c), flags);
}

void CFindDlg::Close() { EndDialog(IDOK); }

}  // namespace taliq
