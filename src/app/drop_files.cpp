// Files dropped on the main window. An object file is the document's business (Open, or Add with
// Ctrl held, through the same question and reading as the menu's commands); everything else
// goes to the grid cell under the pointer.
#include <QFileInfo>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include "app/frame_window.h"
#include "app/kel_app.h"
#include "editor/dialog.h"
#include "editor/edit_commands.h"
#include "grid/spread.h"

namespace kel {

namespace {

// The local files a drag carries; empty when it carries anything else as well.
QStringList LocalFiles(const QMimeData* data) {
  QStringList paths;
  if (!data || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) return {};
    paths << url.toLocalFile();
  }
  return paths;
}

}  // namespace

bool kelApp::DropOnWindow(const QMimeData* data, QPoint pos, Qt::KeyboardModifiers modifiers,
                          bool drop) {
  const QStringList paths = LocalFiles(data);
  if (paths.isEmpty()) return false;
  // The work is done once the drop has ended: the drag's source is not kept waiting by a
  // question or a long read.
  auto later = [this](std::function<void()> work) {
    QTimer::singleShot(0, this, std::move(work));
    return true;
  };

  const bool objectFile =
      QFileInfo(paths[0]).suffix().compare(QLatin1String("kel"), Qt::CaseInsensitive) == 0;
  if (objectFile) {
    if (paths.size() != 1) return false;
    if (!drop) return true;
    const QString path = paths[0];
    const bool add = modifiers & Qt::ControlModifier;
    return later([this, path, add] {
      if (!CanClose()) return;
      if (add)
        AddDocument(path);
      else
        OpenDocument(path);
    });
  }

  int col = -1, row = -1;
  TSpread* grid = dialog_->Spread;
  if (!grid->SSGetCellFromPixel(grid->mapFrom(frame_.get(), pos), &col, &row)) col = row = -1;
  if (EditCommands::DropKindOf(paths, col, row) == EditCommands::DropKind::None) return false;
  if (!drop) return true;
  return later([this, paths, col, row] { commands_->DropFiles(paths, col, row); });
}

}  // namespace kel
