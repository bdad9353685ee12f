// The packed-DIB rules every layer relies on: the colour count, the row length, the header.
#include "model/dib.h"

#include <gtest/gtest.h>

#include <cstring>

#include "model/bmp_builder.h"
#include "model/display.h"

namespace kel {
namespace {

TEST(DibRulesTest, ColourCountRule) {
  struct Case {
    uint16_t bits;
    uint32_t clrUsed;
    uint32_t colors;
  } cases[] = {{1, 0, 2},  {4, 0, 16}, {8, 0, 256}, {8, 20, 20}, {16, 0, 0},
               {24, 0, 0}, {32, 0, 0}, {24, 7, 7},  {0, 0, 0},   {2, 0, 0}};
  for (const Case& c : cases) {
    BitmapInfoHeader h;
    h.biBitCount = c.bits;
    h.biClrUsed = c.clrUsed;
    EXPECT_EQ(NumColorsOf(h), c.colors) << c.bits << " bits, " << c.clrUsed << " used";
  }
}

TEST(DibRulesTest, LineLengthRule) {
  struct Case {
    int32_t width;
    uint16_t bits;
    uint16_t line;
    uint64_t full;
  } cases[] = {
      {1, 1, 4, 4},
      {32, 1, 4, 4},
      {33, 1, 8, 8},
      {5, 4, 4, 4},
      {9, 4, 8, 8},
      {3, 8, 4, 4},
      {5, 24, 16, 16},
      {32, 4, 16, 16},
      {7, 16, 16, 16},
      {21845, 24, 65536 & 0xFFFF, 65536},  // the 16-bit cut the stored images make
      {30000, 24, 90000 & 0xFFFF, 90000},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LineBytesOf(c.width, c.bits), c.line) << c.width << " x " << c.bits;
    EXPECT_EQ(RowBytes64(c.width, c.bits), c.full) << c.width << " x " << c.bits;
  }
  EXPECT_EQ(RowBytes64(0, 24), 0u);
  EXPECT_EQ(RowBytes64(-5, 24), 0u);
  EXPECT_EQ(RowBytes64(int64_t(1) << 40, 32), (uint64_t(1) << 40) * 4);
}

TEST(DibRulesTest, FiveBitChannelsWidenToEightBits) {
  struct Case {
    uint16_t pixel;
    uint32_t rgb;
  } cases[] = {
      {0x7C00, 0xFF0000}, {0x03E0, 0x00FF00}, {0x001F, 0x0000FF},
      {0x7FFF, 0xFFFFFF}, {0x8000, 0x000000},  // the top bit is not a colour
      {0x4210, 0x848484},                      // 16 of 31: 10000 -> 10000100
      {0x0421, 0x080808},                      // 1 of 31: 00001 -> 00001000
      {0x2D6B, 0x5A5A5A},                      // 11 of 31: 01011 -> 01011010
  };
  for (const Case& c : cases) EXPECT_EQ(Rgb555ToRgb(c.pixel), c.rgb) << std::hex << c.pixel;
}

TEST(DibRulesTest, HeaderStoresAndParsesEveryFieldLittleEndian) {
  BitmapInfoHeader h;
  h.biSize = 40;
  h.biWidth = -2;
  h.biHeight = 0x01020304;
  h.biPlanes = 1;
  h.biBitCount = 24;
  h.biCompression = 3;
  h.biSizeImage = 0xA0B0C0D0;
  h.biXPelsPerMeter = 2835;
  h.biYPelsPerMeter = -1;
  h.biClrUsed = 7;
  h.biClrImportant = 5;
  uint8_t bytes[40];
  h.Store(bytes);
  EXPECT_EQ(bytes[8], 0x04);
  EXPECT_EQ(bytes[11], 0x01);
  EXPECT_EQ(bytes[4], 0xFE);
  EXPECT_EQ(bytes[7], 0xFF);
  const BitmapInfoHeader back = BitmapInfoHeader::Parse(bytes);
  EXPECT_EQ(back.biWidth, -2);
  EXPECT_EQ(back.biHeight, 0x01020304);
  EXPECT_EQ(back.biBitCount, 24);
  EXPECT_EQ(back.biCompression, 3u);
  EXPECT_EQ(back.biSizeImage, 0xA0B0C0D0u);
  EXPECT_EQ(back.biXPelsPerMeter, 2835);
  EXPECT_EQ(back.biYPelsPerMeter, -1);
  EXPECT_EQ(back.biClrUsed, 7u);
  EXPECT_EQ(back.biClrImportant, 5u);
}

TEST(DibRulesTest, AllocateClearsAndATooShortBlockHasNoHeader) {
  auto dib = PackedDib::Allocate(64);
  ASSERT_EQ(dib->Size(), 64u);
  for (size_t i = 0; i < 64; ++i) ASSERT_EQ(dib->Data()[i], 0) << i;
  auto shortBlock = PackedDib::Allocate(10);
  shortBlock->Data()[0] = 40;
  EXPECT_EQ(shortBlock->Header().biSize, 0u);
  EXPECT_EQ(shortBlock->NumColors(), 0u);
  EXPECT_EQ(PackedDib::AllocateForOverwrite(100)->Size(), 100u);
}

TEST(DibRulesTest, StoredHeaderRuleNamesTheFaultyField) {
  struct Case {
    const char* what;
    uint32_t size;
    int32_t width, height;
    uint16_t bits;
    uint32_t compression;
    bool stored;
    uint32_t at;  // offset of the faulty field in the info header
  } cases[] = {
      {"8 bits", 40, 3, 2, 8, 0, true, 0},
      {"empty picture", 40, 0, 0, 24, 0, true, 0},
      {"widest 1-bit row", 40, 65535, 65535, 1, 0, true, 0},
      {"core header", 12, 3, 2, 8, 0, false, 0},
      {"version 4 header", 108, 3, 2, 8, 0, false, 0},
      {"run-length rows", 40, 3, 2, 8, 1, false, 16},
      {"2 bits", 40, 3, 2, 2, 0, false, 14},
      {"negative width", 40, -3, 2, 8, 0, false, 4},
      {"width beyond 16 bits", 40, 65536, 2, 1, 0, false, 4},
      {"top-down rows", 40, 3, -2, 8, 0, false, 8},
      {"height beyond 16 bits", 40, 3, 65536, 8, 0, false, 8},
      {"row beyond 16 bits", 40, 65535, 1, 8, 0, false, 4},
  };
  for (const Case& c : cases) {
    BitmapInfoHeader h;
    h.biSize = c.size;
    h.biWidth = c.width;
    h.biHeight = c.height;
    h.biBitCount = c.bits;
    h.biCompression = c.compression;
    const DibHeaderProblem problem = StoredHeaderProblem(h);
    EXPECT_EQ(!problem, c.stored) << c.what << ": " << problem.message;
    if (!c.stored) {
      EXPECT_EQ(problem.at, c.at) << c.what;
    }
  }
}

TEST(DibRulesTest, StoredSizeRule) {
  BitmapInfoHeader h;
  h.biWidth = 3;
  h.biHeight = 2;
  h.biBitCount = 8;
  EXPECT_EQ(StoredDibBytes(h), 40u + 4 * 256 + 2 * 4);
  h.biClrUsed = 5;
  EXPECT_EQ(StoredDibBytes(h), 40u + 4 * 5 + 2 * 4);
  h.biWidth = 5;
  h.biBitCount = 24;
  h.biClrUsed = 0;
  EXPECT_EQ(StoredDibBytes(h), 40u + 2 * 16);
  auto dib = test::bmp::StoredDib(5, 3, 4, test::bmp::Palette(16),
                                  [](int x, int y) { return uint32_t(x + y); });
  EXPECT_EQ(dib->Size(), StoredDibBytes(dib->Header()));
}

TEST(DibRulesTest, AStoredDibIsBottomUpAndItsBlockHoldsWhatTheHeaderPromises) {
  auto dib = test::bmp::StoredDib(5, 3, 4, test::bmp::Palette(16),
                                  [](int x, int y) { return uint32_t(x + y); });
  EXPECT_TRUE(IsStoredDib(*dib));
  auto longer = PackedDib::Allocate(dib->Size() + 1);
  std::copy(dib->Data(), dib->Data() + dib->Size(), longer->Data());
  EXPECT_TRUE(IsStoredDib(*longer));
  auto cut = PackedDib::Allocate(dib->Size() - 1);
  std::copy(dib->Data(), dib->Data() + cut->Size(), cut->Data());
  EXPECT_FALSE(IsStoredDib(*cut));
  EXPECT_FALSE(IsStoredDib(*PackedDib::Allocate(10)));
  auto topDown = PackedDib::Allocate(dib->Size());
  std::copy(dib->Data(), dib->Data() + dib->Size(), topDown->Data());
  BitmapInfoHeader flipped = dib->Header();
  flipped.biHeight = -3;
  flipped.Store(topDown->Data());
  EXPECT_FALSE(IsStoredDib(*topDown));
}

TEST(DibPixelTest, ReadsEveryStoredDepth) {
  // One row of each depth; pixel (x, 0) is the top row.
  auto one = test::bmp::StoredDib(10, 1, 1, {0x000000, 0xABCDEF},
                                  [](int x, int) { return uint32_t(x == 9); });
  EXPECT_EQ(DibPixelRgb(*one, 8, 0), 0u);
  EXPECT_EQ(DibPixelRgb(*one, 9, 0), 0xABCDEFu);
  auto four = test::bmp::StoredDib(3, 1, 4, test::bmp::Palette(16),
                                   [](int x, int) { return uint32_t(x + 5); });
  EXPECT_EQ(DibPixelRgb(*four, 0, 0), test::bmp::Palette(16)[5]);
  EXPECT_EQ(DibPixelRgb(*four, 1, 0), test::bmp::Palette(16)[6]);
  EXPECT_EQ(DibPixelRgb(*four, 2, 0), test::bmp::Palette(16)[7]);
  auto sixteen = test::bmp::StoredDib(1, 1, 16, {}, [](int, int) { return 0x7C1Fu; });
  EXPECT_EQ(DibPixelRgb(*sixteen, 0, 0), 0xFF00FFu);
  auto thirtyTwo = test::bmp::StoredDib(1, 1, 32, {}, [](int, int) { return 0xFF123456u; });
  EXPECT_EQ(DibPixelRgb(*thirtyTwo, 0, 0), 0x123456u);
  // Rows are stored bottom-up: the first stored row is the picture's bottom.
  auto tall = test::bmp::StoredDib(1, 3, 24, {}, [](int, int y) { return uint32_t(y + 1); });
  EXPECT_EQ(DibPixelRgb(*tall, 0, 0), 1u);
  EXPECT_EQ(DibPixelRgb(*tall, 0, 2), 3u);
}

TEST(DibPixelTest, OutsideThePictureOrTheTableIsBlack) {
  // Colour table of 2 entries (colours used 2) on an 8-bit picture that uses index 200.
  auto dib = test::bmp::StoredDib(
      2, 1, 8, {0x111111, 0x222222}, [](int x, int) { return x == 0 ? 1u : 200u; }, 2);
  EXPECT_EQ(DibPixelRgb(*dib, 0, 0), 0x222222u);
  EXPECT_EQ(DibPixelRgb(*dib, 1, 0), 0u);
  EXPECT_EQ(DibPixelRgb(*dib, -1, 0), 0u);
  EXPECT_EQ(DibPixelRgb(*dib, 2, 0), 0u);
  EXPECT_EQ(DibPixelRgb(*dib, 0, 1), 0u);
  // A block cut short reads as black rather than past its end.
  auto cut = PackedDib::Allocate(dib->Size() - 4);
  std::copy(dib->Data(), dib->Data() + cut->Size(), cut->Data());
  EXPECT_EQ(DibPixelRgb(*cut, 0, 0), 0u);
}

TEST(DibPixelTest, TopDownRowsAreReadButOtherHeadersAreNot) {
  auto tall = test::bmp::StoredDib(1, 3, 24, {}, [](int, int y) { return uint32_t(y + 1); });
  BitmapInfoHeader h = tall->Header();
  // The same rows read top-down: the first stored row is now the top.
  h.biHeight = -3;
  h.Store(tall->Data());
  EXPECT_EQ(DibPixelRgb(*tall, 0, 0), 3u);
  EXPECT_EQ(DibPixelRgb(*tall, 0, 2), 1u);
  h.biHeight = INT32_MIN;
  h.Store(tall->Data());
  EXPECT_EQ(DibPixelRgb(*tall, 0, 0), 0u);
  // A longer header would put the colour table and the rows elsewhere.
  h.biHeight = 3;
  h.biSize = 108;
  h.Store(tall->Data());
  EXPECT_EQ(DibPixelRgb(*tall, 0, 2), 0u);
  MemoryDisplay display;
  EXPECT_EQ(display.CreateDIBitmap(tall, nullptr), nullptr);
  h.biSize = 40;
  h.Store(tall->Data());
  auto bitmap = display.CreateDIBitmap(tall, nullptr);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->PixelRgb(0, 2), 3u);
}

// A block short of the rows its header promises draws black at the size it claims, without
// room for those pixels being made (21844 x 65535 would take 5.7 GB); a whole one draws its
// pixels.
TEST(DibPixelTest, TheMemoryDisplayDrawsABlockWithoutItsPixelsBlack) {
  MemoryDisplay display;
  auto whole = test::bmp::StoredDib(2, 2, 24, {}, [](int, int) { return 0x123456u; });
  auto cut = PackedDib::Allocate(whole->Size() - 1);
  std::memcpy(cut->Data(), whole->Data(), cut->Size());
  BitmapInfoHeader huge = whole->Header();
  huge.biWidth = 21844;  // the longest 24-bit row the stored form holds
  huge.biHeight = 65535;
  auto bare = PackedDib::Allocate(kInfoHeaderSize);
  huge.Store(bare->Data());
  const struct {
    const char* what;
    std::shared_ptr<PackedDib> dib;
    int width, height;
    uint32_t pixel;
  } cases[] = {{"whole", whole, 2, 2, 0x123456},
               {"one byte short", cut, 2, 2, 0},
               {"bare header", bare, 21844, 65535, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto bitmap = display.CreateDIBitmap(c.dib, nullptr);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->Width(), c.width);
    EXPECT_EQ(bitmap->Height(), c.height);
    EXPECT_EQ(bitmap->PixelRgb(0, 0), c.pixel);
  }
}

}  // namespace
}  // namespace kel
