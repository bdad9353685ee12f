// The help menu's commands: the help contents and the about box.
#include "app/about_dialog.h"
#include "app/frame_window.h"
#include "app/kel_app.h"

namespace kel {

void kelApp::CmHelpAbout() {
  kelAboutDlg about(frame_.get(), kelAboutDlg::IDD_ABOUT);
  about.exec();
}

}  // namespace kel
