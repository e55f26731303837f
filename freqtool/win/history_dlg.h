// CHistoryDlg: the 調頻歷史 dialog (template IDD_HISTORY_DIALOG), modal over
// the main dialog: the history's lines as the model wrote them, and 關閉.
#ifndef TALIQ_FREQTOOL_WIN_HISTORY_DLG_H_
#define TALIQ_FREQTOOL_WIN_HISTORY_DLG_H_

#include <string>
#include <vector>

#include "platform/win32/dialog.h"

namespace taliq {

class CHistoryDlg : public win32::ModalDialog {
 public:
  // `lines` must outlive the dialog's run.
  CHistoryDlg(const std::vector<std::u16string>* lines, HWND parent);

 protected:
  bool OnInitDialog() override;

 private:
  const std::vector<std::u16string>* const lines_;
};

}  // namespace taliq

#endif  // TALIQ_FREQTOOL_WIN_HISTORY_DLG_H_
