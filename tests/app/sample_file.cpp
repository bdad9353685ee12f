// A small, good-looking object file for the README's screenshot, written by a test that only
// runs when asked for (scripts/screenshot.sh):
//   KEL_SAMPLE_OUT=sample.kel test_app --gtest_also_run_disabled_tests
//       --gtest_filter='SampleFile.DISABLED_Write'
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "files/object_file.h"
#include "model/dib.h"
#include "model/sprite.h"
#include "support/sprite_setup.h"

namespace kel::test {
namespace {

constexpr int kSide = 32;

// An 8-bit picture drawn by colour(x, y) → palette index; the palette is a blue-to-yellow ramp
// with black at 0 and white at 255.
std::unique_ptr<ObBmpImage> Picture(const std::function<uint8_t(int, int)>& colour) {
  const size_t rowBytes = LineBytesOf(kSide, 8);
  const size_t offBits = kInfoHeaderSize + 4 * 256;
  auto dib = PackedDib::Allocate(offBits + rowBytes * kSide);
  BitmapInfoHeader h;
  h.biWidth = kSide;
  h.biHeight = kSide;
  h.biBitCount = 8;
  h.biSizeImage = uint32_t(rowBytes * kSide);
  h.Store(dib->Data());
  for (int i = 0; i < 256; ++i) {
    uint8_t* e = dib->Data() + kInfoHeaderSize + 4 * size_t(i);
    e[0] = uint8_t(255 - i);                 // blue
    e[1] = uint8_t(i < 128 ? i * 2 : 255);   // green
    e[2] = uint8_t(i < 128 ? 64 + i : 255);  // red
  }
  uint8_t* colours = dib->Data() + kInfoHeaderSize;
  colours[0] = colours[1] = colours[2] = 0;
  colours[4 * 255] = colours[4 * 255 + 1] = colours[4 * 255 + 2] = 255;
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x)
      dib->Data()[offBits + size_t(kSide - 1 - y) * rowBytes + size_t(x)] = colour(x, y);
  return std::make_unique<ObBmpImage>(std::move(dib));
}

// A ball that squashes as it lands, frame f of n.
std::unique_ptr<ObSpriteData> Ball(const std::string& name, int n, int behave) {
  auto sprite = std::make_unique<ObSpriteData>();
  SetName(*sprite, name);
  EditParams(*sprite, [&](ObSpriteParams& p) {
    p.Behave = behave;
    p.ImageSizeX = kSide;
    p.ImageSizeY = kSide;
    p.SpeedX = 4;
    p.PositionX = 120;
    p.PositionY = 80;
    p.Depth = 3;
  });
  for (int f = 0; f < n; ++f) {
    const double t = double(f) / n;
    const double cy = 8 + 16 * std::abs(std::sin(t * 3.14159));
    const double rx = 8 + (f == 0 ? 3 : 0), ry = 8 - (f == 0 ? 3 : 0);
    auto inside = [=](int x, int y) {
      const double dx = (x - 16) / rx, dy = (y - (32 - cy)) / ry;
      return dx * dx + dy * dy <= 1.0;
    };
    sprite->AddImage(FrameSlot(Picture([=](int x, int y) -> uint8_t {
                       if (!inside(x, y)) return 0;
                       return uint8_t(60 + 190 * (1.0 - (x + y) / 64.0));
                     })),
                     int16_t(f), 0);
    sprite->AddImage(
        FrameSlot(Picture([=](int x, int y) -> uint8_t { return inside(x, y) ? 0 : 255; })),
        int16_t(f), 1);
    sprite->AddLocation(TPoint{100 + 20 * f, 200 - int32_t(cy)}, int16_t(f));
  }
  // The last frame holds on to the picture before it.
  sprite->AddImage(FrameSlot(ContinueMark), int16_t(n), 0);
  sprite->AddImage(FrameSlot(ContinueMark), int16_t(n), 1);
  sprite->AddLocation(TPoint{100 + 20 * n, 200}, int16_t(n));
  return sprite;
}

TEST(SampleFile, DISABLED_Write) {
  const char* out = std::getenv("KEL_SAMPLE_OUT");
  ASSERT_NE(out, nullptr) << "KEL_SAMPLE_OUT names the file to write";
  SpriteList list;
  list.push_back(Ball("\x83\x7b\x81\x5b\x83\x8b", 5, ObSpriteData::kFixedPosition));  // ボール
  list.push_back(Ball("bounce", 8, 1));
  std::ofstream file(out, std::ios::binary | std::ios::trunc);
  ASSERT_TRUE(WriteObjectFile(file, list));
}

}  // namespace
}  // namespace kel::test
