#include "grid/spread.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMetaProperty>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyleOptionHeader>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <algorithm>
#include <cmath>
#include <optional>

#include "grid/cell_picture.h"
#include "grid/spread_model.h"
#include "platform/qt_display.h"
#include "platform/zoom.h"

namespace kel {

namespace {

constexpr int kNewGridCols = 10;
constexpr int kNewGridRows = 10;
constexpr double kDefaultColWidth = 8.0;    // width units
constexpr double kDefaultRowHeight = 15.0;  // points
constexpr int kActiveFrame = 3;             // pixels of the active cell's frame
constexpr int kTextMargin = 3;              // pixels between a cell's edge and its text
// Cells a grid may hold: far above the 6 x 129 the editor uses, low enough that a wrong size
// cannot take all memory.
constexpr int64_t kMaxCells = 4'000'000;

}  // namespace

// Paints the cells (background, text or picture) and remembers the one open text editor, whose
// text is the cell's text while the user types.
class SpreadDelegate final : public QStyledItemDelegate {
 public:
  explicit SpreadDelegate(TSpread* grid) : QStyledItemDelegate(grid), grid_(grid) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const QRect rect = option.rect;
    const QVariant bg = index.data(Qt::BackgroundRole);
    painter->fillRect(rect,
                      bg.isValid() ? bg.value<QColor>() : grid_->palette().color(QPalette::Base));
    if (index.data(SpreadModel::kPictureRole).toBool()) {
      const QImage& pic = grid_->CellPicture(index.column() + 1, index.row() + 1, rect.size());
      if (!pic.isNull()) painter->drawImage(PicturePlace(rect, pic.size()), pic);
      return;
    }
    const QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty()) return;
    const QVariant fg = index.data(Qt::ForegroundRole);
    painter->save();
    painter->setPen(fg.isValid() ? fg.value<QColor>() : grid_->palette().color(QPalette::Text));
    painter->setFont(option.font);
    const QRect area = rect.adjusted(kTextMargin, 0, -kTextMargin, 0);
    painter->drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                      option.fontMetrics.elidedText(text, Qt::ElideRight, area.width()));
    painter->restore();
  }

  // The view hands an open editor the cell's text again on every change of the cell, colours
  // included: that would throw away what the user is typing. Only a new text is handed on.
  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    const QString text = index.data(Qt::EditRole).toString();
    if (editor == editor_ && editorText_ && *editorText_ == text) return;
    if (editor == editor_) editorText_ = text;
    QStyledItemDelegate::setEditorData(editor, index);
  }

  void destroyEditor(QWidget* editor, const QModelIndex& index) const override {
    if (editor == editor_) editor_ = nullptr;
    QStyledItemDelegate::destroyEditor(editor, index);
  }

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    editor_ = editor;
    editorIndex_ = index;
    editorText_.reset();
    return editor;
  }

  // The open editor of a cell, if the user is typing into it.
  QWidget* EditorOf(int col, int row) const {
    if (!editor_ || !editorIndex_.isValid()) return nullptr;
    if (editorIndex_.column() + 1 != col || editorIndex_.row() + 1 != row) return nullptr;
    return editor_;
  }
  QWidget* OpenEditor(QModelIndex* index) const {
    if (!editor_ || !editorIndex_.isValid()) return nullptr;
    *index = editorIndex_;
    return editor_;
  }

 private:
  TSpread* grid_;
  mutable QPointer<QWidget> editor_;
  mutable QPersistentModelIndex editorIndex_;
  mutable std::optional<QString> editorText_;  // the cell text the open editor was given
};

// The header corner: shows the text of cell (0, 0).
class SpreadCorner final : public QWidget {
 public:
  explicit SpreadCorner(TSpread* grid) : QWidget(grid), grid_(grid) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QStylePainter p(this);
    QStyleOptionHeader opt;
    opt.initFrom(this);
    opt.rect = rect();
    opt.orientation = Qt::Horizontal;
    opt.position = QStyleOptionHeader::OnlyOneSection;
    opt.textAlignment = Qt::AlignCenter;
    opt.text = grid_->model_->Cell(0, 0).text;
    p.drawControl(QStyle::CE_Header, opt);
  }

 private:
  TSpread* grid_;
};

TSpread::TSpread(QWidget* parent) : QTableView(parent) {
  // Section sizes first: sections made with the model take the defaults.
  horizontalHeader()->setMinimumSectionSize(0);
  verticalHeader()->setMinimumSectionSize(0);
  colDefault_ = UnitsToPixels(kDefaultColWidth, false);
  rowDefault_ =
      std::max(UnitsToPixels(kDefaultRowHeight, true), fontMetrics().height() + 2 * kTextMargin);
  horizontalHeader()->setDefaultSectionSize(colDefault_);
  verticalHeader()->setDefaultSectionSize(rowDefault_);
  horizontalHeader()->setHighlightSections(false);
  verticalHeader()->setHighlightSections(false);
  // Tab and Shift+Tab leave the grid for the next and previous control; the arrow keys move
  // between its cells.
  setTabKeyNavigation(false);

  corner_ = new SpreadCorner(this);
  model_ = new SpreadModel(kNewGridCols, kNewGridRows, this);
  connect(model_, &SpreadModel::CellEdited, this, &TSpread::CellEdited);
  setModel(model_);
  delegate_ = new SpreadDelegate(this);
  setItemDelegate(delegate_);

  // No selection highlight over the cells' own colours: the active cell has its frame.
  setSelectionMode(QAbstractItemView::NoSelection);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  EnsureActiveCell();
}

TSpread::~TSpread() = default;

int TSpread::UnitsToPixels(double units, bool height) {
  if (!(units > 0)) return 0;
  if (height) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    return int(std::lround(units * dpi / 72.0));
  }
  // Like spreadsheet columns: so many digits of the usual font, and a few pixels of padding.
  const int digit = QFontMetrics(QGuiApplication::font()).horizontalAdvance(QLatin1Char('0'));
  return int(std::lround(units * digit)) + 2 * kTextMargin;
}

bool TSpread::SSSetMaxRows(int rows) {
  if (rows < 0 || int64_t(rows + 1) * (model_->MaxCols() + 1) > kMaxCells) return false;
  model_->Resize(model_->MaxCols(), rows);
  EnsureActiveCell();
  return true;
}

bool TSpread::SSSetMaxCols(int cols) {
  if (cols < 0 || int64_t(cols + 1) * (model_->MaxRows() + 1) > kMaxCells) return false;
  model_->Resize(cols, model_->MaxRows());
  if (zoom_ != 1) ApplyRowSizes();  // a row may have lost its last picture cell
  EnsureActiveCell();
  return true;
}

int TSpread::SSGetMaxRows() const {
  return model_->MaxRows();
}
int TSpread::SSGetMaxCols() const {
  return model_->MaxCols();
}

bool TSpread::SSSetColWidth(int col, double width) {
  if (!(width >= 0) || col < -1 || col > model_->MaxCols()) return false;
  const int px = UnitsToPixels(width, false);
  if (col == 0) {
    verticalHeader()->setFixedWidth(px);
    updateGeometries();
  } else if (col == -1) {
    colDefault_ = px;
    colSize_.clear();
    ApplyColumnSizes();
  } else {
    colSize_[col - 1] = px;
    horizontalHeader()->resizeSection(col - 1, px * zoom_);
  }
  return true;
}

bool TSpread::SSSetRowHeight(int row, double height) {
  if (!(height >= 0) || row < -1 || row > model_->MaxRows()) return false;
  const int px = UnitsToPixels(height, true);
  if (row == 0) {
    horizontalHeader()->setFixedHeight(px);
    updateGeometries();
  } else if (row == -1) {
    rowDefault_ = px;
    rowSize_.clear();
    verticalHeader()->setDefaultSectionSize(px);
    ApplyRowSizes();
  } else {
    SetRowPixels(row, px);
  }
  return true;
}

void TSpread::SetRowPixels(int row, int px) {
  if (row < 1 || row > model_->MaxRows() || px < 0) return;
  rowSize_[row - 1] = px;
  ApplyRowSize(row - 1);
}

void TSpread::SetZoom(int zoom) {
  zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
  if (zoom == zoom_) return;
  zoom_ = zoom;
  ApplyColumnSizes();
  ApplyRowSizes();
  // Keep the active cell in sight as the cells grow and shrink.
  if (currentIndex().isValid()) scrollTo(currentIndex());
  emit ZoomChanged(zoom_);
}

void TSpread::ApplyColumnSizes() {
  QHeaderView* h = horizontalHeader();
  h->setDefaultSectionSize(colDefault_ * zoom_);  // for columns added later
  for (int c = 0; c < model_->MaxCols(); ++c) {
    const auto it = colSize_.find(c);
    h->resizeSection(c, (it == colSize_.end() ? colDefault_ : it->second) * zoom_);
  }
}

void TSpread::ApplyRowSizes() {
  for (int r = 0; r < model_->MaxRows(); ++r) ApplyRowSize(r);
}

void TSpread::ApplyRowSize(int dataRow) {
  const auto it = rowSize_.find(dataRow);
  verticalHeader()->resizeSection(
      dataRow, (it == rowSize_.end() ? rowDefault_ : it->second) * RowZoom(dataRow));
}

int TSpread::RowZoom(int dataRow) const {
  return model_->RowHasPicture(dataRow + 1) ? zoom_ : 1;
}

double TSpread::PictureScale() const {
  return kMaxPictureScale * zoom_;
}

bool TSpread::SSSetBool(int index, bool value) {
  if (index == kBoolRedraw) {
    SetRedraw(value);
  } else if (index == kBoolAutoClipboard) {
    autoClipboard_ = value;
  }
  bools_[index] = value;
  return true;
}

bool TSpread::SSGetBool(int index) const {
  if (index == kBoolRedraw) return redraw_;
  if (index == kBoolAutoClipboard) return autoClipboard_;
  auto it = bools_.find(index);
  return it != bools_.end() && it->second;
}

void TSpread::SetRedraw(bool on) {
  if (on == redraw_) return;
  redraw_ = on;
  if (!on) {
    setUpdatesEnabled(false);
    model_->SetSuspended(true);
    return;
  }
  // One change for everything that happened meanwhile, then one repaint.
  model_->SetSuspended(false);
  setUpdatesEnabled(true);
  viewport()->update();
  horizontalHeader()->viewport()->update();
  verticalHeader()->viewport()->update();
  corner_->update();
}

template <typename F>
bool TSpread::ForRange(int col, int row, int col2, int row2, bool writesText, F f) {
  const int cols = model_->MaxCols(), rows = model_->MaxRows();
  const int c1 = col == -1 ? 1 : col, r1 = row == -1 ? 1 : row;
  const int c2 = col2 == -1 ? cols : std::min(col2, cols);
  const int r2 = row2 == -1 ? rows : std::min(row2, rows);
  if (c1 < 0 || r1 < 0 || c1 > c2 || r1 > r2) return false;
  // A program's write wins over text the user has not finished typing into the same cells.
  QModelIndex open;
  QWidget* editor = writesText ? delegate_->OpenEditor(&open) : nullptr;
  if (editor) {
    const int oc = open.column() + 1, orow = open.row() + 1;
    if (oc >= c1 && oc <= c2 && orow >= r1 && orow <= r2) {
      closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    }
  }
  model_->EditRange(c1, r1, c2, r2, f);
  model_->Changed(c1, r1, c2, r2);
  if (c1 == 0 && r1 == 0 && redraw_) corner_->update();
  return true;
}

bool TSpread::SSClear(int col, int row) {
  const bool done =
      ForRange(col, row, col, row, true, [](SpreadCell& cell, int, int) { cell = SpreadCell(); });
  // A row left without picture cells is no longer zoomed.
  if (done && zoom_ != 1 && row == -1) ApplyRowSizes();
  if (done && zoom_ != 1 && row > 0) ApplyRowSize(row - 1);
  return done;
}

bool TSpread::SSClearDataRange(int col, int row, int col2, int row2) {
  return ForRange(col, row, col2, row2, true,
                  [](SpreadCell& cell, int, int) { cell.text.clear(); });
}

bool TSpread::SSSetData(int col, int row, const QString& text) {
  return ForRange(col, row, col, row, true, [&](SpreadCell& cell, int, int) { cell.text = text; });
}

QString TSpread::SSGetData(int col, int row) const {
  if (!model_->Contains(col, row)) return {};
  if (QWidget* editor = delegate_->EditorOf(col, row)) {
    const QMetaProperty user = editor->metaObject()->userProperty();
    if (user.isValid()) return user.read(editor).toString();
  }
  return model_->Cell(col, row).text;
}

bool TSpread::SSSetColor(int col, int row, COLORREF background, COLORREF foreground) {
  return SSSetColorRange(col, row, col, row, background, foreground);
}

bool TSpread::SSSetColorRange(int col, int row, int col2, int row2, COLORREF background,
                              COLORREF foreground) {
  return ForRange(col, row, col2, row2, false, [&](SpreadCell& cell, int, int) {
    cell.background = background;
    cell.foreground = foreground;
  });
}

void TSpread::SSGetColor(int col, int row, COLORREF* background, COLORREF* foreground) const {
  const bool in = model_->Contains(col, row);
  if (background) *background = in ? model_->Cell(col, row).background : kDefaultColor;
  if (foreground) *foreground = in ? model_->Cell(col, row).foreground : kDefaultColor;
}

SS_CELLTYPE* TSpread::SSSetTypePictureHandle(SS_CELLTYPE* rec, long style,
                                             std::shared_ptr<DisplayBitmap> bitmap,
                                             std::shared_ptr<const LogPalette> palette,
                                             int /*deleteHandles*/) {
  if (!rec) return nullptr;
  rec->style = style;
  rec->bitmap = std::move(bitmap);
  rec->palette = std::move(palette);
  return rec;
}

bool TSpread::SSSetCellType(int col, int row, const SS_CELLTYPE& rec) {
  if (col == 0 || row == 0) return false;  // headers hold text only
  // The painted size of a cell, as visualRect gives it: without the grid line.
  const int grid = showGrid() ? 1 : 0;
  // Cells of one size share one picture (a whole row of the same bitmap is made once).
  QSize lastSize;
  QImage lastPicture;
  // A row that gets its first picture cell grows with the zoom before its pictures are made.
  if (zoom_ != 1 && model_->Contains(col == -1 ? 1 : col, row == -1 ? 1 : row)) {
    const int c = col == -1 ? 1 : col;
    const int r1 = row == -1 ? 1 : row, r2 = row == -1 ? model_->MaxRows() : row;
    model_->EditRange(c, r1, c, r2, [](SpreadCell& cell, int, int) { cell.picture = true; });
    for (int r = r1; r <= r2; ++r) ApplyRowSize(r - 1);
  }
  return ForRange(col, row, col, row, true, [&](SpreadCell& cell, int c, int r) {
    const QSize size(columnWidth(c - 1) - grid, rowHeight(r - 1) - grid);
    cell.picture = true;
    cell.hasBitmap = rec.bitmap != nullptr;
    cell.source = rec.bitmap;
    cell.sourceSize = rec.bitmap ? QSize(rec.bitmap->Width(), rec.bitmap->Height()) : QSize();
    if (rec.bitmap && size != lastSize) {
      lastSize = size;
      lastPicture = MakeCellPicture(*rec.bitmap, size, PictureScale());
    }
    cell.thumb = rec.bitmap ? lastPicture : QImage();
    cell.thumbCell = size;
  });
}

bool TSpread::SSIsPictureCell(int col, int row) const {
  return model_->Contains(col, row) && model_->Cell(col, row).picture;
}

bool TSpread::SSHasPicture(int col, int row) const {
  return SSIsPictureCell(col, row) && model_->Cell(col, row).hasBitmap;
}

const QImage& TSpread::CellPicture(int col, int row, QSize cellSize) const {
  SpreadCell& cell = model_->Edit(col, row);
  if (cell.hasBitmap && cell.thumbCell != cellSize) {
    // The cell was resized: remake the picture from the bitmap while its owner keeps it, else
    // rescale the picture the cell has.
    if (auto bitmap = cell.source.lock()) {
      cell.thumb = MakeCellPicture(*bitmap, cellSize, PictureScale());
    } else if (!cell.thumb.isNull()) {
      const QSize size = FitSize(cell.sourceSize, PictureBox(cellSize), PictureScale());
      cell.thumb = size.isEmpty()
                       ? QImage()
                       : cell.thumb.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    }
    cell.thumbCell = cellSize;
  }
  return cell.thumb;
}

void TSpread::SSGetActiveCell(int* col, int* row) const {
  const QModelIndex cur = currentIndex();
  if (col) *col = cur.isValid() ? cur.column() + 1 : 0;
  if (row) *row = cur.isValid() ? cur.row() + 1 : 0;
}

bool TSpread::SSGetCellFromPixel(QPoint pos, int* col, int* row) const {
  const QPoint at = viewport()->mapFrom(this, pos);
  // Left of the cells is the row-header bar, above them the column-header bar.
  const int c = at.x() < 0 ? 0 : columnAt(at.x()) + 1;
  const int r = at.y() < 0 ? 0 : rowAt(at.y()) + 1;
  if (!rect().contains(pos) || c < 0 || r < 0 || (at.x() >= 0 && c == 0) || (at.y() >= 0 && r == 0))
    return false;
  if (col) *col = c;
  if (row) *row = r;
  return true;
}

bool TSpread::SSSetActiveCell(int col, int row) {
  if (col < 1 || row < 1 || col > model_->MaxCols() || row > model_->MaxRows()) return false;
  const QModelIndex idx = model_->index(row - 1, col - 1);
  setCurrentIndex(idx);
  scrollTo(idx);
  return true;
}

void TSpread::EnsureActiveCell() {
  if (!currentIndex().isValid() && model_->MaxRows() > 0 && model_->MaxCols() > 0) {
    setCurrentIndex(model_->index(0, 0));
  }
}

void TSpread::keyPressEvent(QKeyEvent* e) {
  const Qt::KeyboardModifiers mods =
      e->modifiers() & ~(Qt::KeypadModifier | Qt::GroupSwitchModifier);
  const bool ctrl = mods == Qt::ControlModifier;
  // A modifier key going down on its own is no key to act on.
  const bool modifierKey = e->key() == Qt::Key_Control || e->key() == Qt::Key_Shift ||
                           e->key() == Qt::Key_Alt || e->key() == Qt::Key_Meta ||
                           e->key() == Qt::Key_AltGr;
  // The zoom keys belong to the view alone.
  if (IsZoomKey(e->key(), e->modifiers())) {
    SetZoom(ZoomAfterKey(zoom_, e->key(), e->modifiers()));
    e->accept();
    return;
  }
  if (!modifierKey && (mods == Qt::NoModifier || ctrl)) emit KeyDown(e->key(), ctrl);
  // Keys whose commands belong to the owner stop here: Delete, and the clipboard keys when the
  // grid's own clipboard handling is off (Qt's view would copy the cell text itself).
  const bool ownerKey = (e->key() == Qt::Key_Delete && (mods == Qt::NoModifier || ctrl)) ||
                        (ctrl && !autoClipboard_ &&
                         (e->key() == Qt::Key_X || e->key() == Qt::Key_C || e->key() == Qt::Key_V));
  if (ownerKey) {
    e->accept();
    return;
  }
  QTableView::keyPressEvent(e);
}

void TSpread::wheelEvent(QWheelEvent* e) {
  if (e->modifiers() & Qt::ControlModifier) {
    SetZoom(ZoomAfterWheel(zoom_, *e));
    e->accept();
    return;
  }
  QTableView::wheelEvent(e);
}

void TSpread::mouseDoubleClickEvent(QMouseEvent* e) {
  const QModelIndex idx = indexAt(e->position().toPoint());
  if (idx.isValid()) emit DblClick(idx.column() + 1, idx.row() + 1);
  QTableView::mouseDoubleClickEvent(e);
}

void TSpread::paintEvent(QPaintEvent* e) {
  if (!redraw_) return;
  QTableView::paintEvent(e);
  const QModelIndex cur = currentIndex();
  if (!cur.isValid()) return;
  const QRect r = visualRect(cur);  // the cell without its grid lines
  if (r.isEmpty() || !r.intersects(e->rect())) return;
  QPainter p(viewport());
  const QColor c = palette().color(QPalette::WindowText);
  const int t = std::min({kActiveFrame, r.width(), r.height()});
  p.fillRect(QRect(r.left(), r.top(), r.width(), t), c);
  p.fillRect(QRect(r.left(), r.bottom() - t + 1, r.width(), t), c);
  p.fillRect(QRect(r.left(), r.top(), t, r.height()), c);
  p.fillRect(QRect(r.right() - t + 1, r.top(), t, r.height()), c);
}

void TSpread::updateGeometries() {
  QTableView::updateGeometries();
  if (!corner_) return;
  const QHeaderView* v = verticalHeader();
  const QHeaderView* h = horizontalHeader();
  corner_->setGeometry(v->geometry().x(), h->geometry().y(), v->width(), h->height());
  corner_->setVisible(!v->isHidden() && !h->isHidden());
  corner_->raise();
}

}  // namespace kel
