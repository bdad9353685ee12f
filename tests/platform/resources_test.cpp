// The program's pictures: every entry of the resource file loads at its size in the 16 VGA
// colours, every speed-bar and tool-box command has its glyph, and the continue-icon bitmap is
// the 4-bit bitmap file the editor reads with its own loader.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QRegularExpression>
#include <QSet>
#include <cstring>

#include "model/bmp_file.h"
#include "model/le.h"
#include "platform/ui_setup.h"
#include "support/test_paths.h"

namespace kel {
namespace {

const QRgb kVga[16] = {0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080,
                       0xFF008080, 0xFFC0C0C0, 0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00,
                       0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF};

QStringList QrcEntries() {
  QFile qrc(QString::fromStdString(
      (test::DataDir().parent_path().parent_path() / "resources" / "resources.qrc").string()));
  if (!qrc.open(QIODevice::ReadOnly)) return {};
  const QString text = QString::fromUtf8(qrc.readAll());
  QStringList out;
  static const QRegularExpression file(QStringLiteral("<file(?: [^>]*)?>([^<]+)</file>"));
  for (auto it = file.globalMatch(text); it.hasNext();) out << it.next().captured(1);
  return out;
}

// The size a picture must have, from where it lives and its name.
QSize ExpectedSize(const QString& entry) {
  static const QRegularExpression icon(QStringLiteral("^icons/keledit-(\\d+)\\.png$"));
  if (entry.startsWith(QStringLiteral("speedbar/"))) return {20, 20};
  if (entry.startsWith(QStringLiteral("toolbox/")) || entry.startsWith(QStringLiteral("bitmaps/")))
    return {32, 32};
  if (auto m = icon.match(entry); m.hasMatch()) {
    const int n = m.captured(1).toInt();
    return {n, n};
  }
  return {};
}

// Colours outside the VGA palette, counting only pixels that are not fully transparent.
int ForeignColours(const QImage& image) {
  const QSet<QRgb> vga(std::begin(kVga), std::end(kVga));
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  int foreign = 0;
  for (int y = 0; y < argb.height(); ++y)
    for (int x = 0; x < argb.width(); ++x) {
      const QRgb p = argb.pixel(x, y);
      if (qAlpha(p) != 0 && (qAlpha(p) != 255 || !vga.contains(p))) ++foreign;
    }
  return foreign;
}

// Pixels that differ, all fully transparent pixels counting as the same.
int DifferingPixels(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return -1;
  int n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      n += !(p == q || (qAlpha(p) == 0 && qAlpha(q) == 0));
    }
  return n;
}

class ResourcesTest : public ::testing::Test {
 protected:
  void SetUp() override { RegisterResources(); }
};

TEST_F(ResourcesTest, EveryListedPictureLoadsAtItsSizeInTheVgaColours) {
  const QStringList entries = QrcEntries();
  ASSERT_FALSE(entries.isEmpty()) << "resources.qrc not found or empty";
  int pictures = 0;
  for (const QString& entry : entries) {
    const QSize size = ExpectedSize(entry);
    if (!size.isValid()) continue;  // not one of the pictures
    ++pictures;
    const QImage image(QStringLiteral(":/") + entry);
    ASSERT_FALSE(image.isNull()) << entry.toStdString();
    EXPECT_EQ(image.size(), size) << entry.toStdString();
    EXPECT_EQ(ForeignColours(image), 0) << entry.toStdString();
  }
  EXPECT_EQ(pictures, 8 + 12 + 1 + 6);
}

TEST_F(ResourcesTest, EverySpeedBarAndToolBoxCommandHasItsGlyph) {
  const QStringList entries = QrcEntries();
  const struct {
    const char* folder;
    std::vector<int> ids;
    int size;
  } bars[] = {
      {"speedbar", {24331, 24332, 24333, 24322, 24323, 24324}, 20},
      {"toolbox", {25101, 25102, 25103, 25104, 25201, 25202, 25203, 25204, 25205, 25206}, 32},
  };
  for (const auto& bar : bars)
    for (int id : bar.ids) {
      const QString entry = QStringLiteral("%1/%2.png").arg(QLatin1String(bar.folder)).arg(id);
      EXPECT_TRUE(entries.contains(entry)) << entry.toStdString() << " is not in resources.qrc";
      const QImage glyph(QStringLiteral(":/") + entry);
      EXPECT_EQ(glyph.size(), QSize(bar.size, bar.size)) << entry.toStdString();
      // A glyph on a transparent ground, so it sits on any button colour; and not blank.
      EXPECT_EQ(qAlpha(glyph.pixel(0, 0)) + qAlpha(glyph.pixel(bar.size - 1, 0)), 0)
          << entry.toStdString();
      int opaque = 0;
      for (int y = 0; y < glyph.height(); ++y)
        for (int x = 0; x < glyph.width(); ++x) opaque += qAlpha(glyph.pixel(x, y)) == 255;
      EXPECT_GT(opaque, bar.size * bar.size / 8) << entry.toStdString();
    }
}

TEST_F(ResourcesTest, ContinueIconIsA4BitBitmapWithTheInfoHeader) {
  QFile file(QStringLiteral(":/bitmaps/25204.bmp"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.constData());
  ASSERT_EQ(bytes.size(), 14 + 40 + 16 * 4 + 32 * 16);
  EXPECT_EQ(std::memcmp(p, "BM", 2), 0);
  EXPECT_EQ(le::U32(p + 2), uint32_t(bytes.size()));  // file size
  EXPECT_EQ(le::U32(p + 10), 14u + 40 + 64u);         // offset to the pixels
  const BitmapInfoHeader h = BitmapInfoHeader::Parse(p + 14);
  EXPECT_EQ(h.biSize, 40u);
  EXPECT_EQ(h.biWidth, 32);
  EXPECT_EQ(h.biHeight, 32);  // bottom-up
  EXPECT_EQ(h.biPlanes, 1);
  EXPECT_EQ(h.biBitCount, 4);
  EXPECT_EQ(h.biCompression, 0u);
  EXPECT_EQ(h.biSizeImage, 32u * 16);
  for (int i = 0; i < 16; ++i) {
    const uint8_t* c = p + 54 + 4 * i;  // blue, green, red, reserved
    EXPECT_EQ(qRgb(c[2], c[1], c[0]), kVga[i]) << "colour " << i;
    EXPECT_EQ(c[3], 0) << "colour " << i;
  }

  // The editor reads it with the same loader as any bitmap file.
  const DibLoad load = LoadBitmapFileBytes(p, size_t(bytes.size()));
  ASSERT_TRUE(load.dib) << load.error;
  EXPECT_EQ(load.dib->Header().biBitCount, 4);
  EXPECT_EQ(load.dib->NumColors(), 16u);
}

TEST_F(ResourcesTest, ContinueIconBitmapAndToolBoxGlyphAreOnePicture) {
  const QImage bitmap(QStringLiteral(":/bitmaps/25204.bmp"));
  const QImage glyph(QStringLiteral(":/toolbox/25204.png"));
  ASSERT_EQ(bitmap.size(), glyph.size());
  int differing = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const QRgb g = glyph.pixel(x, y);
      // Where the glyph is transparent the bitmap shows the button face (silver).
      const QRgb expected = qAlpha(g) == 0 ? kVga[7] : g;
      differing += bitmap.pixel(x, y) != expected;
    }
  EXPECT_EQ(differing, 0);
}

TEST_F(ResourcesTest, IconFileHoldsThe16ColourImages) {
  QImageReader reader(QStringLiteral(":/icons/keledit.ico"));
  ASSERT_TRUE(reader.canRead()) << reader.errorString().toStdString();
  ASSERT_EQ(reader.imageCount(), 3);
  QList<QSize> sizes;
  for (int i = 0; i < reader.imageCount(); ++i) {
    ASSERT_TRUE(reader.jumpToImage(i));
    const QImage image = reader.read();
    ASSERT_FALSE(image.isNull()) << i;
    sizes << image.size();
    EXPECT_EQ(ForeignColours(image), 0) << i;
    // The same picture as the PNG of that size, transparency included.
    const QImage png(QStringLiteral(":/icons/keledit-%1.png").arg(image.width()));
    EXPECT_EQ(DifferingPixels(image, png), 0) << image.width();
  }
  EXPECT_EQ(sizes, (QList<QSize>{{16, 16}, {32, 32}, {48, 48}}));
}

}  // namespace
}  // namespace kel
