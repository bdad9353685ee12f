#include "model/mask.h"

#include "model/le.h"

namespace kel {

namespace {

bool IsBlackEntry(const uint8_t* colors, uint32_t numColors, uint32_t index) {
  if (index >= numColors) return true;  // no entry: drawn black
  const uint8_t* e = colors + 4 * size_t(index);
  return e[0] == 0 && e[1] == 0 && e[2] == 0;
}

}  // namespace

bool IsMaskBackground(const uint8_t* row, int x, int bitCount, const uint8_t* colors,
                      uint32_t numColors) {
  switch (bitCount) {
    case 1:
      return ((row[x / 8] >> (7 - x % 8)) & 1) == 0;
    case 4: {
      const uint8_t b = row[x / 2];
      return IsBlackEntry(colors, numColors, x % 2 ? (b & 0x0F) : (b >> 4));
    }
    case 8:
      return IsBlackEntry(colors, numColors, row[x]);
    case 16:
      return (le::U16(row + 2 * size_t(x)) & 0x7FFF) == 0;
    case 24:
    case 32: {
      const uint8_t* p = row + size_t(bitCount / 8) * size_t(x);
      return p[0] == 0 && p[1] == 0 && p[2] == 0;
    }
    default:
      return false;
  }
}

std::shared_ptr<PackedDib> NewMaskDib(int width, int height) {
  BitmapInfoHeader h;
  h.biWidth = width;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = 1;
  h.biCompression = 0;
  const size_t maskRow = LineBytesOf(width, 1);
  h.biSizeImage = uint32_t(maskRow * size_t(height));
  h.biClrUsed = 2;
  h.biClrImportant = 0;

  auto mask = PackedDib::Allocate(kInfoHeaderSize + 8 + maskRow * size_t(height));
  uint8_t* out = mask->Data();
  h.Store(out);
  // Entry 0 black, entry 1 white (blue, green, red, reserved).
  uint8_t* colors = out + kInfoHeaderSize;
  colors[4] = colors[5] = colors[6] = 0xFF;
  return mask;
}

void SetMaskBackground(PackedDib& mask, int x, int y) {
  const BitmapInfoHeader h = mask.Header();
  // The rows are stored bottom-up.
  uint8_t* row = mask.Data() + kInfoHeaderSize + 8 +
                 size_t(h.biHeight - 1 - y) * size_t(LineBytesOf(h.biWidth, 1));
  row[x / 8] |= uint8_t(0x80 >> (x % 8));
}

std::shared_ptr<PackedDib> MakeMaskDib(const PackedDib& source) {
  // The stored form guarantees a known depth, bottom-up uncompressed rows and a block that holds
  // every row, so nothing below reads past the source.
  if (!IsStoredDib(source)) return nullptr;
  const BitmapInfoHeader src = source.Header();
  const int width = src.biWidth;
  const int height = src.biHeight;
  if (width <= 0 || height <= 0) return nullptr;

  auto mask = NewMaskDib(width, height);
  const size_t maskRow = LineBytesOf(width, 1);
  const size_t sourceRow = LineBytesOf(width, src.biBitCount);
  const uint8_t* srcColors = source.Colors();
  const uint32_t numColors = source.NumColors();
  const uint8_t* srcBits = source.Bits();
  uint8_t* maskBits = mask->Data() + kInfoHeaderSize + 8;
  for (int y = 0; y < height; ++y) {
    const uint8_t* s = srcBits + size_t(y) * sourceRow;
    uint8_t* m = maskBits + size_t(y) * maskRow;
    for (int x = 0; x < width; ++x) {
      if (IsMaskBackground(s, x, src.biBitCount, srcColors, numColors))
        m[x / 8] |= uint8_t(0x80 >> (x % 8));
    }
  }
  return mask;
}

std::unique_ptr<ObBmpImage> MakeMaskImage(const ObImage& source) {
  const PackedDib* dib = source.Dib();
  if (!dib) return nullptr;
  std::shared_ptr<PackedDib> mask = MakeMaskDib(*dib);
  if (!mask) return nullptr;
  return std::make_unique<ObBmpImage>(std::move(mask));
}

}  // namespace kel
