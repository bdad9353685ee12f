#include "model/bmp_file.h"

#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>

#include "model/le.h"
#include "model/system_error.h"

namespace kel {

namespace {

enum : uint32_t {
  BI_RGB = 0,
  BI_RLE8 = 1,
  BI_RLE4 = 2,
  BI_BITFIELDS = 3,
  BI_JPEG = 4,
  BI_PNG = 5,
  BI_ALPHABITFIELDS = 6,
};

// A picture larger than a sprite's picture can sensibly be is refused before anything is
// allocated or decoded (an RLE stream of a few bytes can otherwise ask for gigabytes): at most
// this many pixels a side, and this many bytes of stored rows.
constexpr int64_t kMaxSide = 16384;
constexpr uint64_t kMaxPixelBytes = uint64_t(64) << 20;
// One RLE code of two bytes gives at most this many pixels, so the data bounds the picture (the
// rows that line ends and deltas skip included).
constexpr uint64_t kMaxRlePixelsPerCode = 255;
// Whole files beyond this are not read at all.
constexpr uint64_t kMaxFileBytes = uint64_t(1) << 30;

std::string Hex(uint32_t v) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%X", v);
  return buffer;
}

std::string Str(uint64_t v) {
  return std::to_string(v);
}
std::string Str(int64_t v) {
  return std::to_string(v);
}

// One colour channel of a bit-field pixel: where it sits and how wide it is.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int width = 0;

  uint8_t Expand(uint32_t pixel) const {
    const uint32_t v = (pixel & mask) >> shift;
    if (width >= 8) return uint8_t(v >> (width - 8));
    // Narrow channels are widened by repeating their bits from the top, so that full scale
    // stays full scale (5 bits 31 -> 255) and 0 stays 0.
    uint32_t out = 0;
    int filled = 0;
    while (filled < 8) {
      const int shiftBy = 8 - filled - width;
      out |= shiftBy >= 0 ? v << shiftBy : v >> -shiftBy;
      filled += width;
    }
    return uint8_t(out);
  }
};

// Turns the DIB part of a bitmap (info header onwards) into the stored form.
class DibLoader {
 public:
  // bitsOffset: where the file header says the pixels start, counted from the info header.
  DibLoader(const uint8_t* p, size_t n, std::optional<uint64_t> bitsOffset)
      : p_(p), n_(n), bitsOffset_(bitsOffset) {}

  DibLoad Run() {
    DibLoad result;
    if (ReadHeader() && CheckFormat() && ReadMasks() && LocateColors() && CheckSize() &&
        LocatePixels()) {
      result.dib = Convert();
    }
    if (!result.dib) result.error = error_.empty() ? "ビットマップを読み込めません" : error_;
    return result;
  }

 private:
  bool Fail(std::string message) {
    if (error_.empty()) error_ = std::move(message);
    return false;
  }

  bool ReadHeader() {
    if (n_ < 4) return Fail("情報ヘッダーの前でデータが終わっています");
    headerSize_ = le::U32(p_);
    switch (headerSize_) {
      case kCoreHeaderSize:
      case kInfoHeaderSize:
      case 52:   // the info header with the three colour masks
      case 56:   // ... and an alpha mask
      case 108:  // the version 4 header
      case 124:  // the version 5 header
        break;
      case 64:
        return Fail("OS/2 2.x 形式の情報ヘッダー (64 バイト) には対応していません");
      default:
        return Fail("情報ヘッダーの大きさ " + Str(uint64_t(headerSize_)) +
                    " バイトには対応していません (12, 40, 108, 124 バイトのみ)");
    }
    if (n_ < headerSize_)
      return Fail(Str(uint64_t(headerSize_)) +
                  " バイトの情報ヘッダーの途中でデータが終わっています");
    if (headerSize_ == kCoreHeaderSize) {
      core_ = true;
      width_ = le::U16(p_ + 4);
      height_ = le::U16(p_ + 6);
      planes_ = le::U16(p_ + 8);
      bits_ = le::U16(p_ + 10);
      compression_ = BI_RGB;
    } else {
      width_ = le::I32(p_ + 4);
      height_ = le::I32(p_ + 8);
      planes_ = le::U16(p_ + 12);
      bits_ = le::U16(p_ + 14);
      compression_ = le::U32(p_ + 16);
      xPels_ = le::I32(p_ + 24);
      yPels_ = le::I32(p_ + 28);
      clrUsed_ = le::U32(p_ + 32);
      clrImportant_ = le::U32(p_ + 36);
    }
    return true;
  }

  bool CheckFormat() {
    if (planes_ != 1) return Fail("プレーン数が " + Str(uint64_t(planes_)) + " です (1 のみ)");
    switch (compression_) {
      case BI_RGB:
      case BI_RLE8:
      case BI_RLE4:
      case BI_BITFIELDS:
        break;
      case BI_JPEG:
        return Fail("JPEG 圧縮のビットマップには対応していません");
      case BI_PNG:
        return Fail("PNG 圧縮のビットマップには対応していません");
      case BI_ALPHABITFIELDS:
        return Fail("アルファ付きビットフィールド形式のビットマップには対応していません");
      default:
        return Fail("圧縮形式 " + Str(uint64_t(compression_)) + " は不明です");
    }
    switch (bits_) {
      case 1:
      case 4:
      case 8:
      case 24:
        break;
      case 16:
      case 32:
        if (core_)
          return Fail("1 ピクセル " + Str(uint64_t(bits_)) +
                      " ビットは 12 バイトの旧形式ヘッダーでは使えません");
        break;
      case 0:
        return Fail("1 ピクセルのビット数が 0 です");
      default:
        return Fail("1 ピクセル " + Str(uint64_t(bits_)) +
                    " ビットのビットマップには対応していません");
    }
    if (compression_ == BI_RLE8 && bits_ != 8)
      return Fail("RLE8 圧縮には 1 ピクセル 8 ビットが必要です (このビットマップは " +
                  Str(uint64_t(bits_)) + " ビット)");
    if (compression_ == BI_RLE4 && bits_ != 4)
      return Fail("RLE4 圧縮には 1 ピクセル 4 ビットが必要です (このビットマップは " +
                  Str(uint64_t(bits_)) + " ビット)");
    if (compression_ == BI_BITFIELDS && bits_ != 16 && bits_ != 32)
      return Fail(
          "ビットフィールド形式には 1 ピクセル 16 または 32 ビットが必要です (このビットマップは " +
          Str(uint64_t(bits_)) + " ビット)");
    if (width_ <= 0) return Fail("幅が " + Str(width_) + " です (1 以上のみ)");
    if (width_ > kMaxSide)
      return Fail("幅 " + Str(width_) + " が上限 " + Str(kMaxSide) + " ピクセルを超えています");
    if (height_ == 0) return Fail("高さが 0 です");
    topDown_ = height_ < 0;
    if (topDown_) height_ = -height_;  // int64: even INT32_MIN negates safely
    if (height_ > kMaxSide)
      return Fail("高さ " + Str(height_) + " が上限 " + Str(kMaxSide) + " ピクセルを超えています");
    if (topDown_ && (compression_ == BI_RLE8 || compression_ == BI_RLE4))
      return Fail("圧縮されたビットマップは上から下の行順 (負の高さ) にはできません");
    return true;
  }

  bool ReadMasks() {
    tableAt_ = headerSize_;
    if (bits_ == 16 && compression_ == BI_RGB) return SetMasks(0x7C00, 0x03E0, 0x001F);
    if (bits_ == 32 && compression_ == BI_RGB) return SetMasks(0xFF0000, 0x00FF00, 0x0000FF);
    if (compression_ != BI_BITFIELDS) return true;
    // The masks follow a 40-byte header; the larger headers hold them at the same place.
    if (headerSize_ == kInfoHeaderSize) {
      if (n_ < kInfoHeaderSize + 12)
        return Fail("ビットフィールドのマスクの途中でデータが終わっています");
      tableAt_ += 12;
    }
    return SetMasks(le::U32(p_ + 40), le::U32(p_ + 44), le::U32(p_ + 48));
  }

  bool SetMasks(uint32_t r, uint32_t g, uint32_t b) {
    const uint32_t masks[3] = {r, g, b};
    const char* names[3] = {"赤", "緑", "青"};
    for (int i = 0; i < 3; ++i) {
      const uint32_t m = masks[i];
      if (m == 0) return Fail(std::string(names[i]) + "のビットフィールドマスクが 0 です");
      if (bits_ == 16 && m > 0xFFFF)
        return Fail(std::string(names[i]) + "のビットフィールドマスク " + Hex(m) +
                    " が 16 ビットのピクセルをはみ出しています");
      const int shift = std::countr_zero(m);
      const uint32_t run = m >> shift;
      if ((run & (run + 1)) != 0)
        return Fail(std::string(names[i]) + "のビットフィールドマスク " + Hex(m) +
                    " が連続したビットではありません");
      channels_[i] = Channel{m, shift, std::popcount(m)};
    }
    if ((r & g) || (r & b) || (g & b)) return Fail("ビットフィールドマスクが重なっています");
    return true;
  }

  bool LocateColors() {
    entrySize_ = core_ ? 3 : 4;
    if (bits_ <= 8) {
      const uint32_t most = 1u << bits_;
      if (core_) {
        // The core header has no count: the table is full unless the pixels start earlier.
        colorCount_ = most;
        if (bitsOffset_ && *bitsOffset_ >= tableAt_ &&
            *bitsOffset_ < tableAt_ + uint64_t(entrySize_) * most)
          colorCount_ = uint32_t((*bitsOffset_ - tableAt_) / entrySize_);
        if (colorCount_ == 0) return Fail("カラーテーブルが空です");
      } else {
        colorCount_ = clrUsed_ != 0 ? clrUsed_ : most;
        if (colorCount_ > most)
          return Fail("カラーテーブルの " + Str(uint64_t(colorCount_)) + " 色は 1 ピクセル " +
                      Str(uint64_t(bits_)) + " ビットで使える " + Str(uint64_t(most)) +
                      " 色を超えています");
      }
      storedColors_ = colorCount_;
    } else {
      // A table in a true-colour bitmap only suggests a palette for the display; the pixels do
      // not use it and the stored form has none.
      colorCount_ = core_ ? 0 : clrUsed_;
      storedColors_ = 0;
    }
    tableEnd_ = tableAt_ + uint64_t(entrySize_) * colorCount_;
    if (tableEnd_ > n_)
      return Fail(Str(uint64_t(colorCount_)) + " 色のカラーテーブルがデータの終わりを越えています");
    return true;
  }

  bool CheckSize() {
    outBits_ = bits_ <= 8 ? bits_ : 24;
    // 16384 pixels of 24 bits are 49152 bytes: every row fits the stored form's 16-bit length.
    outRow_ = RowBytes64(width_, outBits_);
    const uint64_t pixelBytes = outRow_ * uint64_t(height_);
    if (pixelBytes > kMaxPixelBytes)
      return Fail("ピクセルデータの大きさ " + Str(pixelBytes) + " バイトが上限 " +
                  Str(kMaxPixelBytes) + " バイトを超えています");
    stored_ = StoredHeader();
    storedSize_ = StoredDibBytes(stored_);
    return true;
  }

  bool LocatePixels() {
    // The file header's offset is used when it points past the colour table and inside the
    // data: writers may leave a gap (or a colour profile) before the pixels.
    const bool offsetSane = bitsOffset_ && *bitsOffset_ >= tableEnd_ && *bitsOffset_ <= n_;
    if (compression_ == BI_RLE8 || compression_ == BI_RLE4) {
      pixelsAt_ = offsetSane && *bitsOffset_ < n_ ? *bitsOffset_ : tableEnd_;
      const uint64_t codes = (n_ - pixelsAt_) / 2;
      const uint64_t pixels = uint64_t(width_) * uint64_t(height_);
      if (pixels > codes * kMaxRlePixelsPerCode)
        return Fail(std::string(compression_ == BI_RLE4 ? "RLE4" : "RLE8") + " データ " +
                    Str(n_ - pixelsAt_) + " バイトでは " + Str(pixels) +
                    " ピクセルになりません (2 バイトごとに 255 ピクセルまで)");
      return true;
    }
    const uint64_t need = RowBytes64(width_, bits_) * uint64_t(height_);
    if (offsetSane && n_ - *bitsOffset_ >= need) {
      pixelsAt_ = *bitsOffset_;
      return true;
    }
    if (n_ - tableEnd_ >= need) {
      pixelsAt_ = tableEnd_;
      return true;
    }
    const uint64_t there = n_ - (offsetSane ? *bitsOffset_ : tableEnd_);
    return Fail("ピクセルデータが足りません (" + Str(need) + " バイト必要ですが " + Str(there) +
                " バイトしかありません)");
  }

  // The header of the stored form of this picture: bottom-up, uncompressed, 24 bits for every
  // true-colour depth, biClrUsed and biSizeImage filled in.
  BitmapInfoHeader StoredHeader() const {
    BitmapInfoHeader h;
    h.biSize = kInfoHeaderSize;
    h.biWidth = int32_t(width_);
    h.biHeight = int32_t(height_);
    h.biPlanes = 1;
    h.biBitCount = uint16_t(outBits_);
    h.biCompression = BI_RGB;
    h.biSizeImage = uint32_t(outRow_ * uint64_t(height_));
    h.biXPelsPerMeter = xPels_;
    h.biYPelsPerMeter = yPels_;
    h.biClrUsed = storedColors_;
    h.biClrImportant = clrImportant_ <= storedColors_ ? clrImportant_ : 0;
    return h;
  }

  std::shared_ptr<PackedDib> Convert() {
    auto dib = PackedDib::Allocate(size_t(storedSize_));
    uint8_t* out = dib->Data();
    stored_.Store(out);

    uint8_t* colors = out + kInfoHeaderSize;
    for (uint32_t i = 0; i < storedColors_; ++i) {
      const uint8_t* c = p_ + tableAt_ + uint64_t(entrySize_) * i;
      colors[4 * i + 0] = c[0];
      colors[4 * i + 1] = c[1];
      colors[4 * i + 2] = c[2];
      colors[4 * i + 3] = core_ ? 0 : c[3];
    }

    uint8_t* bits = colors + 4 * size_t(storedColors_);
    const uint8_t* src = p_ + pixelsAt_;
    if (compression_ == BI_RLE8 || compression_ == BI_RLE4) {
      if (!DecodeRle(src, size_t(n_ - pixelsAt_), bits, compression_ == BI_RLE4)) return nullptr;
      return dib;
    }
    const uint64_t srcRow = RowBytes64(width_, bits_);
    for (int64_t y = 0; y < height_; ++y) {
      // Stored rows go bottom-up; a top-down file's first row is the top one.
      const uint8_t* s = src + srcRow * uint64_t(topDown_ ? height_ - 1 - y : y);
      uint8_t* d = bits + outRow_ * uint64_t(y);
      if (bits_ <= 8 || bits_ == 24) {
        std::memcpy(d, s, size_t(outRow_));
        continue;
      }
      for (int64_t x = 0; x < width_; ++x) {
        const uint32_t v = bits_ == 16 ? le::U16(s + 2 * x) : le::U32(s + 4 * x);
        d[3 * x + 0] = channels_[2].Expand(v);
        d[3 * x + 1] = channels_[1].Expand(v);
        d[3 * x + 2] = channels_[0].Expand(v);
      }
    }
    return dib;
  }

  // Run-length decoding into the zero-filled stored rows. Rows count from the bottom, as the
  // stored rows do. Pixels that deltas and line ends skip stay index 0.
  bool DecodeRle(const uint8_t* src, size_t n, uint8_t* bits, bool rle4) {
    const char* kind = rle4 ? "RLE4" : "RLE8";
    size_t i = 0;
    int64_t x = 0, y = 0;
    auto put = [&](uint32_t index) {
      uint8_t* row = bits + outRow_ * uint64_t(y);
      if (!rle4) {
        row[x] = uint8_t(index);
      } else if (x % 2 == 0) {
        row[x / 2] = uint8_t((row[x / 2] & 0x0F) | (index << 4));
      } else {
        row[x / 2] = uint8_t((row[x / 2] & 0xF0) | (index & 0x0F));
      }
      ++x;
    };
    auto where = [&] { return "下から " + Str(y) + " 行目の " + Str(x) + " ピクセル目で"; };
    for (;;) {
      if (n - i < 2)
        return Fail(std::string(kind) + " データがビットマップ終了コードなしで終わっています");
      const uint32_t count = src[i], value = src[i + 1];
      i += 2;
      if (count > 0) {
        if (y >= height_) return Fail(std::string(kind) + " データが最後の行を越えて続いています");
        if (x + count > width_)
          return Fail(std::string(kind) + " の " + Str(uint64_t(count)) + " ピクセルの連続が" +
                      where() + "幅 " + Str(width_) + " ピクセルの行をはみ出しています");
        for (uint32_t k = 0; k < count; ++k)
          put(rle4 ? (k % 2 == 0 ? value >> 4 : value & 0x0F) : value);
        continue;
      }
      switch (value) {
        case 0:  // end of line
          x = 0;
          ++y;
          if (y > height_) return Fail(std::string(kind) + " データが最後の行を越えて続いています");
          break;
        case 1:  // end of bitmap
          return true;
        case 2: {  // delta: right and up
          if (n - i < 2)
            return Fail(std::string(kind) + " データが移動コードの途中で終わっています");
          x += src[i];
          y += src[i + 1];
          i += 2;
          if (x > width_ || y >= height_)
            return Fail(std::string(kind) + " の移動先 (下から " + Str(y) + " 行目の " + Str(x) +
                        " ピクセル目) が " + Str(width_) + " × " + Str(height_) +
                        " のビットマップの外です");
          break;
        }
        default: {  // literal pixels, padded to a 16-bit boundary
          const uint32_t pixels = value;
          const size_t bytes = rle4 ? (pixels + 1) / 2 : pixels;
          const size_t padded = (bytes + 1) & ~size_t(1);
          if (y >= height_)
            return Fail(std::string(kind) + " データが最後の行を越えて続いています");
          if (x + pixels > width_)
            return Fail(std::string(kind) + " の " + Str(uint64_t(pixels)) +
                        " ピクセルの非圧縮の並びが" + where() + "幅 " + Str(width_) +
                        " ピクセルの行をはみ出しています");
          if (n - i < padded)
            return Fail(std::string(kind) + " データが非圧縮ピクセルの並びの途中で終わっています");
          for (uint32_t k = 0; k < pixels; ++k) {
            const uint8_t b = src[i + (rle4 ? k / 2 : k)];
            put(rle4 ? (k % 2 == 0 ? b >> 4 : b & 0x0F) : b);
          }
          i += padded;
          break;
        }
      }
    }
  }

  const uint8_t* p_;
  uint64_t n_;
  std::optional<uint64_t> bitsOffset_;
  std::string error_;

  uint32_t headerSize_ = 0;
  bool core_ = false;
  int64_t width_ = 0;
  int64_t height_ = 0;
  bool topDown_ = false;
  uint32_t planes_ = 0;
  uint32_t bits_ = 0;
  uint32_t compression_ = 0;
  int32_t xPels_ = 0;
  int32_t yPels_ = 0;
  uint32_t clrUsed_ = 0;
  uint32_t clrImportant_ = 0;
  Channel channels_[3];

  uint64_t tableAt_ = 0;
  uint32_t entrySize_ = 4;
  uint32_t colorCount_ = 0;
  uint32_t storedColors_ = 0;
  uint64_t tableEnd_ = 0;
  uint32_t outBits_ = 0;
  uint64_t outRow_ = 0;
  BitmapInfoHeader stored_;
  uint64_t storedSize_ = 0;
  uint64_t pixelsAt_ = 0;
};

}  // namespace

DibLoad LoadBitmapFileBytes(const uint8_t* data, size_t size) {
  if (size == 0) return {nullptr, "ファイルが空です"};
  if (size < kFileHeaderSize)
    return {nullptr, "ファイルが " + Str(uint64_t(size)) +
                         " バイトしかなく、ビットマップファイルヘッダーに足りません"};
  if (le::U16(data) != kBitmapFileType)
    return {nullptr, "ビットマップファイルではありません (先頭が \"BM\" ではありません)"};
  const uint32_t offBits = le::U32(data + 10);
  std::optional<uint64_t> bitsOffset;
  if (offBits >= kFileHeaderSize) bitsOffset = offBits - kFileHeaderSize;
  return DibLoader(data + kFileHeaderSize, size - kFileHeaderSize, bitsOffset).Run();
}

DibLoad LoadPackedDibBytes(const uint8_t* data, size_t size) {
  return DibLoader(data, size, std::nullopt).Run();
}

DibLoad LoadBitmapFile(const std::string& path) {
  if (std::optional<std::string> problem = RegularFileProblem(path))
    return {nullptr, "ファイルを開けません (" + *problem + ")"};
  std::ifstream in(path, std::ios::binary);
  if (!in) return {nullptr, "ファイルを開けません (" + SystemErrorText(errno) + ")"};
  in.seekg(0, std::ios::end);
  const std::streamoff end = in.tellg();
  if (end < 0) return {nullptr, "ファイルの長さがわかりません"};
  if (uint64_t(end) > kMaxFileBytes)
    return {nullptr, "ファイルの大きさ " + Str(uint64_t(end)) + " バイトが上限 " +
                         Str(kMaxFileBytes) + " バイトを超えています"};
  in.seekg(0, std::ios::beg);
  std::string bytes(size_t(end), '\0');
  in.read(bytes.data(), end);
  if (in.gcount() != end) return {nullptr, "ファイルを最後まで読めません"};
  return LoadBitmapFileBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

bool StoredFileHeader(const PackedDib& dib, uint8_t header[kFileHeaderSize], uint32_t* bodyBytes) {
  if (dib.Size() < kInfoHeaderSize) return false;
  const BitmapInfoHeader h = dib.Header();
  const uint64_t colors = 4 * uint64_t(NumColorsOf(h));
  const uint64_t body = StoredDibBytes(h);
  const uint64_t fileSize = kFileHeaderSize + body;
  if (body > dib.Size() || fileSize > UINT32_MAX) return false;
  le::Put16(header + 0, kBitmapFileType);
  le::Put32(header + 2, uint32_t(fileSize));
  le::Put16(header + 6, 0);
  le::Put16(header + 8, 0);
  le::Put32(header + 10, uint32_t(kFileHeaderSize + kInfoHeaderSize + colors));
  *bodyBytes = uint32_t(body);
  return true;
}

std::string BitmapFileBytes(const PackedDib& dib) {
  uint8_t header[kFileHeaderSize];
  uint32_t body = 0;
  if (!StoredFileHeader(dib, header, &body)) return {};
  std::string out(reinterpret_cast<const char*>(header), kFileHeaderSize);
  out.append(reinterpret_cast<const char*>(dib.Data()), body);
  return out;
}

}  // namespace kel
