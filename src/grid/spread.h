// TSpread: the frame grid. A table of text and picture cells over QTableView with the calls the
// editor makes. Column 0 and row 0 are headers; data cells start at 1; -1 means every column or
// row. Colours are 0x00BBGGRR, -1 the grid's default.
#pragma once

#include <QTableView>
#include <cstdint>
#include <memory>

#include "model/display.h"

namespace kel {

using COLORREF = int32_t;
inline constexpr COLORREF kDefaultColor = -1;
inline constexpr COLORREF RGB(int r, int g, int b) { return COLORREF(r | (g << 8) | (b << 16)); }

// A picture cell type record.
struct SS_CELLTYPE {
  long style = 0;
  std::shared_ptr<DisplayBitmap> bitmap;   // null: an empty picture
  std::shared_ptr<const LogPalette> palette;
};

class SpreadModel;

class TSpread : public QTableView {
  Q_OBJECT
 public:
  static constexpr int kId = 118;
  static constexpr int kBoolRedraw = 8;
  explicit TSpread(QWidget* parent = nullptr);
  ~TSpread() override;

  bool SSSetMaxRows(int rows);
  bool SSSetMaxCols(int cols);
  int SSGetMaxRows() const;
  int SSGetMaxCols() const;
  bool SSSetColWidth(int col, double width);   // in grid units (see spread.cpp)
  bool SSSetRowHeight(int row, double height);
  bool SSSetBool(int index, bool value);  // 8: repainting on/off
  bool SSGetBool(int index) const;
  bool SSClear(int col, int row);                           // -1, -1: every cell emptied
  bool SSClearDataRange(int col, int row, int col2, int row2);  // texts erased; -1: to the end
  bool SSSetData(int col, int row, const QString& text);  // false outside the grid
  QString SSGetData(int col, int row) const;              // "" for an empty cell
  bool SSSetColor(int col, int row, COLORREF background, COLORREF foreground);
  bool SSSetColorRange(int col, int row, int col2, int row2, COLORREF background,
                       COLORREF foreground);
  void SSGetColor(int col, int row, COLORREF* background, COLORREF* foreground) const;
  // Fills a picture cell type record; the grid never deletes what the handles refer to.
  static SS_CELLTYPE* SSSetTypePictureHandle(SS_CELLTYPE* rec, long style,
                                             std::shared_ptr<DisplayBitmap> bitmap,
                                             std::shared_ptr<const LogPalette> palette,
                                             int deleteHandles);
  bool SSSetCellType(int col, int row, const SS_CELLTYPE& rec);  // col -1: the whole row
  bool SSIsPictureCell(int col, int row) const;
  bool SSHasPicture(int col, int row) const;  // a picture cell showing a bitmap
  void SSGetActiveCell(int* col, int* row) const;
  bool SSSetActiveCell(int col, int row);

  // Pixel size of grid units, the one rule for widths and heights.
  static int UnitsToPixels(double units, bool height);

 signals:
  void DblClick(int col, int row);         // a data cell was double-clicked
  void KeyDown(int key, bool ctrl);        // Qt::Key of a key pressed in the grid, Ctrl state

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void paintEvent(QPaintEvent* e) override;

 private:
  SpreadModel* model_;
  bool redraw_ = true;
};

}  // namespace kel
