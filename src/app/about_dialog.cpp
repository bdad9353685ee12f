#include "app/about_dialog.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "editor/dialog_units.h"

namespace kel {

namespace {

// The line above the program's name: the family the program belongs to.
const char kProductFamily[] = "keledit アニメーション制作ツール";
const char kReleaseLine[] = "オブジェクトエディタ R1.03g";
const char kCaption[] = "オブジェクトエディタ について";
const char kProgramIcon[] = ":/icons/keledit-32.png";  // icon 10, the program icon

}  // namespace

kelAboutDlg::kelAboutDlg(QWidget* parent, int resId, const VersionBlock* module)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      module_(module) {
  (void)resId;  // the one template this dialog knows
  setObjectName(QStringLiteral("kelAboutDlg"));
  setWindowTitle(QString::fromUtf8(kCaption));
  setModal(true);
  CreateControls();
  SetupWindow();
}

kelAboutDlg::~kelAboutDlg() = default;

void kelAboutDlg::CreateControls() {
  const DialogBaseUnits base = BaseUnitsOf(font());
  auto place = [&](QWidget* w, const char* name, int x, int y, int cx, int cy) {
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(DialogUnitsToPixels(QRect(x, y, cx, cy), base));
  };
  // Statics wrap their words as the window system's do. Their text is shown as written: no
  // markup and no "&" mnemonics, whatever the version block holds.
  auto text = [&](const char* utf8, const char* name, int x, int y, int cx, int cy,
                  Qt::Alignment align, int id) {
    auto* l = new QLabel(QString::fromUtf8(utf8), this);
    l->setTextFormat(Qt::PlainText);
    l->setWordWrap(true);
    l->setAlignment(align | Qt::AlignTop);
    if (id) l->setProperty("controlId", id);
    place(l, name, x, y, cx, cy);
    return l;
  };

  text(kProductFamily, "ProductFamily", 32, 4, 144, 8, Qt::AlignHCenter, 0);
  auto* icon = new QLabel(this);
  place(icon, "ProgramIcon", 4, 4, 16, 14);
  icon->setPixmap(QIcon(QString::fromLatin1(kProgramIcon)).pixmap(icon->size()));
  icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  text(kReleaseLine, "ReleaseLine", 24, 12, 160, 8, Qt::AlignHCenter, 0);
  version_ = text("Version", "VersionText", 2, 32, 200, 8, Qt::AlignHCenter, IDC_VERSION);
  copyright_ = text("", "CopyrightText", 2, 40, 200, 17, Qt::AlignHCenter, IDC_COPYRIGHT);
  specialBuild_ = text("", "SpecialBuildText", 136, 55, 66, 8, Qt::AlignRight, IDC_SPECIALBUILD);

  ok_ = new QPushButton(QStringLiteral("OK"), this);
  place(ok_, "OkButton", 82, 60, 40, 14);
  ok_->setDefault(true);
  ok_->setAutoDefault(true);
  ok_->setFocus();
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);

  setFixedSize(DialogUnitsToPixels(QRect(0, 0, kWidthDu, kHeightDu), base).size());
  if (QWidget* owner = parentWidget()) {
    const QRect offset = DialogUnitsToPixels(QRect(kLeftDu, kTopDu, 0, 0), base);
    move(owner->mapToGlobal(QPoint(0, 0)) + offset.topLeft());
  }
}

QLabel* kelAboutDlg::Item(int id) const {
  switch (id) {
    case IDC_VERSION:
      return version_;
    case IDC_COPYRIGHT:
      return copyright_;
    case IDC_SPECIALBUILD:
      return specialBuild_;
    default:
      return nullptr;
  }
}

void kelAboutDlg::SetupWindow() {
  ProjectRCVersion version(module_);
  const char* name = nullptr;
  const char* number = nullptr;
  if (version.GetProductName(name) && version.GetProductVersion(number)) {
    // Joined, not formatted: every part is kept whole, and a "%" or "&" in a value is text.
    version_->setText(QString::fromUtf8(name) + QLatin1Char(' ') + version_->text() +
                      QLatin1Char(' ') + QString::fromUtf8(number));
  }
  const char* notice = nullptr;
  if (version.GetCopyright(notice)) copyright_->setText(QString::fromUtf8(notice));
  const char* special = nullptr;
  if (version.GetDebug(special)) specialBuild_->setText(QString::fromUtf8(special));
}

}  // namespace kel
