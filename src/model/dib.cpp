#include "model/dib.h"

#include "model/le.h"

namespace kel {

BitmapInfoHeader BitmapInfoHeader::Parse(const uint8_t* p) {
  BitmapInfoHeader h;
  h.biSize = le::U32(p + 0);
  h.biWidth = le::I32(p + 4);
  h.biHeight = le::I32(p + 8);
  h.biPlanes = le::U16(p + 12);
  h.biBitCount = le::U16(p + 14);
  h.biCompression = le::U32(p + 16);
  h.biSizeImage = le::U32(p + 20);
  h.biXPelsPerMeter = le::I32(p + 24);
  h.biYPelsPerMeter = le::I32(p + 28);
  h.biClrUsed = le::U32(p + 32);
  h.biClrImportant = le::U32(p + 36);
  return h;
}

void BitmapInfoHeader::Store(uint8_t* p) const {
  le::Put32(p + 0, biSize);
  le::Put32(p + 4, uint32_t(biWidth));
  le::Put32(p + 8, uint32_t(biHeight));
  le::Put16(p + 12, biPlanes);
  le::Put16(p + 14, biBitCount);
  le::Put32(p + 16, biCompression);
  le::Put32(p + 20, biSizeImage);
  le::Put32(p + 24, uint32_t(biXPelsPerMeter));
  le::Put32(p + 28, uint32_t(biYPelsPerMeter));
  le::Put32(p + 32, biClrUsed);
  le::Put32(p + 36, biClrImportant);
}

uint32_t NumColorsOf(const BitmapInfoHeader& h) {
  if (h.biClrUsed != 0) return h.biClrUsed;
  switch (h.biBitCount) {
    case 1:
      return 2;
    case 4:
      return 16;
    case 8:
      return 256;
    default:
      return 0;
  }
}

uint16_t LineBytesOf(int32_t width, uint16_t bitCount) {
  // The stored images compute this in 32-bit arithmetic; wrap as that arithmetic would rather
  // than overflow, then keep the low 16 bits.
  uint32_t bits = uint32_t(width) * uint32_t(bitCount) + 31u;
  int32_t rowBytes = int32_t(bits) / 32 * 4;
  return uint16_t(rowBytes);
}

uint64_t RowBytes64(int64_t width, uint32_t bitCount) {
  if (width <= 0) return 0;
  return (uint64_t(width) * bitCount + 31) / 32 * 4;
}

uint32_t Rgb555ToRgb(uint16_t v) {
  auto widen = [](uint32_t c) { return (c << 3) | (c >> 2); };
  return (widen((v >> 10) & 31u) << 16) | (widen((v >> 5) & 31u) << 8) | widen(v & 31u);
}

bool IsStoredBitCount(int bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

DibHeaderProblem StoredHeaderProblem(const BitmapInfoHeader& h) {
  // Offsets of the fields inside the info header.
  constexpr uint32_t kAtSize = 0, kAtWidth = 4, kAtHeight = 8, kAtBitCount = 14,
                     kAtCompression = 16;
  if (h.biSize == kCoreHeaderSize) {
    return {kAtSize, "古い形式の情報ヘッダー (12 バイト) には対応していません"};
  }
  if (h.biSize != kInfoHeaderSize) {
    return {kAtSize, "情報ヘッダーの大きさ " + std::to_string(h.biSize) +
                         " バイトには対応していません (40 バイトのみ)"};
  }
  if (h.biCompression != 0) {
    return {kAtCompression, "圧縮されたビットマップ (圧縮形式 " + std::to_string(h.biCompression) +
                                ") には対応していません"};
  }
  if (!IsStoredBitCount(h.biBitCount)) {
    return {kAtBitCount,
            "1 ピクセルのビット数 " + std::to_string(h.biBitCount) + " は正しくありません"};
  }
  if (h.biWidth < 0 || h.biWidth > 0xFFFF) {
    return {kAtWidth, "幅 " + std::to_string(h.biWidth) + " は範囲外です (0 から 65535)"};
  }
  if (h.biHeight < 0) {
    return {kAtHeight, "高さが負の値 (" + std::to_string(h.biHeight) +
                           ") のビットマップ (上から下の行順) には対応していません"};
  }
  if (h.biHeight > 0xFFFF) {
    return {kAtHeight, "高さ " + std::to_string(h.biHeight) + " が 65535 を超えています"};
  }
  const uint64_t row = RowBytes64(h.biWidth, h.biBitCount);
  if (row != LineBytesOf(h.biWidth, h.biBitCount)) {
    return {kAtWidth,
            "1 行の大きさ " + std::to_string(row) + " バイトが 65535 バイトを超えています"};
  }
  return {};
}

uint64_t StoredDibBytes(const BitmapInfoHeader& h) {
  const uint64_t height = uint16_t(h.biHeight);
  return kInfoHeaderSize + 4 * uint64_t(NumColorsOf(h)) +
         height * LineBytesOf(h.biWidth, h.biBitCount);
}

bool IsStoredDib(const PackedDib& dib) {
  if (dib.Size() < kInfoHeaderSize) return false;
  const BitmapInfoHeader h = dib.Header();
  return !StoredHeaderProblem(h) && StoredDibBytes(h) <= dib.Size();
}

std::shared_ptr<PackedDib> PackedDib::AllocateForOverwrite(size_t n) {
  return std::shared_ptr<PackedDib>(new PackedDib(std::make_shared_for_overwrite<uint8_t[]>(n), n));
}

std::shared_ptr<PackedDib> PackedDib::Allocate(size_t n) {
  return std::shared_ptr<PackedDib>(new PackedDib(std::make_shared<uint8_t[]>(n), n));
}

std::shared_ptr<PackedDib> PackedDib::Borrow(std::shared_ptr<uint8_t[]> bytes, size_t n) {
  return std::shared_ptr<PackedDib>(new PackedDib(std::move(bytes), n));
}

}  // namespace kel
