// Construction of the editor dialog from its template, the empty state and the routing of the
// controls' notifications to the dialog's handlers.
#include "editor/dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QFocusEvent>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSignalBlocker>

#include "editor/dialog_units.h"
#include "editor/updown.h"
#include "grid/spread.h"
#include "model/bmp_file.h"
#include "platform/prompt.h"
#include "platform/qt_display.h"
#include "platform/ui_setup.h"

namespace kel {

namespace {

constexpr int kEditTextLimit = 255;
const char kContIconResource[] = ":/bitmaps/25204.bmp";

// Header texts of column 0, rows 0 to 5.
const char* const kRowHeaders[] = {"ﾌﾚｰﾑ", "ｲﾒｰｼﾞ", "ﾏｽｸ", "ｻｳﾝﾄﾞ", "X", "Y"};

}  // namespace

ObKELDialog::ObKELDialog(Document& doc, PromptPort& prompt, QWidget* parent)
    : QWidget(parent), doc_(doc), prompt_(prompt), dc_(std::make_unique<QtDisplay>()) {
  RegisterResources();  // the continue icon is one of the program's pictures
  setObjectName(QStringLiteral("ObKELDialog"));
  CreateControls();
  LoadContIcon();
  InitWindow();
  ConnectDocument();
}

ObKELDialog::~ObKELDialog() {
  // The controls outlive this part of the object (Qt deletes them with the widget): a focus
  // change or selection change while they go must not reach the handlers any more.
  for (int f = 0; f < kFieldCount; ++f) FieldEdit(Field(f))->removeEventFilter(this);
  ObjectCombo->disconnect(this);
  BehaveTypeCombo->disconnect(this);
  RandomCheckBox->disconnect(this);
  AutoRepeatCheckBox->disconnect(this);
  DepthUpDown->disconnect(this);
  Spread->disconnect(this);
  doc_.disconnect(this);
}

QSize ObKELDialog::sizeHint() const {
  return sizePx_;
}

void ObKELDialog::CreateControls() {
  const DialogBaseUnits base = BaseUnitsOf(font());
  auto place = [&](QWidget* w, const char* name, int x, int y, int cx, int cy) {
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(DialogUnitsToPixels(QRect(x, y, cx, cy), base));
  };
  auto label = [&](const char* text, const char* name, int x, int y, int cx, int cy) {
    auto* l = new QLabel(QString::fromUtf8(text), this);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(l, name, x, y, cx, cy);
    return l;
  };
  auto edit = [&](const char* name, int x, int y, int cx, int cy) {
    auto* e = new QLineEdit(this);
    e->setMaxLength(kEditTextLimit);
    place(e, name, x, y, cx, cy);
    return e;
  };
  // A drop-down list: the template's height includes the list that drops down; the closed box
  // is as high as an edit, and the list shows as many entries as the rest of that height holds.
  auto combo = [&](const char* name, int x, int y, int cx, int cy) {
    auto* c = new QComboBox(this);
    place(c, name, x, y, cx, 12);
    const int listPx = DialogUnitsToPixels(QRect(0, 0, 0, cy - 12), base).height();
    const int itemPx = QFontMetrics(c->font()).height() + 2;
    c->setMaxVisibleItems(std::max(1, listPx / itemPx));
    // Some styles open the list as a menu as tall as all its entries, ignoring the count above.
    c->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    return c;
  };

  // The etched frame around the object name comes last in the template and lies beneath
  // everything else.
  auto* nameFrame = new QFrame(this);
  nameFrame->setFrameStyle(QFrame::Box | QFrame::Sunken);
  place(nameFrame, "NameFrame", 8, 4, 128, 18);

  label("ｵﾌﾞｼﾞｪｸﾄ名", "ObjectLabel", 16, 8, 48, 8);
  ObjectCombo = combo("ObjectCombo", 64, 8, 64, 48);
  label("深さ", "DepthLabel", 168, 12, 18, 8);
  DepthEdit = edit("DepthEdit", 184, 8, 24, 12);
  DepthEdit->setValidator(new QRegularExpressionValidator(
      QRegularExpression(QStringLiteral("[0-9０-９]*")), DepthEdit));
  DepthUpDown = new TUpDown(this);
  place(DepthUpDown, "DepthUpDown", 208, 8, 9, 12);
  DepthUpDown->SetBuddy(DepthEdit);

  auto* behaveGroup = new QGroupBox(QStringLiteral("動作ﾀｲﾌﾟ"), this);
  place(behaveGroup, "BehaveGroup", 11, 24, 89, 40);
  BehaveTypeCombo = combo("BehaveTypeCombo", 24, 36, 60, 56);
  // Its list shows every behaviour at once: five entries are no list to scroll.
  BehaveTypeCombo->setMaxVisibleItems(ObSpriteData::kBehaveCount);
  AutoRepeatCheckBox = new QCheckBox(QStringLiteral("ｵｰﾄﾘﾋﾟｰﾄ"), this);
  place(AutoRepeatCheckBox, "AutoRepeatCheckBox", 24, 48, 43, 12);

  auto* startGroup = new QGroupBox(QStringLiteral("ｽﾀｰﾄﾀｲﾌﾟ"), this);
  place(startGroup, "StartGroup", 112, 24, 149, 40);
  RandomCheckBox = new QCheckBox(QStringLiteral("ﾗﾝﾀﾞﾑ"), this);
  place(RandomCheckBox, "RandomCheckBox", 120, 32, 33, 12);
  label("位置", "PositionLabel", 156, 36, 18, 8);
  label("X:", "PosXLabel", 176, 36, 7, 8);
  PosXEdit = edit("PosXEdit", 185, 34, 29, 11);
  label("Y:", "PosYLabel", 217, 36, 7, 8);
  PosYEdit = edit("PosYEdit", 225, 34, 29, 11);
  label("速度", "SpeedLabel", 156, 51, 17, 8);
  label("X:", "SpeedXLabel", 176, 51, 7, 8);
  SpeedXEdit = edit("SpeedXEdit", 185, 49, 29, 11);
  label("Y:", "SpeedYLabel", 217, 51, 7, 8);
  SpeedYEdit = edit("SpeedYEdit", 225, 49, 29, 11);

  label("ｲﾒｰｼﾞｻｲｽﾞ", "SizeLabel", 14, 76, 36, 8);
  SizeXEdit = edit("SizeXEdit", 56, 72, 32, 12);
  label("×", "SizeTimesLabel", 88, 74, 9, 8);
  SizeYEdit = edit("SizeYEdit", 96, 72, 30, 12);
  label("ﾌﾚｰﾑ数", "FramesLabel", 164, 76, 27, 8);
  FramesEdit = edit("FramesEdit", 196, 72, 30, 12);

  Spread = new TSpread(this);
  place(Spread, "Spread", 0, 92, 276, 84);

  // Group boxes and the etched frame are drawn beneath the controls they surround.
  for (QWidget* w : {static_cast<QWidget*>(behaveGroup), static_cast<QWidget*>(startGroup)})
    w->lower();
  nameFrame->lower();

  // The tab order of the template.
  QWidget* const tabOrder[] = {ObjectCombo,
                               DepthEdit,
                               BehaveTypeCombo,
                               AutoRepeatCheckBox,
                               RandomCheckBox,
                               PosXEdit,
                               PosYEdit,
                               SpeedXEdit,
                               SpeedYEdit,
                               SizeXEdit,
                               SizeYEdit,
                               FramesEdit,
                               static_cast<QWidget*>(Spread)};
  for (size_t i = 1; i < std::size(tabOrder); ++i) setTabOrder(tabOrder[i - 1], tabOrder[i]);

  sizePx_ = DialogUnitsToPixels(QRect(0, 0, kWidthDu, kHeightDu), base).size();
  // The template's size is the least the form takes; a larger window gives its room to the grid,
  // which keeps the template's margins to the right and below.
  setMinimumSize(sizePx_);
  resize(sizePx_);
  gridMargins_ =
      QMargins(0, Spread->geometry().top(), sizePx_.width() - Spread->geometry().right() - 1,
               sizePx_.height() - Spread->geometry().bottom() - 1);

  connect(BehaveTypeCombo, &QComboBox::currentIndexChanged, this, [this] { BehaveCombo(); });
  connect(RandomCheckBox, &QCheckBox::clicked, this, [this] { RandomCheck(); });
  connect(AutoRepeatCheckBox, &QCheckBox::clicked, this, [this] { AutoRepeatCheck(); });
  connect(ObjectCombo, &QComboBox::currentIndexChanged, this, [this] { RedrawDialogParam(); });
  // Taken once the cell's editor has closed: the grid is shown again from the document then.
  connect(
      Spread, &TSpread::CellEdited, this,
      [this](int col, int row) { CommitLocation(col, row, Spread->SSGetData(col, row)); },
      Qt::QueuedConnection);
  connect(DepthUpDown, &TUpDown::Changed, this, [this] { CommitField(kDepth); });
  // A field goes into the document when the user leaves it or presses Enter in it.
  for (int f = 0; f < kFieldCount; ++f) {
    QLineEdit* e = FieldEdit(Field(f));
    e->installEventFilter(this);
    connect(e, &QLineEdit::returnPressed, this, [this, f] { CommitField(Field(f)); });
  }
}

void ObKELDialog::ConnectDocument() {
  // Each change marks what it leaves to show; Refresh shows it now, or when the batch ends.
  auto mark = [this](bool Pending::*what) {
    return [this, what] {
      pending_.*what = true;
      Refresh();
    };
  };
  // The same for a change of one object: only the object shown is shown again.
  auto markShown = [this](bool Pending::*what) {
    return [this, what](ObSpriteData* changed) {
      if (!changed || changed != doc_.Current()) return;
      pending_.*what = true;
      Refresh();
    };
  };
  connect(&doc_, &Document::currentChanged, this, mark(&Pending::display));
  connect(&doc_, &Document::listReset, this, [this] {
    pending_.names = pending_.display = true;
    Refresh();
  });
  connect(&doc_, &Document::objectInserted, this, mark(&Pending::names));
  connect(&doc_, &Document::objectRemoved, this, mark(&Pending::names));
  connect(&doc_, &Document::objectRenamed, this, mark(&Pending::names));
  connect(&doc_, &Document::paramsChanged, this, markShown(&Pending::params));
  connect(&doc_, &Document::framesChanged, this, markShown(&Pending::frames));
  connect(&doc_, &Document::locationsChanged, this, markShown(&Pending::locations));
  connect(&doc_, &Document::soundChanged, this, markShown(&Pending::sound));
  connect(&doc_, &Document::slotsChanged, this, [this](ObSpriteData* changed, int frame) {
    if (!changed || changed != doc_.Current()) return;
    pending_.columns.push_back(frame + 1);
    Refresh();
  });
  connect(&doc_, &Document::cellRevealed, this, [this](GridCell cell) {
    pending_.cell = cell;
    Refresh();
  });
  connect(&doc_, &Document::batchStarted, this, [this] { HoldGrid(); });
  connect(&doc_, &Document::batchFinished, this, [this] {
    Refresh();
    ReleaseGrid();
  });
}

void ObKELDialog::LoadContIcon() {
  ContIconImage = std::make_unique<ObBmpImage>();
  QFile file(QString::fromLatin1(kContIconResource));
  if (!file.open(QIODevice::ReadOnly)) return;
  const QByteArray bytes = file.readAll();
  DibLoad load = LoadBitmapFileBytes(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                     size_t(bytes.size()));
  if (load.dib) ContIconImage = std::make_unique<ObBmpImage>(std::move(load.dib));
}

void ObKELDialog::InitWindow() {
  HoldGrid();
  Spread->SSClear(-1, -1);
  Spread->SSSetMaxRows(kGridRows);
  Spread->SSSetMaxCols(kGridCols);
  Spread->SSSetBool(17, false);
  Spread->SSSetColWidth(0, 6.0);
  for (int c = 1; c <= kGridCols; ++c) Spread->SSSetColWidth(c, 10.0);
  FitRows();
  for (int r = 0; r <= kGridRows; ++r) Spread->SSSetData(0, r, QString::fromUtf8(kRowHeaders[r]));
  for (int c = 1; c <= kGridCols; ++c)
    if (!Spread->SSSetData(c, 0, QString::number(c))) break;
  SetImageToCell(-1, kRowImage, nullptr);
  SetImageToCell(-1, kRowMask, nullptr);

  ContIconImage->MakePalette();
  ContIconImage->DIBtoDDB(*dc_);

  {
    const QSignalBlocker block(BehaveTypeCombo);
    BehaveTypeCombo->clear();
    for (int i = 0; ObSpriteData::BehaveName[i]; ++i)
      BehaveTypeCombo->addItem(QString::fromUtf8(ObSpriteData::BehaveName[i]));
  }
  DepthUpDown->SetRange(0, kMaxDepth);
  ReleaseGrid();

  ShowObjectNames();
  DispSpriteData(CurrentSprite());
}

void ObKELDialog::FillObjectCombo() {
  for (const auto& sprite : doc_.Objects()) ObjectCombo->addItem(ObjectName(*sprite));
}

void ObKELDialog::ShowObjectNames() {
  // Refilling moves the drop-down's selection: that is no switch of the user's.
  const QSignalBlocker block(ObjectCombo);
  ObjectCombo->clear();
  FillObjectCombo();
  ObjectCombo->setCurrentIndex(doc_.CurrentIndex());
}

void ObKELDialog::EnableRandomFor(int behave) {
  // One-shot and fixed-position objects start where they are told: no random start.
  RandomCheckBox->setEnabled(behave != 2 && behave != ObSpriteData::kFixedPosition);
}

QLineEdit* ObKELDialog::FieldEdit(Field field) const {
  QLineEdit* const edits[] = {DepthEdit,  PosXEdit,  PosYEdit,  SpeedXEdit,
                              SpeedYEdit, SizeXEdit, SizeYEdit, FramesEdit};
  return edits[field];
}

void ObKELDialog::WriteField(Field field, long long value) {
  shown_[field] = QString::number(value);
  FieldEdit(field)->setText(shown_[field]);
}

void ObKELDialog::ClearFields() {
  for (int f = 0; f < kFieldCount; ++f) {
    shown_[size_t(f)].clear();
    FieldEdit(Field(f))->clear();
  }
}

void ObKELDialog::HoldGrid() {
  if (gridHeld_++ == 0) Spread->SSSetBool(TSpread::kBoolRedraw, false);
}

void ObKELDialog::ReleaseGrid() {
  if (gridHeld_ > 0 && --gridHeld_ == 0) Spread->SSSetBool(TSpread::kBoolRedraw, true);
}

void ObKELDialog::ShowError(const QString& text) {
  prompt_.MessageBox(window(), text, QStringLiteral("エラー"), MB_OK | MB_ICONINFORMATION);
}

void ObKELDialog::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  Spread->setGeometry(rect().marginsRemoved(gridMargins_));
  FitRows();
}

void ObKELDialog::FitRows() {
  // Every row shows without scrolling at zoom 1: the text rows keep their height and the two
  // picture rows share what is left of the grid's height, however small or large the window is;
  // a zoom makes them larger than that.
  const int text = Spread->verticalHeader()->sectionSize(kRowSound - 1) +
                   Spread->verticalHeader()->sectionSize(kRowX - 1) +
                   Spread->verticalHeader()->sectionSize(kRowY - 1);
  const int inner = Spread->height() - 2 * Spread->frameWidth() -
                    Spread->horizontalHeader()->height() -
                    Spread->horizontalScrollBar()->sizeHint().height();
  const int picture = std::max(kMinPictureRowPx, (inner - text) / 2);
  for (int row : {kRowImage, kRowMask}) Spread->SetRowPixels(row, picture);
}

bool ObKELDialog::event(QEvent* e) {
  // A window's activation reaches its child widgets too; the dialog realizes its palette then.
  if (e->type() == QEvent::WindowActivate) EvActivate(1, window()->isMinimized(), nullptr);
  return QWidget::event(e);
}

bool ObKELDialog::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::FocusOut) {
    // Only a real move of the focus counts: a menu opening or another window (a message box)
    // coming to the front leaves the field in place, and its number is taken when the user
    // does move on (or a command takes it first).
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(e)->reason();
    if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
      for (int f = 0; f < kFieldCount; ++f)
        if (watched == FieldEdit(Field(f))) CommitField(Field(f));
    }
  }
  return QWidget::eventFilter(watched, e);
}

}  // namespace kel
