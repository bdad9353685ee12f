// Cell texts, headers, clearing, colours and sizes of the frame grid.
#include <QAbstractItemModel>

#include "grid/grid_fixture.h"
#include "platform/qt_display.h"
#include "support/dib_builder.h"

namespace kel::test {
namespace {

TEST_F(GridTest, SetDataWritesInsideTheGridOnly) {
  struct Case {
    int col, row;
    bool ok;
  };
  const Case cases[] = {
      {1, 1, true},   {128, 5, true}, {3, 4, true},    {0, 3, true},
      {7, 0, true},   {0, 0, true},   {129, 1, false}, {1, 6, false},
      {-2, 1, false}, {1, -2, false}, {200, 0, false}, {0, 9, false},
  };
  for (const Case& c : cases) {
    const QString text = QString("t%1/%2").arg(c.col).arg(c.row);
    EXPECT_EQ(grid->SSSetData(c.col, c.row, text), c.ok) << c.col << "," << c.row;
    EXPECT_EQ(grid->SSGetData(c.col, c.row), c.ok ? text : QString()) << c.col << "," << c.row;
  }
  EXPECT_EQ(grid->SSGetData(-1, 1), QString());
}

TEST_F(GridTest, HeaderCellsAreTheHeaderTexts) {
  const QAbstractItemModel* m = grid->model();
  for (int r = 1; r <= 5; ++r) {
    EXPECT_EQ(m->headerData(r - 1, Qt::Vertical).toString(), QString::fromUtf8(kRowHeaders[r]));
  }
  EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString(), "1");
  EXPECT_EQ(m->headerData(127, Qt::Horizontal).toString(), "128");
  EXPECT_EQ(grid->SSGetData(0, 0), QString::fromUtf8("ﾌﾚｰﾑ"));

  ASSERT_TRUE(grid->SSSetData(0, 3, "snd"));
  ASSERT_TRUE(grid->SSSetData(2, 0, "two"));
  EXPECT_EQ(m->headerData(2, Qt::Vertical).toString(), "snd");
  EXPECT_EQ(m->headerData(1, Qt::Horizontal).toString(), "two");
  EXPECT_EQ(grid->SSGetData(0, 3), "snd");
  EXPECT_EQ(grid->SSGetData(2, 0), "two");

  // The corner shows cell (0, 0): its picture changes with the text.
  const QRect corner(grid->verticalHeader()->geometry().x(),
                     grid->horizontalHeader()->geometry().y(), grid->verticalHeader()->width(),
                     grid->horizontalHeader()->height());
  const QImage before = Shot().copy(corner);
  grid->SSSetData(0, 0, "");
  QApplication::processEvents();
  const QImage cleared = Shot().copy(corner);
  EXPECT_NE(before, cleared);
  grid->SSSetData(0, 0, QString::fromUtf8("ﾌﾚｰﾑ"));
  QApplication::processEvents();
  EXPECT_EQ(Shot().copy(corner), before);
}

TEST_F(GridTest, MinusOneMeansEveryDataColumnOrRowAndKeepsHeaders) {
  ASSERT_TRUE(grid->SSSetData(-1, 3, "s"));
  for (int c = 1; c <= 128; ++c) ASSERT_EQ(grid->SSGetData(c, 3), "s") << c;
  EXPECT_EQ(grid->SSGetData(0, 3), QString::fromUtf8("ｻｳﾝﾄﾞ"));

  ASSERT_TRUE(grid->SSSetData(4, -1, "v"));
  for (int r = 1; r <= 5; ++r) EXPECT_EQ(grid->SSGetData(4, r), "v") << r;
  EXPECT_EQ(grid->SSGetData(4, 0), "4");

  ASSERT_TRUE(grid->SSSetData(-1, 3, ""));
  for (int c = 1; c <= 128; ++c) ASSERT_EQ(grid->SSGetData(c, 3), "") << c;
  EXPECT_EQ(grid->SSGetData(4, 4), "v");
  EXPECT_FALSE(grid->SSSetData(-1, 6, "x"));
}

TEST_F(GridTest, ClearDataRangeErasesTextsInItsRange) {
  struct Case {
    const char* what;
    int col, row, col2, row2;
    bool ok;
    QRect erased;  // cells (col, row) erased; everything else keeps its text
  };
  const Case cases[] = {
      {"every data cell", 1, 1, -1, -1, true, QRect(QPoint(1, 1), QPoint(128, 5))},
      {"-1 from the start", -1, -1, -1, -1, true, QRect(QPoint(1, 1), QPoint(128, 5))},
      {"a block to the last row", 2, 3, 4, -1, true, QRect(QPoint(2, 3), QPoint(4, 5))},
      {"to the last column", 120, 4, -1, 4, true, QRect(QPoint(120, 4), QPoint(128, 4))},
      {"the row headers", 0, 1, 0, -1, true, QRect(QPoint(0, 1), QPoint(0, 5))},
      {"past the end is cut", 127, 5, 300, 9, true, QRect(QPoint(127, 5), QPoint(128, 5))},
      {"reversed", 5, 2, 3, 2, false, QRect()},
      {"outside", 129, 1, -1, -1, false, QRect()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (int r = 0; r <= 5; ++r)
      for (int col = 0; col <= 128; ++col) grid->SSSetData(col, r, "t");
    EXPECT_EQ(grid->SSClearDataRange(c.col, c.row, c.col2, c.row2), c.ok);
    for (int r = 0; r <= 5; ++r) {
      for (int col = 0; col <= 128; ++col) {
        ASSERT_EQ(grid->SSGetData(col, r), c.erased.contains(col, r) ? "" : "t") << col << "," << r;
      }
    }
  }
}

TEST_F(GridTest, ClearDataRangeKeepsPictures) {
  QtDisplay display;
  auto bitmap = display.CreateDIBitmap(
      MakeDib({.width = 8, .height = 8, .bits = 8}, [](int, int) { return 0u; }), nullptr);
  SetPicture(3, 1, bitmap);
  ASSERT_TRUE(grid->SSHasPicture(3, 1));
  grid->SSClearDataRange(1, 1, -1, -1);
  EXPECT_TRUE(grid->SSHasPicture(3, 1));
}

TEST_F(GridTest, ClearEmptiesCellsButNotHeaders) {
  grid->SSSetData(2, 3, "bell");
  grid->SSSetColor(2, 3, RGB(0, 128, 0), RGB(255, 0, 0));
  ASSERT_TRUE(grid->SSIsPictureCell(2, 1));
  ASSERT_TRUE(grid->SSClear(-1, -1));
  EXPECT_EQ(grid->SSGetData(2, 3), "");
  COLORREF bg = 0, fg = 0;
  grid->SSGetColor(2, 3, &bg, &fg);
  EXPECT_EQ(bg, kDefaultColor);
  EXPECT_EQ(fg, kDefaultColor);
  EXPECT_FALSE(grid->SSIsPictureCell(2, 1));
  EXPECT_EQ(grid->SSGetData(0, 3), QString::fromUtf8("ｻｳﾝﾄﾞ"));
  EXPECT_EQ(grid->SSGetData(2, 0), "2");

  // One cell, and an explicit header cell.
  grid->SSSetData(5, 5, "a");
  grid->SSSetData(6, 5, "b");
  ASSERT_TRUE(grid->SSClear(5, 5));
  EXPECT_EQ(grid->SSGetData(5, 5), "");
  EXPECT_EQ(grid->SSGetData(6, 5), "b");
  ASSERT_TRUE(grid->SSClear(0, 4));
  EXPECT_EQ(grid->SSGetData(0, 4), "");
  EXPECT_FALSE(grid->SSClear(129, 1));
}

TEST_F(GridTest, ColoursAreStoredAndPainted) {
  const COLORREF green = RGB(0, 128, 0);
  ASSERT_TRUE(grid->SSSetColorRange(1, 1, 3, 5, green, kDefaultColor));
  struct Probe {
    int col, row;
    COLORREF bg;
  };
  const Probe probes[] = {{1, 1, green},
                          {3, 5, green},
                          {2, 4, green},
                          {4, 4, RGB(255, 255, 255)},
                          {1, 6, kDefaultColor}};
  for (const Probe& p : probes) {
    COLORREF bg = 0;
    grid->SSGetColor(p.col, p.row, &bg, nullptr);
    EXPECT_EQ(bg, p.bg) << p.col << "," << p.row;
  }
  grid->SSSetActiveCell(8, 5);
  QApplication::processEvents();
  QImage shot = Shot();
  const QRect green24 = CellRect(2, 4), white44 = CellRect(4, 4);
  EXPECT_EQ(shot.pixel(green24.center()), qRgb(0, 128, 0));
  EXPECT_EQ(shot.pixel(green24.topLeft() + QPoint(1, 1)), qRgb(0, 128, 0));
  EXPECT_EQ(shot.pixel(white44.center()), qRgb(255, 255, 255));

  // Foreground: the text of a cell in red shows red pixels, none before.
  auto redPixels = [&](const QImage& img, const QRect& r) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x)
        n += qRed(img.pixel(x, y)) > 200 && qGreen(img.pixel(x, y)) < 60;
    return n;
  };
  grid->SSSetData(4, 4, "8888");
  QApplication::processEvents();
  EXPECT_EQ(redPixels(Shot(), white44), 0);
  ASSERT_TRUE(grid->SSSetColor(4, 4, RGB(255, 255, 255), RGB(255, 0, 0)));
  QApplication::processEvents();
  EXPECT_GT(redPixels(Shot(), white44), 5);

  // -1, -1 back to white and the default text colour everywhere.
  ASSERT_TRUE(grid->SSSetColor(-1, -1, RGB(255, 255, 255), kDefaultColor));
  QApplication::processEvents();
  shot = Shot();
  EXPECT_EQ(shot.pixel(green24.center()), qRgb(255, 255, 255));
  EXPECT_EQ(redPixels(shot, white44), 0);
}

TEST_F(GridTest, SizesFollowTheUnitRule) {
  EXPECT_EQ(grid->columnWidth(0), TSpread::UnitsToPixels(10.0, false));
  EXPECT_EQ(grid->columnWidth(127), TSpread::UnitsToPixels(10.0, false));
  EXPECT_EQ(grid->verticalHeader()->width(), TSpread::UnitsToPixels(6.0, false));
  EXPECT_EQ(grid->rowHeight(0), TSpread::UnitsToPixels(50.0, true));
  EXPECT_EQ(grid->rowHeight(1), TSpread::UnitsToPixels(50.0, true));
  // A column of 10 holds a cell picture of reasonable size; a row of 50 a picture.
  EXPECT_GE(TSpread::UnitsToPixels(10.0, false), 60);
  EXPECT_GE(TSpread::UnitsToPixels(50.0, true), 50);
  EXPECT_LT(TSpread::UnitsToPixels(6.0, false), TSpread::UnitsToPixels(10.0, false));
  EXPECT_EQ(TSpread::UnitsToPixels(0.0, false), 0);
  EXPECT_EQ(TSpread::UnitsToPixels(-3.0, true), 0);

  ASSERT_TRUE(grid->SSSetColWidth(-1, 4.0));
  EXPECT_EQ(grid->columnWidth(5), TSpread::UnitsToPixels(4.0, false));
  ASSERT_TRUE(grid->SSSetRowHeight(-1, 20.0));
  EXPECT_EQ(grid->rowHeight(4), TSpread::UnitsToPixels(20.0, true));
  ASSERT_TRUE(grid->SSSetRowHeight(0, 30.0));
  EXPECT_EQ(grid->horizontalHeader()->height(), TSpread::UnitsToPixels(30.0, true));
  EXPECT_FALSE(grid->SSSetColWidth(129, 10.0));
  EXPECT_FALSE(grid->SSSetRowHeight(6, 10.0));
}

TEST_F(GridTest, ResizingKeepsCellsAndSectionSizesInside) {
  grid->SSSetData(2, 3, "kept");
  grid->SSSetData(100, 3, "gone");
  grid->SSSetColWidth(2, 15.0);
  ASSERT_TRUE(grid->SSSetMaxCols(50));
  ASSERT_TRUE(grid->SSSetMaxRows(3));
  EXPECT_EQ(grid->SSGetMaxCols(), 50);
  EXPECT_EQ(grid->SSGetMaxRows(), 3);
  EXPECT_EQ(grid->model()->columnCount(), 50);
  EXPECT_EQ(grid->model()->rowCount(), 3);
  EXPECT_EQ(grid->SSGetData(2, 3), "kept");
  EXPECT_EQ(grid->columnWidth(1), TSpread::UnitsToPixels(15.0, false));
  EXPECT_FALSE(grid->SSSetData(100, 3, "x"));
  EXPECT_FALSE(grid->SSSetData(1, 4, "x"));

  ASSERT_TRUE(grid->SSSetMaxCols(128));
  ASSERT_TRUE(grid->SSSetMaxRows(5));
  EXPECT_EQ(grid->SSGetData(100, 3), "");  // what was cut off does not come back
  EXPECT_EQ(grid->SSGetData(2, 3), "kept");
  EXPECT_EQ(grid->SSGetData(0, 2), QString::fromUtf8("ﾏｽｸ"));
  EXPECT_FALSE(grid->SSSetMaxRows(-1));
  EXPECT_FALSE(grid->SSSetMaxCols(100'000'000));
}

}  // namespace
}  // namespace kel::test
