// TSpread: the frame grid. A table of text and picture cells over QTableView with the calls the
// editor makes. Column 0 and row 0 are headers (the grid's header bars, the corner for (0, 0));
// data cells start at 1. Colours are 0x00BBGGRR, -1 the grid's default.
//
// -1 as a column or row means every DATA column or row (1 to the last): header cells change only
// when addressed as column 0 or row 0 themselves. So writing a text into "every column" of a row
// keeps the row's header, and a whole-row picture type never turns a header into a picture.
// SSClear(-1, -1) therefore empties every data cell and keeps the header texts.
#pragma once

#include <QPointer>
#include <QTableView>
#include <cstdint>
#include <map>
#include <memory>

#include "grid/colorref.h"
#include "model/display.h"

namespace kel {

// A picture cell type record.
struct SS_CELLTYPE {
  long style = 0;
  std::shared_ptr<DisplayBitmap> bitmap;  // null: an empty picture
  std::shared_ptr<const LogPalette> palette;
};

class SpreadModel;
class SpreadDelegate;
class SpreadCorner;

class TSpread : public QTableView {
  Q_OBJECT
 public:
  static constexpr int kId = 118;
  static constexpr int kBoolRedraw = 8;
  // The grid's own clipboard keys (Ctrl+C copies the active cell's text); on by default. Off,
  // Ctrl+X/C/V are only reported, for the owner's own cut, copy and paste.
  static constexpr int kBoolAutoClipboard = 17;
  explicit TSpread(QWidget* parent = nullptr);
  ~TSpread() override;

  // Sizes in data cells (headers not counted); 10 x 10 for a new grid. Cells inside the new
  // size keep their contents and the sections keep their sizes.
  bool SSSetMaxRows(int rows);
  bool SSSetMaxCols(int cols);
  int SSGetMaxRows() const;
  int SSGetMaxCols() const;
  // In grid units (UnitsToPixels); column 0 is the row-header bar, row 0 the column-header bar.
  bool SSSetColWidth(int col, double width);
  bool SSSetRowHeight(int row, double height);
  // A data row's height in pixels at zoom 1 (row from 1), for a row fitted to the view.
  void SetRowPixels(int row, int px);
  // 8: repainting on/off. Off, nothing repaints and cell changes are not passed to the views;
  // back on, the grid repaints once. 17: see kBoolAutoClipboard. Other indexes are kept only.
  bool SSSetBool(int index, bool value);
  bool SSGetBool(int index) const;
  bool SSClear(int col, int row);  // the cells' texts, colours and picture types; -1, -1: all
  bool SSClearDataRange(int col, int row, int col2, int row2);  // texts erased; -1: to the end
  bool SSSetData(int col, int row, const QString& text);        // false outside the grid
  // The cell's text, also while the user is still typing it; "" for an empty cell or outside.
  QString SSGetData(int col, int row) const;
  bool SSSetColor(int col, int row, COLORREF background, COLORREF foreground);
  bool SSSetColorRange(int col, int row, int col2, int row2, COLORREF background,
                       COLORREF foreground);  // col2, row2 -1: to the end
  void SSGetColor(int col, int row, COLORREF* background, COLORREF* foreground) const;
  // Fills a picture cell type record. The grid never deletes or keeps what the handles refer to
  // (deleteHandles changes nothing): a picture cell keeps a cell-sized picture of the bitmap as
  // it was when the type was set. The style only asks for a picture; every picture is shown
  // centred, shrunk to fit keeping its proportions, grown at most to twice its size. The
  // palette is not needed on a true-colour screen: the bitmap has its colours.
  static SS_CELLTYPE* SSSetTypePictureHandle(SS_CELLTYPE* rec, long style,
                                             std::shared_ptr<DisplayBitmap> bitmap,
                                             std::shared_ptr<const LogPalette> palette,
                                             int deleteHandles);
  // Makes data cells picture cells (not text-editable); col -1: the whole row. false for a
  // header cell or outside the grid.
  bool SSSetCellType(int col, int row, const SS_CELLTYPE& rec);
  bool SSIsPictureCell(int col, int row) const;
  bool SSHasPicture(int col, int row) const;  // a picture cell showing a bitmap
  // The focused data cell, marked with a thick frame; (0, 0) when the grid has no data cell.
  void SSGetActiveCell(int* col, int* row) const;
  bool SSSetActiveCell(int col, int row);  // false unless a data cell
  // The cell under pos (the grid's own coordinates): a data cell's column and row, 0 for the
  // header bar the point is on; false when the point is not on the grid's cells or headers.
  bool SSGetCellFromPixel(QPoint pos, int* col, int* row) const;

  // The zoom, 1 to 8 (platform/zoom.h): data columns and the rows that hold picture cells are
  // that many times their set size, and pictures grow up to that many times more, nearest pixel.
  // A view setting: the user changes it with Ctrl and plus, minus or 0, or Ctrl and the wheel.
  int Zoom() const { return zoom_; }
  void SetZoom(int zoom);  // clamped to 1 to 8

  // Pixel size of grid units, the one rule for widths and heights: a width unit is the width of
  // a digit of the application font (plus a little padding per column), a height unit a point.
  static int UnitsToPixels(double units, bool height);

 signals:
  void DblClick(int col, int row);  // a data cell was double-clicked
  // Qt::Key of a key pressed in the grid, Ctrl state. Reported without modifiers or with Ctrl
  // alone; keys held with Shift, Alt or Meta are not reported (the owner acts on no other), nor
  // the modifier keys themselves.
  void KeyDown(int key, bool ctrl);
  // The user typed a new text into a data cell and finished editing it.
  void CellEdited(int col, int row);
  void ZoomChanged(int zoom);

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void updateGeometries() override;

 private:
  friend class SpreadDelegate;
  friend class SpreadCorner;

  // Calls f(cell, col, row) for every cell of the range, -1 as described above; false when the
  // range lies outside the grid. writesText: an open text editor in the range is closed first,
  // its typing dropped.
  template <typename F>
  bool ForRange(int col, int row, int col2, int row2, bool writesText, F f);
  void SetRedraw(bool on);
  void EnsureActiveCell();
  // The cell's picture for its present size (remade when the cell was resized).
  const QImage& CellPicture(int col, int row, QSize cell) const;
  double PictureScale() const;
  // Section sizes from the sizes set and the zoom.
  void ApplyColumnSizes();
  void ApplyRowSizes();
  void ApplyRowSize(int dataRow);
  int RowZoom(int dataRow) const;  // the zoom for a row with picture cells, else 1

  SpreadModel* model_ = nullptr;
  SpreadDelegate* delegate_ = nullptr;
  SpreadCorner* corner_ = nullptr;
  bool redraw_ = true;
  bool autoClipboard_ = true;
  std::map<int, bool> bools_;
  int zoom_ = 1;
  // Data section sizes as set, before the zoom (index from 0); unlisted ones have the default.
  int colDefault_ = 0, rowDefault_ = 0;
  std::map<int, int> colSize_, rowSize_;
};

}  // namespace kel
