// Picture cells: what the grid paints of the bitmaps it is given, and that it keeps none of them.
#include <QApplication>
#include <string>

#include "grid/cell_picture.h"
#include "grid/grid_fixture.h"
#include "platform/qt_display.h"
#include "support/dib_builder.h"

namespace kel::test {
namespace {

constexpr QRgb kWhite = 0xFFFFFFFFu;
constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kYellow = 0xFFFF00;

// The smallest rectangle holding every pixel of the area that is not the background.
QRect Painted(const QImage& shot, const QRect& area, QRgb background) {
  QRect out;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (shot.pixel(x, y) != background) out |= QRect(x, y, 1, 1);
  return out;
}

// A picture in four quadrants: red, green on top, blue, yellow below (in a 1-bit picture, the
// left half is red and the right half green).
std::shared_ptr<DisplayBitmap> Quadrants(QtDisplay& display, int w, int h, int bits) {
  const std::vector<uint32_t> table = bits == 1
                                          ? std::vector<uint32_t>{kRed, kGreen}
                                          : std::vector<uint32_t>{kRed, kGreen, kBlue, kYellow};
  auto value = [=](int x, int y) -> uint32_t {
    const int q = (x >= w / 2 ? 1 : 0) + (bits == 1 ? 0 : (y >= h / 2 ? 2 : 0));
    return bits > 8 ? table[size_t(q)] : uint32_t(q);
  };
  return display.CreateDIBitmap(MakeDib({.width = w,
                                         .height = h,
                                         .bits = bits,
                                         .colors = bits > 8 ? std::vector<uint32_t>{} : table},
                                        value),
                                nullptr);
}

class PictureCellTest : public GridTest {
 protected:
  void SetUp() override {
    GridTest::SetUp();
    grid->SSSetActiveCell(7, 5);  // the active frame stays away from the cells looked at
  }
  QImage Fresh() {
    QApplication::processEvents();
    return Shot();
  }
  QtDisplay display;
};

TEST_F(PictureCellTest, LargePicturesShrinkToFitCentredUprightInTheirColours) {
  for (int bits : {1, 4, 8, 24}) {
    SCOPED_TRACE("bits " + std::to_string(bits));
    auto bitmap = Quadrants(display, 640, 480, bits);
    ASSERT_NE(bitmap, nullptr);
    SetPicture(2, 1, bitmap);
    const QImage shot = Fresh();
    const QRect cell = CellRect(2, 1);
    const QRect pic = Painted(shot, cell, kWhite);
    ASSERT_FALSE(pic.isEmpty());
    const QSize box = PictureBox(cell.size());
    EXPECT_LE(pic.width(), box.width());
    EXPECT_LE(pic.height(), box.height());
    // Scaled to fit: it fills the box one way, and keeps 4:3.
    EXPECT_TRUE(pic.width() >= box.width() - 1 || pic.height() >= box.height() - 1);
    EXPECT_LE(std::abs(pic.width() * 3 - pic.height() * 4), 4);
    // Centred.
    EXPECT_LE(std::abs((pic.left() - cell.left()) - (cell.right() - pic.right())), 1);
    EXPECT_LE(std::abs((pic.top() - cell.top()) - (cell.bottom() - pic.bottom())), 1);
    // Upright, in the colour table's colours.
    const QPoint in(3, 3);
    const bool mono = bits == 1;
    EXPECT_EQ(shot.pixel(pic.topLeft() + in), 0xFF000000u | kRed);
    EXPECT_EQ(shot.pixel(pic.topRight() + QPoint(-3, 3)), 0xFF000000u | kGreen);
    EXPECT_EQ(shot.pixel(pic.bottomLeft() + QPoint(3, -3)), 0xFF000000u | (mono ? kRed : kBlue));
    EXPECT_EQ(shot.pixel(pic.bottomRight() - in), 0xFF000000u | (mono ? kGreen : kYellow));
  }
}

TEST_F(PictureCellTest, SmallPicturesGrowAtMostToTwiceTheirSize) {
  SetPicture(3, 2, Quadrants(display, 16, 12, 8));
  const QImage shot = Fresh();
  const QRect cell = CellRect(3, 2);
  const QRect pic = Painted(shot, cell, kWhite);
  EXPECT_EQ(pic.size(), QSize(32, 24));
  EXPECT_LE(std::abs((pic.left() - cell.left()) - (cell.right() - pic.right())), 1);
  EXPECT_LE(std::abs((pic.top() - cell.top()) - (cell.bottom() - pic.bottom())), 1);
  EXPECT_EQ(shot.pixel(pic.topLeft()), 0xFF000000u | kRed);
  EXPECT_EQ(shot.pixel(pic.bottomRight()), 0xFF000000u | kYellow);
}

TEST_F(PictureCellTest, PicturesOfOtherDisplaysShowToo) {
  class Plain final : public DisplayBitmap {
   public:
    int Width() const override { return 20; }
    int Height() const override { return 10; }
    int BitsPixel() const override { return 32; }
    uint32_t PixelRgb(int x, int) const override { return x < 10 ? kBlue : kYellow; }
  };
  SetPicture(4, 1, std::make_shared<Plain>());
  const QImage shot = Fresh();
  const QRect pic = Painted(shot, CellRect(4, 1), kWhite);
  EXPECT_EQ(pic.size(), QSize(40, 20));
  EXPECT_EQ(shot.pixel(pic.topLeft()), 0xFF000000u | kBlue);
  EXPECT_EQ(shot.pixel(pic.topRight()), 0xFF000000u | kYellow);
}

TEST_F(PictureCellTest, EmptyPictureCellsShowTheirBackground) {
  SetPicture(5, 1, Quadrants(display, 64, 48, 8));
  ASSERT_FALSE(Painted(Fresh(), CellRect(5, 1), kWhite).isEmpty());
  SetPicture(5, 1, nullptr);
  EXPECT_TRUE(grid->SSIsPictureCell(5, 1));
  EXPECT_FALSE(grid->SSHasPicture(5, 1));
  EXPECT_TRUE(Painted(Fresh(), CellRect(5, 1), kWhite).isEmpty());
}

TEST_F(PictureCellTest, GridKeepsNoBitmapButShowsItAsGiven) {
  auto bitmap = Quadrants(display, 640, 480, 8);
  std::weak_ptr<DisplayBitmap> watch = bitmap;
  SetPicture(2, 1, bitmap);
  bitmap.reset();
  EXPECT_TRUE(watch.expired());
  EXPECT_TRUE(grid->SSHasPicture(2, 1));
  QImage shot = Fresh();
  QRect pic = Painted(shot, CellRect(2, 1), kWhite);
  ASSERT_FALSE(pic.isEmpty());
  EXPECT_EQ(shot.pixel(pic.topLeft() + QPoint(2, 2)), 0xFF000000u | kRed);

  // Resized after its bitmap has gone, the cell still shows the picture, fitted anew.
  ASSERT_TRUE(grid->SSSetColWidth(2, 20.0));
  ASSERT_TRUE(grid->SSSetRowHeight(1, 30.0));
  shot = Fresh();
  const QRect cell = CellRect(2, 1);
  pic = Painted(shot, cell, kWhite);
  ASSERT_FALSE(pic.isEmpty());
  EXPECT_LE(pic.height(), PictureBox(cell.size()).height());
  EXPECT_LE(std::abs(pic.width() * 3 - pic.height() * 4), 4);
  EXPECT_EQ(shot.pixel(pic.bottomRight() - QPoint(2, 2)), 0xFF000000u | kYellow);
}

TEST_F(PictureCellTest, ResizedCellsRemakeTheirPictureFromALiveBitmap) {
  auto bitmap = Quadrants(display, 64, 64, 8);
  SetPicture(2, 2, bitmap);
  const QSize before = Painted(Fresh(), CellRect(2, 2), kWhite).size();
  ASSERT_TRUE(grid->SSSetColWidth(2, 4.0));
  const QRect cell = CellRect(2, 2);
  const QRect pic = Painted(Fresh(), cell, kWhite);
  EXPECT_LT(pic.width(), before.width());
  EXPECT_LE(pic.width(), PictureBox(cell.size()).width());
  EXPECT_EQ(pic.width(), pic.height());
}

TEST_F(PictureCellTest, WholeRowTypesEveryDataCellButNoHeader) {
  auto bitmap = Quadrants(display, 32, 32, 4);
  SetPicture(-1, 1, bitmap);
  for (int c = 1; c <= 128; ++c) ASSERT_TRUE(grid->SSHasPicture(c, 1)) << c;
  EXPECT_FALSE(grid->SSHasPicture(1, 2));
  EXPECT_EQ(grid->SSGetData(0, 1), QString::fromUtf8("ｲﾒｰｼﾞ"));
  SS_CELLTYPE rec;
  TSpread::SSSetTypePictureHandle(&rec, 0x27, bitmap, nullptr, 0);
  EXPECT_FALSE(grid->SSSetCellType(0, 1, rec));
  EXPECT_FALSE(grid->SSSetCellType(3, 0, rec));
  EXPECT_FALSE(grid->SSSetCellType(129, 1, rec));
  EXPECT_FALSE(grid->SSIsPictureCell(0, 1));
  EXPECT_FALSE(grid->SSIsPictureCell(3, 0));
}

TEST(PictureRecordTest, FillsTheRecordAndTakesNothing) {
  QtDisplay display;
  auto bitmap = display.CreateDIBitmap(
      MakeDib({.width = 2, .height = 2, .bits = 24}, [](int, int) { return 0u; }), nullptr);
  auto palette = std::make_shared<const LogPalette>();
  SS_CELLTYPE rec;
  EXPECT_EQ(TSpread::SSSetTypePictureHandle(&rec, 0x27, bitmap, palette, 0), &rec);
  EXPECT_EQ(rec.style, 0x27);
  EXPECT_EQ(rec.bitmap, bitmap);
  EXPECT_EQ(rec.palette, palette);
  EXPECT_EQ(TSpread::SSSetTypePictureHandle(nullptr, 0x27, bitmap, palette, 0), nullptr);
}

}  // namespace
}  // namespace kel::test
