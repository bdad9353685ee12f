// Reading a sprite sheet: one picture cut into cells that fill frames from the active cell on,
// in reading order, as one step.
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <climits>

#include "editor/dialog.h"
#include "editor/edit_commands.h"
#include "editor/sprite_sheet_dialog.h"
#include "platform/busy_work.h"
#include "platform/prompt.h"

namespace kel {

void EditCommands::CmSpriteSheetRead() {
  int col = 0, row = 0;
  if (!ActiveCellIn(kRowImage, kRowMask, col, row)) return;
  if (!form_.CommitFields()) return;
  FileDialogRequest req;
  req.filter = PictureFileFilter();
  req.mustExist = true;
  const std::optional<QString> path = prompt_.OpenFileName(form_.window(), req);
  if (!path) return;  // cancelled

  std::string error;
  const auto readFailed = [&] {
    ShowError(QStringLiteral("このファイルは読み込めません: %1\n%2")
                  .arg(*path, QString::fromStdString(error)));
  };
  std::optional<QImage> picture;
  RunBusy(form_.window(),
          QStringLiteral("画像を読み込んでいます...\n%1").arg(QFileInfo(*path).fileName()),
          QFileInfo(*path).size(), [&] { picture = ReadPictureImage(*path, &error); });
  if (!picture) return readFailed();
  SpriteSheetDialog dialog(*picture, form_.window());
  if (dialog.exec() != QDialog::Accepted) return;

  int dropped = 0;
  const int frames = ReadSpriteSheet(col, row, *picture, dialog.Split(), &error, &dropped);
  if (!frames) return readFailed();
  form_.SetActiveCell(std::min(col + frames, int(kGridCols)), row);
  if (dropped) ShowFramesDropped(dropped);
}

int EditCommands::ReadSpriteSheet(long col, long row, const QImage& picture,
                                  const SheetSplit& split, std::string* error, int* dropped) {
  if (!Current() || col < 1 || col > kGridCols) return 0;
  const int64_t count = SheetGridOf(picture.size(), split).Count();
  if (count == 0) {
    if (error) *error = "切り出せるフレームがありません";
    return 0;
  }
  // Cells past the grid's last column are left out and counted.
  const int64_t room = kGridCols - col + 1;
  if (dropped) *dropped = int(std::clamp<int64_t>(count - room, 0, INT_MAX));
  const std::vector<QRect> cells = SheetCells(picture.size(), split, size_t(room));

  // Every cell is converted before anything changes: one that cannot be stored refuses all.
  std::vector<PictureDibs> frames;
  frames.reserve(cells.size());
  for (const QRect& cell : cells) {
    PictureDibs dibs = DibsOfImage(picture.copy(cell));
    if (!dibs.image) {
      if (error) *error = dibs.error;
      return 0;
    }
    frames.push_back(std::move(dibs));
  }
  PutPictures(col, row, frames, QStringLiteral("スプライトシートの読み込み"));
  return int(frames.size());
}

}  // namespace kel
