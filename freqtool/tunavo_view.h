// TunavoView: what the frequency tool's dialog model asks of the screen.
//
// Each member is one control message of the Win32 dialog, so that the
// dialog can implement it without deciding anything: the model decides, the
// view carries out. The command-line front end and the tests implement it
// over plain memory.
#ifndef TALIQ_FREQTOOL_TUNAVO_VIEW_H_
#define TALIQ_FREQTOOL_TUNAVO_VIEW_H_

#include <string>
#include <string_view>
#include <vector>

namespace taliq {

class FindDialogModel;

class TunavoView {
 public:
  virtual ~TunavoView() = default;

  // The candidate list box (control 1000). Line indexes start at 0; -1
  // means "none" for the selection and "the end" for InsertLine.
  virtual void ResetLines() = 0;                                     // LB_RESETCONTENT
  virtual void InsertLine(int index, std::u16string_view text) = 0;  // LB_INSERTSTRING
  virtual void DeleteLine(int index) = 0;                            // LB_DELETESTRING
  virtual std::u16string LineText(int index) = 0;                    // LB_GETTEXT
  virtual int LineCount() = 0;                                       // LB_GETCOUNT
  virtual int Selection() = 0;                                       // LB_GETCURSEL
  virtual void SetSelection(int index) = 0;                          // LB_SETCURSEL

  // The input field (control 1001). SetCodeText is called only when the
  // text differs from what CodeText gives; a Win32 field then sends
  // EN_CHANGE, which the view may forward: the model ignores change
  // notifications that arrive while it writes its controls.
  virtual std::u16string CodeText() = 0;                   // WM_GETTEXT
  virtual void SetCodeText(std::u16string_view text) = 0;  // WM_SETTEXT
  virtual void LimitCodeText(int maxUnits) = 0;            // EM_LIMITTEXT

  // The character-set radio group (1002 簡體 = 0, 1003 繁體 = 1): the index
  // of the checked button, or -1 when none is checked; checking -1 clears
  // both.
  virtual int CheckedCharset() = 0;          // BM_GETCHECK
  virtual void CheckCharset(int index) = 0;  // CheckRadioButton

  // The Save button (control 1010).
  virtual void EnableSave(bool enabled) = 0;  // EnableWindow

  // A message box owned by the dialog, shown exactly as given: the model has
  // already chosen the caption and completed the flags (icon included).
  // Returns the button pressed.
  virtual int ShowMessage(std::u16string_view text, std::u16string_view caption,
                          unsigned flags) = 0;  // MessageBoxW

  // The About box, modal to the dialog (template 100).
  virtual void ShowAboutBox() = 0;

  // The 查碼 dialog, modal to the dialog, run with `find` as its model;
  // returns when it has closed.
  virtual void ShowFindDialog(FindDialogModel* find) = 0;

  // The history dialog, modal to the dialog: a list of `lines`, one each,
  // and a button that closes it.
  virtual void ShowHistoryDialog(const std::vector<std::u16string>& lines) = 0;

  // The standard file dialogs for an orders file (text files, *.tsv and
  // *.txt): true with the file chosen, false when the user cancelled.
  // Saving suggests `suggestedName` and asks before replacing a file.
  virtual bool AskSaveFileName(std::u16string_view suggestedName,
                               std::u16string* path) = 0;  // GetSaveFileNameW
  virtual bool AskOpenFileName(std::u16string* path) = 0;  // GetOpenFileNameW

  // Saves an earlier run did not finish, which have just been completed or
  // undone: `lines` names each file and what became of its save, one line
  // each. The dialog shows the model's message box (`text`, `caption`,
  // `flags`, as ShowMessage); a front end with a console may say the lines
  // there instead.
  virtual int ShowRecoveries(std::u16string_view text, std::u16string_view caption, unsigned flags,
                             std::string_view /*lines*/) {
    return ShowMessage(text, caption, flags);
  }
};

}  // namespace taliq

#endif  // TALIQ_FREQTOOL_TUNAVO_VIEW_H_
