// CFindDlg: the 查碼 dialog (template IDD_FIND_DIALOG), modal over the main
// dialog. It forwards its notifications to a FindDialogModel and carries out
// the model's view requests with control messages.
#ifndef TALIQ_FREQTOOL_WIN_FIND_DLG_H_
#define TALIQ_FREQTOOL_WIN_FIND_DLG_H_

#include <string>

#include "freqtool/find_dialog_model.h"
#include "freqtool/find_view.h"
#include "platform/win32/dialog.h"

namespace taliq {

class CFindDlg : public win32::ModalDialog, public FindView {
 public:
  // `model` must outlive the dialog's run.
  CFindDlg(FindDialogModel* model, HWND parent);

  // FindView, one control message each.
  std::u16string QueryText() override;
  void LimitQueryText(int maxUnits) override;
  void ResetHits() override;
  void AddHit(std::u16string_view line) override;
  int SelectedHit() override;
  void SelectHit(int index) override;
  void SetStatusText(std::u16string_view text) override;
  void EnableGo(bool enabled) override;
  int ShowMessage(std::u16string_view text, std::u16string_view caption, unsigned flags) override;
  void Close() override;

 protected:
  bool OnInitDialog() override;
  bool OnCommand(WORD id, WORD code) override;

 private:
  void OnSearch() { model_->OnSearch(); }
  void OnHitSelected() { model_->OnHitSelected(); }
  void OnGo() { model_->OnGo(); }

  static const CommandEntry<CFindDlg> kCommandMap[];

  FindDialogModel* const model_;
};

}  // namespace taliq

#endif  // TALIQ_FREQTOOL_WIN_FIND_DLG_H_
