// The Qt display: bitmaps drawn from the DIB's own rows, upright, in the colours of the DIB's
// colour table; region copies; refusal of DIBs it cannot draw.
#include "platform/qt_display.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <string>

#include "support/dib_builder.h"

namespace kel {
namespace {

using test::DibSpec;
using test::MakeDib;

struct DepthCase {
  int bits;
  std::vector<uint32_t> colors;                // colour table (indexed depths)
  std::function<uint32_t(int, int)> value;     // what the DIB stores at (x, y)
  std::function<uint32_t(int, int)> expected;  // the colour shown there
};

std::vector<uint32_t> Ramp(int n) {
  std::vector<uint32_t> out;
  for (int i = 0; i < n; ++i)
    out.push_back(uint32_t((i * 0x0B) & 0xFF) << 16 | uint32_t((i * 0x35) & 0xFF) << 8 |
                  uint32_t(255 - i));
  return out;
}

// Colours exact in 5-5-5 (multiples of 8) so every true-colour depth shows them unchanged.
uint32_t TrueColour(int x, int y) {
  return uint32_t((x * 40) & 0xF8) << 16 | uint32_t((y * 56) & 0xF8) << 8 |
         uint32_t(((x + y) * 24) & 0xF8);
}

// What a 16-bit pixel of that colour shows: each 5-bit channel widened by repeating its top bits.
uint32_t TrueColour555(int x, int y) {
  const uint32_t c = TrueColour(x, y);
  uint32_t out = 0;
  for (int shift : {0, 8, 16}) {
    const uint32_t five = (c >> (shift + 3)) & 31;
    out |= ((five << 3) | (five >> 2)) << shift;
  }
  return out;
}

std::vector<DepthCase> DepthCases() {
  const std::vector<uint32_t> two = {0xC03020, 0x2040E0};
  const std::vector<uint32_t> sixteen = Ramp(16);
  const std::vector<uint32_t> full = Ramp(256);
  auto idx1 = [](int x, int y) { return uint32_t((x + y * 3) % 2); };
  auto idx4 = [](int x, int y) { return uint32_t((x * 5 + y * 3) % 16); };
  auto idx8 = [](int x, int y) { return uint32_t((x * 37 + y * 11) % 256); };
  return {
      {1, two, idx1, [=](int x, int y) { return two[idx1(x, y)]; }},
      {4, sixteen, idx4, [=](int x, int y) { return sixteen[idx4(x, y)]; }},
      {8, full, idx8, [=](int x, int y) { return full[idx8(x, y)]; }},
      {16, {}, TrueColour, TrueColour555},
      {24, {}, TrueColour, TrueColour},
      {32, {}, TrueColour, TrueColour},
  };
}

QImage DrawInto(const QtDisplayBitmap& bmp, QSize size, QImage::Format format) {
  QImage out(size, format);
  out.fill(Qt::magenta);
  QPainter p(&out);
  bmp.Draw(p, QRectF(QPointF(0, 0), QSizeF(size)));
  return out;
}

TEST(QtDisplayTest, EveryDepthShowsItsPixelsUpright) {
  QtDisplay display;
  for (const DepthCase& c : DepthCases()) {
    SCOPED_TRACE("bits " + std::to_string(c.bits));
    const int w = 7, h = 5;  // odd sizes reach the row padding and the last nibble and bit
    auto dib =
        MakeDib({.width = w, .height = h, .bits = c.bits, .colors = c.colors}, c.value, 0xFF);
    auto made = display.CreateDIBitmap(dib, nullptr);
    ASSERT_NE(made, nullptr);
    auto* bmp = dynamic_cast<QtDisplayBitmap*>(made.get());
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(bmp->Width(), w);
    EXPECT_EQ(bmp->Height(), h);
    EXPECT_EQ(bmp->BitsPixel(), 32);

    const QImage same = DrawInto(*bmp, {w, h}, QImage::Format_RGB32);
    const QImage twice = DrawInto(*bmp, {2 * w, 2 * h}, QImage::Format_ARGB32_Premultiplied);
    const QImage thumb = bmp->Thumbnail({2 * w, 100}, 2.0);
    ASSERT_EQ(thumb.size(), QSize(2 * w, 2 * h));
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
        const QRgb want = 0xFF000000u | c.expected(x, y);
        EXPECT_EQ(bmp->PixelRgb(x, y), c.expected(x, y));
        EXPECT_EQ(same.pixel(x, y), want);
        EXPECT_EQ(twice.pixel(2 * x, 2 * y), want);
        EXPECT_EQ(twice.pixel(2 * x + 1, 2 * y + 1), want);
        EXPECT_EQ(thumb.pixel(2 * x + 1, 2 * y), want);
      }
    }
  }
}

TEST(QtDisplayTest, IndicesBeyondTheColourTableShowBlack) {
  // Three colours in an 8-bit picture: indices 3 and up have no colour of their own.
  const std::vector<uint32_t> table = {0xFF0000, 0x00FF00, 0x0000FF};
  const uint32_t values[] = {0, 1, 2, 3, 200, 255};
  auto dib = MakeDib({.width = 6, .height = 1, .bits = 8, .colors = table, .clrUsed = 3},
                     [&](int x, int) { return values[x]; });
  QtDisplay display;
  auto made = display.CreateDIBitmap(dib, nullptr);
  ASSERT_NE(made, nullptr);
  auto& bmp = dynamic_cast<QtDisplayBitmap&>(*made);
  const QImage drawn = DrawInto(bmp, {6, 1}, QImage::Format_RGB32);
  const uint32_t want[] = {0xFF0000, 0x00FF00, 0x0000FF, 0, 0, 0};
  for (int x = 0; x < 6; ++x) {
    EXPECT_EQ(bmp.PixelRgb(x, 0), want[x]) << x;
    EXPECT_EQ(drawn.pixel(x, 0), 0xFF000000u | want[x]) << x;
  }
}

TEST(QtDisplayTest, BitmapDrawsTheDibsOwnRowsAndKeepsThemAlive) {
  QtDisplay display;
  for (int bits : {1, 8, 16, 24, 32}) {
    SCOPED_TRACE(bits);
    auto dib = MakeDib(
        {.width = 16, .height = 4, .bits = bits}, [](int, int) { return 1u; }, 0xFF);
    const uint8_t* rows = dib->Bits();
    std::weak_ptr<PackedDib> watch = dib;
    auto made = display.CreateDIBitmap(std::move(dib), nullptr);
    ASSERT_NE(made, nullptr);
    const auto& bmp = dynamic_cast<const QtDisplayBitmap&>(*made);
    EXPECT_EQ(bmp.StoredImage().constBits(), rows);
    EXPECT_FALSE(watch.expired());
    // Drawing must not make the image take a private copy either.
    DrawInto(bmp, {16, 4}, QImage::Format_RGB32);
    EXPECT_EQ(bmp.StoredImage().constBits(), rows);
    made.reset();
    EXPECT_TRUE(watch.expired());
  }
}

TEST(QtDisplayTest, ThirtyTwoBitRowsDrawOpaqueWhateverTheirUnusedByte) {
  QtDisplay display;
  for (uint8_t unused : {uint8_t(0x00), uint8_t(0x7F), uint8_t(0xFF)}) {
    SCOPED_TRACE(int(unused));
    auto dib = MakeDib({.width = 3, .height = 2, .bits = 32}, TrueColour, unused);
    auto made = display.CreateDIBitmap(dib, nullptr);
    ASSERT_NE(made, nullptr);
    const auto& bmp = dynamic_cast<const QtDisplayBitmap&>(*made);
    for (auto format : {QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB32}) {
      const QImage drawn = DrawInto(bmp, {3, 2}, format);
      for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
          EXPECT_EQ(drawn.pixel(x, y), 0xFF000000u | TrueColour(x, y)) << x << "," << y;
    }
  }
}

TEST(QtDisplayTest, DibsItCannotDrawGiveNoBitmap) {
  struct Case {
    const char* what;
    DibSpec spec;
  };
  const Case cases[] = {
      {"run-length rows", {.width = 4, .height = 4, .bits = 8, .compression = 1}},
      {"bit fields", {.width = 4, .height = 4, .bits = 16, .compression = 3}},
      {"2 bits per pixel", {.width = 4, .height = 4, .bits = 2}},
      {"no width", {.width = 0, .height = 4, .bits = 8}},
      {"top-down rows", {.width = 4, .height = -4, .bits = 8}},
      {"core header", {.width = 4, .height = 4, .bits = 8, .headerSize = 12}},
      {"version 4 header", {.width = 4, .height = 4, .bits = 8, .headerSize = 108}},
      {"width beyond 16 bits", {.width = 65536, .height = 1, .bits = 1}},
      {"row beyond 16 bits", {.width = 21846, .height = 1, .bits = 24}},
      {"one byte short", {.width = 4, .height = 4, .bits = 24, .dropBytes = 1}},
      {"colour table past the end",
       {.width = 1, .height = 1, .bits = 8, .clrUsed = 1000, .dropBytes = 3000}},
  };
  QtDisplay display;
  for (const Case& c : cases) {
    auto dib = MakeDib(c.spec, [](int, int) { return 0u; });
    EXPECT_FALSE(IsDrawableDib(*dib)) << c.what;
    EXPECT_EQ(display.CreateDIBitmap(dib, nullptr), nullptr) << c.what;
  }
  EXPECT_EQ(display.CreateDIBitmap(nullptr, nullptr), nullptr);
  auto header = PackedDib::Allocate(10);
  EXPECT_FALSE(IsDrawableDib(*header));
}

TEST(QtDisplayTest, ThumbnailsFitTheBoxKeepingProportions) {
  struct Case {
    int w, h;
    QSize box;
    double maxScale;
    QSize want;
  };
  const Case cases[] = {
      {640, 480, {60, 60}, 2.0, {60, 45}},  // shrunk to the width
      {100, 400, {60, 60}, 2.0, {15, 60}},  // shrunk to the height
      {32, 32, {100, 100}, 2.0, {64, 64}},  // grown, but only to twice its size
      {32, 32, {40, 100}, 2.0, {40, 40}},   // grown to fit
      {1000, 1, {50, 50}, 2.0, {50, 1}},    // never thinner than one pixel
      {30, 20, {60, 60}, 1.0, {30, 20}},    // kept at its size
  };
  QtDisplay display;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
    auto made = display.CreateDIBitmap(
        MakeDib({.width = c.w, .height = c.h, .bits = 8}, [](int, int) { return 0u; }), nullptr);
    ASSERT_NE(made, nullptr);
    const auto& bmp = dynamic_cast<const QtDisplayBitmap&>(*made);
    EXPECT_EQ(bmp.Thumbnail(c.box, c.maxScale).size(), c.want);
    EXPECT_TRUE(bmp.Thumbnail({0, 10}, 2.0).isNull());
  }
}

TEST(QtDisplayTest, ThumbnailKeepsTopAndBottomInPlace) {
  // Top half red, bottom half blue, in a 4-bit picture of 640 x 480 shrunk to 64 x 48.
  const std::vector<uint32_t> table = {0xFF0000, 0x0000FF};
  QtDisplay display;
  auto made =
      display.CreateDIBitmap(MakeDib({.width = 640, .height = 480, .bits = 4, .colors = table},
                                     [](int, int y) { return y < 240 ? 0u : 1u; }),
                             nullptr);
  ASSERT_NE(made, nullptr);
  const QImage t = dynamic_cast<const QtDisplayBitmap&>(*made).Thumbnail({64, 64}, 2.0);
  ASSERT_EQ(t.size(), QSize(64, 48));
  EXPECT_EQ(t.pixel(10, 0), qRgb(255, 0, 0));
  EXPECT_EQ(t.pixel(10, 23), qRgb(255, 0, 0));
  EXPECT_EQ(t.pixel(10, 24), qRgb(0, 0, 255));
  EXPECT_EQ(t.pixel(63, 47), qRgb(0, 0, 255));
}

// A bitmap of another display (what the model's memory display makes, for instance).
class PlainBitmap final : public DisplayBitmap {
 public:
  int Width() const override { return 5; }
  int Height() const override { return 4; }
  int BitsPixel() const override { return 32; }
  uint32_t PixelRgb(int x, int y) const override { return TrueColour(x, y); }
};

TEST(QtDisplayTest, CopyRegionCopiesUprightAndClipsToTheSource) {
  struct Case {
    int x, y, w, h;
    QRect want;  // the region of the source that the copy holds; empty: no bitmap
  };
  const Case cases[] = {
      {1, 1, 3, 2, {1, 1, 3, 2}},   {0, 0, 5, 4, {0, 0, 5, 4}}, {3, 2, 10, 10, {3, 2, 2, 2}},
      {-2, -1, 4, 3, {0, 0, 2, 2}}, {6, 0, 2, 2, {}},           {1, 1, 0, 0, {}},
  };
  QtDisplay display;
  auto dibBitmap =
      display.CreateDIBitmap(MakeDib({.width = 5, .height = 4, .bits = 24}, TrueColour), nullptr);
  ASSERT_NE(dibBitmap, nullptr);
  PlainBitmap plain;
  for (const DisplayBitmap* src : {static_cast<const DisplayBitmap*>(dibBitmap.get()),
                                   static_cast<const DisplayBitmap*>(&plain)}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y) + " " + std::to_string(c.w) +
                   "x" + std::to_string(c.h));
      auto copy = display.CopyRegion(*src, c.x, c.y, c.w, c.h);
      if (c.want.isEmpty()) {
        EXPECT_EQ(copy, nullptr);
        continue;
      }
      ASSERT_NE(copy, nullptr);
      ASSERT_EQ(copy->Width(), c.want.width());
      ASSERT_EQ(copy->Height(), c.want.height());
      const QImage drawn = DrawInto(dynamic_cast<const QtDisplayBitmap&>(*copy), c.want.size(),
                                    QImage::Format_RGB32);
      for (int j = 0; j < c.want.height(); ++j) {
        for (int i = 0; i < c.want.width(); ++i) {
          const uint32_t want = TrueColour(c.want.x() + i, c.want.y() + j);
          EXPECT_EQ(copy->PixelRgb(i, j), want);
          EXPECT_EQ(drawn.pixel(i, j), 0xFF000000u | want);
        }
      }
    }
  }
}

TEST(QtDisplayTest, TrueColourScreenRealizesNothing) {
  QtDisplay display;
  LogPalette palette;
  palette.entries.resize(256, PaletteEntry{10, 20, 30, 0});
  EXPECT_EQ(display.RealizePalette(palette, false), 0);
  EXPECT_EQ(display.RealizePalette(palette, true), 0);
  EXPECT_EQ(display.BitsPixel(), 32);
  // The palette given with a DIB does not change its colours: the colour table does.
  const std::vector<uint32_t> table = {0x112233, 0x445566};
  auto made = display.CreateDIBitmap(MakeDib({.width = 2, .height = 1, .bits = 1, .colors = table},
                                             [](int x, int) { return uint32_t(x); }),
                                     &palette);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->PixelRgb(0, 0), 0x112233u);
  EXPECT_EQ(made->PixelRgb(1, 0), 0x445566u);
  EXPECT_EQ(made->PixelRgb(2, 0), 0u);  // outside the picture
}

}  // namespace
}  // namespace kel
