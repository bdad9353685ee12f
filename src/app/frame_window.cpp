#include "app/frame_window.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusBar>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>

#include "app/commands.h"
#include "app/key_state.h"
#include "editor/dialog.h"

namespace kel {

namespace {

// The indicator labels of the status bar, in order.
const char* const kIndicatorLabels[] = {"CAPS", "NUM", "上書"};

// Whether the widget takes typed text: a field, a text box, a spin box, an editable combo box,
// or the editor an item view has open on one of its cells (the viewport's child).
bool IsTextEditor(const QWidget* w) {
  if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QTextEdit*>(w) ||
      qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w)) {
    return true;
  }
  if (const auto* combo = qobject_cast<const QComboBox*>(w); combo && combo->isEditable())
    return true;
  for (const QWidget* p = w; p && p->parentWidget(); p = p->parentWidget()) {
    const auto* view = qobject_cast<const QAbstractItemView*>(p->parentWidget()->parentWidget());
    if (view && p->parentWidget() == view->viewport()) return true;
  }
  return false;
}

}  // namespace

ObFrameWindow::ObFrameWindow(const QString& title, ObKELDialog* client,
                             std::function<bool()> canClose)
    : QMainWindow(nullptr), canClose_(std::move(canClose)) {
  setObjectName(GetClassName());
  setWindowTitle(title);
  setCentralWidget(client);
  if (client) {
    connect(client, &ObKELDialog::PaletteChanged, this,
            [this](QWidget* changer) { EvPaletteChanged(changer); });
  }
  // The lock keys are watched wherever the focus is.
  qApp->installEventFilter(this);
}

ObFrameWindow::~ObFrameWindow() {
  qApp->removeEventFilter(this);
}

ObKELDialog* ObFrameWindow::Client() const {
  return qobject_cast<ObKELDialog*>(centralWidget());
}

QAction* ObFrameWindow::AddCommand(int id, const QString& text,
                                   const std::function<void(int)>& route) {
  auto* action = new QAction(text, this);
  action->setData(id);
  action->setObjectName(QStringLiteral("command%1").arg(id));
  action->setStatusTip(HintText(id));
  // A button's tooltip says what its command does, as the status bar does; the menu text would
  // show a mnemonic and is the same for the two New commands.
  if (!action->statusTip().isEmpty()) action->setToolTip(action->statusTip());
  const QString glyph = GlyphPath(id);
  if (!glyph.isEmpty()) action->setIcon(QIcon(glyph));
  action->setIconVisibleInMenu(false);
  action->setShortcuts(CommandKeys(id));
  connect(action, &QAction::triggered, this, [route, id] { route(id); });
  // The accelerators work wherever the focus is in the window, also with the menu bar hidden.
  addAction(action);
  actions_[id] = action;
  return action;
}

QAction* ObFrameWindow::Action(int id) const {
  const auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

QStatusBar* ObFrameWindow::SetupStatusBar() {
  StatusBar = new QStatusBar(this);
  StatusBar->setObjectName(QStringLiteral("StatusBar"));
  StatusBar->setSizeGripEnabled(false);
  // The last indicator keeps the same gap from the window's edge as the indicators between them.
  StatusBar->setContentsMargins(0, 0, 4, 0);
  for (int i = 0; i < 3; ++i) {
    auto* label = new QLabel(QString::fromUtf8(kIndicatorLabels[i]), StatusBar);
    label->setObjectName(QStringLiteral("Indicator%1").arg(i));
    label->setAlignment(Qt::AlignCenter);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(label->text()) + 8);
    StatusBar->addPermanentWidget(label);
    indicators_[i] = label;
  }
  setStatusBar(StatusBar);
  UpdateIndicators();
  return StatusBar;
}

QToolBar* ObFrameWindow::SetupToolBox() {
  ToolBox = new QToolBar(QStringLiteral("ToolBox"), this);
  ToolBox->setObjectName(QStringLiteral("ToolBox"));
  ToolBox->setMovable(false);
  ToolBox->setFloatable(false);
  ToolBox->setOrientation(Qt::Vertical);
  ToolBox->toggleViewAction()->setVisible(false);
  auto* panel = new QWidget(ToolBox);
  panel->setObjectName(QStringLiteral("ToolBoxButtons"));
  auto* grid = new QGridLayout(panel);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(0);
  int n = 0;
  for (const ToolBoxButton& b : ToolBoxButtons()) {
    auto* button = new QToolButton(panel);
    button->setDefaultAction(Action(b.id));
    // The glyph is the button's own: the help button shows glyph 25104 for command 2020.
    button->setIcon(QIcon(QStringLiteral(":/toolbox/%1.png").arg(b.glyph)));
    button->setIconSize(QSize(kToolBoxGlyph, kToolBoxGlyph));
    button->setAutoRaise(false);
    button->setObjectName(QStringLiteral("ToolBox%1").arg(b.glyph));
    grid->addWidget(button, n / kToolBoxColumns, n % kToolBoxColumns);
    ++n;
  }
  grid->setRowStretch(n / kToolBoxColumns + 1, 1);
  ToolBox->addWidget(panel);
  addToolBar(Qt::LeftToolBarArea, ToolBox);
  return ToolBox;
}

void ObFrameWindow::SetupWindow() {
  // The frame starts as large as its client's template with the decorations around it, and is
  // never smaller; a larger frame gives its room to the client's grid.
  adjustSize();
  const QSize size = sizeHint().expandedTo(minimumSizeHint());
  setMinimumSize(size);
  resize(size);
  const QRect frame = frameGeometry();
  const QMargins margins(geometry().left() - frame.left(), geometry().top() - frame.top(),
                         frame.right() - geometry().right(), frame.bottom() - geometry().bottom());
  FrameWidth = size.width() + margins.left() + margins.right();
  FrameHeight = size.height() + margins.top() + margins.bottom();
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 0, 0);
  // Centred; a frame larger than the area starts above or left of it rather than being pushed
  // into it.
  FrameX = area.x() + (area.width() - FrameWidth) / 2;
  FrameY = area.y() + (area.height() - FrameHeight) / 2;
  move(FrameX, FrameY);
}

void ObFrameWindow::EvPaletteChanged(QWidget* changer) {
  ObKELDialog* dialog = Client();
  if (dialog && changer != dialog) dialog->SelectRealizePalette();
}

bool ObFrameWindow::EvQueryNewPalette() {
  ObKELDialog* dialog = Client();
  if (!dialog) return false;
  dialog->SelectRealizePalette();
  return true;
}

void ObFrameWindow::closeEvent(QCloseEvent* e) {
  // Exit, Alt+4, Alt+F4 and the close box all come here: the document may not be lost unasked.
  if (canClose_ && !canClose_()) {
    e->ignore();
    return;
  }
  e->accept();
}

void ObFrameWindow::changeEvent(QEvent* e) {
  if (e->type() == QEvent::ActivationChange && isActiveWindow()) {
    EvQueryNewPalette();
    UpdateIndicators();
  }
  QMainWindow::changeEvent(e);
}

bool ObFrameWindow::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::ShortcutOverride && watched == QApplication::focusWidget()) {
    // Del, Ctrl+Del and cut, copy, paste typed in a field act on its text, not on the object or
    // its cells: the field is asked to take the key before any accelerator is. A line edit
    // claims most of these itself but not Ctrl+Del (delete to the word's end).
    const auto* w = static_cast<QWidget*>(watched);
    const auto* key = static_cast<QKeyEvent*>(e);
    if (w->window() == this && IsTextEditor(w) && IsTextEditingKey(key->keyCombination())) {
      e->accept();
      return true;
    }
  }
  if (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease) {
    const auto* key = static_cast<QKeyEvent*>(e);
    // A key event reaches each widget on its way up; count the press once, at its target.
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : this;
    if (watched == target && target->window() == this && !key->isAutoRepeat()) {
      if (e->type() == QEvent::KeyPress && key->key() == Qt::Key_Insert &&
          key->modifiers() == Qt::NoModifier) {
        overtype_ = !overtype_;
        UpdateIndicators();
      } else if (key->key() == Qt::Key_CapsLock || key->key() == Qt::Key_NumLock) {
        UpdateIndicators();
      }
    }
  }
  return QMainWindow::eventFilter(watched, e);
}

void ObFrameWindow::UpdateIndicators() {
  if (!indicators_[0]) return;
  const LockKeyState keys = QueryLockKeys();
  // Greyed while off; without word from the window system the lock keys show as off.
  indicators_[0]->setEnabled(keys.known && keys.capsLock);
  indicators_[1]->setEnabled(keys.known && keys.numLock);
  indicators_[2]->setEnabled(overtype_);
}

}  // namespace kel
