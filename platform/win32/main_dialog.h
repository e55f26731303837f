// The main dialog of a program, as the dialog framework's application
// wizard lays it out: an About item at the end of the system menu that
// opens the program's About box, the program's icon on the window (big and
// small), and, while the window is minimised, that icon painted centred in
// it and dragged for it.
//
// ModelDialog binds such a dialog to its window-free model: the model is
// constructed with the platform and the dialog as its view, and the system
// menu's commands go to the model, which answers the About item with the
// view's ShowAboutBox.
#ifndef TALIQ_PLATFORM_WIN32_MAIN_DIALOG_H_
#define TALIQ_PLATFORM_WIN32_MAIN_DIALOG_H_

#include <span>

#include "platform/dialog_frame.h"
#include "platform/platform.h"
#include "platform/win32/dialog.h"
#include "platform/win32/win32_api.h"

namespace taliq::win32 {

// The resources a main dialog takes from its program's resource.h, in this
// order.
struct MainDialogIds {
  int dialog;         // the main dialog's template
  int aboutBox;       // the About box's template (IDD_ABOUTBOX)
  int icon;           // the program's icon (IDR_MAINFRAME)
  UINT aboutText;     // the About item's text (IDS_ABOUTBOX)
  UINT aboutCommand;  // the About item's command (IDM_ABOUTBOX)
};

// The About box: its template and an OK button that ends it.
class CAboutDlg : public ModalDialog {
 public:
  CAboutDlg(int templateId, HWND parent);
};

class MainDialog : public ModalDialog {
 public:
  // Loads the program's icon; the window comes with DoModal.
  explicit MainDialog(const MainDialogIds& ids);
  ~MainDialog() override;

  // Runs the About box modally over this dialog and returns when it closes.
  void RunAboutBox();

 protected:
  // Adds the About item to the system menu and sets the icons, then lets
  // the program fill its controls; the focus goes to the first tab stop.
  bool OnInitDialog() final;
  virtual void OnInitControls() {}
  // The program's own system-menu commands, added above the About item.
  virtual std::span<const SystemMenuCommand> SystemMenuCommands() { return {}; }

  // WM_PAINT of the minimised window: the icon centred in the client area
  // (MinimizedIconPosition); otherwise the default painting.
  bool OnPaint() override;
  HICON OnQueryDragIcon() override { return icon_; }

 private:
  MainDialogIds ids_;
  HICON icon_;
};

// A main dialog that is also its model's view (View, the model's view
// interface, is implemented by the derived dialog but for ShowAboutBox).
// Model is constructed as Model(Platform*, View*) and handles
// OnSysCommand(unsigned): true when the command was its own.
template <class Model, class View>
class ModelDialog : public MainDialog, public View {
 public:
  // Constructs the model on the process's platform; models do not call
  // their view before OnInitDialog.
  explicit ModelDialog(const MainDialogIds& ids)
      : MainDialog(ids), model_(Platform::Default(), this) {}

  void ShowAboutBox() override { RunAboutBox(); }

 protected:
  std::span<const SystemMenuCommand> SystemMenuCommands() override {
    if constexpr (requires(Model & m) { m.SystemMenuCommands(); }) {
      return model_.SystemMenuCommands();
    } else {
      return {};
    }
  }

  bool OnSysCommand(WPARAM command, LPARAM /*position*/) override {
    return model_.OnSysCommand(static_cast<unsigned>(command));
  }

  Model& model() { return model_; }

 private:
  Model model_;
};

}  // namespace taliq::win32

#endif  // TALIQ_PLATFORM_WIN32_MAIN_DIALOG_H_
