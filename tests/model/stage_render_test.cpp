// Drawing a stage: the background ANDed with the mask, then ORed with the image, per pixel,
// over an opaque or a see-through background; continue frames, depth and clipping.
#include "model/stage_render.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/dib_builder.h"
#include "support/sprite_setup.h"

namespace kel {
namespace {

using test::DibSpec;
using test::MakeDib;

// A 4 x 1 picture: 4-bit image with colours 0 black, 1 red, 2 green; 1-bit mask.
std::unique_ptr<ObBmpImage> Image(std::vector<uint32_t> indices) {
  return std::make_unique<ObBmpImage>(
      MakeDib(DibSpec{int(indices.size()), 1, 4, {0x000000, 0xFF0000, 0x00FF00}},
              [&](int x, int) { return indices[size_t(x)]; }));
}
std::unique_ptr<ObBmpImage> Mask(std::vector<uint32_t> bits) {
  return std::make_unique<ObBmpImage>(MakeDib(DibSpec{int(bits.size()), 1, 1, {0, 0xFFFFFF}},
                                              [&](int x, int) { return bits[size_t(x)]; }));
}

struct Stage {
  std::vector<uint32_t> pixels;
  StageBuffer buffer;
  Stage(int w, int h, uint32_t background) : pixels(size_t(w * h)) {
    buffer = {pixels.data(), w, h, w};
    FillStage(buffer, background, {0, 0, w, h});
  }
  void Draw(const SpriteList& list, const Motion& m, StageRect clip = {0, 0, 1 << 20, 1 << 20}) {
    DrawStage(buffer, list, m.States(), DrawOrder(list), {}, clip);
  }
  std::vector<uint32_t> Row(int y) const {
    return {pixels.begin() + y * buffer.width, pixels.begin() + (y + 1) * buffer.width};
  }
};

std::unique_ptr<ObSpriteData> Sprite(int x, int y, int depth = 1) {
  auto o = std::make_unique<ObSpriteData>();
  test::EditParams(*o, [&](ObSpriteParams& p) {
    p.Behave = 0;
    p.RandomStart = 0;
    p.PositionX = x;
    p.PositionY = y;
    p.ImageSizeX = 4;
    p.ImageSizeY = 1;
    p.Depth = int16_t(depth);
  });
  return o;
}

TEST(StageRenderTest, AndWithTheMaskThenOrWithTheImage) {
  SpriteList list;
  list.push_back(Sprite(1, 0));
  // mask black + red; mask white + black; mask white + green (a mask that does not match);
  // mask black + black.
  list[0]->AddImage(Image({1, 0, 2, 0}), 0, 0);
  list[0]->AddImage(Mask({0, 1, 1, 0}), 0, 1);
  Motion m({6, 1}, 0);
  m.Restart(list);

  const uint32_t blue = 0xFF0000FF;
  Stage opaque(6, 1, blue);
  opaque.Draw(list, m);
  EXPECT_EQ(opaque.Row(0),
            (std::vector<uint32_t>{blue, 0xFFFF0000, blue, 0xFF00FFFF, 0xFF000000, blue}));

  // Over a see-through background only what the player changes becomes opaque.
  Stage clear(6, 1, 0);
  clear.Draw(list, m);
  EXPECT_EQ(clear.Row(0), (std::vector<uint32_t>{0, 0xFFFF0000, 0, 0xFF00FF00, 0xFF000000, 0}));
}

TEST(StageRenderTest, FramesWithoutMaskOrImage) {
  SpriteList list;
  list.push_back(Sprite(0, 0));
  list[0]->AddImage(Image({1, 0, 0, 0}), 0, 0);  // no mask: ORed only
  list.push_back(Sprite(0, 1));
  list[1]->AddImage(Mask({0, 1, 0, 1}), 0, 1);  // no image: ANDed only
  Motion m({4, 2}, 0);
  m.Restart(list);
  Stage s(4, 2, 0xFF0000FF);
  s.Draw(list, m);
  EXPECT_EQ(s.Row(0), (std::vector<uint32_t>{0xFFFF00FF, 0xFF0000FF, 0xFF0000FF, 0xFF0000FF}));
  EXPECT_EQ(s.Row(1), (std::vector<uint32_t>{0xFF000000, 0xFF0000FF, 0xFF000000, 0xFF0000FF}));
}

TEST(StageRenderTest, ContinueFramesKeepThePictureBefore) {
  SpriteList list;
  list.push_back(Sprite(0, 0));
  list[0]->AddImage(Image({2, 2, 2, 2}), 0, 0);
  list[0]->AddImage(Mask({0, 0, 0, 0}), 0, 1);
  list[0]->AddImage(ContinueMark, 1, 0);
  list[0]->AddImage(ContinueMark, 1, 1);
  Motion m({4, 1}, 0);
  m.Seek(list, 1);
  ASSERT_EQ(m.States()[0].frame, 1);
  Stage s(4, 1, 0xFF000000);
  s.Draw(list, m);
  EXPECT_EQ(s.Row(0), std::vector<uint32_t>(4, 0xFF00FF00));
}

TEST(StageRenderTest, LaterAndNearerObjectsInFrontAndClipped) {
  SpriteList list;
  for (auto [colour, depth] : {std::pair{1u, 1}, std::pair{2u, 1}, std::pair{1u, 0}}) {
    list.push_back(Sprite(int(list.size()), 0, depth));
    list.back()->AddImage(Image({colour, colour, colour, colour}), 0, 0);
    list.back()->AddImage(Mask({0, 0, 0, 0}), 0, 1);
  }
  Motion m({8, 1}, 0);
  m.Restart(list);
  Stage s(8, 1, 0xFF000000);
  // Objects 0 and 1 at depth 1: the later one in front; object 2 at depth 0 before both.
  // Object 2 covers 2 .. 5; the clip ends at 5.
  s.Draw(list, m, {0, 0, 5, 1});
  EXPECT_EQ(s.Row(0), (std::vector<uint32_t>{0xFFFF0000, 0xFF00FF00, 0xFFFF0000, 0xFFFF0000,
                                             0xFFFF0000, 0xFF000000, 0xFF000000, 0xFF000000}));
}

TEST(StageRenderTest, APartDrawnIntoItsOwnBufferIsThatPartOfTheWholeStage) {
  // A plain mask with whole bytes kept (columns 8 to 15) over a grey mask drawn pixel by pixel.
  SpriteList list;
  const auto picture = [](int w, int bits, std::vector<uint32_t> colours, auto pixel) {
    return std::make_unique<ObBmpImage>(MakeDib(DibSpec{w, 5, bits, std::move(colours)}, pixel));
  };
  list.push_back(Sprite(3, 1));
  list[0]->AddImage(picture(20, 4, {0, 0xFF0000}, [](int x, int y) { return (x + y) % 3u; }), 0, 0);
  list[0]->AddImage(picture(20, 1, {0, 0xFFFFFF},
                            [](int x, int y) { return x >= 8 && x < 16 ? 1u : (x * y) % 2u; }),
                    0, 1);
  list.push_back(Sprite(10, 3));
  list[1]->AddImage(picture(12, 4, {0, 0x0000FF}, [](int x, int) { return x % 2u; }), 0, 0);
  list[1]->AddImage(picture(12, 1, {0, 0x808080}, [](int, int y) { return y % 2u; }), 0, 1);
  Motion m({32, 10}, 0);
  m.Restart(list);
  const std::pair<StageRect, StageRect> cases[] = {
      // {buffer, clip}: on its own, from inside a mask's byte, a clip wider than the buffer, a
      // clip inside it, a clip beside it.
      {{5, 2, 9, 4}, {5, 2, 9, 4}},
      {{9, 0, 7, 10}, {9, 0, 7, 10}},
      {{12, 4, 6, 3}, {0, 0, 32, 10}},
      {{0, 0, 16, 10}, {4, 3, 5, 2}},
      {{20, 0, 4, 4}, {0, 0, 8, 8}}};
  constexpr uint32_t kUntouched = 0x12345678;
  for (const uint32_t background : {0xFF0000FFu, 0u}) {
    Stage whole(32, 10, background);
    whole.Draw(list, m);
    for (const auto& [area, clip] : cases) {
      const int w = int(area.width), h = int(area.height), stride = w + 3;
      std::vector<uint32_t> pixels(size_t(stride * h), kUntouched);
      StageBuffer part{pixels.data(), w, h, stride, area.x, area.y};
      FillStage(part, background, clip);
      DrawStage(part, list, m.States(), DrawOrder(list), {}, clip);
      int wrong = 0;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < stride; ++x) {
          const bool drawn = x < w && !clip.Intersected({area.x + x, area.y + y, 1, 1}).Empty();
          wrong += pixels[size_t(y * stride + x)] !=
                   (drawn ? whole.pixels[size_t((area.y + y) * 32 + area.x + x)] : kUntouched);
        }
      EXPECT_EQ(wrong, 0) << std::hex << background << std::dec << ", buffer at " << area.x << ","
                          << area.y;
    }
  }
}

}  // namespace
}  // namespace kel
