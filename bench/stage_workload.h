// Objects for the stage benchmarks: count objects of frames frames, each frame a side x side
// 8-bit picture of a ring (its colour from the object and frame) on black, with the mask made
// from it. Behaviours take turns (flow, bounce, one shot with a speed that keeps it on the stage
// a while, random walk), every one with a random start, so the objects spread over the stage.
#pragma once

#include <memory>

#include "bench_workload.h"
#include "model/mask.h"

namespace kel::bench {

inline std::shared_ptr<PackedDib> RingDib(int side, int object, int frame) {
  auto dib = BlankDib(side, side, 8, 256);
  uint8_t* table = dib->Data() + kInfoHeaderSize;
  for (int i = 0; i < 256; ++i) {
    table[4 * i] = uint8_t(i == 0 ? 0 : 40 + (object * 37 + i) % 200);
    table[4 * i + 1] = uint8_t(i == 0 ? 0 : 40 + (frame * 53 + i) % 200);
    table[4 * i + 2] = uint8_t(i == 0 ? 0 : 255 - i / 2);
    table[4 * i + 3] = 0;
  }
  uint8_t* rows = table + 4 * 256;
  const size_t line = LineBytesOf(side, 8);
  const int c = side / 2;
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) {
      const int d2 = (x - c) * (x - c) + (y - c) * (y - c);
      const bool ring = d2 < c * c && d2 > (c / 2) * (c / 2);
      rows[size_t(y) * line + size_t(x)] = ring ? uint8_t(1 + (x + y + frame) % 255) : 0;
    }
  return dib;
}

inline SpriteList StageObjects(int count, int side, int frames) {
  SpriteList list;
  for (int i = 0; i < count; ++i) {
    auto o = std::make_unique<ObSpriteData>();
    std::string name = "obj" + std::to_string(i);
    o->SwapName(name);
    for (int f = 0; f < frames; ++f) {
      auto image = std::make_unique<ObBmpImage>(RingDib(side, i, f));
      auto mask = MakeMaskImage(*image);
      o->AddImage(std::move(image), int16_t(f), 0);
      o->AddImage(std::move(mask), int16_t(f), 1);
    }
    ObSpriteParams p = o->Params();
    p.Behave = i % 4;
    p.RandomStart = 1;
    p.Depth = int16_t(i % 3);
    p.ImageSizeX = p.ImageSizeY = int16_t(side);
    p.SpeedX = 1 + i % 7;
    p.SpeedY = (i % 2 ? -1 : 1) * (1 + i % 5);
    if (p.Behave == 2) p.SpeedX = p.SpeedY = 0;  // a one shot that stays
    o->SetParams(p);
    list.push_back(std::move(o));
  }
  return list;
}

}  // namespace kel::bench
