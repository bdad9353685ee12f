// The object file the object-file benchmarks work on: 32 objects of 64 frames, each frame a
// 256 x 256 picture of 8 bits per pixel with a 1-bit mask (about 150 MB). The pixels follow from
// the object and frame numbers, so every run builds the same bytes.
#pragma once

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "files/object_file.h"
#include "model/dib.h"
#include "model/image.h"
#include "model/sprite.h"

namespace kel::bench {

inline constexpr int kObjects = 32;
inline constexpr int kFrames = 64;
inline constexpr int kSide = 256;

// A bottom-up DIB of width x height pixels with a colour table of colors entries, its header
// written; the colour table and the rows are the caller's to fill.
inline std::shared_ptr<PackedDib> BlankDib(int width, int height, uint16_t bitCount,
                                           uint32_t colors) {
  BitmapInfoHeader h;
  h.biWidth = width;
  h.biHeight = height;
  h.biBitCount = bitCount;
  h.biSizeImage = uint32_t(LineBytesOf(width, bitCount)) * uint32_t(height);
  h.biClrUsed = colors;
  std::shared_ptr<PackedDib> dib = PackedDib::AllocateForOverwrite(size_t(StoredDibBytes(h)));
  h.Store(dib->Data());
  return dib;
}

// A 640 x 480 picture of the editor benchmarks (an object of 128 such frames fills the grid):
// stripes that differ per frame, with a full colour table of bits.
inline constexpr int kEditorFrames = 128;
inline constexpr int kEditorWidth = 640;
inline constexpr int kEditorHeight = 480;

inline std::shared_ptr<PackedDib> StripedDib(int bits, int frame) {
  const uint32_t colors = 1u << bits;
  const size_t lineBytes = LineBytesOf(kEditorWidth, uint16_t(bits));
  auto dib = BlankDib(kEditorWidth, kEditorHeight, uint16_t(bits), colors);
  uint8_t* table = dib->Data() + kInfoHeaderSize;
  for (uint32_t i = 0; i < colors; ++i) {
    table[4 * i] = uint8_t(i * 7);
    table[4 * i + 1] = uint8_t(i * 13 + frame);
    table[4 * i + 2] = uint8_t(255 - i);
    table[4 * i + 3] = 0;
  }
  uint8_t* rows = table + 4 * colors;
  for (int y = 0; y < kEditorHeight; ++y)
    for (size_t x = 0; x < lineBytes; ++x) rows[size_t(y) * lineBytes + x] = uint8_t(x + y + frame);
  return dib;
}

// A bottom-up DIB of kSide x kSide pixels with a full colour table.
inline std::shared_ptr<PackedDib> MakeDib(uint16_t bitCount, uint32_t colors) {
  return BlankDib(kSide, kSide, bitCount, colors);
}

// The picture of one frame: a palette of colour ramps and diagonal bands that move with the
// frame number.
inline std::shared_ptr<PackedDib> MakeImage(int object, int frame) {
  std::shared_ptr<PackedDib> dib = MakeDib(8, 256);
  uint8_t* colors = dib->Data() + kInfoHeaderSize;
  for (int i = 0; i < 256; ++i) {
    colors[4 * i + 0] = uint8_t(i);
    colors[4 * i + 1] = uint8_t(255 - i);
    colors[4 * i + 2] = uint8_t(i * 7 + object);
    colors[4 * i + 3] = 0;
  }
  uint8_t* bits = colors + 4 * 256;
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x)
      bits[y * kSide + x] = uint8_t(x + 2 * y + 5 * frame + 11 * object);
  return dib;
}

// The mask of one frame: a disc whose radius grows with the frame number.
inline std::shared_ptr<PackedDib> MakeMask(int object, int frame) {
  std::shared_ptr<PackedDib> dib = MakeDib(1, 2);
  uint8_t* colors = dib->Data() + kInfoHeaderSize;
  const uint8_t table[8] = {0, 0, 0, 0, 255, 255, 255, 0};
  std::memcpy(colors, table, sizeof table);
  uint8_t* bits = colors + 8;
  const int lineBytes = LineBytesOf(kSide, 1);
  const int r = 32 + (frame * 3 + object) % 96;
  for (int y = 0; y < kSide; ++y) {
    uint8_t* row = bits + y * lineBytes;
    std::memset(row, 0, size_t(lineBytes));
    for (int x = 0; x < kSide; ++x) {
      const int dx = x - kSide / 2, dy = y - kSide / 2;
      if (dx * dx + dy * dy > r * r) row[x / 8] |= uint8_t(0x80 >> (x % 8));
    }
  }
  return dib;
}

inline SpriteList MakeWorkload() {
  SpriteList list;
  for (int n = 0; n < kObjects; ++n) {
    auto s = std::make_unique<ObSpriteData>();
    char name[32];
    std::snprintf(name, sizeof name, "object%02d", n);
    std::string stored = name;
    s->SwapName(stored);
    ObSpriteParams p = s->Params();
    p.Behave = n % ObSpriteData::kBehaveCount;
    p.ImageSizeX = kSide;
    p.ImageSizeY = kSide;
    p.PositionX = n * 10;
    p.PositionY = n * 5;
    p.SpeedX = 1 + n % 3;
    p.SpeedY = -(n % 4);
    s->SetParams(p);
    for (int16_t i = 0; i < kFrames; ++i) {
      s->AddImage(FrameSlot(std::make_unique<ObBmpImage>(MakeImage(n, i))), i, 0);
      s->AddImage(FrameSlot(std::make_unique<ObBmpImage>(MakeMask(n, i))), i, 1);
      if (p.Behave == ObSpriteData::kFixedPosition) s->AddLocation(TPoint{i * 4, n * 8});
    }
    list.push_back(std::move(s));
  }
  return list;
}

// Writes the workload to path; false (with a message on stderr) when it cannot.
inline bool WriteWorkload(const std::string& path) {
  const SpriteList list = MakeWorkload();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out || !WriteObjectFile(out, list) || !out.flush()) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

}  // namespace kel::bench
