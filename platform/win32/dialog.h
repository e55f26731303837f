// A modal dialog from a template, with a message map, and helpers for the
// controls: the small part of a dialog framework the programs need.
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

#include "platform/dialog_frame.h"
#include "platform/win32/win32_api.h"

namespace taliq::win32 {

// Control helpers. The programs' window-free models do the data exchange
// (what a control shows and what is read back); these carry it out.

std::u16string WindowText(HWND window);
// Replaces the text only when it differs, so that an edit control sends no
// change notification for an unchanged text. True when it was replaced.
bool SetWindowTextIfDifferent(HWND window, std::u16string_view text);
// A radio group starts at firstId (a control with WS_GROUP) and runs to the
// next control with WS_GROUP; only radio buttons count, group boxes and
// checkboxes in between do not. The index of the checked button, -1 when
// none is; setting checks the button of that index and unchecks the others.
int RadioGroupIndex(HWND dialog, int firstId);
void SetRadioGroupIndex(HWND dialog, int firstId, int index);
// A checkbox: BST_UNCHECKED (0), BST_CHECKED (1) or BST_INDETERMINATE (2).
int CheckState(HWND dialog, int id);
void SetCheckState(HWND dialog, int id, int state);

// The program's own system-menu commands: a separator, then one item per
// command. Nothing is added when there are none or no system menu.
void AppendSystemMenuCommands(HWND window, std::span<const SystemMenuCommand> commands);

// The system menu's About item: a separator, then the text of string
// resource `textId` under command `commandId`. Nothing is added when the
// window has no system menu or the string is missing or empty.
void AppendAboutItem(HWND window, UINT textId, UINT commandId);
// WM_SETICON with the icon, first as the big icon, then as the small one.
void SetWindowIcons(HWND window, HICON icon);
// The client area's width and height.
SIZE ClientSize(HWND window);
// The painting of a minimised dialog: erases the icon's background
// (WM_ICONERASEBKGND) and draws the icon at x, y.
void PaintMinimizedIcon(HWND window, HICON icon, int x, int y);

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
  static bool DispatchCommand(Dialog* dialog, std::span<const CommandEntry<Dialog>> map, WORD id,
                              WORD code) {
    for (const CommandEntry<Dialog>& entry : map) {
      if (entry.id == id && entry.code == code) {
        (dialog->*entry.handler)();
        return true;
      }
    }
    return false;
  }

  // True lets the focus go to the first tab stop.
  virtual bool OnInitDialog() { return true; }
  // Default: ends with IDOK.
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
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

  int templateId_;
  HWND parent_;
  HWND hwnd_ = nullptr;
};

// The resource id as the pointer the resource calls take.
inline const wchar_t* ResourceId(int id) { return MAKEINTRESOURCEW(id); }

}  // namespace taliq::win32

#endif  // TALIQ_PLATFORM_WIN32_DIALOG_H_
