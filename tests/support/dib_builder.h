// Builds packed DIBs for display and grid tests: the 40-byte header, a colour table and bottom-up
// rows written from a pixel function whose y counts from the top.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "model/dib.h"

namespace kel::test {

struct DibSpec {
  int width = 1;
  int height = 1;
  int bits = 8;
  std::vector<uint32_t> colors = {};  // 0x00RRGGBB per entry
  uint32_t clrUsed = 0;               // written as biClrUsed; 0 means the depth's full table
  uint32_t compression = 0;
  uint32_t headerSize = kInfoHeaderSize;
  size_t dropBytes = 0;  // bytes cut from the end (a truncated picture)
};

// pixel(x, y): a colour index for 1 to 8 bits, 0x00RRGGBB for 16 (reduced to 5-5-5), 24 and 32
// bits (the unused byte of 32 bits from unusedByte).
inline std::shared_ptr<PackedDib> MakeDib(const DibSpec& s,
                                          const std::function<uint32_t(int, int)>& pixel,
                                          uint8_t unusedByte = 0) {
  const uint32_t numColors = s.clrUsed ? s.clrUsed : (s.bits <= 8 ? (1u << s.bits) : 0u);
  const size_t rowBytes = size_t((int64_t(s.width) * s.bits + 31) / 32 * 4);
  const int rows = s.height < 0 ? -s.height : s.height;  // a negative height: top-down rows
  const size_t full = kInfoHeaderSize + 4 * size_t(numColors) + rowBytes * size_t(rows);
  auto dib = PackedDib::Allocate(full - s.dropBytes);
  std::vector<uint8_t> bytes(full, 0);
  BitmapInfoHeader h;
  h.biSize = s.headerSize;
  h.biWidth = s.width;
  h.biHeight = s.height;
  h.biBitCount = uint16_t(s.bits);
  h.biCompression = s.compression;
  h.biSizeImage = uint32_t(rowBytes * size_t(rows));
  h.biClrUsed = s.clrUsed;
  h.Store(bytes.data());
  for (size_t i = 0; i < numColors; ++i) {
    uint32_t c = i < s.colors.size() ? s.colors[i] : 0;
    uint8_t* e = bytes.data() + kInfoHeaderSize + 4 * i;
    e[0] = uint8_t(c);
    e[1] = uint8_t(c >> 8);
    e[2] = uint8_t(c >> 16);
  }
  uint8_t* bits = bytes.data() + kInfoHeaderSize + 4 * size_t(numColors);
  for (int y = 0; y < rows; ++y) {
    uint8_t* row = bits + size_t(s.height < 0 ? y : rows - 1 - y) * rowBytes;
    for (int x = 0; x < s.width; ++x) {
      const uint32_t v = pixel(x, y);
      switch (s.bits) {
        case 1:
          row[x / 8] |= uint8_t((v & 1) << (7 - x % 8));
          break;
        case 4:
          row[x / 2] |= uint8_t((v & 15) << (x % 2 ? 0 : 4));
          break;
        case 8:
          row[x] = uint8_t(v);
          break;
        case 16: {
          uint16_t w =
              uint16_t((((v >> 19) & 31) << 10) | (((v >> 11) & 31) << 5) | ((v >> 3) & 31));
          row[2 * x] = uint8_t(w);
          row[2 * x + 1] = uint8_t(w >> 8);
          break;
        }
        case 24:
        case 32: {
          uint8_t* p = row + (s.bits / 8) * x;
          p[0] = uint8_t(v);
          p[1] = uint8_t(v >> 8);
          p[2] = uint8_t(v >> 16);
          if (s.bits == 32) p[3] = unusedByte;
          break;
        }
        default:
          break;
      }
    }
  }
  std::copy(bytes.begin(), bytes.begin() + ptrdiff_t(dib->Size()), dib->Data());
  return dib;
}

// The colour of pixel (x, y) of a stored-form DIB of 1, 8 or 24 bits, counted from the top, as
// 0xRRGGBB.
inline uint32_t PixelRgb(const PackedDib& dib, int x, int y) {
  const BitmapInfoHeader h = dib.Header();
  const uint8_t* row =
      dib.Bits() + size_t(h.biHeight - 1 - y) * LineBytesOf(h.biWidth, h.biBitCount);
  const uint8_t* c = h.biBitCount == 1   ? dib.Colors() + 4 * ((row[x / 8] >> (7 - x % 8)) & 1)
                     : h.biBitCount == 8 ? dib.Colors() + 4 * row[x]
                                         : row + 3 * x;
  return uint32_t(c[2]) << 16 | uint32_t(c[1]) << 8 | c[0];
}

}  // namespace kel::test
