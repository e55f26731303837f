// CTunavoApp: the application object of Tunavo.exe. Its whole run is the
// main dialog.
#include "freqtool/win/tunavo_dlg.h"
#include "platform/win32/application.h"

namespace taliq {

class CTunavoApp : public win32::Application {
 protected:
  bool InitInstance() override {
    // The dialog lives on this frame; DoModal returns when it is ended (or
    // at once when it could not be created) and the program ends.
    CTunavoDlg dialog;
    dialog.DoModal();
    return false;
  }
};

// The one application object.
CTunavoApp theApp;

}  // namespace taliq
