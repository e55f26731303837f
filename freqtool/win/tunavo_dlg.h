// CTunavoDlg: the frequency tool's main dialog (template 102). It forwards
// every control notification to the TunavoDialogModel and carries out the
// model's view requests with control messages; it decides nothing itself.
// The About item, the icons and the minimised painting are the main
// dialog's (platform/win32/main_dialog.h).
#ifndef TALIQ_FREQTOOL_WIN_TUNAVO_DLG_H_
#define TALIQ_FREQTOOL_WIN_TUNAVO_DLG_H_

#include <string>
#include <vector>

#include "freqtool/tunavo_dialog_model.h"
#include "freqtool/tunavo_view.h"
#include "platform/win32/main_dialog.h"

namespace taliq {

class CTunavoDlg : public win32::ModelDialog<TunavoDialogModel, TunavoView> {
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
  int ShowMessage(std::u16string_view text, std::u16string_view caption, unsigned flags) override;

 protected:
  void OnInitControls() override;
  bool OnCommand(WORD id, WORD code) override;

 private:
  void OnMoveToTop() { model().OnMoveToTop(); }
  void OnMoveToBottom() { model().OnMoveToBottom(); }
  void OnMoveUp() { model().OnMoveUp(); }
  void OnMoveDown() { model().OnMoveDown(); }
  void OnCharsetClicked() { model().OnCharsetClicked(); }
  void OnCodeChanged() { model().OnCodeChanged(); }
  void OnSingleClicked() { model().OnSingleClicked(); }
  void OnPhraseClicked() { model().OnPhraseClicked(); }
  void OnSaveClicked() { model().OnSave(); }
  void OnPunctuationClicked() { model().OnPunctuationClicked(); }

  static const CommandEntry<CTunavoDlg> kCommandMap[];

  HWND candidateBox() const;
  HWND codeField() const;
};

// The command-line arguments after the program name (CommandLineToArgvW).
std::vector<std::u16string> CommandLineArguments();

}  // namespace taliq

#endif  // TALIQ_FREQTOOL_WIN_TUNAVO_DLG_H_
