// Handing a picture to the external paint program: a double-click on an image or mask cell
// writes the frame's picture as a bitmap file under a numbered name and starts the paint
// program on it. Nothing watches the file afterwards; the user reads the edited picture back
// with the image-read command, like any other bitmap file.
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "editor/dialog.h"
#include "editor/edit_commands.h"
#include "platform/launcher.h"
#include "platform/prompt.h"

namespace kel {

namespace {

// 999 names, pebbl000.bmp to pebbl998.bmp, used in turn and overwritten on the next round.
constexpr int32_t kPaintFileNames = 999;
const char kPaintFileFormat[] = "pebbl%03d.bmp";
const char kPaintCommandFormat[] = "PBRUSH pebbl%03d.bmp";

const char kNoDib[] = "DIBが取得できません";
const char kWriteFailed[] = "テンポラリファイルの書き込みに失敗しました。";
const char kNotStarted[] =
    "ペイントプログラムを起動できませんでした。\n"
    "画像は次のファイルに書き出してあります:\n";

bool IsFolder(const QString& path) {
  return !path.isEmpty() && QFileInfo(path).isDir();
}

}  // namespace

QString EditCommands::PaintFolder() const {
  // The user finds the edited picture again through the image-read command's file dialog, which
  // opens where the last file was chosen: the picture goes there.
  if (const QString& chosen = prompt_.LastChosenFolder(); IsFolder(chosen)) return chosen;
  if (!doc_.Untitled()) {
    const QFileInfo document(doc_.FileName());
    if (document.isAbsolute() && IsFolder(document.absolutePath())) return document.absolutePath();
  }
  return QDir::homePath();
}

long EditCommands::EvDblClick(int col, int row) {
  if (!CheckObject()) return 0;
  if ((row != kRowImage && row != kRowMask) || col < 1) return 0;
  if (col > Current()->FrameCount()) return 0;

  const int16_t frame = int16_t(col - 1);
  const FrameSlot& slot =
      row == kRowImage ? Current()->GetImage(frame) : Current()->GetMask(frame);
  ObBmpImage* image = slot.Image();
  // A continue frame or an empty cell has no picture of its own; a picture without its DIB has
  // nothing a bitmap file could hold.
  if (!image || !image->HasDib()) {
    ShowError(QString::fromUtf8(kNoDib));
    return 0;
  }

  if (PaintFileCounter < 0 || PaintFileCounter >= kPaintFileNames) PaintFileCounter = 0;
  const QString name = QString::asprintf(kPaintFileFormat, int(PaintFileCounter));
  const QString folder = PaintFolder();
  const QString path = QDir(folder).filePath(name);

  // Written whole or not at all: a file that cannot be created is reported like one that
  // cannot be written, and the paint program is not started on a name that may hold an older
  // picture or nothing. The counter stays, so the next try uses the same name.
  if (!image->Write(QFile::encodeName(path).constData())) {
    ShowError(QString::fromUtf8(kWriteFailed));
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
