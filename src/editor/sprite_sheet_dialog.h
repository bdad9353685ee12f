// The sprite sheet dialog: how one picture is cut into frames, by the size of a cell or by rows
// and columns, with a preview of the cut lines over the picture.
#pragma once

#include <QDialog>
#include <QImage>
#include <QRect>
#include <cstdint>
#include <vector>

class QLabel;
class QRadioButton;
class QSpinBox;
class QDialogButtonBox;

namespace kel {

struct SheetSplit {
  bool byCellSize = true;
  int cellWidth = 1, cellHeight = 1;  // by cell size
  int rows = 1, columns = 1;          // by rows and columns
};

// How a cut divides a picture of the given size: the size of a cell and how many whole cells fit
// across and down. By cell size, a strip at the right or bottom narrower than a cell is left
// out; by rows and columns, the cells are the picture's size divided evenly, the remainder left
// out. No columns and no rows when no whole cell fits.
struct SheetGrid {
  QSize cell;
  int columns = 0, rows = 0;
  int64_t Count() const { return int64_t(columns) * rows; }
};
SheetGrid SheetGridOf(QSize picture, const SheetSplit& split);

// The first cells of the cut, at most limit, in reading order (rows top to bottom, each left to
// right). A picture cut into single pixels has millions of cells: only those to be read are made.
std::vector<QRect> SheetCells(QSize picture, const SheetSplit& split, size_t limit);

class SpriteSheetDialog : public QDialog {
  Q_OBJECT
 public:
  explicit SpriteSheetDialog(const QImage& picture, QWidget* parent = nullptr);
  SheetSplit Split() const;

  QRadioButton* BySize = nullptr;
  QRadioButton* ByGrid = nullptr;
  QSpinBox* CellWidth = nullptr;
  QSpinBox* CellHeight = nullptr;
  QSpinBox* Rows = nullptr;
  QSpinBox* Columns = nullptr;
  QLabel* Preview = nullptr;
  QLabel* Count = nullptr;  // how many frames the cut gives
  QDialogButtonBox* Buttons = nullptr;

 private:
  void UpdatePreview();
  QImage picture_;
};

}  // namespace kel
