// FindView: what the 查碼 dialog's model asks of the screen, one control
// message of the Win32 dialog each (as TunavoView is for the main dialog).
#ifndef TALIQ_FREQTOOL_FIND_VIEW_H_
#define TALIQ_FREQTOOL_FIND_VIEW_H_

#include <string>
#include <string_view>

namespace taliq {

class FindView {
 public:
  virtual ~FindView() = default;

  // The text field.
  virtual std::u16string QueryText() = 0;         // WM_GETTEXT
  virtual void LimitQueryText(int maxUnits) = 0;  // EM_LIMITTEXT

  // The list of hits, one line per hit, in the order added.
  virtual void ResetHits() = 0;                       // LB_RESETCONTENT
  virtual void AddHit(std::u16string_view line) = 0;  // LB_ADDSTRING
  virtual int SelectedHit() = 0;                      // LB_GETCURSEL, -1 for none
  virtual void SelectHit(int index) = 0;              // LB_SETCURSEL

  // The line under the field that says what the search found.
  virtual void SetStatusText(std::u16string_view text) = 0;  // WM_SETTEXT

  // The 前往 button.
  virtual void EnableGo(bool enabled) = 0;  // EnableWindow

  // A message box owned by the dialog, shown as given; the button pressed.
  virtual int ShowMessage(std::u16string_view text, std::u16string_view caption,
                          unsigned flags) = 0;  // MessageBoxW

  // Ends the dialog.
  virtual void Close() = 0;  // EndDialog
};

}  // namespace taliq

#endif  // TALIQ_FREQTOOL_FIND_VIEW_H_
