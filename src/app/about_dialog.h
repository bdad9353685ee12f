// kelAboutDlg: the modal about box. Its version line and legal notice are filled when it is set
// up, from the version block of the program (or of the module it is given).
#pragma once

#include <QDialog>

#include "app/version_info.h"

class QLabel;
class QPushButton;

namespace kel {

class kelAboutDlg : public QDialog {
  Q_OBJECT
 public:
  // The dialog template and the ids of its controls that are filled at run time.
  enum { IDD_ABOUT = 22000, IDC_VERSION = 22001, IDC_COPYRIGHT = 22002, IDC_SPECIALBUILD = 22003 };
  static constexpr int kWidthDu = 204, kHeightDu = 78;
  static constexpr int kLeftDu = 12, kTopDu = 17;  // where it opens, from its parent's corner

  // parent: the window it belongs to (and opens over). resId: the template (only IDD_ABOUT is
  // known). module: whose version block fills the texts, the program's own unless told; null
  // stands for a module without version information. The box is laid out and set up at once.
  explicit kelAboutDlg(QWidget* parent, int resId = IDD_ABOUT,
                       const VersionBlock* module = &ProgramVersion());
  ~kelAboutDlg() override;

  // The static control with this id (22001 to 22003), or null.
  QLabel* Item(int id) const;
  QPushButton* OkButton() const { return ok_; }

 protected:
  // Fills the version line, the legal notice and the special-build line from the module's
  // version block; a value it does not hold leaves its own line as the template has it.
  void SetupWindow();

 private:
  void CreateControls();

  const VersionBlock* module_;
  QLabel* version_ = nullptr;
  QLabel* copyright_ = nullptr;
  QLabel* specialBuild_ = nullptr;
  QPushButton* ok_ = nullptr;
};

}  // namespace kel
