// "エクスポート...": the object shown, written as an animated WebP or GIF or a PNG sprite sheet
// (export/export.h) to a file the user chooses. The document does not change.
#include <QFile>
#include <QFileInfo>
#include <optional>

#include "app/file_saver.h"
#include "app/frame_window.h"
#include "app/kel_app.h"
#include "editor/dialog.h"
#include "editor/edit_commands.h"
#include "export/export.h"
#include "export/file_name.h"
#include "platform/cursor_guard.h"
#include "platform/prompt.h"

namespace kel {

namespace {

// The three formats; the extension typed (or added) chooses.
FileDialogRequest ExportRequest(const ObSpriteData& sprite, const QString& documentPath) {
  FileDialogRequest req;
  req.title = QStringLiteral("エクスポート");
  req.filter = QStringLiteral(
      "アニメーション GIF (*.gif)|*.gif|"
      "アニメーション WebP (*.webp)|*.webp|"
      "スプライトシート PNG + JSON (*.png)|*.png|");
  req.defaultExt = QStringLiteral("gif");
  const QString stem = QString::fromStdString(ExportFileStem(sprite.Name()));
  if (!stem.isEmpty()) req.fileName = stem + QStringLiteral(".gif");
  // Beside the object file, where the user works on this object.
  if (!documentPath.isEmpty() && QFileInfo(documentPath).isAbsolute())
    req.directory = QFileInfo(documentPath).absolutePath();
  req.overwritePrompt = true;
  return req;
}

}  // namespace

bool kelApp::CmFileExport() {
  if (!commands_->CheckObject()) return false;
  // What is being typed (the image size, say) belongs to the object that is written.
  if (!dialog_->CommitFields()) return false;
  const ObSpriteData& sprite = *dialog_->CurrentSprite();
  const std::optional<QString> path =
      prompt_.SaveFileName(frame_.get(), ExportRequest(sprite, doc_.FileName()));
  if (!path) return false;

  const std::string target = QFile::encodeName(*path).toStdString();
  const std::optional<ExportFormat> format = ExportFormatOf(target);
  if (!format) {
    dialog_->ShowError(
        QStringLiteral("ファイル名の拡張子を .gif、.webp、.png のいずれかにしてください。"));
    return false;
  }
  FileSaver saver;
  QString failed;  // the file the saver could not write
  ExportProblem problem;
  {
    CursorGuard wait(Qt::WaitCursor);
    problem = ExportObject(sprite, target, *format,
                           [&](const std::string& p, const std::function<bool(std::ostream&)>& w) {
                             failed = QFile::decodeName(QByteArray::fromStdString(p));
                             return saver.Save(failed, w);
                           });
  }
  QString message;
  switch (problem) {
    case ExportProblem::kNone:
      return true;
    case ExportProblem::kNoPicture:
      message = QStringLiteral("このオブジェクトには書き出す画像がありません。");
      break;
    case ExportProblem::kTooLarge:
      message = QStringLiteral("画像が大きすぎるため、この形式では書き出せません。");
      break;
    case ExportProblem::kEncoder:
      message =
          QStringLiteral("画像を変換できませんでした (メモリが不足している可能性があります)。");
      break;
    case ExportProblem::kSave:
      message = QStringLiteral("ファイル \"%1\" を保存できませんでした。\n%2")
                    .arg(QFileInfo(failed).absoluteFilePath(), saver.Error());
      break;
  }
  prompt_.MessageBox(frame_.get(), message, QString(), MB_OK | MB_ICONEXCLAMATION);
  return false;
}

}  // namespace kel
