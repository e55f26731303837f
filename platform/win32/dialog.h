// A modal dialog from a template, with a message map and data exchange: the
// small part of a dialog framework the programs need.
//
// The dialog procedure finds its object through the window's user data (set
// from WM_INITDIALOG's parameter) and dispatches: commands through the
// derived class's command map, then OK and Cancel; WM_SYSCOMMAND, WM_PAINT
// and WM_QUERYDRAGICON to their virtual handlers.
#ifndef TALIQ_PLATFORM_WIN32_DIALOG_H_
#define TALIQ_PLATFORM_WIN32_DIALOG_H_

#include <span>
#include <string>
#include <string_view>

#include "platform/win32/win32_api.h"

namespace taliq::win32 {

class ModalDialog;

// One direction of an exchange between controls and members. After the
// first failed check the remaining exchanges of the same pass are skipped,
// as the framework's exchange stops at its first failure.
class DataExchange {
 public:
  DataExchange(HWND dialog, bool saveAndValidate)
      : dialog_(dialog), saveAndValidate_(saveAndValidate) {}

  HWND dialog() const { return dialog_; }
  bool saveAndValidate() const { return saveAndValidate_; }
  bool failed() const { return failed_; }
  // Ends the pass; the focus goes to the control exchanged last.
  void Fail();

  // The control the last exchange worked on, for the checks that follow it.
  void SetLastControl(int id, bool isEdit) {
    lastControl_ = id;
    lastIsEdit_ = isEdit;
  }
  int lastControl() const { return lastControl_; }
  bool lastIsEdit() const { return lastIsEdit_; }

 private:
  HWND dialog_;
  bool saveAndValidate_;
  bool failed_ = false;
  int lastControl_ = 0;
  bool lastIsEdit_ = false;
};

// Text of a control. Writing replaces the text only when it differs, so an
// edit control sends no change notification for an unchanged text.
void DdxText(DataExchange& dx, int id, std::u16string& value);
// Reading: a text longer than maxChars shows the framework's message
// ("Please enter no more than N characters.") and fails the pass.
// Otherwise (and when writing) the edit control of the preceding DdxText is
// limited to maxChars.
void DdvMaxChars(DataExchange& dx, const std::u16string& value, int maxChars);
// Radio group that starts at firstId (a control with WS_GROUP) and runs to
// the next control with WS_GROUP; only radio buttons count. The value is the
// index of the checked button, -1 when none is.
void DdxRadio(DataExchange& dx, int firstId, int& value);
// Checkbox: 0 unchecked, 1 checked, 2 indeterminate.
void DdxCheck(DataExchange& dx, int id, int& value);
// Binds a control object to a control of the dialog.
struct Control {
  HWND hwnd = nullptr;
};
void DdxControl(DataExchange& dx, int id, Control& control);

// The helpers underneath, for code that reads or writes one control.
std::u16string WindowText(HWND window);
// True when the text was different and has been replaced.
bool SetWindowTextIfDifferent(HWND window, std::u16string_view text);
int RadioGroupIndex(HWND dialog, int firstId);
void SetRadioGroupIndex(HWND dialog, int firstId, int index);

class ModalDialog {
 public:
  ModalDialog(int templateId, HWND parent = nullptr);
  virtual ~ModalDialog();
  ModalDialog(const ModalDialog&) = delete;
  ModalDialog& operator=(const ModalDialog&) = delete;

  // Creates the dialog from its template and runs it until EndDialog; the
  // result given to EndDialog, or -1 when the dialog could not be created.
  INT_PTR DoModal();

  HWND hwnd() const { return hwnd_; }
  HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }

  // Runs DoDataExchange in one direction; false when a check failed.
  bool UpdateData(bool saveAndValidate);
  void EndDialog(INT_PTR result);

 protected:
  // An entry of a derived dialog's command map: notification code, control
  // id and the member that handles it.
  template <class Dialog>
  struct CommandEntry {
    WORD code;
    WORD id;
    void (Dialog::*handler)();
  };
  // Calls the handler of the first entry that matches; false when none does.
  template <class Dialog>
  static bool DispatchCommand(Dialog* dialog, std::span<const CommandEntry<Dialog>> map,
                              WORD id, WORD code) {
    for (const CommandEntry<Dialog>& entry : map) {
      if (entry.id == id && entry.code == code) {
        (dialog->*entry.handler)();
        return true;
      }
    }
    return false;
  }

  virtual void DoDataExchange(DataExchange&) {}
  // Default: writes the controls (UpdateData(false)); true lets the focus go
  // to the first tab stop.
  virtual bool OnInitDialog();
  // Default: reads the controls and, when that succeeds, ends with IDOK.
  virtual void OnOK();
  // Default: ends with IDCANCEL.
  virtual void OnCancel();
  // The command map; true when a handler ran.
  virtual bool OnCommand(WORD /*id*/, WORD /*code*/) { return false; }
  // False leaves the command to the default window procedure.
  virtual bool OnSysCommand(WPARAM /*command*/, LPARAM /*position*/) { return false; }
  // False leaves the painting to the default window procedure.
  virtual bool OnPaint() { return false; }
  // The icon dragged for a minimised window; null for the default.
  virtual HICON OnQueryDragIcon() { return nullptr; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam,
                                     LPARAM lParam);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

  int templateId_;
  HWND parent_;
  HWND hwnd_ = nullptr;
};

// The resource id as the pointer the resource calls take.
inline const wchar_t* ResourceId(int id) { return MAKEINTRESOURCEW(id); }

}  // namespace taliq::win32

#endif  // TALIQ_PLATFORM_WIN32_DIALOG_H_
