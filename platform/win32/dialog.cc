#include "platform/win32/dialog.h"

#include <string>
#include <vector>

#include "platform/win32/application.h"

namespace taliq::win32 {
namespace {

bool IsRadioButton(HWND control) {
  return (::SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0;
}

bool StartsGroup(HWND control) { return (::GetWindowLongW(control, GWL_STYLE) & WS_GROUP) != 0; }

// The radio buttons of the group that starts at firstId, in z order.
std::vector<HWND> RadioGroup(HWND dialog, int firstId) {
  std::vector<HWND> buttons;
  HWND control = ::GetDlgItem(dialog, firstId);
  bool first = true;
  while (control != nullptr && (first || !StartsGroup(control))) {
    if (IsRadioButton(control)) buttons.push_back(control);
    first = false;
    control = ::GetWindow(control, GW_HWNDNEXT);
  }
  return buttons;
}

}  // namespace

std::u16string WindowText(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  const int got = ::GetWindowTextW(window, buffer.data(), length + 1);
  return U16(buffer.c_str(), static_cast<size_t>(got > 0 ? got : 0));
}

bool SetWindowTextIfDifferent(HWND window, std::u16string_view text) {
  if (WindowText(window) == text) return false;
  const std::u16string copy(text);
  ::SetWindowTextW(window, W(copy));
  return true;
}

int RadioGroupIndex(HWND dialog, int firstId) {
  const std::vector<HWND> buttons = RadioGroup(dialog, firstId);
  for (size_t i = 0; i < buttons.size(); ++i) {
    if (::SendMessageW(buttons[i], BM_GETCHECK, 0, 0) == BST_CHECKED) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

void SetRadioGroupIndex(HWND dialog, int firstId, int index) {
  const std::vector<HWND> buttons = RadioGroup(dialog, firstId);
  for (size_t i = 0; i < buttons.size(); ++i) {
    ::SendMessageW(buttons[i], BM_SETCHECK,
                   static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

int CheckState(HWND dialog, int id) {
  return static_cast<int>(::SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0));
}

void SetCheckState(HWND dialog, int id, int state) {
  ::SendDlgItemMessageW(dialog, id, BM_SETCHECK, static_cast<WPARAM>(state), 0);
}

void AppendSystemMenuCommands(HWND window, std::span<const SystemMenuCommand> commands) {
  HMENU menu = ::GetSystemMenu(window, FALSE);
  if (menu == nullptr || commands.empty()) return;
  ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  for (const SystemMenuCommand& command : commands) {
    const std::u16string text(command.text);
    ::AppendMenuW(menu, MF_STRING, command.id, W(text));
  }
}

void AppendAboutItem(HWND window, UINT textId, UINT commandId) {
  HMENU menu = ::GetSystemMenu(window, FALSE);
  if (menu == nullptr) return;
  const std::u16string text = LoadStringResource(textId);
  if (text.empty()) return;
  ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuW(menu, MF_STRING, commandId, W(text));
}

void SetWindowIcons(HWND window, HICON icon) {
  ::SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  ::SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

SIZE ClientSize(HWND window) {
  RECT rect = {};
  ::GetClientRect(window, &rect);
  return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

void PaintMinimizedIcon(HWND window, HICON icon, int x, int y) {
  PAINTSTRUCT paint;
  HDC dc = ::BeginPaint(window, &paint);
  ::SendMessageW(window, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  ::DrawIcon(dc, x, y, icon);
  ::EndPaint(window, &paint);
}

ModalDialog::ModalDialog(int templateId, HWND parent) : templateId_(templateId), parent_(parent) {}

ModalDialog::~ModalDialog() = default;

INT_PTR ModalDialog::DoModal() {
  HWND parent = parent_;
  if (parent == nullptr) {
    // Like the framework: a dialog without a parent is owned by the
    // program's active window, if there is one.
    parent = ::GetActiveWindow();
  }
  return ::DialogBoxParamW(::GetModuleHandleW(nullptr), ResourceId(templateId_), parent,
                           &ModalDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

void ModalDialog::EndDialog(INT_PTR result) { ::EndDialog(hwnd_, result); }

void ModalDialog::OnOK() { EndDialog(IDOK); }

void ModalDialog::OnCancel() { EndDialog(IDCANCEL); }

INT_PTR CALLBACK ModalDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ModalDialog* dialog = nullptr;
  if (message == WM_INITDIALOG) {
    dialog = reinterpret_cast<ModalDialog*>(lParam);
    ::SetWindowLongPtrW(window, DWLP_USER, lParam);
    dialog->hwnd_ = window;
  } else {
    dialog = reinterpret_cast<ModalDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
  }
  // Messages that arrive before WM_INITDIALOG (WM_SETFONT) have no object.
  if (dialog == nullptr) return FALSE;
  return dialog->Dispatch(message, wParam, lParam);
}

INT_PTR ModalDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog() ? TRUE : FALSE;
    case WM_COMMAND: {
      const WORD id = LOWORD(wParam);
      const WORD code = HIWORD(wParam);
      if (OnCommand(id, code)) return TRUE;
      if (code == BN_CLICKED && id == IDOK) {
        OnOK();
        return TRUE;
      }
      if (code == BN_CLICKED && id == IDCANCEL) {
        OnCancel();
        return TRUE;
      }
      return FALSE;
    }
    case WM_SYSCOMMAND:
      return OnSysCommand(wParam, lParam) ? TRUE : FALSE;
    case WM_PAINT:
      return OnPaint() ? TRUE : FALSE;
    case WM_QUERYDRAGICON:
      // One of the messages whose dialog-procedure result is the answer.
      return reinterpret_cast<INT_PTR>(OnQueryDragIcon());
    case WM_NCDESTROY:
      hwnd_ = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace taliq::win32
