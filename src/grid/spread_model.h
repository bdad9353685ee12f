// The cells behind TSpread: texts, colours and picture cells of a grid whose column 0 and row 0
// are headers. The table model shows the data cells (grid cell (c, r) at model row r - 1, column
// c - 1) and gives the header cells as header data. While the grid's repainting is off, changes
// of cell contents send no signals; turning it back on sends one change for everything.
#pragma once

#include <QAbstractTableModel>
#include <QImage>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "grid/colorref.h"
#include "model/display.h"

namespace kel {

struct SpreadCell {
  QString text;
  COLORREF background = kDefaultColor;
  COLORREF foreground = kDefaultColor;
  bool picture = false;                 // a picture cell: shows a picture, takes no typing
  bool hasBitmap = false;               // the picture cell was given a bitmap
  std::weak_ptr<DisplayBitmap> source;  // the caller's bitmap, while the caller keeps it
  QSize sourceSize;                     // its size
  QImage thumb;                         // the bitmap as it was given, at cell size
  QSize thumbCell;                      // the cell size thumb was made for
};

class SpreadModel final : public QAbstractTableModel {
  Q_OBJECT
 public:
  static constexpr int kPictureRole = Qt::UserRole + 1;  // bool: a picture cell

  SpreadModel(int cols, int rows, QObject* parent);

  int MaxCols() const { return cols_; }
  int MaxRows() const { return rows_; }
  // Cells inside the new size keep their contents.
  void Resize(int cols, int rows);

  bool Contains(int col, int row) const {
    return col >= 0 && row >= 0 && col <= cols_ && row <= rows_;
  }
  const SpreadCell& Cell(int col, int row) const { return cells_[Offset(col, row)]; }
  // A cell to change, but not whether it is a picture cell (EditRange keeps that count); Changed
  // must follow so that the views hear of it.
  SpreadCell& Edit(int col, int row) { return cells_[Offset(col, row)]; }
  // Calls f(cell, col, row) for every cell of the rectangle (inclusive, inside the grid), row by
  // row, and keeps each row's count of picture cells. Changed must follow.
  template <typename F>
  void EditRange(int col, int row, int col2, int row2, F f) {
    for (int r = row; r <= row2; ++r) {
      for (int c = col; c <= col2; ++c) {
        SpreadCell& cell = Edit(c, r);
        const bool was = cell.picture;
        f(cell, c, r);
        if (cell.picture != was) pictures_[size_t(r)] += cell.picture ? 1 : -1;
      }
    }
  }
  // Whether the row holds a picture cell, without looking at its cells.
  bool RowHasPicture(int row) const { return pictures_[size_t(row)] > 0; }
  // The rectangle of cells (inclusive) changed.
  void Changed(int col, int row, int col2, int row2);
  void ChangedAll() { Changed(0, 0, cols_, rows_); }

  // While suspended, Changed sends nothing; resuming sends one change of every cell.
  void SetSuspended(bool suspended);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 signals:
  // The user changed a cell's text through the grid's editor (not the program through SSSetData).
  void CellEdited(int col, int row);

 private:
  size_t Offset(int col, int row) const { return size_t(row) * size_t(cols_ + 1) + size_t(col); }
  QVariant CellData(const SpreadCell& cell, int role) const;

  int cols_ = 0;
  int rows_ = 0;
  std::vector<SpreadCell> cells_;  // (cols_ + 1) x (rows_ + 1), headers included, row by row
  std::vector<int> pictures_;      // per row, its picture cells
  bool suspended_ = false;
};

// 0x00BBGGRR as a colour (only for colours other than the default).
QColor ColorOf(COLORREF c);

}  // namespace kel
