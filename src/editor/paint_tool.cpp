// Handing a picture to the external paint program: a double-click on an image or mask cell
// writes the frame's picture as a bitmap file under a numbered name and starts the paint
// program on it. Nothing watches the file afterwards; the user reads the edited picture back
// with the image-read command, like any other bitmap file.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "editor/dialog.h"
#include "platform/launcher.h"
#include "platform/prompt.h"

namespace kel {

namespace {

// 999 names, pebbl000.bmp to pebbl998.bmp, used in turn; a name that exists is skipped.
constexpr int32_t kPaintFileNames = 999;
const char kPaintFileFormat[] = "pebbl%03d.bmp";
const char kPaintCommandFormat[] = "PBRUSH pebbl%03d.bmp";

const char kNoDib[] = "DIBが取得できません";
const char kWriteFailed[] = "テンポラリファイルの書き込みに失敗しました。";
const char kNotStarted[] =
    "ペイントプログラムを起動できませんでした。\n"
    "画像は次のファイルに書き出してあります:\n";

const char kNoFreeName[] =
    "フォルダー \"%1\" の pebbl000.bmp から pebbl998.bmp までがすべて使われています。\n"
    "要らなくなったファイルを削除してからやり直してください。";

QString PaintFilePath(const QString& folder, int32_t counter) {
  return QDir(folder).filePath(QString::asprintf(kPaintFileFormat, int(counter)));
}

bool IsFolder(const QString& path) {
  return !path.isEmpty() && QFileInfo(path).isDir();
}

}  // namespace

QString ObKELDialog::PaintFolder() const {
  // The user finds the edited picture again through the image-read command's file dialog, which
  // opens where the last file was chosen: the picture goes there.
  if (const QString& chosen = prompt_.LastChosenFolder(); IsFolder(chosen)) return chosen;
  if (DocumentName) {
    const QFileInfo document(DocumentName());
    // An untitled document has a bare name and no folder of its own.
    if (document.isAbsolute() && IsFolder(document.absolutePath())) return document.absolutePath();
  }
  return QDir::homePath();
}

long ObKELDialog::EvDblClick(int col, int row) {
  if (!CheckObject()) return 0;
  if ((row != kRowImage && row != kRowMask) || col < 1) return 0;
  if (col > CurrentSprite->FrameCount()) return 0;

  const int16_t frame = int16_t(col - 1);
  const FrameSlot& slot =
      row == kRowImage ? CurrentSprite->GetImage(frame) : CurrentSprite->GetMask(frame);
  ObBmpImage* image = slot.Image();
  // A continue frame or an empty cell has no picture of its own; a picture without its DIB has
  // nothing a bitmap file could hold.
  if (!image || !image->HasDib()) {
    ShowError(QString::fromUtf8(kNoDib));
    return 0;
  }

  const QString folder = PaintFolder();
  // A name in use holds a picture of an earlier run, perhaps edited and not read back yet: the
  // counter goes on to the next free one.
  if (PaintFileCounter < 0 || PaintFileCounter >= kPaintFileNames) PaintFileCounter = 0;
  int tried = 0;
  while (QFileInfo::exists(PaintFilePath(folder, PaintFileCounter))) {
    if (++tried == kPaintFileNames) {
      ShowError(QString::fromUtf8(kNoFreeName).arg(QDir::toNativeSeparators(folder)));
      return 0;
    }
    PaintFileCounter = (PaintFileCounter + 1) % kPaintFileNames;
  }
  const QString path = PaintFilePath(folder, PaintFileCounter);

  // Written whole or not at all: a file that cannot be created is reported like one that
  // cannot be written, and the paint program is not started on a name that may hold an older
  // picture or nothing. The counter stays, so the next try uses the same name.
  if (!image->Write(QFile::encodeName(path).constData())) {
    ShowError(QString::fromUtf8(kWriteFailed) + QStringLiteral("\n\nフォルダー: ") +
              QDir::toNativeSeparators(folder));
    return 0;
  }

  const QString command = QString::asprintf(kPaintCommandFormat, int(PaintFileCounter));
  // The file is written: its name is used up even when no program starts, so that the user's
  // copy is not overwritten by the next double-click before it has been opened by hand.
  ++PaintFileCounter;
  if (!Launcher) Launcher = std::make_shared<QtLaunchPort>();
  if (!Launcher->Launch(command, folder, path)) {
    ShowError(QString::fromUtf8(kNotStarted) + QDir::toNativeSeparators(path));
    return 0;
  }
  return 1;
}

}  // namespace kel
