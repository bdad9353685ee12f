// Pictures of other formats read into cells on real widgets, from real files: a transparent PNG
// fills the image and the mask of its frame, an animation and a sprite sheet fill the frames
// after the active cell, each as one step, and what cannot be read changes nothing.
#include <QDialogButtonBox>
#include <QImageWriter>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "editor/cell_fixture.h"
#include "editor/sprite_sheet_dialog.h"
#include "platform/test_app.h"
#include "support/dib_builder.h"
#include "support/gif_writer.h"

namespace kel::test {
namespace {

uint32_t PixelOf(const ObImage& image, int x, int y) {
  return PixelRgb(*image.Dib(), x, y);
}

class PictureReadTest : public CellTest {
 protected:
  QString Png(const std::string& name, const QImage& image) {
    const QString path = QString::fromStdString((dir / name).string());
    EXPECT_TRUE(QImageWriter(path, "png").write(image));
    return path;
  }
  // An animation of n frames of w x 2 pixels: frame k shows colour k + 1 of the palette, with
  // its top-left pixel transparent.
  QString Gif(const std::string& name, int n, int w = 3) {
    std::vector<QRgb> palette = {qRgb(0, 0, 0)};
    std::vector<std::vector<uint8_t>> frames;
    for (int k = 0; k < n; ++k) {
      palette.push_back(qRgb(10 * k + 5, 100, 200));
      std::vector<uint8_t> f(size_t(w) * 2, uint8_t(k + 1));
      f[0] = 0;
      frames.push_back(f);
    }
    return File(name, GifFile(w, 2, palette, frames, 0));
  }
  const ObBmpImage* Image(const ObSpriteData& s, int frame) {
    return s.GetImage(int16_t(frame)).Image();
  }
  const ObBmpImage* Mask(const ObSpriteData& s, int frame) {
    return s.GetMask(int16_t(frame)).Image();
  }
};

TEST_F(PictureReadTest, ATransparentPngFillsTheImageAndTheMaskOfItsFrameAsOneStep) {
  ObSpriteData* s = ShowFrames(2);
  QImage picture(3, 1, QImage::Format_ARGB32);
  picture.setPixel(0, 0, qRgba(255, 255, 255, 0));
  picture.setPixel(1, 0, qRgba(0, 0, 255, 200));
  picture.setPixel(2, 0, qRgb(0, 0, 0));  // opaque black stays sprite
  SetActive(2, 1);
  Choose(Png("a.png", picture));
  commands->CmImageRead();

  ASSERT_TRUE(prompt.Messages().empty()) << prompt.Messages()[0].text.toStdString();
  ASSERT_NE(Image(*s, 1), nullptr);
  EXPECT_EQ(Image(*s, 1)->BitCount(), 8);
  EXPECT_EQ(PixelOf(*Image(*s, 1), 0, 0), 0x000000u);
  EXPECT_EQ(PixelOf(*Image(*s, 1), 1, 0), 0x0000FFu);
  ASSERT_NE(Mask(*s, 1), nullptr);
  EXPECT_EQ(Mask(*s, 1)->BitCount(), 1);
  EXPECT_EQ(PixelOf(*Mask(*s, 1), 0, 0), 0xFFFFFFu);  // background
  EXPECT_EQ(PixelOf(*Mask(*s, 1), 1, 0), 0x000000u);
  EXPECT_EQ(PixelOf(*Mask(*s, 1), 2, 0), 0x000000u);
  EXPECT_EQ(ActiveCell(), std::make_pair(3, 1));

  doc.History().undo();
  EXPECT_EQ(ImageWidths(*s), (std::vector<int>{10, 11}));
  EXPECT_EQ(MaskWidths(*s), (std::vector<int>{50, 51}));
  EXPECT_EQ(doc.Modified(), 0);
}

TEST_F(PictureReadTest, IntoTheMaskRowTheTransparentPictureIsTheMaskAlone) {
  ObSpriteData* s = ShowFrames(1);
  QImage picture(2, 1, QImage::Format_ARGB32);
  picture.fill(qRgba(0, 0, 0, 0));
  SetActive(1, 2);
  Choose(Png("m.png", picture));
  commands->CmImageRead();
  EXPECT_EQ(ImageWidths(*s), (std::vector<int>{10}));
  EXPECT_EQ(MaskWidths(*s), (std::vector<int>{2}));
}

TEST_F(PictureReadTest, AnAnimatedGifOfFiveFramesFillsFiveFramesAndOneUndoTakesThemAllBack) {
  ObSpriteData* s = ShowFrames(1);
  SetActive(2, 1);
  Choose(Gif("walk.gif", 5));
  commands->CmImageRead();

  ASSERT_EQ(s->FrameCount(), 6);
  EXPECT_EQ(SlotKinds(*s), "II II II II II II");
  for (int k = 0; k < 5; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(PixelOf(*Image(*s, k + 1), 1, 1), uint32_t(10 * k + 5) << 16 | 0x64C8);
    EXPECT_EQ(PixelOf(*Mask(*s, k + 1), 0, 0), 0xFFFFFFu);
  }
  EXPECT_EQ(ActiveCell(), std::make_pair(7, 1));
  EXPECT_EQ(doc.History().undoText(), QStringLiteral("イメージの読み込み"));

  doc.History().undo();
  EXPECT_EQ(SlotKinds(*s), "II");
  EXPECT_EQ(doc.Modified(), 0);
}

TEST_F(PictureReadTest, AnimationFramesPastTheLastColumnAreLeftOutAndCounted) {
  ObSpriteData* s = ShowFrames(1);
  SetActive(126, 1);
  Choose(Gif("walk.gif", 5));
  commands->CmImageRead();
  EXPECT_EQ(s->FrameCount(), 128);
  ASSERT_EQ(prompt.Messages().size(), 1u);
  EXPECT_TRUE(prompt.Messages()[0].text.contains(QStringLiteral("残りの 2 フレーム")))
      << prompt.Messages()[0].text.toStdString();
}

TEST_F(PictureReadTest, APictureThatCannotBeReadIsNamedAndChangesNothing) {
  ObSpriteData* s = ShowFrames(2);
  const QString big = Png("big.png", QImage(2100, 3, QImage::Format_Mono));
  SetActive(2, 1);
  Choose(big);
  commands->CmImageRead();
  ASSERT_EQ(prompt.Messages().size(), 1u);
  EXPECT_TRUE(prompt.Messages()[0].text.contains(big));
  EXPECT_TRUE(
      prompt.Messages()[0].text.contains(QStringLiteral("画像が大きすぎます（最大 2000 × 2000）")));
  EXPECT_EQ(ImageWidths(*s), (std::vector<int>{10, 11}));
  EXPECT_EQ(doc.Modified(), 0);
}

TEST_F(PictureReadTest, AnImageListNamesPicturesOfAnyFormat) {
  ObSpriteData* s = ShowFrames(1);
  QImage picture(4, 4, QImage::Format_ARGB32);
  picture.fill(qRgba(0, 0, 0, 0));
  Png("walk1.png", picture);
  Choose(File("walk.lst", "[Image List]\nNumFrames=2\nI2=walk1.png\n"));
  commands->CmImageListRead();
  EXPECT_EQ(ImageWidths(*s), (std::vector<int>{10, 4}));
  EXPECT_EQ(MaskWidths(*s), (std::vector<int>{50, 4}));
}

struct SheetCase {
  const char* name;
  SheetSplit split;
  std::vector<QRect> cells;
};

TEST(SheetCellsTest, CutsInReadingOrderAndLeavesOutWhatIsNotAWholeCell) {
  const QSize picture(10, 5);
  const SheetCase cases[] = {
      {"by cell size, the narrow strips left out",
       {.byCellSize = true, .cellWidth = 4, .cellHeight = 2},
       {{0, 0, 4, 2}, {4, 0, 4, 2}, {0, 2, 4, 2}, {4, 2, 4, 2}}},
      {"by rows and columns, the remainder left out",
       {.byCellSize = false, .rows = 2, .columns = 3},
       {{0, 0, 3, 2}, {3, 0, 3, 2}, {6, 0, 3, 2}, {0, 2, 3, 2}, {3, 2, 3, 2}, {6, 2, 3, 2}}},
      {"a cell larger than the picture",
       {.byCellSize = true, .cellWidth = 11, .cellHeight = 1},
       {}},
      {"more columns than pixels", {.byCellSize = false, .rows = 1, .columns = 11}, {}},
  };
  for (const SheetCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SheetCells(picture, c.split, 128), c.cells);
  }
}

TEST_F(PictureReadTest, ASheetCutFourByTwoFillsEightFramesInReadingOrderAsOneStep) {
  ObSpriteData* s = ShowFrames(1);
  // Cells of 2 x 3 pixels, cell k of colour (k, 0, 0) with its top-left pixel transparent.
  QImage sheet(8, 6, QImage::Format_ARGB32);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x)
      sheet.setPixel(x, y, x % 2 || y % 3 ? qRgb(x / 2 + 4 * (y / 3) + 1, 0, 0) : 0u);
  SetActive(1, 1);
  Choose(Png("sheet.png", sheet));
  auto answer = WhenModal<SpriteSheetDialog>([](SpriteSheetDialog* d) {
    d->ByGrid->setChecked(true);
    d->Rows->setValue(2);
    d->Columns->setValue(4);
    EXPECT_EQ(d->Count->text(), QStringLiteral("8 フレーム（2 × 3）"));
    d->Buttons->button(QDialogButtonBox::Ok)->click();
  });
  commands->CmSpriteSheetRead();

  ASSERT_EQ(s->FrameCount(), 8);
  for (int k = 0; k < 8; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(Image(*s, k)->Width(), 2);
    EXPECT_EQ(PixelOf(*Image(*s, k), 1, 0), uint32_t(k + 1) << 16);
    EXPECT_EQ(PixelOf(*Mask(*s, k), 0, 0), 0xFFFFFFu);
    EXPECT_EQ(PixelOf(*Mask(*s, k), 1, 0), 0u);
  }
  EXPECT_EQ(ActiveCell(), std::make_pair(9, 1));
  doc.History().undo();
  EXPECT_EQ(SlotKinds(*s), "II");
}

TEST_F(PictureReadTest, ASheetOfMillionsOfCellsFillsTheFramesLeftAndCountsTheRest) {
  ObSpriteData* s = ShowFrames(1);
  QImage sheet(2000, 1000, QImage::Format_RGB32);
  sheet.fill(qRgb(0, 0, 0));
  sheet.setPixel(0, 1, qRgb(0, 0, 9));  // the 2001st cell, past the frames the grid holds
  sheet.setPixel(4, 0, qRgb(0, 0, 5));
  SetActive(3, 1);
  Choose(Png("pixels.png", sheet));
  auto answer = WhenModal<SpriteSheetDialog>([](SpriteSheetDialog* d) {
    d->CellWidth->setValue(1);
    d->CellHeight->setValue(1);
    EXPECT_EQ(d->Count->text(), QStringLiteral("2000000 フレーム（1 × 1）"));
    d->Buttons->button(QDialogButtonBox::Ok)->click();
  });
  commands->CmSpriteSheetRead();

  ASSERT_EQ(s->FrameCount(), 128);
  EXPECT_EQ(PixelOf(*Image(*s, 2 + 4), 0, 0), 5u);
  EXPECT_EQ(PixelOf(*Image(*s, 127), 0, 0), 0u);
  ASSERT_EQ(prompt.Messages().size(), 1u);
  EXPECT_EQ(
      prompt.Messages()[0].text,
      QStringLiteral("フレームは 128 までのため、残りの 1999874 フレームは読み込みませんでした。"));
}

}  // namespace
}  // namespace kel::test
