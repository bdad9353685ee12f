// The application object: construction, the main window and the command route.
#include "app/kel_app.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <QUndoView>
#include <algorithm>

#include "app/commands.h"
#include "app/dialog_routes.h"
#include "app/frame_window.h"
#include "app/recovery.h"
#include "app/settings.h"
#include "editor/dialog.h"
#include "editor/edit_commands.h"
#include "editor/problems_window.h"
#include "platform/prompt.h"
#include "stage/stage_player.h"
#include "stage/stage_window.h"

namespace kel {

namespace {

// The text of a command's action: its menu item, or its hint for a command no menu shows.
QString ActionText(int id) {
  for (const MenuPopup& popup : MenuBar())
    for (const MenuEntry& entry : popup.entries)
      if (entry.id == id) return QString::fromUtf8(entry.text);
  return HintText(id);
}

}  // namespace

kelApp::kelApp(PromptPort& prompt, QObject* parent) : QObject(parent), prompt_(prompt) {}

kelApp::~kelApp() {
  // The window and the commands (which show the document) go before the document; the copy of
  // unsaved changes goes with a normal end.
  commands_.reset();
  frame_.reset();
  recovery_.reset();
}

void kelApp::InitMainWindow() {
  auto* dialog = new ObKELDialog(doc_, prompt_);
  dialog_ = dialog;
  frame_ = std::make_unique<ObFrameWindow>(QString(), dialog, [this] {
    if (!CanClose()) return false;
    SaveWindowGeometry(frame_->saveGeometry());
    return true;
  });
  commands_ = std::make_unique<EditCommands>(doc_, *dialog, prompt_);
  // The grid's keys travel the command route, as the menu's commands do.
  commands_->SendCommand = [this](int id) { return Command(id); };
  frame_->DropHandler = [this](const QMimeData* data, QPoint pos, Qt::KeyboardModifiers mods,
                               bool drop) { return DropOnWindow(data, pos, mods, drop); };

  const auto route = [this](int id) { Command(id); };
  for (int id : AllCommands()) frame_->AddCommand(id, ActionText(id), route);
  for (const MenuPopup& popup : MenuBar()) {
    QMenu* menu = frame_->menuBar()->addMenu(QString::fromUtf8(popup.title));
    for (const MenuEntry& entry : popup.entries) {
      // The object files used last come just before Exit.
      if (entry.id == CM_EXIT) {
        recentMenu_ = menu->addMenu(QStringLiteral("最近使ったファイル(&F)"));
        recentMenu_->setObjectName(QStringLiteral("RecentFilesMenu"));
        menu->addSeparator();
      }
      if (entry.id == 0)
        menu->addSeparator();
      else
        menu->addAction(frame_->Action(entry.id));
    }
  }
  ShowRecentFiles(SavedRecentFiles());
  frame_->SetupStatusBar();
  SetupSpeedBar(*frame_);
  frame_->SetupToolBox();

  dialogCommands_ = DialogResponseTable(*commands_);
  appCommands_ = {
      {CM_EDITUNDO, [this] { return CmEditUndo(); }},
      {CM_EDITREDO, [this] { return CmEditRedo(); }},
      {CM_EDITHISTORY, [this] { return CmEditHistory(); }},
      {CM_OBJECTCHECK, [this] { return CmObjectCheck(); }},
      {CM_STAGE, [this] { return CmStage(); }},
      {CM_FILENEW, [this] { return CmFileNew(); }},
      {CM_FILECLOSE, [this] { return CmFileClose(); }},
      {CM_FILEOPEN, [this] { return CmFileOpen(); }},
      {CM_FILEADD, [this] { return CmFileAdd(); }},
      {CM_FILESAVE, [this] { return CmFileSave(); }},
      {CM_FILESAVEAS, [this] { return CmFileSaveAs(); }},
      {CM_FILEEXPORT, [this] { return CmFileExport(); }},
      // Exit closes the main window, which asks the dialog first.
      {CM_EXIT, [this] { return frame_->close(); }},
      {CM_HELPCONTENTS, [this] { return CmHelpCont(); }},
      {CM_HELPABOUT,
       [this] {
         CmHelpAbout();
         return true;
       }},
  };

  connect(&doc_, &Document::fileNameChanged, this, [this](const QString& path) {
    SetCaption(path);
    // A file opened or saved under a new name heads the list of files used last.
    if (!doc_.Untitled()) {
      const QStringList files = WithRecentFile(SavedRecentFiles(), path);
      SaveRecentFiles(files);
      ShowRecentFiles(files);
    }
  });
  SetCaption(doc_.FileName());
  ConnectHistory();
}

void kelApp::ConnectHistory() {
  QUndoStack& history = doc_.History();
  struct Item {
    int id;
    const char* text;
    bool (QUndoStack::*can)() const;
    QString (QUndoStack::*step)() const;
  };
  for (const Item& item :
       {Item{CM_EDITUNDO, "元に戻す", &QUndoStack::canUndo, &QUndoStack::undoText},
        Item{CM_EDITREDO, "やり直し", &QUndoStack::canRedo, &QUndoStack::redoText}}) {
    QAction* action = frame_->Action(item.id);
    const QString mnemonic =
        item.id == CM_EDITUNDO ? QStringLiteral("(&U)") : QStringLiteral("(&R)");
    auto update = [this, action, item, mnemonic] {
      const QUndoStack& stack = doc_.History();
      const bool can = (stack.*item.can)();
      const QString step = (stack.*item.step)();
      // "元に戻す - イメージの読み込み(&U)": the menu names the step it takes back.
      action->setText(QString::fromUtf8(item.text) +
                      (can && !step.isEmpty() ? QStringLiteral(" - ") + step : QString()) +
                      mnemonic);
      action->setEnabled(can);
    };
    connect(&history, &QUndoStack::indexChanged, action, update);
    connect(&history, &QUndoStack::cleanChanged, action, update);
    update();
  }
}

bool kelApp::CmEditUndo() {
  // What is being typed is the latest edit: it goes in first, and is what undo takes back.
  dialog_->CommitFields();
  if (!doc_.History().canUndo()) return false;
  doc_.History().undo();
  return true;
}

bool kelApp::CmEditRedo() {
  dialog_->CommitFields();
  if (!doc_.History().canRedo()) return false;
  doc_.History().redo();
  return true;
}

bool kelApp::CmEditHistory() {
  if (!history_) {
    history_ = new QUndoView(&doc_.History(), frame_.get());
    history_->setWindowFlag(Qt::Tool);
    history_->setObjectName(QStringLiteral("HistoryWindow"));
    history_->setWindowTitle(QStringLiteral("履歴"));
    history_->setEmptyLabel(QStringLiteral("<最初の状態>"));
    history_->resize(280, frame_->height());
    // Beside the main window, on the screen.
    const QRect screen = frame_->screen()->availableGeometry();
    QPoint at = frame_->frameGeometry().topRight() + QPoint(8, 0);
    if (at.x() + history_->width() > screen.right())
      at.setX(std::max(screen.left(), frame_->frameGeometry().left() - history_->width() - 8));
    history_->move(at);
  }
  history_->show();
  history_->raise();
  history_->activateWindow();
  return true;
}

bool kelApp::CmObjectCheck() {
  // The check sees what is being typed too.
  if (!dialog_->CommitFields()) return false;
  if (!problems_) {
    problems_ = new ProblemsWindow(doc_, *dialog_, frame_.get());
    // Below the main window, on the screen.
    const QRect screen = frame_->screen()->availableGeometry();
    QPoint at = frame_->frameGeometry().bottomLeft() + QPoint(0, 8);
    if (at.y() + problems_->height() > screen.bottom())
      at.setY(std::max(screen.top(), screen.bottom() - problems_->height()));
    problems_->move(at);
  }
  problems_->show();
  problems_->raise();
  problems_->activateWindow();
  return true;
}

bool kelApp::CmStage() {
  if (!stage_) stage_ = new StageWindow(doc_, prompt_, frame_.get());
  stage_->show();
  stage_->Player().Play();
  stage_->raise();
  stage_->activateWindow();
  return true;
}

QToolBar* kelApp::SetupSpeedBar(ObFrameWindow& frame) {
  auto* bar = new QToolBar(QStringLiteral("SpeedBar"), &frame);
  bar->setObjectName(QStringLiteral("SpeedBar"));
  bar->setMovable(false);
  bar->setFloatable(false);
  bar->toggleViewAction()->setVisible(false);
  bar->setIconSize(QSize(kSpeedBarGlyph, kSpeedBarGlyph));
  for (int id : SpeedBarCommands()) {
    if (id == 0)
      bar->addSeparator();
    else
      bar->addAction(frame.Action(id));
  }
  frame.addToolBar(Qt::TopToolBarArea, bar);
  frame.SpeedBar = bar;
  return bar;
}

void kelApp::InitInstance() {
  InitMainWindow();
  frame_->SetupWindow();
  // The size and place the window had when the program last ended (Qt keeps it on a screen).
  if (const QByteArray geometry = SavedWindowGeometry(); !geometry.isEmpty())
    frame_->restoreGeometry(geometry);
  frame_->show();
}

void kelApp::ShowRecentFiles(const QStringList& files) {
  if (!recentMenu_) return;
  recentMenu_->clear();
  int n = 0;
  for (const QString& path : files) {
    ++n;
    // "&1 /home/…/ball.kel": a long folder is shortened in its middle.
    const QString shown = QFontMetrics(recentMenu_->font())
                              .elidedText(QDir::toNativeSeparators(path), Qt::ElideMiddle, 480);
    QAction* action = recentMenu_->addAction(
        QStringLiteral("&%1 %2").arg(n).arg(QString(shown).replace(QLatin1Char('&'), "&&")));
    action->setData(path);
    connect(action, &QAction::triggered, this, [this, path] { OpenRecentFile(path); });
  }
  recentMenu_->setEnabled(!files.isEmpty());
}

bool kelApp::OpenRecentFile(const QString& path) {
  if (!CanClose()) return false;
  if (!QFileInfo::exists(path)) {
    // A file that has gone leaves the list.
    QStringList files = SavedRecentFiles();
    files.removeAll(path);
    SaveRecentFiles(files);
    ShowRecentFiles(files);
    prompt_.MessageBox(frame_.get(),
                       QStringLiteral("ファイル \"%1\" が見つかりません。\n"
                                      "最近使ったファイルの一覧から削除しました。")
                           .arg(path),
                       QString(), MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  return OpenDocument(path);
}

int kelApp::Run(const QString& startFile) {
  InitInstance();
  StartRecovery(Recovery::DefaultFolder());
  // Opened once the window shows, so a long read shows its busy cursor over the window; then
  // the work a program that died left unsaved is offered back.
  QTimer::singleShot(0, this, [this, startFile] {
    if (!startFile.isEmpty()) OpenDocument(startFile);
    OfferRecovery();
  });
  return QApplication::exec();
}

bool kelApp::Command(int id) {
  if (const auto it = dialogCommands_.find(id); it != dialogCommands_.end()) return it->second();
  if (const auto it = appCommands_.find(id); it != appCommands_.end()) return it->second();
  prompt_.MessageBox(frame_.get(), QStringLiteral("この機能はまだ使用できません。"), QString(),
                     MB_OK | MB_ICONINFORMATION);
  return false;
}

bool kelApp::HasHandler(int id) const {
  return dialogCommands_.count(id) != 0 || appCommands_.count(id) != 0;
}

void kelApp::SetCaption(const QString& path) {
  if (frame_) frame_->setWindowTitle(MakeCaption(path));
}

}  // namespace kel
