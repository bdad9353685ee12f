// Masks derived from pictures: which pixels become background for every depth, the mask's
// header and colour table byte for byte, and the pictures no mask can be made from.
#include "model/mask.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/le.h"
#include "support/dib_builder.h"

namespace kel {
namespace {

using test::DibSpec;
using test::MakeDib;

// The mask as rows of '1' (background, white) and '0' (sprite, black), top row first.
std::vector<std::string> MaskRows(const PackedDib& mask) {
  const BitmapInfoHeader h = mask.Header();
  const size_t row = LineBytesOf(h.biWidth, 1);
  std::vector<std::string> rows;
  for (int y = 0; y < h.biHeight; ++y) {
    const uint8_t* r = mask.Bits() + size_t(h.biHeight - 1 - y) * row;
    std::string s;
    for (int x = 0; x < h.biWidth; ++x) s += ((r[x / 8] >> (7 - x % 8)) & 1) ? '1' : '0';
    rows.push_back(s);
  }
  return rows;
}

// A picture drawn from rows of characters, each one pixel: a digit or letter is a colour index
// (hexadecimal), for 16 to 32 bits an index into colors giving the pixel's 0x00RRGGBB.
std::shared_ptr<PackedDib> Picture(int bits, std::vector<uint32_t> colors,
                                   const std::vector<std::string>& rows, uint32_t clrUsed = 0,
                                   uint8_t unusedByte = 0) {
  const int w = int(rows[0].size()), h = int(rows.size());
  auto index = [&](int x, int y) {
    return uint32_t(std::stoul(std::string(1, rows[size_t(y)][size_t(x)]), nullptr, 16));
  };
  return MakeDib(
      {.width = w, .height = h, .bits = bits, .colors = colors, .clrUsed = clrUsed},
      [&](int x, int y) { return bits > 8 ? colors[index(x, y)] : index(x, y); }, unusedByte);
}

struct MaskCase {
  const char* name;
  int bits;
  std::vector<uint32_t> colors;
  std::vector<std::string> pixels;
  std::vector<std::string> mask;
  uint32_t clrUsed = 0;
  uint8_t unusedByte = 0;
};

class MaskPixels : public ::testing::TestWithParam<MaskCase> {};

TEST_P(MaskPixels, BackgroundIsWhiteSpriteIsBlack) {
  const MaskCase& c = GetParam();
  auto source = Picture(c.bits, c.colors, c.pixels, c.clrUsed, c.unusedByte);
  auto mask = MakeMaskDib(*source);
  ASSERT_NE(mask, nullptr);
  EXPECT_EQ(MaskRows(*mask), c.mask);
}

const MaskCase kMaskCases[] = {
    // Index 0 is background even when its colour is white, index 1 is sprite even when black.
    {"OneBitIndexZeroWhatever", 1, {0xFFFFFF, 0x000000}, {"0110", "1001"}, {"1001", "0110"}},
    {"OneBitPlainPalette", 1, {0x000000, 0xFFFFFF}, {"01", "11"}, {"10", "00"}},
    // Entry 7 black, entry 0 white: the key is the colour, not the index.
    {"EightBitBlackEntrySeven",
     8,
     {0xFFFFFF, 0x010000, 0, 0, 0, 0, 0, 0x000000},
     {"7077", "0107"},
     {"1011", "0001"}},
    // Odd width: the last pixel is the high nibble of the last byte.
    {"FourBitOddWidth", 4, {0xFFFFFF, 0x00FF00, 0x000000}, {"212", "101"}, {"101", "000"}},
    // Near-black entries are sprite.
    {"FourBitNearBlack", 4, {0x000001, 0x000100, 0x010000, 0x000000}, {"0123"}, {"0001"}},
    // Indices beyond a short colour table draw black, so they are background.
    {"EightBitBeyondTable", 8, {0xFFFFFF, 0xFF0000}, {"01F"}, {"001"}, 2},
    {"TwentyFourBit",
     24,
     {0x000000, 0x000001, 0x000100, 0x010000, 0xFFFFFF},
     {"01234", "40000"},
     {"10000", "01111"}},
    {"SixteenBit", 16, {0x000000, 0x000008, 0xF80000}, {"012", "210"}, {"100", "001"}},
    // The fourth byte of a 32-bit pixel is not a colour.
    {"ThirtyTwoBit", 32, {0x000000, 0x000100}, {"01", "10"}, {"10", "01"}, 0, 0xFF},
};

INSTANTIATE_TEST_SUITE_P(Depths, MaskPixels, ::testing::ValuesIn(kMaskCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A 16-bit pixel's top bit is no colour: 0x8000 is black, so background, and 0x8001 is not.
TEST(Mask, TheTopBitOfASixteenBitPixelIsNoColour) {
  auto source = MakeDib({.width = 2, .height = 1, .bits = 16}, [](int, int) { return 0u; });
  le::Put16(source->Data() + kInfoHeaderSize, 0x8000);
  le::Put16(source->Data() + kInfoHeaderSize + 2, 0x8001);
  auto mask = MakeMaskDib(*source);
  ASSERT_NE(mask, nullptr);
  EXPECT_EQ(MaskRows(*mask), std::vector<std::string>{"10"});
}

TEST(Mask, HeaderAndColourTableByteForByte) {
  // 33 x 2 of 8 bits: mask rows of 8 bytes.
  auto source = MakeDib({.width = 33, .height = 2, .bits = 8, .colors = {0, 0xFFFFFF}},
                        [](int x, int) { return x == 32 ? 0u : 1u; });
  auto mask = MakeMaskDib(*source);
  ASSERT_NE(mask, nullptr);
  ASSERT_EQ(mask->Size(), 40u + 8u + 2u * 8u);
  const uint8_t* p = mask->Data();
  EXPECT_EQ(le::U32(p + 0), 40u);   // biSize
  EXPECT_EQ(le::I32(p + 4), 33);    // biWidth
  EXPECT_EQ(le::I32(p + 8), 2);     // biHeight
  EXPECT_EQ(le::U16(p + 12), 1u);   // biPlanes
  EXPECT_EQ(le::U16(p + 14), 1u);   // biBitCount
  EXPECT_EQ(le::U32(p + 16), 0u);   // biCompression
  EXPECT_EQ(le::U32(p + 20), 16u);  // biSizeImage: 2 rows of 8 bytes
  EXPECT_EQ(le::I32(p + 24), 0);
  EXPECT_EQ(le::I32(p + 28), 0);
  EXPECT_EQ(le::U32(p + 32), 2u);  // biClrUsed
  EXPECT_EQ(le::U32(p + 36), 0u);  // biClrImportant
  const std::vector<uint8_t> table(p + 40, p + 48);
  EXPECT_EQ(table, (std::vector<uint8_t>{0, 0, 0, 0, 255, 255, 255, 0}));
  // Pixel 32 is bit 7 of byte 4; the padding bits after it stay 0.
  for (int row = 0; row < 2; ++row) {
    const uint8_t* r = p + 48 + 8 * row;
    EXPECT_EQ(std::vector<uint8_t>(r, r + 8), (std::vector<uint8_t>{0, 0, 0, 0, 0x80, 0, 0, 0}))
        << "row " << row;
  }
  EXPECT_TRUE(IsStoredDib(*mask));
}

TEST(Mask, RowsKeepTheSourceOrder) {
  // Bottom-up source with only its top row black: the mask's top row is the white one, and the
  // stored bottom row comes first in the block.
  auto source = MakeDib({.width = 2, .height = 3, .bits = 24},
                        [](int, int y) { return y == 0 ? 0u : 0xFFFFFFu; });
  auto mask = MakeMaskDib(*source);
  ASSERT_NE(mask, nullptr);
  EXPECT_EQ(mask->Bits()[0], 0x00);      // stored first: the bottom row, sprite
  EXPECT_EQ(mask->Bits()[2 * 4], 0xC0);  // stored last: the top row, background
}

TEST(Mask, ImageOfTheMaskTakesItsSize) {
  ObBmpImage source(MakeDib({.width = 40, .height = 3, .bits = 4, .colors = {0, 0xFF}},
                            [](int x, int) { return uint32_t(x % 2); }));
  auto mask = MakeMaskImage(source);
  ASSERT_NE(mask, nullptr);
  EXPECT_EQ(mask->Width(), 40);
  EXPECT_EQ(mask->Height(), 3);
  EXPECT_EQ(mask->LineBytes(), 8);
  EXPECT_EQ(mask->BitCount(), 1);
  EXPECT_EQ(mask->NumColors(), 2u);
  std::string alternate;  // index 0 (black) background, index 1 (blue) sprite
  for (int x = 0; x < 40; ++x) alternate += x % 2 ? '0' : '1';
  EXPECT_EQ(MaskRows(*mask->Dib()), std::vector<std::string>(3, alternate));
}

struct NoMaskCase {
  const char* name;
  DibSpec layout;
};

class NoMask : public ::testing::TestWithParam<NoMaskCase> {};

TEST_P(NoMask, IsRefused) {
  auto source = MakeDib(GetParam().layout, [](int, int) { return 1u; });
  EXPECT_EQ(MakeMaskDib(*source), nullptr);
  EXPECT_EQ(MakeMaskImage(ObBmpImage(source)), nullptr);
}

const NoMaskCase kNoMaskCases[] = {
    {"RowsCutShort", {.width = 8, .height = 4, .bits = 8, .dropBytes = 1}},
    {"Compressed", {.width = 8, .height = 4, .bits = 8, .compression = 1}},
    {"CoreSizedHeader", {.width = 8, .height = 4, .bits = 8, .headerSize = 12}},
    {"TopDownRows", {.width = 8, .height = -4, .bits = 8}},
    {"NoPixels", {.width = 0, .height = 4, .bits = 8}},
    {"TwoBitsPerPixel", {.width = 8, .height = 4, .bits = 2}},
};

INSTANTIATE_TEST_SUITE_P(Sources, NoMask, ::testing::ValuesIn(kNoMaskCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Mask, ImageWithoutDibHasNoMask) {
  ObBmpImage empty;
  EXPECT_EQ(MakeMaskImage(empty), nullptr);
}

}  // namespace
}  // namespace kel
