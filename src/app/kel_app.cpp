// The application object: construction, the main window and the command route.
#include "app/kel_app.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>

#include "app/commands.h"
#include "app/dialog_routes.h"
#include "app/frame_window.h"
#include "editor/dialog.h"
#include "platform/prompt.h"

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

kelApp::kelApp(PromptPort& prompt, QObject* parent) : QObject(parent), prompt_(prompt) {
  SpriteList.reserve(33);
}

kelApp::~kelApp() {
  // The window (and the dialog, which points into the list) goes before the list.
  frame_.reset();
}

void kelApp::InitMainWindow() {
  auto* dialog = new ObKELDialog(&SpriteList, prompt_);
  dialog_ = dialog;
  frame_ =
      std::make_unique<ObFrameWindow>(QString(), dialog, [dialog] { return dialog->CanClose(); });
  // The dialog's commands travel on to the application; its prompt shows the file's name.
  dialog->SendCommand = [this](int id) { return Command(id); };
  dialog->DocumentName = [this] { return CurrentFileName; };

  const auto route = [this](int id) { Command(id); };
  for (int id : AllCommands()) frame_->AddCommand(id, ActionText(id), route);
  for (const MenuPopup& popup : MenuBar()) {
    QMenu* menu = frame_->menuBar()->addMenu(QString::fromUtf8(popup.title));
    for (const MenuEntry& entry : popup.entries) {
      if (entry.id == 0)
        menu->addSeparator();
      else
        menu->addAction(frame_->Action(entry.id));
    }
  }
  frame_->SetupStatusBar();
  SetupSpeedBar(*frame_);
  frame_->SetupToolBox();

  dialogCommands_ = DialogResponseTable(*dialog);
  appCommands_ = {
      {CM_FILENEW, [this] { return CmFileNew(); }},
      {CM_FILECLOSE, [this] { return CmFileClose(); }},
      {CM_FILEOPEN, [this] { return CmFileOpen(); }},
      {CM_FILEADD, [this] { return CmFileAdd(); }},
      {CM_FILESAVE, [this] { return CmFileSave(); }},
      {CM_FILESAVEAS, [this] { return CmFileSaveAs(); }},
      // Exit closes the main window, which asks the dialog first.
      {CM_EXIT, [this] { return frame_->close(); }},
      {CM_HELPCONTENTS, [this] { return CmHelpCont(); }},
      {CM_HELPABOUT,
       [this] {
         CmHelpAbout();
         return true;
       }},
  };

  SetCaption(QString::fromUtf8(kUntitled));
  CurrentFileName = QString::fromUtf8(kUntitled);
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
  // A maximised start makes no sense for a window of fixed size: it always opens normal.
  frame_->show();
}

int kelApp::Run(const QString& startFile) {
  InitInstance();
  if (!startFile.isEmpty()) {
    // Opened once the window shows, so a long read shows its busy cursor over the window.
    QTimer::singleShot(0, this, [this, startFile] { OpenDocument(startFile); });
  }
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
