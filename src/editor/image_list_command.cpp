// Filling the shown object's frames from an image list file: every bitmap the list names goes
// into its frame slot through ReadImage, the single-image loader, so that the object changes
// only as loading one picture changes it.
//
// The list is read whole first (files/image_list.h); a file that is no usable list changes
// nothing. Entries that cannot be loaded do not stop the others: they are named together in one
// message afterwards, and their slots keep what they held.
#include <QFile>

#include "document/edit_steps.h"
#include "editor/dialog.h"
#include "editor/edit_commands.h"
#include "files/image_list.h"
#include "platform/cursor_guard.h"
#include "platform/prompt.h"

namespace kel {

namespace {

const char kListInvalid[] = "ﾘｽﾄﾌｧｲﾙが存在しないか，異常なﾌｧｲﾙです.";
// How many entries that failed to load the message names; the rest are counted.
constexpr size_t kFailuresNamed = 10;
// Keys of entries past the last frame on one line of the message.
constexpr qsizetype kKeysPerLine = 10;

QString FailureText(const std::vector<EditCommands::ImageListFailure>& failed, bool anyLoaded) {
  QString text = anyLoaded
                     ? QStringLiteral("次のイメージを読み込めませんでした (ほかは読み込みました)。")
                     : QStringLiteral("リストのイメージを 1 つも読み込めませんでした。");
  text += QLatin1Char('\n');
  // Entries past the grid's last frame are named all, by their keys, on lines of their own.
  QStringList beyond;
  size_t named = 0, unnamed = 0;
  for (const EditCommands::ImageListFailure& f : failed) {
    if (f.frame > EditCommands::kMaxFrames) {
      beyond
          << QStringLiteral("%1%2").arg(f.mask ? QLatin1Char('M') : QLatin1Char('I')).arg(f.frame);
    } else if (named < kFailuresNamed) {
      ++named;
      text += QStringLiteral("\nフレーム %1 の%2: %3\n    %4")
                  .arg(f.frame)
                  .arg(f.mask ? QStringLiteral("マスク") : QStringLiteral("イメージ"))
                  .arg(QString::fromStdString(f.path), QString::fromStdString(f.reason));
    } else {
      ++unnamed;
    }
  }
  if (unnamed) text += QStringLiteral("\nほか %1 件").arg(unnamed);
  if (!beyond.isEmpty()) {
    text += QStringLiteral("\n\nフレームは %1 までのため、次のエントリは読み込みませんでした:")
                .arg(EditCommands::kMaxFrames);
    for (qsizetype i = 0; i < beyond.size(); i += kKeysPerLine)
      text += QStringLiteral("\n") + beyond.mid(i, kKeysPerLine).join(QStringLiteral(", "));
  }
  return text;
}

}  // namespace

void EditCommands::CmImageListRead() {
  if (!CheckObject()) return;
  if (!form_.CommitFields()) return;
  FileDialogRequest req;
  req.filter = QString::fromUtf8("ｲﾒｰｼﾞﾘｽﾄﾌｧｲﾙ (*.lst)|*.lst|");
  req.defaultExt = QStringLiteral("lst");
  req.mustExist = true;
  const std::optional<QString> path = prompt_.OpenFileName(form_.window(), req);
  if (!path) return;  // cancelled
  ImageListRead(*path);
}

void EditCommands::ImageListRead(const QString& path) {
  ImageListProblems problems;
  int loaded = 0;
  {
    // A list may name hundreds of bitmaps.
    CursorGuard wait(Qt::WaitCursor);
    loaded = ReadImageList(QFile::encodeName(path).constData(), &problems);
  }
  if (!problems.listError.empty()) {
    // Under the message, as for object files, what exactly is wrong with this one.
    prompt_.MessageBox(form_.window(),
                       QString::fromUtf8(kListInvalid) + QStringLiteral("\n\n") + path +
                           QLatin1Char('\n') + QString::fromStdString(problems.listError),
                       QStringLiteral("エラー"), MB_OK);
  } else if (!problems.failed.empty()) {
    ShowError(FailureText(problems.failed, loaded != 0));
  }
}

int EditCommands::ReadImageList(const char* path, ImageListProblems* problems) {
  ImageListProblems local;
  ImageListProblems& out = problems ? *problems : local;
  out = {};
  ObSpriteData* sprite = Current();
  if (!sprite) return 0;

  // Frames past the grid's last column could be neither shown nor saved.
  const ImageListResult read = ReadImageListFile(path, kMaxFrames);
  if (!read.ok) {
    out.listError = read.message;
    return 0;
  }

  int loaded = 0;
  // The whole list is one step: one undo takes every picture it brought back out.
  const DocumentBatch batch(doc_);
  auto* step =
      new EditStep(doc_, QStringLiteral("イメージリストの読み込み"), sprite, {1, kRowImage});
  for (const ImageListEntry& e : read.list.entries) {
    // A zero byte would end the path early and could name another file.
    if (e.path.find('\0') != std::string::npos) {
      out.failed.push_back({e.frame, e.mask, e.path, "パスに 0 のバイトがあります"});
      continue;
    }
    std::string error;
    if (ReadImage(e.frame, e.mask ? kRowMask : kRowImage, e.path.c_str(), &error, step))
      ++loaded;
    else
      out.failed.push_back({e.frame, e.mask, e.path, error});
  }
  for (const ImageListEntry& e : read.list.beyond)
    out.failed.push_back(
        {e.frame, e.mask, e.path, "フレームは " + std::to_string(kMaxFrames) + " までです"});

  if (!loaded) {
    delete step;  // nothing was carried out
    return 0;
  }
  doc_.Push(step);
  form_.SetActiveCell(1, 1);
  return 1;
}

}  // namespace kel
