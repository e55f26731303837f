// What every program's main dialog frame does alike, without a window: how
// a system-menu command is recognised and where the minimised dialog draws
// its icon. The Win32 main dialog (platform/win32/main_dialog.h) and the
// window-free dialog models follow these rules.
#ifndef TALIQ_PLATFORM_DIALOG_FRAME_H_
#define TALIQ_PLATFORM_DIALOG_FRAME_H_

#include <string_view>

namespace taliq {

// WM_SYSCOMMAND ids are compared under this mask: the low four bits belong
// to the system.
inline constexpr unsigned kSysCommandMask = 0xFFF0u;

// Whether a WM_SYSCOMMAND command is the system-menu item `itemId`.
constexpr bool IsSystemMenuItem(unsigned command, unsigned itemId) {
  return (command & kSysCommandMask) == itemId;
}

// A command of the program's own in the system menu. The commands stand
// between the system's items and the About item, in the order given; ids
// are multiples of 16 below 0xF000, as the system requires.
struct SystemMenuCommand {
  unsigned id;
  std::u16string_view text;  // with its access key, e.g. u"查碼(&F)..."
};

// Where the minimised dialog draws its icon: centred in the client area,
// rounding as the dialog always has ((width - icon width + 1) / 2).
struct IconPosition {
  int x = 0;
  int y = 0;
};
constexpr IconPosition MinimizedIconPosition(int clientWidth, int clientHeight, int iconWidth,
                                             int iconHeight) {
  return IconPosition{(clientWidth - iconWidth + 1) / 2, (clientHeight - iconHeight + 1) / 2};
}

}  // namespace taliq

#endif  // TALIQ_PLATFORM_DIALOG_FRAME_H_
