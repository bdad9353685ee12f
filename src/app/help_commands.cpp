// The help menu's commands: the help contents and the about box.
#include "app/about_dialog.h"
#include "app/frame_window.h"
#include "app/kel_app.h"
#include "editor/dialog.h"

namespace kel {

bool kelApp::CmHelpCont() {
  return dialog_ && dialog_->CmHelpCont();
}

void kelApp::CmHelpAbout() {
  kelAboutDlg about(frame_.get(), kelAboutDlg::IDD_ABOUT);
  about.exec();
}

}  // namespace kel
