// CTunavoDlg: the frequency tool's main dialog (template 102). It forwards
// every control notification to the TunavoDialogModel and carries out the
// model's view requests with control messages; it decides nothing itself.
#ifndef TALIQ_FREQTOOL_WIN_TUNAVO_DLG_H_
#define TALIQ_FREQTOOL_WIN_TUNAVO_DLG_H_

#include <string>
#include <vector>

#include "freqtool/tunavo_dialog_model.h"
#include "freqtool/tunavo_view.h"
#include "platform/win32/dialog.h"

namespace taliq {

class CAboutDlg : public win32::ModalDialog {
 public:
  explicit CAboutDlg(HWND parent);
};

class CTunavoDlg : public win32::ModalDialog, public TunavoView {
 public:
  // Loads the icon and constructs the model, whose store loads the first
  // index and may show its failure message before the dialog appears.
  CTunavoDlg();
  ~CTunavoDlg() override;

  // TunavoView, one control message each.
  void ResetLines() override;
  void InsertLine(int index, std::u16string_view text) override;
  void DeleteLine(int index) override;
  std::u16string LineText(int index) override;
  int LineCount() override;
  int Selection() override;
  void SetSelection(int index) override;
  std::u16string CodeText() override;
  void SetCodeText(std::u16string_view text) override;
  void LimitCodeText(int maxUnits) override;
  int CheckedCharset() override;
  void CheckCharset(int index) override;
  void EnableSave(bool enabled) override;
  int ShowMessage(std::u16string_view text, std::u16string_view caption,
                  unsigned flags) override;
  void ShowAboutBox() override;

 protected:
  bool OnInitDialog() override;
  bool OnCommand(WORD id, WORD code) override;
  bool OnSysCommand(WPARAM command, LPARAM position) override;
  bool OnPaint() override;
  HICON OnQueryDragIcon() override;

 private:
  void OnMoveToTop() { model_.OnMoveToTop(); }
  void OnMoveToBottom() { model_.OnMoveToBottom(); }
  void OnMoveUp() { model_.OnMoveUp(); }
  void OnMoveDown() { model_.OnMoveDown(); }
  void OnCharsetClicked() { model_.OnCharsetClicked(); }
  void OnCodeChanged() { model_.OnCodeChanged(); }
  void OnSingleClicked() { model_.OnSingleClicked(); }
  void OnPhraseClicked() { model_.OnPhraseClicked(); }
  void OnSaveClicked() { model_.OnSave(); }
  void OnPunctuationClicked() { model_.OnPunctuationClicked(); }

  static const CommandEntry<CTunavoDlg> kCommandMap[];

  HWND candidateBox() const { return Item(1000); }
  HWND codeField() const { return Item(1001); }

  HICON icon_;
  TunavoDialogModel model_;
};

// The command-line arguments after the program name (CommandLineToArgvW).
std::vector<std::u16string> CommandLineArguments();

}  // namespace taliq

#endif  // TALIQ_FREQTOOL_WIN_TUNAVO_DLG_H_
