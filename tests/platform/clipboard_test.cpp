// The clipboard wrapper over the real QClipboard (offscreen it holds what this process put):
// our pictures travel byte for byte, other programs' images and drawings arrive in the stored
// form, and pictures the stored form cannot hold are refused with a reason.
#include "platform/clipboard.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <string>

#include "model/bmp_file.h"
#include "support/dib_builder.h"
#include "test_app.h"

namespace kel {
namespace {

using test::DibSpec;
using test::MakeDib;

QClipboard& Qt() {
  test::TestApp();
  return *QGuiApplication::clipboard();
}

void PutMime(QMimeData* data) {
  Qt().setMimeData(data);
}

// The colour of pixel (x, y from the top) of a stored-form DIB, 0x00RRGGBB.
uint32_t PixelOf(const PackedDib& dib, int x, int y) {
  const BitmapInfoHeader h = dib.Header();
  const uint8_t* row =
      dib.Bits() + size_t(LineBytesOf(h.biWidth, h.biBitCount)) * size_t(h.biHeight - 1 - y);
  auto color = [&](uint32_t i) {
    const uint8_t* c = dib.Colors() + 4 * i;
    return uint32_t(c[2]) << 16 | uint32_t(c[1]) << 8 | c[0];
  };
  switch (h.biBitCount) {
    case 1:
      return color((row[x / 8] >> (7 - x % 8)) & 1);
    case 8:
      return color(row[x]);
    case 24:
      return uint32_t(row[3 * x + 2]) << 16 | uint32_t(row[3 * x + 1]) << 8 | row[3 * x];
    default:
      ADD_FAILURE() << "unexpected depth " << h.biBitCount;
      return 0;
  }
}

QImage Indexed(int w, int h, QList<QRgb> table) {
  QImage image(w, h, QImage::Format_Indexed8);
  image.setColorTable(table);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image.setPixel(x, y, uint((x + 2 * y) % table.size()));
  return image;
}

// width x height pixels, every one of another colour.
QImage ManyColours(int width, int height = 1) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(x % 256, x / 256, y));
  return image;
}

struct ImageCase {
  const char* name;
  QImage image;
  int bits;                       // depth of the stored form
  uint32_t colors;                // its colour-table length
  std::vector<uint32_t> topLeft;  // pixels (0,0), (1,0), (0,1) as shown
};

TEST(BitmapFileOfImageTest, KeepsUpTo256ColoursIn8BitsAndOneBitInOneBit) {
  QImage mono(9, 2, QImage::Format_Mono);
  mono.setColorTable({qRgb(10, 20, 30), qRgb(200, 210, 220)});
  mono.fill(0);
  mono.setPixel(1, 0, 1);
  QImage argb(3, 2, QImage::Format_ARGB32);
  argb.fill(qRgba(0, 0, 0, 0));  // transparent: the background black
  argb.setPixel(1, 0, qRgba(255, 128, 64, 255));
  argb.setPixel(0, 1, qRgba(255, 255, 255, 255));
  QImage rgb16(2, 2, QImage::Format_RGB16);
  rgb16.fill(QColor(255, 0, 0));
  QImage emptyTable(2, 2, QImage::Format_Indexed8);
  emptyTable.fill(0);
  // Qt lets an indexed picture carry more colours than 8 bits can index; a bitmap cannot.
  QList<QRgb> full, tooMany;
  for (int i = 0; i < 300; ++i) (i < 256 ? full : tooMany).append(qRgb(i & 0xFF, 7 + i / 256, 9));
  tooMany = full + tooMany;

  const ImageCase cases[] = {
      {"8-bit indexed keeps its table",
       Indexed(5, 3, {qRgb(1, 2, 3), qRgb(40, 50, 60), qRgb(250, 0, 7)}),
       8,
       3,
       {0x010203, 0x28323C, 0xFA0007}},
      {"256 colours stay indexed", Indexed(5, 3, full), 8, 256, {0x000709, 0x010709, 0x020709}},
      {"300 colours become 24 bits", ManyColours(300, 2), 24, 0, {0x000000, 0x010000, 0x000001}},
      {"a longer table than 8 bits index, 9 colours used: those",
       Indexed(5, 3, tooMany),
       8,
       9,
       {0x000709, 0x010709, 0x020709}},
      {"1 bit stays 1 bit", mono, 1, 2, {0x0A141E, 0xC8D2DC, 0x0A141E}},
      {"alpha drawn over black", argb, 8, 3, {0x000000, 0xFF8040, 0xFFFFFF}},
      {"16-bit true colour of one colour", rgb16, 8, 1, {0xFF0000, 0xFF0000, 0xFF0000}},
  };
  for (const ImageCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::string error;
    const std::string file = BitmapFileOfImage(c.image, &error);
    ASSERT_FALSE(file.empty()) << error;
    const DibLoad load =
        LoadBitmapFileBytes(reinterpret_cast<const uint8_t*>(file.data()), file.size());
    ASSERT_TRUE(load.dib) << load.error;
    const BitmapInfoHeader h = load.dib->Header();
    EXPECT_EQ(h.biBitCount, c.bits);
    EXPECT_EQ(h.biWidth, c.image.width());
    EXPECT_EQ(h.biHeight, c.image.height());
    EXPECT_EQ(load.dib->NumColors(), c.colors);
    // The file is exactly what the loader keeps: nothing was converted on the way in.
    EXPECT_EQ(file.size(), kFileHeaderSize + load.dib->Size());
    EXPECT_EQ(PixelOf(*load.dib, 0, 0), c.topLeft[0]);
    EXPECT_EQ(PixelOf(*load.dib, 1, 0), c.topLeft[1]);
    EXPECT_EQ(PixelOf(*load.dib, 0, 1), c.topLeft[2]);
  }
  // An indexed picture without a table has no colours to keep: it goes by the colours Qt
  // gives its indices (all one).
  std::string error;
  const std::string file = BitmapFileOfImage(emptyTable, &error);
  ASSERT_FALSE(file.empty()) << error;
  const DibLoad load =
      LoadBitmapFileBytes(reinterpret_cast<const uint8_t*>(file.data()), file.size());
  ASSERT_TRUE(load.dib);
  EXPECT_EQ(load.dib->Header().biBitCount, 8);
  EXPECT_EQ(load.dib->NumColors(), 1u);
}

TEST(BitmapFileOfImageTest, APictureBeyondTheSixteenBitSizesIsRefusedWithItsReason) {
  struct Refused {
    const char* name;
    QImage image;
    const char* reason;  // part of the message
  };
  const Refused cases[] = {
      {"8 bits, 70000 wide", Indexed(70000, 1, {qRgb(0, 0, 0)}), "65535"},
      {"24 bits, row of 90000 bytes", ManyColours(30000), "65535"},
      {"no pixels", QImage(), "大きさ"},
  };
  for (const Refused& c : cases) {
    SCOPED_TRACE(c.name);
    std::string error;
    EXPECT_TRUE(BitmapFileOfImage(c.image, &error).empty());
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
}

TEST(ClipboardTest, OurPictureTravelsByteForByteAndAnImageGoesWithIt) {
  Clipboard clipboard;
  const auto dib =
      MakeDib({.width = 7, .height = 3, .bits = 4, .colors = {0xFF0000, 0x00FF00}, .clrUsed = 2},
              [](int x, int y) { return uint32_t(x + y) % 2; });
  ASSERT_TRUE(clipboard.PutPicture(*dib));

  const QMimeData* data = Qt().mimeData();
  const std::string file = BitmapFileBytes(*dib);
  EXPECT_EQ(data->data(Clipboard::kBitmapMime).toStdString(), file);
  ASSERT_TRUE(data->hasImage());
  const QImage forOthers = qvariant_cast<QImage>(data->imageData());
  EXPECT_EQ(forOthers.size(), QSize(7, 3));
  EXPECT_EQ(forOthers.pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(forOthers.pixel(1, 0) & 0xFFFFFF, 0x00FF00u);

  const ClipboardPicture back = clipboard.Picture(QSize(10, 10));
  EXPECT_EQ(back.source, ClipboardPicture::Source::Ours);
  ASSERT_TRUE(back.dib);
  ASSERT_EQ(back.dib->Size(), dib->Size());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(back.dib->Data()), back.dib->Size()),
            std::string(reinterpret_cast<const char*>(dib->Data()), dib->Size()));
}

TEST(ClipboardTest, ADibShorterThanItsHeaderIsNotPut) {
  Clipboard clipboard;
  ASSERT_TRUE(clipboard.PutText(QStringLiteral("before")));
  const auto cut =
      MakeDib({.width = 4, .height = 4, .bits = 8, .dropBytes = 3}, [](int, int) { return 0u; });
  EXPECT_FALSE(clipboard.PutPicture(*cut));
  EXPECT_EQ(clipboard.Text(), QStringLiteral("before"));
}

TEST(ClipboardTest, PicturesOfOtherProgramsComeInTheStoredForm) {
  Clipboard clipboard;
  // An indexed image keeps its colours as a table.
  auto* data = new QMimeData;
  data->setImageData(Indexed(4, 4, {qRgb(9, 8, 7), qRgb(100, 0, 200)}));
  PutMime(data);
  ClipboardPicture p = clipboard.Picture(QSize(10, 10));
  EXPECT_EQ(p.source, ClipboardPicture::Source::Image);
  ASSERT_TRUE(p.dib) << p.error;
  EXPECT_EQ(p.dib->Header().biBitCount, 8);
  EXPECT_EQ(PixelOf(*p.dib, 1, 0), 0x6400C8u);

  // A drawing only: rendered over the whole of the size asked for.
  data = new QMimeData;
  data->setData(Clipboard::kDrawingMime,
                "<svg xmlns='http://www.w3.org/2000/svg' width='10' height='10'>"
                "<rect x='0' y='0' width='5' height='10' fill='#00ff00'/></svg>");
  PutMime(data);
  p = clipboard.Picture(QSize(40, 20));
  EXPECT_EQ(p.source, ClipboardPicture::Source::Drawing);
  ASSERT_TRUE(p.dib) << p.error;
  EXPECT_EQ(p.dib->Header().biWidth, 40);
  EXPECT_EQ(p.dib->Header().biHeight, 20);
  EXPECT_EQ(PixelOf(*p.dib, 5, 10), 0x00FF00u);   // the rectangle, stretched to half the width
  EXPECT_EQ(PixelOf(*p.dib, 30, 10), 0x000000u);  // the rest, background black

  // A damaged bitmap under our name, with an image beside it: the image is taken.
  data = new QMimeData;
  data->setData(Clipboard::kBitmapMime, "BM not a bitmap");
  data->setImageData(Indexed(2, 2, {qRgb(1, 1, 1)}));
  PutMime(data);
  p = clipboard.Picture(QSize(10, 10));
  EXPECT_EQ(p.source, ClipboardPicture::Source::Image);
  EXPECT_TRUE(p.dib);
}

struct NothingCase {
  const char* name;
  const char* mime;  // nullptr: nothing at all
  QByteArray bytes;
  bool hasError;
};

TEST(ClipboardTest, WhatIsNoPictureGivesNoneOrTheReason) {
  Clipboard clipboard;
  const NothingCase cases[] = {
      {"empty clipboard", nullptr, {}, false},
      {"text only", "text/plain", "25", false},
      {"damaged bitmap alone", Clipboard::kBitmapMime, "BM\x10", true},
      {"drawing that is none", Clipboard::kDrawingMime, "<svg", true},
  };
  for (const NothingCase& c : cases) {
    SCOPED_TRACE(c.name);
    clipboard.Empty();
    if (c.mime) {
      auto* data = new QMimeData;
      data->setData(c.mime, c.bytes);
      PutMime(data);
    }
    const ClipboardPicture p = clipboard.Picture(QSize(10, 10));
    EXPECT_FALSE(p.dib);
    EXPECT_EQ(!p.error.empty(), c.hasError) << p.error;
  }
}

TEST(ClipboardTest, TextRoundTripsAndEmptyingTakesItAway) {
  Clipboard clipboard;
  ASSERT_TRUE(clipboard.PutText(QStringLiteral("-12")));
  EXPECT_EQ(clipboard.Text(), QStringLiteral("-12"));
  clipboard.Empty();
  EXPECT_EQ(clipboard.Text(), std::nullopt);
  // Emptied, the clipboard holds no data at all or data of no format.
  const QMimeData* now = Qt().mimeData();
  EXPECT_TRUE(!now || now->formats().isEmpty());
}

}  // namespace
}  // namespace kel
