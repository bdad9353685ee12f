// The grid's zoom: the keys and the wheel with Ctrl, its limits, the sizes of the columns and of
// the picture rows, and zoomed pictures drawn nearest pixel.
#include <QApplication>
#include <QSignalSpy>
#include <QWheelEvent>
#include <functional>

#include "grid/cell_picture.h"
#include "grid/grid_fixture.h"
#include "platform/qt_display.h"
#include "platform/zoom.h"
#include "support/dib_builder.h"

namespace kel::test {
namespace {

// One user action: a key with Ctrl (and Shift, where given), or the wheel turned with delta.
struct Action {
  int key = 0;
  Qt::KeyboardModifiers mods = Qt::ControlModifier;
  int wheel = 0;
};

void Do(TSpread& grid, const Action& a) {
  if (a.key) {
    QTest::keyClick(&grid, Qt::Key(a.key), a.mods);
    return;
  }
  const QPointF at = grid.viewport()->rect().center();
  QWheelEvent e(at, grid.viewport()->mapToGlobal(at), QPoint(), QPoint(0, a.wheel), Qt::NoButton,
                a.mods, Qt::NoScrollPhase, false);
  QApplication::sendEvent(grid.viewport(), &e);
}

struct ZoomCase {
  const char* name;
  std::vector<Action> actions;
  int zoom;
  int reported = 0;  // keys passed on to the owner
};

const Action kPlus{Qt::Key_Plus}, kMinus{Qt::Key_Minus};

class ZoomSteps : public GridTest, public testing::WithParamInterface<ZoomCase> {};

TEST_P(ZoomSteps, KeysAndWheelStepWithinTheLimits) {
  QSignalSpy reported(grid.get(), &TSpread::KeyDown);
  for (const Action& a : GetParam().actions) Do(*grid, a);
  EXPECT_EQ(grid->Zoom(), GetParam().zoom);
  EXPECT_EQ(reported.count(), GetParam().reported) << "zoom keys are the view's own";
}

INSTANTIATE_TEST_SUITE_P(
    Grid, ZoomSteps,
    testing::Values(ZoomCase{"PlusThriceMinusOnce", {kPlus, kPlus, kPlus, kMinus}, 3},
                    ZoomCase{
                        "ShiftedPlusAndEquals",
                        {{Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier}, {Qt::Key_Equal}},
                        3},
                    ZoomCase{"ZeroResets", {kPlus, kPlus, {Qt::Key_0}}, 1},
                    ZoomCase{"NoFurtherThanEight", std::vector<Action>(9, kPlus), kMaxZoom},
                    ZoomCase{"NoSmallerThanOne", {kMinus}, kMinZoom},
                    ZoomCase{"WheelAwayAndTowards",
                             {{0, Qt::ControlModifier, 120},
                              {0, Qt::ControlModifier, 120},
                              {0, Qt::ControlModifier, -120}},
                             2},
                    ZoomCase{"WheelWithoutCtrlScrolls", {{0, Qt::NoModifier, 120}}, 1},
                    ZoomCase{"PlusWithoutCtrlIsTyping", {{Qt::Key_Plus, Qt::NoModifier}}, 1, 1}),
    [](const auto& info) { return info.param.name; });

TEST_F(GridTest, ZoomGrowsColumnsAndPictureRowsOnly) {
  const int col = grid->columnWidth(4), picture = grid->rowHeight(0), text = grid->rowHeight(2);
  const int header = grid->verticalHeader()->width();
  grid->SetZoom(3);
  EXPECT_EQ(grid->columnWidth(4), 3 * col);
  EXPECT_EQ(grid->rowHeight(0), 3 * picture);
  EXPECT_EQ(grid->rowHeight(1), 3 * picture);
  EXPECT_EQ(grid->rowHeight(2), text);
  EXPECT_EQ(grid->verticalHeader()->width(), header);
  // A width set while zoomed is a width before the zoom.
  grid->SSSetColWidth(5, 20.0);
  grid->SetZoom(1);
  EXPECT_EQ(grid->columnWidth(4), TSpread::UnitsToPixels(20.0, false));
  EXPECT_EQ(grid->rowHeight(0), picture);
}

TEST_F(GridTest, OnlyRowsHoldingAPictureCellGrowAfterAnEdit) {
  // Each row after the edit, made at zoom 3: 'Z' for a row three times its height at zoom 1.
  const auto zoomed = [&] {
    std::vector<int> at3;
    for (int r = 0; r < 5; ++r) at3.push_back(grid->rowHeight(r));
    grid->SetZoom(1);
    std::string marks;
    for (int r = 0; r < 5; ++r) marks += at3[size_t(r)] == 3 * grid->rowHeight(r) ? 'Z' : '.';
    return marks;
  };
  SS_CELLTYPE rec;
  TSpread::SSSetTypePictureHandle(&rec, 0x27, nullptr, nullptr, 0);
  const struct {
    const char* name;
    std::function<void(TSpread&)> edit;
    const char* zoomed;
  } cases[] = {
      {"one picture cell in a text row", [&](TSpread& g) { g.SSSetCellType(7, 4, rec); }, "ZZ.Z."},
      {"all but one picture of a row cleared",
       [](TSpread& g) {
         for (int c = 1; c < 128; ++c) g.SSClear(c, 1);
       },
       "ZZ..."},
      {"every picture of a row cleared", [](TSpread& g) { g.SSClear(-1, 1); }, ".Z..."},
      {"the only picture column of a row cut off",
       [&](TSpread& g) {
         g.SSSetCellType(100, 4, rec);
         g.SSSetMaxCols(50);
       },
       "ZZ..."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LayOutLikeTheEditor(*grid);
    grid->SetZoom(3);
    c.edit(*grid);
    EXPECT_EQ(zoomed(), c.zoomed) << "as edited while zoomed";
    grid->SetZoom(3);
    EXPECT_EQ(zoomed(), c.zoomed) << "zoomed again after the edit";
  }
}

TEST_F(GridTest, AZoomedCellShowsEachPixelAsASquareBlock) {
  // 4 x 3 pixels of four colours; at zoom 3 a picture grows up to 6 times.
  const std::vector<uint32_t> colors = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00};
  const auto index = [](int x, int y) { return uint32_t((x + 2 * y) % 4); };
  QtDisplay display;
  SetPicture(3, 1,
             display.CreateDIBitmap(
                 MakeDib({.width = 4, .height = 3, .bits = 8, .colors = colors}, index), nullptr));
  grid->SSSetActiveCell(4, 1);  // the active frame beside the cell, not in it
  grid->SetZoom(3);
  QApplication::processEvents();
  const QImage shot = Shot();
  const QRect cell = CellRect(3, 1);
  const QPoint origin = PicturePlace(cell, QSize(24, 18)).topLeft();
  for (int y = -1; y <= 18; ++y)
    for (int x = -1; x <= 24; ++x) {
      const bool inside = x >= 0 && y >= 0 && x < 24 && y < 18;
      const QRgb want = inside ? 0xFF000000u | colors[index(x / 6, y / 6)] : 0xFFFFFFFFu;
      ASSERT_EQ(shot.pixel(origin + QPoint(x, y)), want) << x << "," << y;
    }
}

}  // namespace
}  // namespace kel::test
