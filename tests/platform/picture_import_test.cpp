// Picture files of Qt's formats read into the stored form, checked by the stored bytes: the depth
// and colour table chosen, the colours over black, the mask made of transparency, and the files
// refused before or while decoding. Animations are the editor's tests (one frame per cell).
#include "platform/picture_import.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageWriter>
#include <filesystem>

#include "model/bmp_file.h"
#include "model/dib.h"
#include "support/dib_builder.h"
#include "support/test_paths.h"
#include "test_app.h"

namespace kel {
namespace {

// The mask row by row, top first: '#' background (white), '.' sprite.
std::string MaskText(const PackedDib& mask) {
  std::string text;
  const BitmapInfoHeader h = mask.Header();
  for (int y = 0; y < h.biHeight; ++y) {
    if (y) text += '/';
    for (int x = 0; x < h.biWidth; ++x) text += test::PixelRgb(mask, x, y) ? '#' : '.';
  }
  return text;
}

class PictureImportTest : public ::testing::Test {
 protected:
  PictureImportTest() { test::TestApp(); }
  QString Write(const std::string& name, const QImage& image, const char* format) {
    const QString path = QString::fromStdString((dir / name).string());
    QImageWriter writer(path, format);
    if (std::string(format) == "webp") writer.setQuality(100);  // lossless
    EXPECT_TRUE(writer.write(image)) << writer.errorString().toStdString();
    return path;
  }
  QString Bytes(const std::string& name, const std::string& bytes) {
    test::WriteFileBytes(dir / name, bytes);
    return QString::fromStdString((dir / name).string());
  }
  test::TempDir dir;
};

QImage Argb(int w, int h, std::vector<QRgb> pixels) {
  QImage image(w, h, QImage::Format_ARGB32);
  for (int i = 0; i < w * h; ++i) image.setPixel(i % w, i / w, pixels[size_t(i)]);
  return image;
}

TEST_F(PictureImportTest, EachFormatIsStoredInItsDepthWithItsColoursOverBlackAndItsMask) {
  QImage indexed(2, 2, QImage::Format_Indexed8);
  indexed.setColorTable({qRgba(255, 255, 255, 0), qRgb(10, 20, 30), qRgb(200, 0, 0)});
  indexed.setPixel(0, 0, 0);
  indexed.setPixel(1, 0, 1);
  indexed.setPixel(0, 1, 2);
  indexed.setPixel(1, 1, 1);
  QImage many(20, 20, QImage::Format_RGB32);
  for (int i = 0; i < 400; ++i) many.setPixel(i % 20, i / 20, qRgb(i % 256, i / 256, 7));
  QImage mono(9, 1, QImage::Format_Mono);
  mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
  mono.fill(0);
  mono.setPixel(1, 0, 1);

  struct Case {
    const char* name;
    QImage image;
    const char* format;
    int bits;
    uint32_t colors;
    std::vector<uint32_t> row0;  // the top row's first pixels
    std::string mask;            // "" for none
  };
  const Case cases[] = {
      {"alpha: below 128 background and black, from 128 opaque in its own colour",
       Argb(3, 2,
            {qRgba(255, 255, 255, 0), qRgba(255, 0, 0, 127), qRgba(255, 0, 0, 128), qRgb(0, 0, 0),
             qRgb(0, 255, 0), qRgb(0, 0, 255)}),
       "png",
       8,
       4,
       {0x000000, 0x000000, 0xFF0000},
       "##./..."},
      {"indexed keeps its table, the transparent entry black",
       indexed,
       "png",
       8,
       3,
       {0x000000, 0x0A141E},
       "#./.."},
      {"over 256 colours: 24 bits", many, "png", 24, 0, {0x000007, 0x010007, 0x020007}, ""},
      {"black and white stays 1 bit", mono, "png", 1, 2, {0x000000, 0xFFFFFF}, ""},
      {"lossless WebP with alpha",
       Argb(2, 1, {qRgba(0, 0, 0, 0), qRgb(9, 8, 7)}),
       "webp",
       8,
       2,
       {0x000000, 0x090807},
       "#."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const PictureFile read =
        ReadPictureFile(Write(std::string("p.") + c.format, c.image, c.format), 128);
    ASSERT_EQ(read.frames.size(), 1u) << read.error;
    const PackedDib& dib = *read.frames[0].image;
    EXPECT_TRUE(IsStoredDib(dib));
    EXPECT_EQ(dib.Header().biBitCount, c.bits);
    EXPECT_EQ(dib.NumColors(), c.colors);
    for (size_t x = 0; x < c.row0.size(); ++x)
      EXPECT_EQ(test::PixelRgb(dib, int(x), 0), c.row0[x]) << x;
    if (c.mask.empty()) {
      EXPECT_EQ(read.frames[0].mask, nullptr);
    } else {
      ASSERT_NE(read.frames[0].mask, nullptr);
      EXPECT_EQ(MaskText(*read.frames[0].mask), c.mask);
    }
  }
}

TEST_F(PictureImportTest, ABitmapFileIsStoredAsTheBitmapLoaderStoresIt) {
  const auto dib =
      test::MakeDib({.width = 5, .height = 3, .bits = 4, .colors = {0xFF0000, 0x00FF00}},
                    [](int x, int y) { return uint32_t(x + y) % 2; });
  const std::string file = BitmapFileBytes(*dib);
  const auto stored =
      LoadBitmapFileBytes(reinterpret_cast<const uint8_t*>(file.data()), file.size()).dib;
  // Under its own name, and under a name that does not say it is a bitmap.
  for (const char* name : {"a.BMP", "a.png"}) {
    SCOPED_TRACE(name);
    const PictureFile read = ReadPictureFile(Bytes(name, file), 128);
    ASSERT_EQ(read.frames.size(), 1u) << read.error;
    const PackedDib& got = *read.frames[0].image;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(got.Data()), got.Size()),
              std::string(reinterpret_cast<const char*>(stored->Data()), stored->Size()));
    EXPECT_EQ(read.frames[0].mask, nullptr);
  }
}

TEST_F(PictureImportTest, FilesThatCannotBeReadAreRefusedWithTheirReason) {
  QByteArray png;
  {
    QImage small(8, 8, QImage::Format_RGB32);
    small.fill(Qt::red);
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    small.save(&buffer, "PNG");
  }
  std::filesystem::create_directory(dir / "folder.png");
  struct Refused {
    const char* name;
    QString path;
    const char* reason;
  };
  const Refused cases[] = {
      {"wider than 2000", Write("wide.png", QImage(2001, 1, QImage::Format_Mono), "png"),
       "画像が大きすぎます（最大 2000 × 2000）"},
      {"taller than 2000", Write("tall.png", QImage(1, 2001, QImage::Format_Mono), "png"),
       "画像が大きすぎます（最大 2000 × 2000）"},
      {"cut short", Bytes("cut.png", png.left(png.size() - 30).toStdString()), "画像"},
      {"no picture at all", Bytes("text.png", "just some words\n"), "画像ファイルではない"},
      {"a folder", QString::fromStdString((dir / "folder.png").string()), "フォルダ"},
      {"a bitmap name on other bytes", Bytes("x.bmp", "just some words\n"), "ビットマップ"},
  };
  for (const Refused& c : cases) {
    SCOPED_TRACE(c.name);
    const PictureFile read = ReadPictureFile(c.path, 128);
    EXPECT_TRUE(read.frames.empty());
    EXPECT_NE(read.error.find(c.reason), std::string::npos) << read.error;
  }
}

TEST(PictureFileFilterTest, NamesTheFormatsReadHereAndThenAllFiles) {
  test::TestApp();
  const QString filter = PictureFileFilter();
  EXPECT_TRUE(filter.startsWith(QStringLiteral("画像ファイル (")));
  for (const char* pattern : {"*.png", "*.gif", "*.jpg", "*.bmp", "*.webp", "*.tif", "*.tga"})
    EXPECT_TRUE(filter.contains(QLatin1String(pattern))) << pattern;
  EXPECT_TRUE(filter.endsWith(QStringLiteral("|すべてのファイル (*)|*|")));
  EXPECT_TRUE(IsPictureFileName(QStringLiteral("/a/Walk.PNG")));
  EXPECT_FALSE(IsPictureFileName(QStringLiteral("/a/walk.wav")));
}

}  // namespace
}  // namespace kel
