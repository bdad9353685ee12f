// kelApp: the application object. It owns the document (the object list, its file name and its
// history), builds the main window around the editor dialog, carries the file commands, the
// save-changes question, undo and redo and the help, and routes every command to its handler.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <map>
#include <memory>

#include "document/document.h"
#include "files/object_file.h"
#include "model/sprite.h"

class QMenu;
class QMimeData;
class QToolBar;
class QUndoView;

namespace kel {

class EditCommands;
class HelpWindow;
class ObFrameWindow;
class ObKELDialog;
class PromptPort;
class ProblemsWindow;
class Recovery;
class StageWindow;

class kelApp : public QObject {
  Q_OBJECT
 public:
  // The second argument of OpenFile.
  enum OpenType { kOpenReplace = 0, kOpenAdd = 1 };
  static constexpr char kUntitled[] = "untitled.kel";
  static constexpr char kTitle[] = "オブジェクトエディタ";

  // prompt: where message boxes and file dialogs go (outlives the application).
  explicit kelApp(PromptPort& prompt, QObject* parent = nullptr);
  ~kelApp() override;

  // Builds the editor dialog and the frame around it: menu, accelerators, status bar, speed bar
  // and tool box; sets the caption for "untitled.kel".
  void InitMainWindow();
  // InitMainWindow, then shows the main window, sized and centred.
  void InitInstance();
  // InitInstance, then the message loop until the main window has closed; returns its result.
  // startFile, when not empty, is opened as soon as the window shows, as Open opens a file.
  int Run(const QString& startFile = {});
  // Builds the speed bar at the frame's top and returns it.
  QToolBar* SetupSpeedBar(ObFrameWindow& frame);

  // The file commands. Each answers whether it was carried out (false: stopped by the user, by
  // a refusal or a failure, with the document as it was).
  bool CmFileNew();
  bool CmFileClose();
  bool CmFileOpen();
  bool CmFileAdd();
  bool CmFileSave();
  bool CmFileSaveAs();
  // Writes the object shown as an animation to a file chosen in a save dialog (export_command.cpp);
  // the document does not change.
  bool CmFileExport();

  // Undo and redo of the document's last step (what is being typed in a field goes in first);
  // the history window lists every step and goes back to the one clicked.
  bool CmEditUndo();
  bool CmEditRedo();
  bool CmEditHistory();
  QUndoView* HistoryWindow() const { return history_; }
  // The problems check's window, beside the main window; it follows the document.
  bool CmObjectCheck();
  ProblemsWindow* ProblemsView() const { return problems_; }
  // The stage window: every object of the document moving as the player moves them; made on
  // first use, then brought to the front.
  bool CmStage();
  StageWindow* Stage() const { return stage_; }

  // The save-changes question of every command that drops the document, and of the end of the
  // program: true when the caller may go on (nothing to save, saved, or No).
  bool CanClose();
  bool AbandonOk();

  // The help commands (help.cpp, help_commands.cpp). CmHelpCont shows the help's contents in
  // the help window (made on first use, then brought to the front at the contents); true when it
  // is shown. ShowHelp shows another page there; false, after the help's message, when the
  // program holds no such page. CmHelpAbout runs the about box modally over the main window.
  bool CmHelpCont();
  bool ShowHelp(const QUrl& page);
  HelpWindow* Help() const;
  void CmHelpAbout();

  // Reads the file into the document: replacing its list (only when the whole file reads) or
  // appending to it as one step. false when the file cannot be opened or is not a valid object
  // file; ReadError() then says what was wrong and where.
  bool OpenFile(const QString& fileName, int openType);
  const QString& ReadError() const { return readError_; }
  // Writes the list to the file, atomically: a failure leaves the old file whole, is reported
  // with the file's name and the system's reason, and answers false.
  bool SaveFile(const QString& fileName);
  // Keeps copies of unsaved changes in folder (app/recovery.h); Run starts it in the user's
  // recovery folder. Failures to write one show in the status bar.
  void StartRecovery(const QString& folder);
  Recovery* Recovering() const { return recovery_.get(); }
  // Asks about the copies programs that died have left, the newest first: "はい" restores one
  // (after the save-changes question) as a document with unsaved changes, under the file it
  // belongs to, and leaves the rest for the next start; "いいえ" discards it; "キャンセル" keeps
  // it for the next start. true when one was restored.
  bool OfferRecovery();
  // "オブジェクトエディタ - NAME -" with the file name of the path, without its folders.
  static QString MakeCaption(const QString& path);

  // Opens the file as the Open command does once its file has been chosen.
  bool OpenDocument(const QString& path);
  // Appends the file's objects as the Add command does once its file has been chosen.
  bool AddDocument(const QString& path);
  // An entry of "最近使ったファイル": the save-changes question, then the file opens; a file that
  // no longer exists is said so and leaves the list.
  bool OpenRecentFile(const QString& path);
  QMenu* RecentFilesMenu() const { return recentMenu_; }

  // Files dragged over the main window at pos (its coordinates): an object file anywhere opens
  // (after the save-changes question), or with Ctrl held is added; other files go to the grid's
  // cell under pos (EditCommands::DropFiles). Answers whether the drop is taken; drop true
  // carries it out once the drop has ended.
  bool DropOnWindow(const QMimeData* data, QPoint pos, Qt::KeyboardModifiers modifiers, bool drop);

  // The command route: the dialog's handler when it has one, else the application's. A command
  // without a handler yet says so in a message. true when a handler carried it out.
  bool Command(int id);
  // Whether the command reaches a handler (the dialog's or the application's).
  bool HasHandler(int id) const;
  bool DialogHandles(int id) const { return dialogCommands_.count(id) != 0; }

  ObFrameWindow* MainWindow() const { return frame_.get(); }
  ObKELDialog* Dialog() const { return dialog_; }
  EditCommands* Commands() const { return commands_.get(); }
  PromptPort& Prompt() const { return prompt_; }
  Document& Doc() { return doc_; }
  const QString& CurrentFileName() const { return doc_.FileName(); }

 private:
  void SetCaption(const QString& path);
  // Undo and redo actions follow the history: enabled when there is a step, named after it.
  void ConnectHistory();
  void ShowInvalidFile(const QString& detail);
  // The recent-files menu lists these files.
  void ShowRecentFiles(const QStringList& files);
  bool SaveDocument(const QString& fileName, bool rename);
  // Reads an object file into a list of its own, every picture ready to show (a large file on a
  // thread of its own, with the progress window).
  ObjectFileResult ReadList(const QString& fileName, SpriteList& read);

  PromptPort& prompt_;
  Document doc_;
  std::unique_ptr<Recovery> recovery_;
  std::unique_ptr<ObFrameWindow> frame_;
  ObKELDialog* dialog_ = nullptr;  // the frame's client
  std::unique_ptr<EditCommands> commands_;
  QUndoView* history_ = nullptr;
  QMenu* recentMenu_ = nullptr;
  ProblemsWindow* problems_ = nullptr;
  StageWindow* stage_ = nullptr;  // the frame's window
  std::map<int, std::function<bool()>> dialogCommands_, appCommands_;
  QString readError_;
};

}  // namespace kel
