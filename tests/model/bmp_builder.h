// Bitmap files built byte by byte for the model's tests, in the forms real programs write:
// every header kind, top-down rows, bit fields, gaps before the pixels. Written independently of
// the loader under test; every field can be overridden to make refused files the same way.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/dib.h"
#include "support/kel_builder.h"

namespace kel::test::bmp {

using build::PutLe;
using build::SetLe;
inline uint32_t Get(const std::string& s, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= uint32_t(uint8_t(s[at + size_t(i)])) << (8 * i);
  return v;
}

struct Layout {
  uint32_t headerSize = 40;  // 12 (core), 40, 108 (V4), 124 (V5)
  uint16_t bits = 8;
  uint32_t compression = 0;
  bool topDown = false;
  uint32_t clrUsed = 0;           // the header's count (not written for core headers)
  std::vector<uint32_t> palette;  // 0xRRGGBB, written as the colour table
  uint32_t masks[3] = {0, 0, 0};  // bit-field masks: after a 40-byte header, inside larger ones
  bool writeMasks = false;        // whether masks go after a 40-byte header
  uint32_t gap = 0;               // bytes between the colour table and the pixels
  uint32_t offBitsOverride = 0;   // non-zero: the file header's offset field as given
};

// The rows of a picture: value(x, y) for y from the top is a colour index (up to 8 bits), the
// raw 16- or 32-bit pixel value, or 0xRRGGBB for 24 bits.
inline std::string Rows(int w, int h, uint16_t bits, bool topDown,
                        const std::function<uint32_t(int, int)>& value) {
  const size_t row = (size_t(w) * bits + 31) / 32 * 4;
  std::string out;
  for (int r = 0; r < h; ++r) {
    const int y = topDown ? r : h - 1 - r;  // file row r shows picture row y
    std::string line(row, '\0');
    for (int x = 0; x < w; ++x) {
      const uint32_t v = value(x, y);
      switch (bits) {
        case 1:
          if (v & 1) line[size_t(x) / 8] = char(uint8_t(line[size_t(x) / 8]) | (0x80 >> (x % 8)));
          break;
        case 4:
          line[size_t(x) / 2] =
              char(uint8_t(line[size_t(x) / 2]) | (x % 2 == 0 ? (v & 15) << 4 : (v & 15)));
          break;
        case 8:
          line[size_t(x)] = char(v);
          break;
        case 16:
          SetLe(line, 2 * size_t(x), v, 2);
          break;
        case 24:
          SetLe(line, 3 * size_t(x), v, 3);  // blue, green, red
          break;
        case 32:
          SetLe(line, 4 * size_t(x), v, 4);
          break;
      }
    }
    out += line;
  }
  return out;
}

// A complete bitmap file: file header, the chosen info header, masks, colour table, gap, pixels.
inline std::string File(const Layout& l, int32_t w, int32_t h, const std::string& pixels) {
  std::string dib;
  const bool core = l.headerSize == 12;
  PutLe(dib, l.headerSize, 4);
  if (core) {
    PutLe(dib, uint32_t(w), 2);
    PutLe(dib, uint32_t(h), 2);
    PutLe(dib, 1, 2);
    PutLe(dib, l.bits, 2);
  } else {
    PutLe(dib, uint32_t(w), 4);
    PutLe(dib, uint32_t(l.topDown ? -h : h), 4);
    PutLe(dib, 1, 2);
    PutLe(dib, l.bits, 2);
    PutLe(dib, l.compression, 4);
    PutLe(dib, pixels.size(), 4);
    PutLe(dib, 2835, 4);
    PutLe(dib, 2835, 4);
    PutLe(dib, l.clrUsed, 4);
    PutLe(dib, 0, 4);
    if (l.headerSize > 40) {
      for (uint32_t m : l.masks) PutLe(dib, m, 4);
      PutLe(dib, 0, 4);  // alpha mask
      dib.append(l.headerSize - 56, '\0');
    } else if (l.writeMasks) {
      for (uint32_t m : l.masks) PutLe(dib, m, 4);
    }
  }
  for (uint32_t c : l.palette) {
    PutLe(dib, c & 0xFFFFFF, 3);  // blue, green, red
    if (!core) PutLe(dib, 0, 1);
  }
  dib.append(l.gap, '\0');
  const uint32_t offBits = l.offBitsOverride ? l.offBitsOverride : uint32_t(14 + dib.size());
  dib += pixels;
  std::string file;
  PutLe(file, 0x4D42, 2);
  PutLe(file, 14 + dib.size(), 4);
  PutLe(file, 0, 4);
  PutLe(file, offBits, 4);
  return file + dib;
}

// A stored-form DIB made directly (40-byte header, bottom-up), for tests of images themselves.
inline std::shared_ptr<PackedDib> StoredDib(int32_t w, int32_t h, uint16_t bits,
                                            const std::vector<uint32_t>& palette,
                                            const std::function<uint32_t(int, int)>& value,
                                            uint32_t clrUsed = 0) {
  std::string bytes;
  const std::string rows = Rows(w, h, bits, false, value);
  PutLe(bytes, 40, 4);
  PutLe(bytes, uint32_t(w), 4);
  PutLe(bytes, uint32_t(h), 4);
  PutLe(bytes, 1, 2);
  PutLe(bytes, bits, 2);
  PutLe(bytes, 0, 4);
  PutLe(bytes, rows.size(), 4);
  PutLe(bytes, 0, 8);
  PutLe(bytes, clrUsed, 4);
  PutLe(bytes, 0, 4);
  for (uint32_t c : palette) PutLe(bytes, c & 0xFFFFFF, 4);
  bytes += rows;
  auto dib = PackedDib::Allocate(bytes.size());
  std::copy(bytes.begin(), bytes.end(), dib->Data());
  return dib;
}

// Sixteen distinct colours, and the 256 of a full 8-bit table.
inline std::vector<uint32_t> Palette(size_t n) {
  std::vector<uint32_t> p;
  for (size_t i = 0; i < n; ++i)
    p.push_back(
        uint32_t(((i * 37) & 0xFF) << 16 | ((i * 91 + 7) & 0xFF) << 8 | ((255 - i) & 0xFF)));
  return p;
}

}  // namespace kel::test::bmp
