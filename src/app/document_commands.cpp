// The file commands New, Close, Open, Add, Save and Save As, the save-changes question, and the
// reading and writing of the object file they call. A command that fails or is refused leaves
// the document as it was.
#include <QFile>
#include <QFileInfo>
#include <optional>

#include "app/commands.h"
#include "app/file_saver.h"
#include "app/frame_window.h"
#include "app/kel_app.h"
#include "document/edit_steps.h"
#include "editor/dialog.h"
#include "editor/edit_commands.h"
#include "files/object_file.h"
#include "model/display.h"
#include "model/system_error.h"
#include "platform/busy_work.h"
#include "platform/cursor_guard.h"
#include "platform/prompt.h"

namespace kel {

namespace {

const char kInvalidFile[] = "ｵﾌﾞｼﾞｪｸﾄﾌｧｲﾙが存在しないか，異常なﾌｧｲﾙです．";
const char kDuplicateNames[] = "重複するオブジェクト名があります";

// The busy pointer while a large file is read and put on the screen.
void BusyWhileReading(std::optional<CursorGuard>& guard, const QString& path) {
  if (QFileInfo(path).size() >= kBusyBytes) guard.emplace(Qt::BusyCursor);
}

// The file dialogs of Open, Add and Save As: object files, "kel" added to a name without an
// extension, the current file's name preset.
FileDialogRequest ObjectFileRequest(const QString& currentFileName, bool save) {
  FileDialogRequest req;
  req.filter = QStringLiteral("ｵﾌﾞｼﾞｪｸﾄﾌｧｲﾙ (*.kel)|*.kel|");
  req.defaultExt = QStringLiteral("kel");
  req.fileName = currentFileName;
  req.overwritePrompt = save;
  req.mustExist = !save;
  return req;
}

}  // namespace

QString kelApp::MakeCaption(const QString& path) {
  return QStringLiteral("%1 - %2 -").arg(QString::fromUtf8(kTitle), QFileInfo(path).fileName());
}

bool kelApp::CanClose() {
  return AbandonOk();
}

bool kelApp::AbandonOk() {
  // What is being typed belongs to the document: it goes in before the question, and a field
  // that cannot take it keeps the program where it is.
  if (dialog_ && !dialog_->CommitFields()) return false;
  if (!doc_.Modified()) return true;
  const QString text =
      doc_.FileName() +
      QStringLiteral("\nこのオブジェクトファイルは変更されています\n\n変更結果を保存しますか？");
  switch (prompt_.MessageBox(frame_.get(), text, QStringLiteral("警告"),
                             MB_YESNOCANCEL | MB_ICONEXCLAMATION)) {
    case IDYES:
      // The Save command: an untitled document goes through Save As. A save that was refused or
      // failed keeps the document: the calling command must not discard what was not saved.
      return Command(CM_FILESAVE);
    case IDNO:
      return true;
    default:  // Cancel, or the box closed
      return false;
  }
}

bool kelApp::CmFileNew() {
  if (!CanClose()) return false;
  doc_.Reset({}, QString());
  return true;
}

bool kelApp::CmFileClose() {
  return CmFileNew();
}

bool kelApp::CmFileOpen() {
  const FileDialogRequest req = ObjectFileRequest(doc_.FileName(), false);
  // The question comes before the file dialog.
  if (!CanClose()) return false;
  const std::optional<QString> path = prompt_.OpenFileName(frame_.get(), req);
  if (!path) return false;
  return OpenDocument(*path);
}

bool kelApp::OpenDocument(const QString& path) {
  {
    std::optional<CursorGuard> busy;
    BusyWhileReading(busy, path);
    if (OpenFile(path, kOpenReplace)) return true;
  }
  // The list was read into a list of its own: the document shown is still the one there was,
  // with its history.
  ShowInvalidFile(readError_);
  return false;
}

bool kelApp::CmFileAdd() {
  const FileDialogRequest req = ObjectFileRequest(doc_.FileName(), false);
  // The question takes what is being typed in first.
  if (!CanClose()) return false;
  const std::optional<QString> path = prompt_.OpenFileName(frame_.get(), req);
  if (!path) return false;
  return AddDocument(*path);
}

bool kelApp::AddDocument(const QString& path) {
  bool ok;
  {
    std::optional<CursorGuard> busy;
    BusyWhileReading(busy, path);
    ok = OpenFile(path, kOpenAdd);
  }
  if (!ok) ShowInvalidFile(readError_);
  return ok;
}

bool kelApp::CmFileSave() {
  // A document without a file of its own is saved under a name the user chooses, with the
  // question before replacing a file of that name.
  if (doc_.Untitled()) return CmFileSaveAs();
  return SaveDocument(doc_.FileName(), false);
}

bool kelApp::CmFileSaveAs() {
  // What is being typed goes in (or is refused) before the file dialog.
  if (!dialog_->CommitFields()) return false;
  const FileDialogRequest req = ObjectFileRequest(doc_.FileName(), true);
  const std::optional<QString> path = prompt_.SaveFileName(frame_.get(), req);
  if (!path) return false;
  return SaveDocument(*path, true);
}

bool kelApp::SaveDocument(const QString& fileName, bool rename) {
  if (!commands_->CheckRepeatedName()) {
    prompt_.MessageBox(frame_.get(), QString::fromUtf8(kDuplicateNames), QString(), MB_OK);
    return false;
  }
  if (!dialog_->Save()) return false;
  // Only a file that was written makes the document clean and, for Save As, gives it its name.
  if (!SaveFile(fileName)) return false;
  if (rename) doc_.SetFileName(fileName);
  doc_.MarkSaved();
  return true;
}

ObjectFileResult kelApp::ReadList(const QString& fileName, SpriteList& read) {
  const std::string path = QFile::encodeName(fileName).toStdString();
  const QFileInfo file(fileName);
  ObjectFileResult result;
  // Reading, checking and giving every picture its palette and display bitmap touch neither the
  // document nor a widget (the display keeps no state): a large file is read on a thread of its
  // own while the windows go on painting. Only the document's change is made by the caller.
  DisplayDevice& display = dialog_->DC();
  RunBusy(frame_.get(),
          QStringLiteral("オブジェクトファイルを読み込んでいます...\n%1").arg(file.fileName()),
          file.size(), [&] {
            result = ReadObjectFile(path, read);
            for (const auto& sprite : read) sprite->MakeDDB(display);
          });
  return result;
}

bool kelApp::OpenFile(const QString& fileName, int openType) {
  readError_.clear();
  // Only a regular file is read (a named pipe is refused, not waited on), and its size bounds
  // every allocation the reader makes. The file is read into a list of its own: a file that
  // does not read leaves the document as it was.
  SpriteList read;
  ObjectFileResult result = ReadList(fileName, read);
  // Add asks about the names once the whole file has read: a clash is said in a message box.
  if (openType == kOpenAdd && result.ok) {
    SpriteList added;
    result = AppendObjects(std::move(read), added, [this, &added](const std::string& name) {
      for (const auto& sprite : added) {
        if (sprite->Name() == name) {
          dialog_->ShowError(QString::fromUtf8(kDuplicateNames));
          return false;
        }
      }
      return commands_->CheckName(name) != 0;
    });
    read = std::move(added);
  }
  // A file that cannot be opened is reported with the system's reason in the user's language,
  // as a failed save is.
  if (result.openError) {
    readError_ = QStringLiteral("ファイル \"%1\" を開けません: %2")
                     .arg(fileName, QString::fromStdString(SystemErrorText(result.openError)));
  } else if (!result.ok) {
    readError_ = QString::fromStdString(result.message);
  }
  if (openType != kOpenAdd) {
    if (result.ok) doc_.Reset(std::move(read), fileName);
    return result.ok;
  }
  // A name clash stops the append, but the objects appended before it are in the document, as
  // one step that undo takes back whole; the first object of the list is shown.
  if (!read.empty()) {
    auto* step = new EditStep(doc_, QStringLiteral("追加読込み"), read.front().get());
    for (auto& sprite : read)
      step->Do(new InsertObjectOp(doc_, doc_.Count(), std::move(sprite), step));
    doc_.Push(step);
    doc_.SetCurrent(0);
  }
  return result.ok;
}

bool kelApp::SaveFile(const QString& fileName) {
  FileSaver saver;
  bool ok;
  {
    CursorGuard wait(Qt::WaitCursor);
    ok = saver.Save(fileName,
                    [this](std::ostream& out) { return WriteObjectFile(out, doc_.Objects()); });
  }
  if (!ok) {
    prompt_.MessageBox(frame_.get(),
                       QStringLiteral("ファイル \"%1\" を保存できませんでした。\n%2")
                           .arg(QFileInfo(fileName).absoluteFilePath(), saver.Error()),
                       QString(), MB_OK | MB_ICONEXCLAMATION);
  }
  return ok;
}

void kelApp::ShowInvalidFile(const QString& detail) {
  QString text = QString::fromUtf8(kInvalidFile);
  if (!detail.isEmpty()) text += QLatin1Char('\n') + detail;
  prompt_.MessageBox(frame_.get(), text, QString(), MB_OK);
}

}  // namespace kel
