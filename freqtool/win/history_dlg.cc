#include "freqtool/win/history_dlg.h"

#include "freqtool/win/resource.h"

namespace taliq {

CHistoryDlg::CHistoryDlg(const std::vector<std::u16string>* lines, HWND parent)
    : ModalDialog(IDD_HISTORY_DIALOG, parent), lines_(lines) {}

bool CHistoryDlg::OnInitDialog() {
  HWND list = Item(IDC_HISTORY_LIST);
  HDC dc = ::GetDC(list);
  HGDIOBJ old =
      ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(list, WM_GETFONT, 0, 0)));
  int widest = 0;
  for (const std::u16string& line : *lines_) {
    ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win32::W(line)));
    const DWORD extent =
        ::GetTabbedTextExtentW(dc, win32::W(line), static_cast<int>(line.size()), 0, nullptr);
    if (static_cast<int>(LOWORD(extent)) > widest) widest = LOWORD(extent);
  }
  ::SelectObject(dc, old);
  ::ReleaseDC(list, dc);
  // Long lines scroll sideways.
  ::SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 8), 0);
  return true;
}

}  // namespace taliq
