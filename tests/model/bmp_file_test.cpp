// Bitmap files as real programs write them, converted to the stored form; and the files that
// must be refused, each with its own message.
#include "model/bmp_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "model/bmp_builder.h"
#include "model/display.h"
#include "model/le.h"
#include "support/test_paths.h"

namespace kel {
namespace {

using test::bmp::File;
using test::bmp::Layout;
using test::bmp::Palette;
using test::bmp::Rows;

DibLoad Load(const std::string& bytes) {
  return LoadBitmapFileBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

uint32_t Widen5(uint32_t v) {
  return (v << 3) | (v >> 2);
}
uint32_t Widen6(uint32_t v) {
  return (v << 2) | (v >> 4);
}

struct Variant {
  const char* name;
  std::string file;
  int width, height;
  uint16_t storedBits;
  uint32_t storedColors;
  std::function<uint32_t(int, int)> expected;  // 0xRRGGBB at (x, y) from the top
};

// Index pictures whose colours come from a palette.
std::function<uint32_t(int, int)> Through(std::vector<uint32_t> palette,
                                          std::function<uint32_t(int, int)> index) {
  return [palette, index](int x, int y) { return palette[index(x, y)]; };
}

std::vector<Variant> Variants() {
  std::vector<Variant> v;
  const int w = 5, h = 3;  // odd width: padding in every depth, a half-used last nibble
  auto idx2 = [](int x, int y) { return uint32_t((x + y) % 2); };
  auto idx16 = [](int x, int y) { return uint32_t((x + 3 * y) % 16); };
  auto idx256 = [](int x, int y) { return uint32_t(x * 40 + y * 30 + 3); };
  auto idx20 = [](int x, int y) { return uint32_t((x * 7 + y * 3) % 20); };
  auto rgb = [](int x, int y) {
    return uint32_t((x * 50) << 16 | (y * 80) << 8 | (x * y * 20 + 1));
  };

  {
    Layout l;
    l.bits = 1;
    l.palette = {0x102030, 0xF0E0D0};
    v.push_back({"1 bit, info header", File(l, w, h, Rows(w, h, 1, false, idx2)), w, h, 1, 2,
                 Through(l.palette, idx2)});
  }
  {
    Layout l;
    l.bits = 4;
    l.palette = Palette(16);
    v.push_back({"4 bits, info header", File(l, w, h, Rows(w, h, 4, false, idx16)), w, h, 4, 16,
                 Through(l.palette, idx16)});
  }
  {
    Layout l;
    l.bits = 8;
    l.palette = Palette(256);
    v.push_back({"8 bits, colours used 0", File(l, w, h, Rows(w, h, 8, false, idx256)), w, h, 8,
                 256, Through(l.palette, idx256)});
  }
  {
    Layout l;
    l.bits = 8;
    l.clrUsed = 20;
    l.palette = Palette(20);
    v.push_back({"8 bits, colours used 20", File(l, w, h, Rows(w, h, 8, false, idx20)), w, h, 8, 20,
                 Through(l.palette, idx20)});
  }
  {
    Layout l;
    l.bits = 24;
    v.push_back(
        {"24 bits, info header", File(l, w, h, Rows(w, h, 24, false, rgb)), w, h, 24, 0, rgb});
  }
  {
    Layout l;
    l.headerSize = 12;
    l.bits = 8;
    l.palette = Palette(256);
    v.push_back({"8 bits, core header", File(l, w, h, Rows(w, h, 8, false, idx256)), w, h, 8, 256,
                 Through(l.palette, idx256)});
  }
  {
    Layout l;
    l.headerSize = 12;
    l.bits = 1;
    l.palette = {0x000000, 0x00FF00};
    v.push_back({"1 bit, core header", File(l, w, h, Rows(w, h, 1, false, idx2)), w, h, 1, 2,
                 Through(l.palette, idx2)});
  }
  {
    Layout l;
    l.headerSize = 12;
    l.bits = 24;
    v.push_back(
        {"24 bits, core header", File(l, w, h, Rows(w, h, 24, false, rgb)), w, h, 24, 0, rgb});
  }
  {
    Layout l;
    l.headerSize = 108;
    l.bits = 24;
    v.push_back(
        {"24 bits, version 4 header", File(l, w, h, Rows(w, h, 24, false, rgb)), w, h, 24, 0, rgb});
  }
  {
    Layout l;
    l.headerSize = 124;
    l.bits = 4;
    l.palette = Palette(16);
    v.push_back({"4 bits, version 5 header", File(l, w, h, Rows(w, h, 4, false, idx16)), w, h, 4,
                 16, Through(l.palette, idx16)});
  }
  {
    Layout l;
    l.bits = 24;
    l.topDown = true;
    v.push_back({"24 bits, top-down", File(l, w, h, Rows(w, h, 24, true, rgb)), w, h, 24, 0, rgb});
  }
  {
    Layout l;
    l.bits = 8;
    l.topDown = true;
    l.clrUsed = 20;
    l.palette = Palette(20);
    v.push_back({"8 bits, top-down", File(l, w, h, Rows(w, h, 8, true, idx20)), w, h, 8, 20,
                 Through(l.palette, idx20)});
  }
  {
    // 5-6-5 masks after a 40-byte header, as most programs write 16-bit pictures.
    Layout l;
    l.bits = 16;
    l.compression = 3;
    l.writeMasks = true;
    l.masks[0] = 0xF800, l.masks[1] = 0x07E0, l.masks[2] = 0x001F;
    auto raw = [](int x, int y) { return uint32_t((x * 7) << 11 | (y * 21 + x) << 5 | (31 - x)); };
    auto expect = [raw](int x, int y) {
      const uint32_t p = raw(x, y);
      return Widen5(p >> 11) << 16 | Widen6((p >> 5) & 63) << 8 | Widen5(p & 31);
    };
    v.push_back({"16 bits, bit fields 5-6-5", File(l, w, h, Rows(w, h, 16, false, raw)), w, h, 24,
                 0, expect});
  }
  {
    // 32-bit bit fields inside a version 5 header, in an unusual channel order.
    Layout l;
    l.headerSize = 124;
    l.bits = 32;
    l.compression = 3;
    l.masks[0] = 0x000000FF, l.masks[1] = 0x0000FF00, l.masks[2] = 0x00FF0000;
    auto raw = [](int x, int y) {
      return uint32_t(0xAA000000u | (x * 40) << 16 | (y * 60) << 8 | 200);
    };
    auto expect = [raw](int x, int y) {
      const uint32_t p = raw(x, y);
      return (p & 0xFF) << 16 | (p & 0xFF00) | ((p >> 16) & 0xFF);
    };
    v.push_back({"32 bits, bit fields in a version 5 header",
                 File(l, w, h, Rows(w, h, 32, false, raw)), w, h, 24, 0, expect});
  }
  {
    Layout l;
    l.bits = 16;
    auto raw = [](int x, int y) {
      return uint32_t(0x8000 | (x * 6) << 10 | (y * 9) << 5 | (x + y));
    };
    auto expect = [raw](int x, int y) {
      const uint32_t p = raw(x, y);
      return Widen5((p >> 10) & 31) << 16 | Widen5((p >> 5) & 31) << 8 | Widen5(p & 31);
    };
    v.push_back({"16 bits, 5-5-5 without masks", File(l, w, h, Rows(w, h, 16, false, raw)), w, h,
                 24, 0, expect});
  }
  {
    Layout l;
    l.bits = 32;
    auto raw = [rgb](int x, int y) { return 0x7F000000u | rgb(x, y); };
    v.push_back(
        {"32 bits without masks", File(l, w, h, Rows(w, h, 32, false, raw)), w, h, 24, 0, rgb});
  }
  {
    // Writers may leave room before the pixels; the file header's offset says where they are.
    Layout l;
    l.bits = 24;
    l.gap = 6;
    v.push_back({"24 bits, gap before the pixels", File(l, w, h, Rows(w, h, 24, false, rgb)), w, h,
                 24, 0, rgb});
  }
  {
    // An offset of 0 points nowhere sensible: the pixels follow the colour table.
    Layout l;
    l.bits = 4;
    l.palette = Palette(16);
    l.offBitsOverride = 1;
    v.push_back({"4 bits, offset field 1", File(l, w, h, Rows(w, h, 4, false, idx16)), w, h, 4, 16,
                 Through(l.palette, idx16)});
  }
  {
    // RLE8 on a 6 x 4 picture, rows from the bottom:
    //   row 0: run of 3 x index 5, literal [1 2 3], end of line
    //   row 1: delta (2, 1) -> row 2 pixel 2; run of 4 x index 9, end of line
    //   row 3: literal [7 8 9] (padded), then end of bitmap
    Layout l;
    l.bits = 8;
    l.compression = 1;
    l.clrUsed = 10;
    l.palette = Palette(10);
    const std::string rle(
        "\x03\x05\x00\x03\x01\x02\x03\x00\x00\x00"
        "\x00\x02\x02\x01\x04\x09\x00\x00"
        "\x00\x03\x07\x08\x09\x00\x00\x01",
        26);
    const uint32_t rows[4][6] = {
        {5, 5, 5, 1, 2, 3}, {0, 0, 0, 0, 0, 0}, {0, 0, 9, 9, 9, 9}, {7, 8, 9, 0, 0, 0}};
    std::vector<uint32_t> pal = l.palette;
    v.push_back({"RLE8 with runs, literals, delta and line ends", File(l, 6, 4, rle), 6, 4, 8, 10,
                 [rows, pal](int x, int y) { return pal[rows[3 - y][x]]; }});
  }
  {
    // RLE4 on a 5 x 2 picture: row 0 run of 5 alternating 1,2; row 1 literal [3 4 5 6 7].
    Layout l;
    l.bits = 4;
    l.compression = 2;
    l.palette = Palette(16);
    const std::string rle(
        "\x05\x12\x00\x00"
        "\x00\x05\x34\x56\x70\x00\x00\x01",
        12);
    const uint32_t rows[2][5] = {{1, 2, 1, 2, 1}, {3, 4, 5, 6, 7}};
    std::vector<uint32_t> pal = l.palette;
    v.push_back({"RLE4 with a run and a literal", File(l, 5, 2, rle), 5, 2, 4, 16,
                 [rows, pal](int x, int y) { return pal[rows[1 - y][x]]; }});
  }
  return v;
}

TEST(BitmapFileTest, EveryVariantBecomesTheStoredForm) {
  for (const Variant& c : Variants()) {
    SCOPED_TRACE(c.name);
    const DibLoad load = Load(c.file);
    ASSERT_TRUE(load.dib) << load.error;
    EXPECT_EQ(load.error, "");
    const PackedDib& dib = *load.dib;
    const BitmapInfoHeader h = dib.Header();
    const uint32_t row = uint32_t(RowBytes64(c.width, c.storedBits));
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, c.width);
    EXPECT_EQ(h.biHeight, c.height);  // bottom-up
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, c.storedBits);
    EXPECT_EQ(h.biCompression, 0u);
    EXPECT_EQ(h.biSizeImage, row * uint32_t(c.height));
    EXPECT_EQ(h.biClrUsed, c.storedColors);
    EXPECT_EQ(dib.NumColors(), c.storedColors);
    EXPECT_EQ(dib.Size(), 40 + 4 * c.storedColors + row * uint32_t(c.height));
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x)
        ASSERT_EQ(DibPixelRgb(dib, x, y), c.expected(x, y)) << "pixel " << x << "," << y;
  }
}

TEST(BitmapFileTest, StoredFormWrittenAndLoadedAgainIsTheSame) {
  for (const Variant& c : Variants()) {
    SCOPED_TRACE(c.name);
    const DibLoad first = Load(c.file);
    ASSERT_TRUE(first.dib) << first.error;
    const std::string file = BitmapFileBytes(*first.dib);
    ASSERT_EQ(file.size(), 14 + first.dib->Size());
    EXPECT_EQ(test::bmp::Get(file, 2, 4), file.size());
    EXPECT_EQ(test::bmp::Get(file, 10, 4), 54 + 4 * first.dib->NumColors());
    const DibLoad second = Load(file);
    ASSERT_TRUE(second.dib) << second.error;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(second.dib->Data()), second.dib->Size()),
              std::string(reinterpret_cast<const char*>(first.dib->Data()), first.dib->Size()));
  }
}

TEST(BitmapFileTest, PackedDibWithMasksAfterTheHeaderLoadsWithoutFileHeader) {
  // The clipboard carries the DIB without the 14-byte file header.
  Layout l;
  l.bits = 16;
  l.compression = 3;
  l.writeMasks = true;
  l.masks[0] = 0x7C00, l.masks[1] = 0x03E0, l.masks[2] = 0x001F;
  const std::string file =
      File(l, 2, 1, Rows(2, 1, 16, false, [](int x, int) { return x == 0 ? 0x7C00u : 0x001Fu; }));
  const std::string packed = file.substr(14);
  const DibLoad load =
      LoadPackedDibBytes(reinterpret_cast<const uint8_t*>(packed.data()), packed.size());
  ASSERT_TRUE(load.dib) << load.error;
  EXPECT_EQ(DibPixelRgb(*load.dib, 0, 0), 0xFF0000u);
  EXPECT_EQ(DibPixelRgb(*load.dib, 1, 0), 0x0000FFu);
}

TEST(BitmapFileTest, CoreHeaderTableEndsWhereThePixelsStart) {
  // Some writers of the old header store only the colours they use; the offset tells.
  Layout l;
  l.headerSize = 12;
  l.bits = 8;
  l.palette = {0x112233, 0x445566, 0x778899};
  const std::string file = File(l, 3, 1, Rows(3, 1, 8, false, [](int x, int) { return x; }));
  const DibLoad load = Load(file);
  ASSERT_TRUE(load.dib) << load.error;
  EXPECT_EQ(load.dib->NumColors(), 3u);
  EXPECT_EQ(DibPixelRgb(*load.dib, 2, 0), 0x778899u);
}

struct Refused {
  const char* name;
  std::string file;
  std::string message;
};

std::string Info8(std::function<void(Layout&)> change, int32_t w = 4, int32_t h = 2) {
  Layout l;
  l.bits = 8;
  l.clrUsed = 4;
  l.palette = Palette(4);
  change(l);
  return File(l, w, h, Rows(w, h, l.bits, false, [](int, int) { return 1u; }));
}

std::string WithField(std::string file, size_t at, uint64_t value, int bytes) {
  test::bmp::SetLe(file, at, value, bytes);
  return file;
}

std::string Rle8(std::string data, int32_t w = 4, int32_t h = 2) {
  Layout l;
  l.bits = 8;
  l.compression = 1;
  l.clrUsed = 4;
  l.palette = Palette(4);
  return File(l, w, h, data);
}

std::vector<Refused> RefusedFiles() {
  const std::string good = Info8([](Layout&) {});
  std::vector<Refused> r;
  r.push_back({"empty", "", "ファイルが空です"});
  r.push_back(
      {"file header alone", good.substr(0, 14), "情報ヘッダーの前でデータが終わっています"});
  r.push_back({"short", std::string("BM\x10\x00\x00\x00\x00\x00\x00\x00", 10),
               "ファイルが 10 バイトしかなく、ビットマップファイルヘッダーに足りません"});
  r.push_back({"not BM", WithField(good, 0, 0x4142, 2),
               "ビットマップファイルではありません (先頭が \"BM\" ではありません)"});
  r.push_back({"OS/2 2.x header", WithField(good, 14, 64, 4),
               "OS/2 2.x 形式の情報ヘッダー (64 バイト) には対応していません"});
  r.push_back({"unknown header size", WithField(good, 14, 20, 4),
               "情報ヘッダーの大きさ 20 バイトには対応していません (12, 40, 108, 124 バイトのみ)"});
  r.push_back(
      {"header cut", good.substr(0, 30), "40 バイトの情報ヘッダーの途中でデータが終わっています"});
  r.push_back({"two planes", WithField(good, 26, 2, 2), "プレーン数が 2 です (1 のみ)"});
  r.push_back({"JPEG", Info8([](Layout& l) { l.compression = 4; }),
               "JPEG 圧縮のビットマップには対応していません"});
  r.push_back({"PNG", Info8([](Layout& l) { l.compression = 5; }),
               "PNG 圧縮のビットマップには対応していません"});
  r.push_back({"alpha bit fields", Info8([](Layout& l) { l.compression = 6; }),
               "アルファ付きビットフィールド形式のビットマップには対応していません"});
  r.push_back({"unknown compression", Info8([](Layout& l) { l.compression = 11; }),
               "圧縮形式 11 は不明です"});
  r.push_back({"2 bits", WithField(good, 28, 2, 2),
               "1 ピクセル 2 ビットのビットマップには対応していません"});
  r.push_back({"0 bits", WithField(good, 28, 0, 2), "1 ピクセルのビット数が 0 です"});
  r.push_back({"RLE8 at 4 bits", WithField(Rle8("\x00\x01"), 28, 4, 2),
               "RLE8 圧縮には 1 ピクセル 8 ビットが必要です (このビットマップは 4 ビット)"});
  r.push_back({"RLE4 at 8 bits", WithField(Rle8("\x00\x01"), 30, 2, 4),
               "RLE4 圧縮には 1 ピクセル 4 ビットが必要です (このビットマップは 8 ビット)"});
  r.push_back({"bit fields at 24 bits", Info8([](Layout& l) {
                 l.bits = 24;
                 l.compression = 3;
                 l.palette.clear();
                 l.clrUsed = 0;
               }),
               "ビットフィールド形式には 1 ピクセル 16 または 32 ビットが必要です "
               "(このビットマップは 24 ビット)"});
  r.push_back({"16 bits in a core header",
               [] {
                 Layout l;
                 l.headerSize = 12;
                 l.bits = 16;
                 return File(l, 2, 2, std::string(8, '\0'));
               }(),
               "1 ピクセル 16 ビットは 12 バイトの旧形式ヘッダーでは使えません"});
  r.push_back({"width 0", WithField(good, 18, 0, 4), "幅が 0 です (1 以上のみ)"});
  r.push_back(
      {"negative width", WithField(good, 18, uint32_t(-3), 4), "幅が -3 です (1 以上のみ)"});
  r.push_back({"width beyond 16384", WithField(good, 18, 16385, 4),
               "幅 16385 が上限 16384 ピクセルを超えています"});
  r.push_back({"height 0", WithField(good, 22, 0, 4), "高さが 0 です"});
  r.push_back({"top-down height beyond 16384", WithField(good, 22, uint32_t(-16385), 4),
               "高さ 16385 が上限 16384 ピクセルを超えています"});
  r.push_back({"smallest height", WithField(good, 22, 0x80000000u, 4),
               "高さ 2147483648 が上限 16384 ピクセルを超えています"});
  r.push_back({"top-down RLE", WithField(Rle8("\x00\x01"), 22, uint32_t(-2), 4),
               "圧縮されたビットマップは上から下の行順 (負の高さ) にはできません"});
  r.push_back({"masks cut",
               [] {
                 Layout l;
                 l.bits = 16;
                 l.compression = 3;
                 return File(l, 1, 1, "\x01\x02");  // no masks after the header
               }(),
               "ビットフィールドのマスクの途中でデータが終わっています"});
  auto masked = [](uint32_t r, uint32_t g, uint32_t b, uint16_t bits = 16) {
    Layout l;
    l.bits = bits;
    l.compression = 3;
    l.writeMasks = true;
    l.masks[0] = r, l.masks[1] = g, l.masks[2] = b;
    return File(l, 1, 1, std::string(4, '\0'));
  };
  r.push_back({"empty mask", masked(0xF800, 0, 0x1F), "緑のビットフィールドマスクが 0 です"});
  r.push_back({"mask in pieces", masked(0xF800, 0x07E0, 0x15),
               "青のビットフィールドマスク 0x15 が連続したビットではありません"});
  r.push_back({"mask beyond 16 bits", masked(0x1F0000, 0x07E0, 0x1F),
               "赤のビットフィールドマスク 0x1F0000 が 16 ビットのピクセルをはみ出しています"});
  r.push_back({"overlapping masks", masked(0xFF0000, 0x00FF00, 0x0001FF, 32),
               "ビットフィールドマスクが重なっています"});
  r.push_back({"palette beyond the depth",
               [] {
                 Layout l;
                 l.bits = 4;
                 l.clrUsed = 17;
                 l.palette = Palette(17);
                 return File(l, 2, 1, std::string(4, '\0'));
               }(),
               "カラーテーブルの 17 色は 1 ピクセル 4 ビットで使える 16 色を超えています"});
  r.push_back({"colour table past the end",
               [] {
                 Layout l;
                 l.bits = 8;  // 256 colours implied, 25 present
                 l.palette = Palette(25);
                 return File(l, 1, 1, "");
               }(),
               "256 色のカラーテーブルがデータの終わりを越えています"});
  r.push_back({"core table empty",
               [] {
                 Layout l;
                 l.headerSize = 12;
                 l.bits = 8;
                 return File(l, 4, 1, std::string(4, '\0'));
               }(),
               "カラーテーブルが空です"});
  r.push_back({"pixels beyond 64 MiB", Rle8("\x00\x01", 16384, 4097),
               "ピクセルデータの大きさ 67125248 バイトが上限 67108864 バイトを超えています"});
  // Each two bytes of RLE data give at most 255 pixels.
  r.push_back(
      {"RLE data too short for its pixels", Rle8(std::string("\x00\x01", 2), 128, 2),
       "RLE8 データ 2 バイトでは 256 ピクセルになりません (2 バイトごとに 255 ピクセルまで)"});
  r.push_back({"pixels cut", good.substr(0, good.size() - 1),
               "ピクセルデータが足りません (8 バイト必要ですが 7 バイトしかありません)"});
  r.push_back({"RLE run overruns the row", Rle8(std::string("\x05\x01\x00\x01", 4)),
               "RLE8 の 5 ピクセルの連続が下から 0 行目の 0 ピクセル目で幅 4 "
               "ピクセルの行をはみ出しています"});
  r.push_back({"RLE literal overruns the row",
               Rle8(std::string("\x02\x01\x00\x03\x01\x02\x03\x00", 8)),
               "RLE8 の 3 ピクセルの非圧縮の並びが下から 0 行目の 2 ピクセル目で幅 4 "
               "ピクセルの行をはみ出しています"});
  r.push_back({"RLE delta outside", Rle8(std::string("\x00\x02\x01\x02\x00\x01", 6)),
               "RLE8 の移動先 (下から 2 行目の 1 ピクセル目) が 4 × 2 のビットマップの外です"});
  r.push_back({"RLE past the last row", Rle8(std::string("\x00\x00\x00\x00\x01\x01\x00\x01", 8)),
               "RLE8 データが最後の行を越えて続いています"});
  r.push_back({"RLE line ends beyond the rows",
               Rle8(std::string("\x00\x00\x00\x00\x00\x00\x00\x01", 8)),
               "RLE8 データが最後の行を越えて続いています"});
  r.push_back({"RLE without end", Rle8(std::string("\x02\x01", 2)),
               "RLE8 データがビットマップ終了コードなしで終わっています"});
  r.push_back({"RLE literal cut", Rle8(std::string("\x00\x04\x01\x02", 4)),
               "RLE8 データが非圧縮ピクセルの並びの途中で終わっています"});
  // The pad byte after an odd literal belongs to it: without it the literal is cut.
  r.push_back({"RLE literal without its pad byte", Rle8(std::string("\x00\x03\x01\x02\x03", 5)),
               "RLE8 データが非圧縮ピクセルの並びの途中で終わっています"});
  r.push_back({"RLE delta cut", Rle8(std::string("\x00\x02\x01", 3)),
               "RLE8 データが移動コードの途中で終わっています"});
  return r;
}

TEST(BitmapFileTest, RefusedFilesSayWhatIsWrong) {
  std::set<std::string> names;
  for (const Refused& c : RefusedFiles()) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(names.insert(c.name).second);
    const DibLoad load = Load(c.file);
    EXPECT_FALSE(load.dib);
    EXPECT_EQ(load.error, c.message);
  }
}

// Files just inside the limits the refused ones pass; each loads with the size it says.
TEST(BitmapFileTest, PicturesAtTheLimitsLoad) {
  const struct {
    const char* name;
    std::string file;
    int width, height;
  } cases[] = {
      {"16384 pixels wide", Info8([](Layout&) {}, 16384, 1), 16384, 1},
      {"16384 pixels high", Info8([](Layout&) {}, 1, 16384), 1, 16384},
      {"RLE of 255 pixels from one code", Rle8(std::string("\x00\x01", 2), 255, 1), 255, 1},
      {"RLE delta that lands on the row's end",
       Rle8(std::string("\x00\x02\x04\x00\x00\x00\x00\x01", 8)), 4, 2},
      {"RLE line end after the last row", Rle8(std::string("\x00\x00\x00\x00\x00\x01", 6)), 4, 2},
      // 16384 x 4096 bytes are exactly 64 MiB; 263173 codes are enough RLE data for them.
      {"64 MiB of pixels",
       Rle8(std::string("\x00\x01", 2) + std::string(526344, '\0'), 16384, 4096), 16384, 4096},
      {"RLE whose offset field is the file's end",
       [] {
         const std::string file = Rle8(std::string("\x00\x01", 2));
         return WithField(file, 10, file.size(), 4);
       }(),
       4, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const DibLoad load = Load(c.file);
    ASSERT_TRUE(load.dib) << load.error;
    EXPECT_EQ(load.dib->Header().biWidth, c.width);
    EXPECT_EQ(load.dib->Header().biHeight, c.height);
  }
}

// The count of important colours is kept when the table holds that many, else stored as 0 (all).
TEST(BitmapFileTest, ImportantColoursBeyondTheTableAreStoredAsAll) {
  const std::string good = Info8([](Layout&) {});  // 4 colours
  const struct { uint32_t important, stored; } cases[] = {{4, 4}, {5, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.important);
    const DibLoad load = Load(WithField(good, 14 + 36, c.important, 4));
    ASSERT_TRUE(load.dib) << load.error;
    EXPECT_EQ(load.dib->Header().biClrImportant, c.stored);
  }
}

TEST(BitmapFileTest, RefusedFilesAlsoFailWhenReadFromDisk) {
  test::TempDir dir;
  for (const Refused& c : RefusedFiles()) {
    SCOPED_TRACE(c.name);
    const auto path = dir / "bad.bmp";
    test::WriteFileBytes(path, c.file);
    const DibLoad load = LoadBitmapFile(path.string());
    EXPECT_FALSE(load.dib);
    EXPECT_EQ(load.error, c.message);
  }
}

TEST(BitmapFileTest, MissingFileNamesTheSystemsReason) {
  test::TempDir dir;
  const DibLoad load = LoadBitmapFile((dir / "none.bmp").string());
  EXPECT_FALSE(load.dib);
  EXPECT_EQ(load.error, "ファイルを開けません (ファイルまたはフォルダーが見つかりません)");
}

TEST(BitmapFileTest, TheContinueIconResourceLoads) {
  // tests/data need not exist in a checkout (git keeps no empty folders): go up by name.
  const auto path =
      test::DataDir().parent_path().parent_path() / "resources" / "bitmaps" / "25204.bmp";
  const DibLoad load = LoadBitmapFile(path.string());
  ASSERT_TRUE(load.dib) << load.error;
  EXPECT_EQ(load.dib->Header().biWidth, 32);
  EXPECT_EQ(load.dib->Header().biHeight, 32);
  EXPECT_EQ(load.dib->Header().biBitCount, 4);
  EXPECT_EQ(load.dib->NumColors(), 16u);
}

TEST(BitmapFileTest, StoredFileHeaderRefusesADibShorterThanItsHeaderPromises) {
  auto dib = test::bmp::StoredDib(4, 4, 8, Palette(256), [](int, int) { return 0u; });
  uint8_t header[14];
  uint32_t body = 0;
  ASSERT_TRUE(StoredFileHeader(*dib, header, &body));
  EXPECT_EQ(body, 40u + 1024 + 16);
  EXPECT_EQ(le::U32(header + 2), 14u + body);
  EXPECT_EQ(le::U32(header + 10), 54u + 1024);
  // The same header claiming 300 colours promises bytes the block does not hold.
  le::Put32(dib->Data() + 32, 300);
  EXPECT_FALSE(StoredFileHeader(*dib, header, &body));
  EXPECT_EQ(BitmapFileBytes(*dib), "");
}

}  // namespace
}  // namespace kel
