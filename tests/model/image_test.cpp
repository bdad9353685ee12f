// Pictures: sharing by reference count, the size rule, colour table and palette, display
// bitmaps both ways, cut-outs and bitmap-file output.
#include "model/image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "model/bmp_builder.h"
#include "model/bmp_file.h"
#include "model/le.h"
#include "support/test_paths.h"

namespace kel {
namespace {

using test::bmp::Palette;
using test::bmp::StoredDib;

// The memory display, with a record of what the picture asked of it and a depth of choice.
class SpyDisplay final : public DisplayDevice {
 public:
  explicit SpyDisplay(int bits = 32) : bits_(bits) {}
  std::shared_ptr<DisplayBitmap> CreateDIBitmap(std::shared_ptr<const PackedDib> dib,
                                                const LogPalette* palette) override {
    events.push_back(palette ? "create with palette" : "create");
    return real.CreateDIBitmap(std::move(dib), palette);
  }
  std::shared_ptr<DisplayBitmap> CopyRegion(const DisplayBitmap& src, int x, int y, int w,
                                            int h) override {
    events.push_back("copy " + std::to_string(x) + "," + std::to_string(y) + " " +
                     std::to_string(w) + "x" + std::to_string(h));
    return real.CopyRegion(src, x, y, w, h);
  }
  int RealizePalette(const LogPalette& palette, bool background) override {
    events.push_back(background ? "realize background" : "realize");
    realized = &palette;
    return 0;
  }
  int BitsPixel() const override { return bits_; }

  std::vector<std::string> events;
  const LogPalette* realized = nullptr;
  MemoryDisplay real;

 private:
  int bits_;
};

uint32_t Rgb(int x, int y) {
  return uint32_t((x * 40) << 16 | (y * 50) << 8 | (x + y) * 9);
}

std::shared_ptr<PackedDib> TrueColour(int w, int h) {
  return StoredDib(w, h, 24, {}, Rgb);
}

std::shared_ptr<PackedDib> SixteenColours(int w, int h) {
  return StoredDib(w, h, 4, Palette(16), [](int x, int y) { return uint32_t((x + y) % 16); });
}

TEST(ImageSharingTest, CopiesAndAssignmentsShareOneCountedRecord) {
  ObBmpImage a(TrueColour(3, 2));
  ObImageData* record = a.GetImageData();
  {
    ObImage b(a);
    EXPECT_EQ(b.GetImageData(), record);
    EXPECT_EQ(record->RefCount, 2);
    ObImage c;
    ObImage d(c);
    EXPECT_EQ(c.GetImageData()->RefCount, 2);
    c = b;  // c lets go of the record it shared with d
    EXPECT_EQ(c.GetImageData(), record);
    EXPECT_EQ(record->RefCount, 3);
    EXPECT_EQ(d.GetImageData()->RefCount, 1);
    d.SetImageData(record);
    EXPECT_EQ(record->RefCount, 4);
  }
  EXPECT_EQ(record->RefCount, 1);
  EXPECT_TRUE(a.HasDib());
}

TEST(ImageSharingTest, SelfAssignmentKeepsImageAndCount) {
  ObImage a;
  ObImage b(a);
  ObImageData* record = a.GetImageData();
  ObImage& alias = a;
  a = alias;
  EXPECT_EQ(a.GetImageData(), record);
  EXPECT_EQ(record->RefCount, 2);

  // The last holder assigning its record to itself must not destroy it on the way.
  ObBmpImage only(TrueColour(2, 2));
  only.SetImageData(only.GetImageData());
  EXPECT_EQ(only.GetImageData()->RefCount, 1);
  ASSERT_TRUE(only.HasDib());
  EXPECT_EQ(only.Width(), 2);
}

TEST(ImageSharingTest, DestroyingTheLoaderLeavesSharersPaletteAndBitmapButNoDib) {
  SpyDisplay display;
  auto loaded = std::make_unique<ObBmpImage>(SixteenColours(32, 32));
  loaded->MakePalette();
  loaded->DIBtoDDB(display);
  ObImage copy(*loaded);
  loaded.reset();
  EXPECT_FALSE(copy.HasDib());
  EXPECT_EQ(copy.NumColors(), 0u);
  EXPECT_EQ(copy.GetBits(), nullptr);
  ASSERT_NE(copy.Palette(), nullptr);
  EXPECT_EQ(copy.Palette()->entries.size(), 16u);
  ASSERT_NE(copy.Bitmap(), nullptr);
  EXPECT_EQ(copy.Bitmap()->Width(), 32);
  // Without a DIB the size comes from the record.
  EXPECT_EQ(copy.Width(), 32);
  EXPECT_EQ(copy.Height(), 32);
  EXPECT_EQ(copy.GetImageData()->RefCount, 1);
}

TEST(ImageSharingTest, DestroyingAnImageThatSharesAnotherRecordLeavesThatRecordsDib) {
  ObBmpImage owner(TrueColour(4, 4));
  {
    ObBmpImage other(TrueColour(2, 2));
    other.SetImageData(owner.GetImageData());  // other still holds the DIB it loaded
  }
  EXPECT_TRUE(owner.HasDib());
  EXPECT_EQ(owner.Width(), 4);
  EXPECT_EQ(owner.GetImageData()->RefCount, 1);
}

TEST(ImageTest, SizeComesFromTheHeaderWhileThereIsADib) {
  auto dib = PackedDib::Allocate(40);
  BitmapInfoHeader h;
  h.biWidth = 70000;  // only the low 16 bits count
  h.biHeight = 3;
  h.biBitCount = 24;
  h.Store(dib->Data());
  ObBmpImage image(dib);
  image.GetImageData()->Width = 99;
  image.GetImageData()->Height = 98;
  EXPECT_EQ(image.Width(), 70000 & 0xFFFF);
  EXPECT_EQ(image.Height(), 3);
  EXPECT_EQ(image.LineBytes(), LineBytesOf(70000, 24));
  EXPECT_EQ(image.BitCount(), 24);

  ObImage empty;
  empty.GetImageData()->Width = 99;
  EXPECT_EQ(empty.Width(), 99);
  EXPECT_EQ(empty.BitCount(), 0);
}

TEST(ImageTest, ColourTableAndPixelsFollowTheColourCountRule) {
  struct Case {
    uint16_t bits;
    uint32_t clrUsed;
    uint32_t colors;
  } cases[] = {{1, 0, 2}, {4, 0, 16}, {8, 0, 256}, {8, 20, 20}, {24, 0, 0}, {24, 3, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.bits) + " bits, " + std::to_string(c.clrUsed) + " used");
    const size_t tableSize = c.clrUsed ? c.clrUsed : c.colors;
    ObBmpImage image(StoredDib(
        3, 2, c.bits, Palette(tableSize), [](int, int) { return 0u; }, c.clrUsed));
    EXPECT_EQ(image.NumColors(), c.colors);
    EXPECT_EQ(image.GetColors(), image.Dib()->Data() + 40);
    EXPECT_EQ(image.GetBits(), image.Dib()->Data() + 40 + 4 * c.colors);
  }
  ObBmpImage empty;
  EXPECT_EQ(empty.NumColors(), 0u);
  EXPECT_EQ(empty.GetColors(), nullptr);
  EXPECT_EQ(empty.GetBits(), nullptr);
}

TEST(ImageTest, PaletteIsBuiltFromTheColourTable) {
  ObBmpImage image(SixteenColours(4, 4));
  image.MakePalette();
  ASSERT_NE(image.Palette(), nullptr);
  EXPECT_EQ(image.Palette()->palVersion, 0x300);
  const std::vector<uint32_t> colours = Palette(16);
  ASSERT_EQ(image.Palette()->entries.size(), 16u);
  for (size_t i = 0; i < 16; ++i) {
    const PaletteEntry expected{uint8_t(colours[i] >> 16), uint8_t(colours[i] >> 8),
                                uint8_t(colours[i]), 0};
    EXPECT_EQ(image.Palette()->entries[i], expected) << "entry " << i;
  }

  ObBmpImage trueColour(TrueColour(2, 2));
  trueColour.MakePalette();
  EXPECT_EQ(trueColour.Palette(), nullptr);

  ObBmpImage empty;
  empty.MakePalette();
  EXPECT_EQ(empty.Palette(), nullptr);
}

TEST(ImageTest, DisplayBitmapIsMadeWithThePaletteRealizedWhenThereIsOne) {
  SpyDisplay display;
  ObBmpImage trueColour(TrueColour(5, 3));
  trueColour.MakePalette();
  trueColour.DIBtoDDB(display);
  EXPECT_EQ(display.events, std::vector<std::string>{"create"});
  ASSERT_NE(trueColour.Bitmap(), nullptr);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(trueColour.Bitmap()->PixelRgb(x, y), Rgb(x, y));

  display.events.clear();
  ObBmpImage indexed(SixteenColours(5, 3));
  indexed.MakePalette();
  indexed.DIBtoDDB(display);
  EXPECT_EQ(display.events, (std::vector<std::string>{"realize", "create with palette"}));
  EXPECT_EQ(display.realized, indexed.Palette());
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(indexed.Bitmap()->PixelRgb(x, y), DibPixelRgb(*indexed.Dib(), x, y));

  display.events.clear();
  ObBmpImage empty;
  empty.DIBtoDDB(display);
  EXPECT_TRUE(display.events.empty());
  EXPECT_EQ(empty.Bitmap(), nullptr);
}

TEST(ImageTest, DibIsReadBackFromTheDisplayBitmapAtTheDisplaysDepth) {
  struct Case {
    int bits;
    uint32_t colorsUsed;
  } cases[] = {{1, 2}, {4, 16}, {8, 256}, {16, 0}, {24, 0}, {32, 0}};
  // Black and white survive every depth exactly.
  auto pattern = [](int x, int y) { return (x + 2 * y) % 3 == 0 ? 0xFFFFFFu : 0u; };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.bits) + " bits");
    SpyDisplay display(c.bits);
    ObBmpImage source(StoredDib(7, 3, 24, {}, pattern));
    source.DIBtoDDB(display);
    ObImage cut(display, &source, 0, 0, 0, 0);
    ASSERT_FALSE(cut.HasDib());
    cut.DDBtoDIB(display);
    ASSERT_TRUE(cut.HasDib());
    const BitmapInfoHeader h = cut.Dib()->Header();
    const uint16_t line = LineBytesOf(7, uint16_t(c.bits));
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, 7);
    EXPECT_EQ(h.biHeight, 3);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, c.bits);
    EXPECT_EQ(h.biCompression, 0u);
    EXPECT_EQ(h.biSizeImage, line * 3u);
    EXPECT_EQ(h.biClrUsed, c.colorsUsed);
    EXPECT_EQ(cut.Dib()->Size(), 40 + 4 * c.colorsUsed + line * 3u);
    EXPECT_EQ(cut.LineBytes(), line);
    EXPECT_EQ(cut.Palette(), nullptr);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 7; ++x)
        EXPECT_EQ(DibPixelRgb(*cut.Dib(), x, y), pattern(x, y)) << x << "," << y;
  }
}

TEST(ImageTest, DibReadBackTakesOnlyStoredDepthsAndRowsOf16Bits) {
  struct Case {
    int displayBits;
    int width;
    int storedBits;  // 0: no DIB
  } cases[] = {
      {2, 7, 32},       // no stored rows of 2 bits: read back as 32
      {15, 7, 32},      // nor of 15
      {24, 20000, 24},  // 60000 bytes a row
      {32, 20000, 0},   // 80000 bytes a row: more than LineBytes holds
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.displayBits) + " bits, " + std::to_string(c.width) + " wide");
    SpyDisplay display(c.displayBits);
    ObBmpImage source(TrueColour(c.width, 1));
    source.DIBtoDDB(display);
    ObImage cut(display, &source, 0, 0, 0, 0);
    cut.DDBtoDIB(display);
    ASSERT_EQ(cut.HasDib(), c.storedBits != 0);
    if (c.storedBits == 0) continue;
    EXPECT_EQ(cut.BitCount(), c.storedBits);
    EXPECT_TRUE(IsStoredDib(*cut.Dib()));
    EXPECT_EQ(DibPixelRgb(*cut.Dib(), 5, 0), Rgb(5, 0));
    EXPECT_EQ(DibPixelRgb(*cut.Dib(), c.width - 1, 0), DibPixelRgb(*source.Dib(), c.width - 1, 0));
  }
}

TEST(ImageTest, DibReadBackKeepsEveryColourAtTrueColourDepth) {
  SpyDisplay display(32);
  ObBmpImage source(TrueColour(6, 4));
  source.DIBtoDDB(display);
  ObImage cut(display, &source, 0, 0, 0, 0);
  cut.DDBtoDIB(display);
  ASSERT_TRUE(cut.HasDib());
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(DibPixelRgb(*cut.Dib(), x, y), Rgb(x, y));
  // A second call changes nothing; an image that has a DIB is left alone.
  const PackedDib* first = cut.Dib();
  cut.DDBtoDIB(display);
  EXPECT_EQ(cut.Dib(), first);
  ObImage none;
  none.DDBtoDIB(display);
  EXPECT_FALSE(none.HasDib());
}

TEST(ImageTest, CutOutClampsTheRequestedRegion) {
  struct Case {
    int16_t x, y;
    uint16_t w, h;
    int expectX, expectY, expectW, expectH;
  } cases[] = {
      {-5, -5, 0, 0, 0, 0, 6, 4},  // everything
      {2, 1, 10, 10, 2, 1, 4, 3},  // cut at the right and bottom edges
      {1, 2, 2, 1, 1, 2, 2, 1},    // inside
      {-3, 1, 2, 0, 0, 1, 2, 3},   // negative origin becomes 0; height 0 is the rest
      {6, 0, 0, 0, 6, 0, 0, 4},    // origin on the right edge: nothing to copy
      {9, 9, 3, 3, 9, 9, 0, 0},    // origin beyond both edges
  };
  SpyDisplay display;
  ObBmpImage source(TrueColour(6, 4));
  source.DIBtoDDB(display);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y) + " " + std::to_string(c.w) + "x" +
                 std::to_string(c.h));
    ObImage cut(display, &source, c.x, c.y, c.w, c.h);
    EXPECT_FALSE(cut.HasDib());
    EXPECT_EQ(cut.Palette(), nullptr);
    EXPECT_EQ(cut.Width(), c.expectW);
    EXPECT_EQ(cut.Height(), c.expectH);
    if (c.expectW == 0 || c.expectH == 0) {
      EXPECT_EQ(cut.Bitmap(), nullptr);
      continue;
    }
    ASSERT_NE(cut.Bitmap(), nullptr);
    EXPECT_EQ(cut.Bitmap()->Width(), c.expectW);
    EXPECT_EQ(cut.Bitmap()->Height(), c.expectH);
    for (int y = 0; y < c.expectH; ++y)
      for (int x = 0; x < c.expectW; ++x)
        EXPECT_EQ(cut.Bitmap()->PixelRgb(x, y), Rgb(c.expectX + x, c.expectY + y));
  }
}

TEST(ImageTest, CutOutOfNothingOrOfAPictureWithoutBitmapHasNoBitmap) {
  SpyDisplay display;
  ObImage none(display, nullptr, 0, 0, 0, 0);
  EXPECT_EQ(none.Bitmap(), nullptr);
  EXPECT_EQ(none.Width(), 0);
  ObBmpImage source(TrueColour(6, 4));  // no display bitmap made yet
  ObImage cut(display, &source, 1, 1, 0, 0);
  EXPECT_EQ(cut.Bitmap(), nullptr);
  EXPECT_EQ(cut.Width(), 5);
  EXPECT_EQ(cut.Height(), 3);
  EXPECT_TRUE(display.events.empty());
}

std::string Written(const ObImage& image, bool* ok) {
  std::ostringstream out;
  *ok = image.WriteDIB(out);
  return out.str();
}

TEST(ImageTest, WriteDibWritesTheBitmapFileImage) {
  ObBmpImage image(SixteenColours(32, 32));
  bool ok = false;
  const std::string bytes = Written(image, &ok);
  ASSERT_TRUE(ok);
  ASSERT_EQ(bytes.size(), 630u);  // 54 + 64 + 32 x 16
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  EXPECT_EQ(le::U16(p), 0x4D42);
  EXPECT_EQ(le::U32(p + 2), 630u);
  EXPECT_EQ(le::U32(p + 6), 0u);
  EXPECT_EQ(le::U32(p + 10), 118u);
  EXPECT_EQ(bytes.substr(14),
            std::string(reinterpret_cast<const char*>(image.Dib()->Data()), image.Dib()->Size()));

  ObBmpImage empty;
  EXPECT_EQ(Written(empty, &ok), "");
  EXPECT_FALSE(ok);

  std::ostringstream failed;
  failed.setstate(std::ios::failbit);
  EXPECT_FALSE(image.WriteDIB(failed));
}

TEST(ImageTest, PlainImageCannotReadOrWriteItself) {
  ObImage image;
  std::istringstream in("BM");
  std::ostringstream out;
  EXPECT_FALSE(image.Read("any.bmp"));
  EXPECT_FALSE(image.Write("any.bmp"));
  EXPECT_FALSE(image.Read(in));
  EXPECT_FALSE(image.Write(out));
  EXPECT_EQ(out.str(), "");
}

TEST(BmpImageFileTest, WriteThenLoadGivesTheSameDib) {
  test::TempDir dir;
  const std::string path = (dir / "pic.bmp").string();
  // In the stored form the colour count is written out, so loading changes nothing.
  ObBmpImage image(StoredDib(
      9, 5, 4, Palette(16), [](int x, int y) { return uint32_t((x + y) % 16); }, 16));
  ASSERT_TRUE(image.Write(path.c_str()));
  EXPECT_EQ(test::ReadFileBytes(path), BitmapFileBytes(*image.Dib()));
  ObBmpImage loaded(path.c_str());
  ASSERT_TRUE(loaded.HasDib()) << loaded.LoadError();
  EXPECT_EQ(loaded.LoadError(), "");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(loaded.Dib()->Data()), loaded.Dib()->Size()),
            std::string(reinterpret_cast<const char*>(image.Dib()->Data()), image.Dib()->Size()));
  EXPECT_EQ(loaded.Width(), 9);
  EXPECT_EQ(loaded.Height(), 5);
  EXPECT_EQ(loaded.LineBytes(), 8);
  // Nothing but the picture is left in the folder.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(BmpImageFileTest, WriteReplacesAnExistingFileAndRefusesWhatItCannotWrite) {
  test::TempDir dir;
  const std::string path = (dir / "pic.bmp").string();
  test::WriteFileBytes(path, "old");
  ObBmpImage image(TrueColour(2, 2));
  ASSERT_TRUE(image.Write(path.c_str()));
  EXPECT_EQ(test::ReadFileBytes(path), BitmapFileBytes(*image.Dib()));

  ObBmpImage empty;
  const std::string other = (dir / "empty.bmp").string();
  EXPECT_FALSE(empty.Write(other.c_str()));
  EXPECT_FALSE(std::filesystem::exists(other));
  EXPECT_FALSE(image.Write((dir / "no" / "such" / "dir.bmp").string().c_str()));
}

TEST(BmpImageFileTest, FailedLoadLeavesAnEmptyImageAndSaysWhy) {
  test::TempDir dir;
  ObBmpImage missing((dir / "none.bmp").string().c_str());
  EXPECT_FALSE(missing.HasDib());
  EXPECT_EQ(missing.LoadError(), "ファイルを開けません (ファイルまたはフォルダーが見つかりません)");

  const std::string bad = (dir / "bad.bmp").string();
  test::WriteFileBytes(bad, "BM not really");
  ObBmpImage refused(bad.c_str());
  EXPECT_FALSE(refused.HasDib());
  EXPECT_FALSE(refused.LoadError().empty());
}

TEST(BmpImageFileTest, ReadReplacesThePicture) {
  test::TempDir dir;
  const std::string first = (dir / "first.bmp").string();
  const std::string second = (dir / "second.bmp").string();
  const std::string bad = (dir / "bad.bmp").string();
  test::WriteFileBytes(first, BitmapFileBytes(*TrueColour(3, 3)));
  test::WriteFileBytes(second, BitmapFileBytes(*SixteenColours(8, 2)));
  test::WriteFileBytes(bad, "BMxxxxxxxxxxxxxxxxxx");

  SpyDisplay display;
  ObBmpImage image(first.c_str());
  image.DIBtoDDB(display);
  ObImage sharer(image);
  ASSERT_TRUE(image.Read(second.c_str()));
  EXPECT_EQ(image.Width(), 8);
  EXPECT_EQ(image.NumColors(), 16u);
  EXPECT_EQ(image.Bitmap(), nullptr);  // the new picture needs its own display bitmap
  EXPECT_EQ(image.GetImageData()->RefCount, 1);
  // The sharer keeps the old record: its display bitmap, but not the DIB the loader owned.
  EXPECT_NE(sharer.GetImageData(), image.GetImageData());
  EXPECT_NE(sharer.Bitmap(), nullptr);
  EXPECT_FALSE(sharer.HasDib());

  EXPECT_FALSE(image.Read(bad.c_str()));
  EXPECT_FALSE(image.HasDib());
  EXPECT_FALSE(image.LoadError().empty());
  ASSERT_TRUE(image.Read(first.c_str()));
  EXPECT_EQ(image.LoadError(), "");
  EXPECT_EQ(image.Width(), 3);
}

}  // namespace
}  // namespace kel
