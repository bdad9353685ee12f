// The file commands New, Close, Open, Add, Save and Save As, and the reading and writing of the
// object file they call. A command that fails or is refused leaves the document as it was.
#include <QFile>
#include <QFileInfo>
#include <optional>

#include "app/file_saver.h"
#include "app/frame_window.h"
#include "app/kel_app.h"
#include "editor/dialog.h"
#include "files/object_file.h"
#include "model/system_error.h"
#include "platform/cursor_guard.h"
#include "platform/prompt.h"

namespace kel {

namespace {

// Files from this size on take long enough to read that the pointer should say so.
constexpr qint64 kLargeFile = qint64(1) << 20;

const char kInvalidFile[] = "ｵﾌﾞｼﾞｪｸﾄﾌｧｲﾙが存在しないか，異常なﾌｧｲﾙです．";
const char kDuplicateNames[] = "重複するオブジェクト名があります";

// The busy pointer while a large file is read and its pictures prepared.
void BusyWhileReading(std::optional<CursorGuard>& guard, const QString& path) {
  if (QFileInfo(path).size() >= kLargeFile) guard.emplace(Qt::BusyCursor);
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

bool kelApp::CmFileNew() {
  if (!dialog_->CanClose()) return false;
  dialog_->ClearSpread();
  SpriteList.clear();
  dialog_->InitWindow();
  dialog_->Modified = 0;
  SetCaption(QString::fromUtf8(kUntitled));
  CurrentFileName = QString::fromUtf8(kUntitled);
  return true;
}

bool kelApp::CmFileClose() {
  return CmFileNew();
}

bool kelApp::CmFileOpen() {
  const FileDialogRequest req = ObjectFileRequest(CurrentFileName, false);
  // The question comes before the file dialog.
  if (!dialog_->CanClose()) return false;
  const std::optional<QString> path = prompt_.OpenFileName(frame_.get(), req);
  if (!path) return false;
  return OpenDocument(*path);
}

bool kelApp::OpenDocument(const QString& path) {
  {
    std::optional<CursorGuard> busy;
    BusyWhileReading(busy, path);
    if (OpenFile(path, kOpenReplace)) {
      CurrentFileName = path;
      SetCaption(path);
      ShowFirstObject();
      dialog_->Modified = 0;
      return true;
    }
  }
  // The list was read into a list of its own: the document shown is still the one there was.
  ShowInvalidFile(readError_);
  return false;
}

bool kelApp::CmFileAdd() {
  const FileDialogRequest req = ObjectFileRequest(CurrentFileName, false);
  if (!dialog_->CanClose()) return false;
  // The shown object's fields go into it first; a refusal (with its message) does not stop Add.
  dialog_->SaveSpriteData(dialog_->CurrentSprite);
  const std::optional<QString> path = prompt_.OpenFileName(frame_.get(), req);
  if (!path) return false;

  bool ok;
  {
    std::optional<CursorGuard> busy;
    BusyWhileReading(busy, *path);
    const size_t before = SpriteList.size();
    ok = OpenFile(*path, kOpenAdd);
    // A name clash stops the append, but the objects appended before it are in the document:
    // they are shown and make it modified, as after any other append.
    if (ok || SpriteList.size() > before) {
      ShowFirstObject();
      dialog_->Modified = 1;
    }
  }
  if (!ok) ShowInvalidFile(readError_);
  return ok;
}

bool kelApp::CmFileSave() {
  return SaveDocument(CurrentFileName, false);
}

bool kelApp::CmFileSaveAs() {
  const FileDialogRequest req = ObjectFileRequest(CurrentFileName, true);
  const std::optional<QString> path = prompt_.SaveFileName(frame_.get(), req);
  if (!path) return false;
  return SaveDocument(*path, true);
}

bool kelApp::SaveDocument(const QString& fileName, bool rename) {
  if (!dialog_->CheckRepeatedName()) {
    prompt_.MessageBox(frame_.get(), QString::fromUtf8(kDuplicateNames), QString(), MB_OK);
    return false;
  }
  if (!dialog_->Save()) return false;
  // Only a file that was written makes the document clean and, for Save As, gives it its name.
  if (!SaveFile(fileName)) return false;
  if (rename) {
    SetCaption(fileName);
    CurrentFileName = fileName;
  }
  dialog_->Modified = 0;
  return true;
}

bool kelApp::OpenFile(const QString& fileName, int openType) {
  readError_.clear();
  // Only a regular file is read (a named pipe is refused, not waited on), and its size bounds
  // every allocation the reader makes.
  const std::string path = QFile::encodeName(fileName).toStdString();
  ObjectFileResult result;
  if (openType == kOpenAdd) {
    result = AddReadObjectFile(path, SpriteList, [this](const std::string& name) {
      return dialog_->CheckName(name) != 0;
    });
  } else {
    result = ReadObjectFile(path, SpriteList);
    // The objects the dialog pointed into are gone when the list was replaced.
    if (result.ok) dialog_->GetSpriteData(0);
  }
  // A file that cannot be opened is reported with the system's reason in the user's language,
  // as a failed save is; the reader's own message is the C library's text.
  if (result.openError) {
    readError_ = QStringLiteral("ファイル \"%1\" を開けません: %2")
                     .arg(fileName, QString::fromStdString(SystemErrorText(result.openError)));
  } else if (!result.ok) {
    readError_ = QString::fromStdString(result.message);
  }
  return result.ok;
}

bool kelApp::SaveFile(const QString& fileName) {
  FileSaver saver;
  bool ok;
  {
    CursorGuard wait(Qt::WaitCursor);
    ok = saver.Save(fileName,
                    [this](std::ostream& out) { return WriteObjectFile(out, SpriteList); });
  }
  if (!ok) {
    prompt_.MessageBox(frame_.get(),
                       QStringLiteral("ファイル \"%1\" を保存できませんでした。\n%2")
                           .arg(QFileInfo(fileName).absoluteFilePath(), saver.Error()),
                       QString(), MB_OK | MB_ICONEXCLAMATION);
  }
  return ok;
}

void kelApp::ShowFirstObject() {
  dialog_->ClearSpread();
  dialog_->MakeSpriteDataDDB();
  dialog_->GetSpriteData(0);
  if (dialog_->CurrentSprite)
    dialog_->DispSpriteData(dialog_->CurrentSprite);
  else
    dialog_->InitWindow();  // an empty file: the empty form, as after New
}

void kelApp::ShowInvalidFile(const QString& detail) {
  QString text = QString::fromUtf8(kInvalidFile);
  if (!detail.isEmpty()) text += QLatin1Char('\n') + detail;
  prompt_.MessageBox(frame_.get(), text, QString(), MB_OK);
}

}  // namespace kel
