// Files dropped on the frame grid: pictures fill frames from the cell they land on, a wave file
// on the sound row becomes the sound, an image list anywhere on the grid is read as the list
// command reads it. Object files are the application's (they replace or join the document).
#include <QCollator>
#include <QFileInfo>
#include <algorithm>

#include "editor/dialog.h"
#include "editor/edit_commands.h"
#include "platform/busy_work.h"

namespace kel {

namespace {

bool HasSuffix(const QString& path, const char* suffix) {
  return QFileInfo(path).suffix().compare(QLatin1String(suffix), Qt::CaseInsensitive) == 0;
}

// Pictures go into frames in the order of their names, numbers by their value ("walk2" before
// "walk10"), letter case aside; names alike are ordered by their folders.
void SortByName(QStringList& paths) {
  QCollator collator;
  collator.setNumericMode(true);
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  std::stable_sort(paths.begin(), paths.end(), [&](const QString& a, const QString& b) {
    const int byName = collator.compare(QFileInfo(a).fileName(), QFileInfo(b).fileName());
    return byName != 0 ? byName < 0 : collator.compare(a, b) < 0;
  });
}

}  // namespace

EditCommands::DropKind EditCommands::DropKindOf(const QStringList& paths, int col, int row) {
  if (paths.isEmpty() || col < 0 || row < 0) return DropKind::None;
  if (paths.size() == 1 && HasSuffix(paths[0], "lst")) return DropKind::ImageList;
  if (col < 1 || row < 1) return DropKind::None;
  if (row == kRowSound)
    return paths.size() == 1 && HasSuffix(paths[0], "wav") ? DropKind::Sound : DropKind::None;
  if (row != kRowImage && row != kRowMask) return DropKind::None;
  return std::all_of(paths.begin(), paths.end(), IsPictureFileName) ? DropKind::Pictures
                                                                    : DropKind::None;
}

bool EditCommands::DropFiles(const QStringList& paths, int col, int row) {
  const DropKind kind = DropKindOf(paths, col, row);
  if (kind == DropKind::None || !CheckObject()) return false;
  // What is being typed is an edit of its own, before this one.
  if (!form_.CommitFields()) return false;
  switch (kind) {
    case DropKind::ImageList:
      ImageListRead(paths[0]);
      return true;
    case DropKind::Sound:
      form_.SetActiveCell(col, row);
      return SoundRead(col, paths[0]);
    default:
      break;
  }

  QStringList sorted = paths;
  SortByName(sorted);
  // Every file is read before anything changes: one that cannot be read refuses the drop.
  std::vector<PictureDibs> frames;
  int dropped = 0;
  QString failed;
  std::string reason;
  long long bytes = 0;
  for (const QString& path : sorted) bytes += QFileInfo(path).size();
  RunBusy(form_.window(),
          QStringLiteral("画像を読み込んでいます...\n%1").arg(QFileInfo(sorted[0]).fileName()),
          bytes, [&] {
            for (const QString& path : sorted) {
              const int room = kGridCols - int(col) + 1 - int(frames.size());
              PictureFile read = ReadPictureFile(path, std::max(room, 1));
              if (read.frames.empty()) {
                failed = path;
                reason = read.error;
                return;
              }
              if (room <= 0) {
                dropped += int(read.frames.size()) + read.dropped;
                continue;
              }
              dropped += read.dropped;
              for (PictureDibs& frame : read.frames) frames.push_back(std::move(frame));
            }
          });
  if (!failed.isEmpty()) {
    ShowError(QStringLiteral("このファイルは読み込めません: %1\n%2")
                  .arg(failed, QString::fromStdString(reason)));
    return false;
  }
  PutPictures(col, row, frames, PictureReadText(row));
  form_.SetActiveCell(std::min(col + int(frames.size()), int(kGridCols)), row);
  if (dropped) ShowFramesDropped(dropped);
  return true;
}

}  // namespace kel
