// A real frame grid on the offscreen screen, laid out as the editor lays it out: 5 rows and 128
// columns, headers in column 0 and row 0, picture cells in rows 1 and 2.
#pragma once

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QImage>
#include <QPixmap>
#include <QTest>
#include <memory>

#include "grid/spread.h"

namespace kel::test {

inline const char* const kRowHeaders[] = {"ﾌﾚｰﾑ", "ｲﾒｰｼﾞ", "ﾏｽｸ", "ｻｳﾝﾄﾞ", "X", "Y"};

inline void LayOutLikeTheEditor(TSpread& g) {
  g.SSSetBool(TSpread::kBoolRedraw, false);
  g.SSClear(-1, -1);
  g.SSSetMaxRows(5);
  g.SSSetMaxCols(128);
  g.SSSetBool(TSpread::kBoolAutoClipboard, false);
  for (int c = 1; c <= 128; ++c) g.SSSetColWidth(c, 10.0);
  g.SSSetColWidth(0, 6.0);
  g.SSSetRowHeight(1, 50.0);
  g.SSSetRowHeight(2, 50.0);
  for (int r = 0; r <= 5; ++r) g.SSSetData(0, r, QString::fromUtf8(kRowHeaders[r]));
  for (int c = 1; c <= 128; ++c) g.SSSetData(c, 0, QString::number(c));
  SS_CELLTYPE empty;
  TSpread::SSSetTypePictureHandle(&empty, 0x27, nullptr, nullptr, 0);
  g.SSSetCellType(-1, 1, empty);
  g.SSSetCellType(-1, 2, empty);
  g.SSSetColorRange(-1, -1, -1, -1, RGB(255, 255, 255), kDefaultColor);
  g.SSSetActiveCell(1, 1);
  g.SSSetBool(TSpread::kBoolRedraw, true);
}

class GridTest : public testing::Test {
 protected:
  void SetUp() override {
    grid = std::make_unique<TSpread>();
    grid->resize(900, 420);
    LayOutLikeTheEditor(*grid);
    grid->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(grid.get()));
  }

  // The painted area of a data cell in the grid's own coordinates (grid line excluded).
  QRect CellRect(int col, int row) const {
    QRect r = grid->visualRect(grid->model()->index(row - 1, col - 1));
    r.translate(grid->viewport()->mapTo(grid.get(), QPoint(0, 0)));
    return r;
  }
  QImage Shot() const { return grid->grab().toImage().convertToFormat(QImage::Format_RGB32); }
  void SetPicture(int col, int row, std::shared_ptr<DisplayBitmap> bitmap) {
    SS_CELLTYPE rec;
    grid->SSSetCellType(
        col, row, *TSpread::SSSetTypePictureHandle(&rec, 0x27, std::move(bitmap), nullptr, 0));
  }

  std::unique_ptr<TSpread> grid;
};

}  // namespace kel::test
