// What the user does in the grid: the active cell, typing, double-clicks and keys; and that
// repainting really stops while it is switched off.
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QSignalSpy>

#include "grid/grid_fixture.h"

namespace kel::test {
namespace {

class PaintCounter final : public QObject {
 public:
  explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
  int count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++count;
    return false;
  }
};

TEST_F(GridTest, RepaintingOffSuspendsPaintingAndChangeSignals) {
  PaintCounter paints(grid->viewport());
  QSignalSpy changes(grid->model(), &QAbstractItemModel::dataChanged);
  QSignalSpy headerChanges(grid->model(), &QAbstractItemModel::headerDataChanged);
  QApplication::processEvents();
  paints.count = 0;

  ASSERT_TRUE(grid->SSSetBool(TSpread::kBoolRedraw, false));
  EXPECT_FALSE(grid->SSGetBool(TSpread::kBoolRedraw));
  for (int c = 1; c <= 128; ++c) {
    grid->SSSetData(c, 3, QString::number(c));
    grid->SSSetColor(c, 4, RGB(0, 128, 0), kDefaultColor);
  }
  grid->SSSetData(0, 5, "why");
  grid->SSSetActiveCell(3, 3);
  grid->update();
  QApplication::processEvents();
  EXPECT_EQ(paints.count, 0);
  EXPECT_EQ(changes.count(), 0);
  EXPECT_EQ(headerChanges.count(), 0);

  ASSERT_TRUE(grid->SSSetBool(TSpread::kBoolRedraw, true));
  QApplication::processEvents();
  EXPECT_TRUE(grid->SSGetBool(TSpread::kBoolRedraw));
  EXPECT_EQ(changes.count(), 1);
  EXPECT_EQ(paints.count, 1);
  // Everything changed meanwhile shows.
  EXPECT_EQ(grid->model()->headerData(4, Qt::Vertical).toString(), "why");
  const QImage shot = Shot();
  const QRect r = CellRect(2, 4);
  EXPECT_EQ(shot.pixel(r.center()), qRgb(0, 128, 0));

  // Switched on again while on: nothing more.
  changes.clear();
  grid->SSSetBool(TSpread::kBoolRedraw, true);
  EXPECT_EQ(changes.count(), 0);
}

TEST_F(GridTest, ActiveCellIsSetReadAndFramed) {
  int col = -1, row = -1;
  grid->SSGetActiveCell(&col, &row);
  EXPECT_EQ(col, 1);
  EXPECT_EQ(row, 1);
  struct Case {
    int col, row;
    bool ok;
  };
  const Case cases[] = {{3, 2, true},    {128, 5, true}, {0, 1, false},   {1, 0, false},
                        {129, 1, false}, {1, 6, false},  {-1, -1, false}, {4, 4, true}};
  int wantCol = 1, wantRow = 1;
  for (const Case& c : cases) {
    EXPECT_EQ(grid->SSSetActiveCell(c.col, c.row), c.ok) << c.col << "," << c.row;
    if (c.ok) wantCol = c.col, wantRow = c.row;
    grid->SSGetActiveCell(&col, &row);
    EXPECT_EQ(col, wantCol);
    EXPECT_EQ(row, wantRow);
  }

  // The frame: the edge pixels of the active cell are dark, those of its neighbour are not.
  QApplication::processEvents();
  QImage shot = Shot();
  const QRect active = CellRect(4, 4), other = CellRect(5, 4);
  for (QPoint p : {active.topLeft() + QPoint(2, 2), active.bottomRight() - QPoint(2, 2),
                   QPoint(active.center().x(), active.top() + 1)}) {
    EXPECT_LT(qGray(shot.pixel(p)), 80) << p.x() << "," << p.y();
  }
  EXPECT_EQ(shot.pixel(other.topLeft() + QPoint(2, 2)), qRgb(255, 255, 255));
  EXPECT_EQ(shot.pixel(active.center()), qRgb(255, 255, 255));

  // Arrow keys move it, and the frame follows.
  grid->setFocus();
  QTest::keyClick(grid.get(), Qt::Key_Right);
  grid->SSGetActiveCell(&col, &row);
  EXPECT_EQ(col, 5);
  EXPECT_EQ(row, 4);
  QApplication::processEvents();
  shot = Shot();
  EXPECT_LT(qGray(shot.pixel(other.topLeft() + QPoint(2, 2))), 80);
  EXPECT_EQ(shot.pixel(active.topLeft() + QPoint(2, 2)), qRgb(255, 255, 255));
}

// The owner learns of the user's edits (they are unsaved work), not of its own writes.
TEST_F(GridTest, OnlyTheUsersEditsAreReported) {
  std::vector<std::pair<int, int>> edited;
  QObject::connect(grid.get(), &TSpread::CellEdited,
                   [&](int col, int row) { edited.emplace_back(col, row); });
  grid->SSSetData(2, 4, QStringLiteral("7"));
  grid->setFocus();
  ASSERT_TRUE(grid->SSSetActiveCell(3, 5));
  QTest::keyClick(grid.get(), Qt::Key_9);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ(edited, (std::vector<std::pair<int, int>>{{3, 5}}));
  // Opening the editor and leaving the text as it was is no edit.
  ASSERT_TRUE(grid->SSSetActiveCell(2, 4));
  grid->setFocus();
  QTest::keyClick(grid.get(), Qt::Key_F2);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ(edited.size(), 1u);
}

TEST_F(GridTest, TypedTextLandsInTextRowsOnly) {
  grid->setFocus();
  ASSERT_TRUE(grid->SSSetActiveCell(2, 4));
  QTest::keyClick(grid.get(), Qt::Key_1);
  QWidget* editor = QApplication::focusWidget();
  ASSERT_NE(editor, grid.get());
  ASSERT_TRUE(qobject_cast<QLineEdit*>(editor));
  QTest::keyClicks(editor, "23");
  // Read while still typing, as a command started from the menu would.
  EXPECT_EQ(grid->SSGetData(2, 4), "123");
  QTest::keyClick(editor, Qt::Key_Return);
  EXPECT_EQ(grid->SSGetData(2, 4), "123");

  for (int row : {3, 5}) {
    ASSERT_TRUE(grid->SSSetActiveCell(6, row));
    grid->setFocus();
    QTest::keyClick(grid.get(), Qt::Key_B);
    QWidget* e = QApplication::focusWidget();
    ASSERT_TRUE(qobject_cast<QLineEdit*>(e)) << row;
    QTest::keyClicks(e, "ell");
    QTest::keyClick(e, Qt::Key_Return);
    EXPECT_EQ(grid->SSGetData(6, row), "bell") << row;
  }

  // Picture rows take no typing, by key or by double-click.
  for (int row : {1, 2}) {
    ASSERT_TRUE(grid->SSSetActiveCell(3, row));
    grid->setFocus();
    QTest::keyClick(grid.get(), Qt::Key_A);
    EXPECT_EQ(QApplication::focusWidget(), grid.get()) << row;
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {},
                       grid->visualRect(grid->model()->index(row - 1, 2)).center());
    EXPECT_EQ(QApplication::focusWidget(), grid.get()) << row;
    EXPECT_EQ(grid->SSGetData(3, row), "") << row;
    EXPECT_FALSE(grid->model()->flags(grid->model()->index(row - 1, 2)) & Qt::ItemIsEditable);
  }
}

TEST_F(GridTest, ProgramTextWritesWinOverUnfinishedTyping) {
  grid->setFocus();
  ASSERT_TRUE(grid->SSSetActiveCell(2, 3));
  QTest::keyClick(grid.get(), Qt::Key_X);
  QWidget* editor = QApplication::focusWidget();
  ASSERT_TRUE(qobject_cast<QLineEdit*>(editor));
  // A colour change leaves the typing alone.
  ASSERT_TRUE(grid->SSSetColorRange(1, 1, 5, 5, RGB(0, 128, 0), kDefaultColor));
  EXPECT_EQ(grid->SSGetData(2, 3), "x");
  EXPECT_EQ(QApplication::focusWidget(), editor);
  ASSERT_TRUE(grid->SSSetData(-1, 3, ""));
  EXPECT_EQ(grid->SSGetData(2, 3), "");
  QApplication::processEvents();
  EXPECT_EQ(grid->SSGetData(2, 3), "");
}

TEST_F(GridTest, DoubleClickReportsTheDataCell) {
  QSignalSpy spy(grid.get(), &TSpread::DblClick);
  const struct { int col, row; } cells[] = {{2, 1}, {1, 2}, {3, 5}};
  for (const auto& c : cells) {
    spy.clear();
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {},
                       grid->visualRect(grid->model()->index(c.row - 1, c.col - 1)).center());
    ASSERT_EQ(spy.count(), 1) << c.col << "," << c.row;
    EXPECT_EQ(spy[0][0].toInt(), c.col);
    EXPECT_EQ(spy[0][1].toInt(), c.row);
  }
  // Headers and the empty area right of the last column are no data cells.
  spy.clear();
  grid->SSSetMaxCols(2);
  QApplication::processEvents();
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {},
                     QPoint(grid->viewport()->width() - 5, 10));
  QTest::mouseDClick(grid->verticalHeader()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(spy.count(), 0);
}

TEST_F(GridTest, KeysAreReportedWithTheCtrlState) {
  struct Case {
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    bool reported;
    bool ctrl;
  };
  const Case cases[] = {
      {Qt::Key_Delete, Qt::NoModifier, true, false},
      {Qt::Key_Delete, Qt::ControlModifier, true, true},
      {Qt::Key_X, Qt::ControlModifier, true, true},
      {Qt::Key_C, Qt::ControlModifier, true, true},
      {Qt::Key_V, Qt::ControlModifier, true, true},
      {Qt::Key_Delete, Qt::KeypadModifier, true, false},
      {Qt::Key_Delete, Qt::ShiftModifier, false, false},
      {Qt::Key_Delete, Qt::ControlModifier | Qt::ShiftModifier, false, false},
      {Qt::Key_Delete, Qt::AltModifier, false, false},
      {Qt::Key_Right, Qt::NoModifier, true, false},
  };
  grid->setFocus();
  QSignalSpy spy(grid.get(), &TSpread::KeyDown);
  for (const Case& c : cases) {
    spy.clear();
    grid->SSSetActiveCell(2, 1);
    QTest::keyClick(grid.get(), c.key, c.mods);
    ASSERT_EQ(spy.count(), c.reported ? 1 : 0) << c.key << " " << c.mods.toInt();
    if (c.reported) {
      EXPECT_EQ(spy[0][0].toInt(), int(c.key));
      EXPECT_EQ(spy[0][1].toBool(), c.ctrl);
    }
  }
}

TEST_F(GridTest, ClipboardKeysAreLeftToTheOwnerWhenAutoClipboardIsOff) {
  QClipboard* clip = QGuiApplication::clipboard();
  grid->setFocus();
  grid->SSSetData(2, 3, "bell");
  grid->SSSetActiveCell(2, 3);

  ASSERT_FALSE(grid->SSGetBool(TSpread::kBoolAutoClipboard));
  clip->setText("kept");
  QTest::keyClick(grid.get(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(clip->text(), "kept");

  grid->SSSetBool(TSpread::kBoolAutoClipboard, true);
  QTest::keyClick(grid.get(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(clip->text(), "bell");
}

TEST_F(GridTest, OtherBooleansAreKept) {
  EXPECT_FALSE(grid->SSGetBool(3));
  EXPECT_TRUE(grid->SSSetBool(3, true));
  EXPECT_TRUE(grid->SSGetBool(3));
  EXPECT_TRUE(grid->SSGetBool(TSpread::kBoolRedraw));
}

}  // namespace
}  // namespace kel::test
