// Sprite objects: frames and their slots, continue frames, display bitmaps, locations, clearing.
#include "model/sprite.h"

#include <gtest/gtest.h>

#include <cstring>

#include "model/bmp_builder.h"
#include "model/bmp_file.h"
#include "support/sprite_setup.h"
#include "support/test_paths.h"

namespace kel {
namespace {

using namespace test;

// A picture whose life can be watched: the DIB goes when the image that loaded it goes.
struct Watched {
  std::unique_ptr<ObBmpImage> image;
  std::weak_ptr<const PackedDib> dib;
};

Watched Picture(int w = 2, int h = 2, uint16_t bits = 24) {
  std::vector<uint32_t> palette =
      bits <= 8 ? test::bmp::Palette(size_t(1) << bits) : std::vector<uint32_t>{};
  auto dib =
      test::bmp::StoredDib(w, h, bits, palette, [](int x, int y) { return uint32_t(x + y); });
  Watched p;
  p.dib = dib;
  p.image = std::make_unique<ObBmpImage>(std::move(dib));
  return p;
}

TEST(SpriteTest, NewObjectHasTheDefaults) {
  ObSpriteData s;
  EXPECT_EQ(s.Params().Depth, 1);
  EXPECT_EQ(s.Params().AutoRepeat, 1);
  EXPECT_EQ(s.Params().RandomStart, 1);
  EXPECT_EQ(s.OwnsImages(), 1);
  EXPECT_EQ(s.Params().Behave, 0);
  EXPECT_EQ(s.NumFrames(), 0);
  EXPECT_EQ(s.FrameCount(), 0);
  EXPECT_TRUE(s.Locations().empty());
  EXPECT_EQ(s.Sound(), nullptr);
  EXPECT_EQ(s.Name(), "");
  // Both lists start with room for 33 entries.
  EXPECT_GE(s.ImageArray().capacity(), 33u);
  EXPECT_GE(s.Locations().capacity(), 33u);
}

TEST(SpriteTest, BehaviourNamesInComboOrder) {
  const char* expected[] = {"流れ", "ﾊﾞｳﾝﾄﾞ", "１ｼｮｯﾄ", "ﾗﾝﾀﾞﾑｳｫｰｸ", "指定位置"};
  for (int i = 0; i < ObSpriteData::kBehaveCount; ++i)
    EXPECT_STREQ(ObSpriteData::BehaveName[i], expected[i]) << i;
  EXPECT_EQ(ObSpriteData::BehaveName[ObSpriteData::kBehaveCount], nullptr);
  EXPECT_STREQ(ObSpriteData::BehaveName[ObSpriteData::kFixedPosition], "指定位置");
}

TEST(SpriteFramesTest, ZeroFramesDestroysEveryFrameAndPicture) {
  ObSpriteData s;
  Watched a = Picture(), b = Picture();
  s.AddImage(std::move(a.image), 0, 0);
  s.AddImage(std::move(b.image), 2, 1);
  ASSERT_EQ(s.NumFrames(), 3);
  s.SetNumFrames(0);
  EXPECT_EQ(s.NumFrames(), 0);
  EXPECT_EQ(s.FrameCount(), 0);
  EXPECT_TRUE(a.dib.expired());
  EXPECT_TRUE(b.dib.expired());
}

TEST(SpriteFramesTest, ShrinkingDestroysTheLastFramesAndGrowingAppendsEmptyOnes) {
  ObSpriteData s;
  std::vector<Watched> pictures;
  std::vector<ObBmpImage*> kept;
  for (int16_t i = 0; i < 5; ++i) {
    pictures.push_back(Picture());
    kept.push_back(pictures.back().image.get());
    s.AddImage(std::move(pictures.back().image), i, 0);
  }
  s.SetNumFrames(3);
  EXPECT_EQ(s.NumFrames(), 3);
  EXPECT_EQ(s.FrameCount(), 3);
  for (int16_t i = 0; i < 3; ++i) {
    EXPECT_EQ(s.GetImage(i).Image(), kept[size_t(i)]);
    EXPECT_FALSE(pictures[size_t(i)].dib.expired());
  }
  EXPECT_TRUE(pictures[3].dib.expired());
  EXPECT_TRUE(pictures[4].dib.expired());

  s.ExpandImageArray(5);
  EXPECT_EQ(s.NumFrames(), 5);
  EXPECT_EQ(s.FrameCount(), 5);
  EXPECT_TRUE(s.GetImage(3).IsEmpty() && s.GetMask(3).IsEmpty());
  EXPECT_TRUE(s.GetImage(4).IsEmpty() && s.GetMask(4).IsEmpty());
  EXPECT_EQ(s.GetImage(2).Image(), kept[2]);

  s.ExpandImageArray(-4);  // no such count: nothing is left
  EXPECT_EQ(s.NumFrames(), 0);
  EXPECT_EQ(s.FrameCount(), 0);
}

TEST(SpriteFramesTest, AddImageBeyondTheEndGrowsTheListFirst) {
  ObSpriteData s;
  s.SetNumFrames(2);
  Watched p = Picture();
  ObBmpImage* raw = p.image.get();
  EXPECT_EQ(s.AddImage(std::move(p.image), 9, 0), 9);
  EXPECT_EQ(s.NumFrames(), 10);
  EXPECT_EQ(s.FrameCount(), 10);
  for (int16_t i = 2; i < 9; ++i) EXPECT_TRUE(s.GetImage(i).IsEmpty()) << i;
  EXPECT_EQ(s.GetImage(9).Image(), raw);
  EXPECT_TRUE(s.GetMask(9).IsEmpty());
}

TEST(SpriteFramesTest, ReplacingAPictureDestroysTheOldOne) {
  ObSpriteData s;
  Watched old = Picture(), replacement = Picture();
  s.AddImage(std::move(old.image), 0, 1);
  s.AddImage(std::move(replacement.image), 0, 1);
  EXPECT_TRUE(old.dib.expired());
  EXPECT_FALSE(replacement.dib.expired());
  EXPECT_TRUE(s.GetImage(0).IsEmpty());
}

TEST(SpriteFramesTest, AContinueFrameThatReceivesAPictureKeepsOnlyThat) {
  for (int mask : {0, 1}) {
    SCOPED_TRACE(mask ? "mask" : "image");
    ObSpriteData s;
    // The continue-icon command marks the image slot, then the mask slot.
    s.AddImage(ContinueMark, 1, 0);
    s.AddImage(ContinueMark, 1, 1);
    ASSERT_TRUE(s.GetImage(1).IsContinue());
    ASSERT_TRUE(s.GetMask(1).IsContinue());
    Watched p = Picture();
    ObBmpImage* raw = p.image.get();
    s.AddImage(std::move(p.image), 1, mask);
    const FrameSlot& got = mask ? s.GetMask(1) : s.GetImage(1);
    const FrameSlot& other = mask ? s.GetImage(1) : s.GetMask(1);
    EXPECT_EQ(got.Image(), raw);
    EXPECT_TRUE(other.IsEmpty());
  }
}

TEST(SpriteFramesTest, MarkingAContinueFrameAgainKeepsBothSlotsMarked) {
  ObSpriteData s;
  for (int round = 0; round < 2; ++round) {
    s.AddImage(ContinueMark, 0, 0);
    s.AddImage(ContinueMark, 0, 1);
  }
  EXPECT_TRUE(s.GetImage(0).IsContinue());
  EXPECT_TRUE(s.GetMask(0).IsContinue());
}

TEST(SpriteFramesTest, MissingFramesReadAsEmptySlots) {
  ObSpriteData s;
  s.SetNumFrames(1);
  EXPECT_TRUE(s.GetImage(-1).IsEmpty());
  EXPECT_TRUE(s.GetImage(1).IsEmpty());
  EXPECT_TRUE(s.GetMask(500).IsEmpty());
  EXPECT_EQ(s.AddImage(FrameSlot(), -2, 0), -2);
  EXPECT_EQ(s.NumFrames(), 1);
}

TEST(SpriteFramesTest, ContinueFramesResolveToTheNearestEarlierPicture) {
  ObSpriteData s;
  Watched a = Picture(), m = Picture();
  ObBmpImage* rawA = a.image.get();
  ObBmpImage* rawM = m.image.get();
  // [A, marker, marker, empty, marker]
  s.AddImage(std::move(a.image), 0, 0);
  s.AddImage(std::move(m.image), 0, 1);
  for (int16_t i : {1, 2, 4}) {
    s.AddImage(ContinueMark, i, 0);
    s.AddImage(ContinueMark, i, 1);
  }
  struct Case {
    int16_t index;
    ObBmpImage* image;
    ObBmpImage* mask;
  } cases[] = {{0, rawA, rawM},       {1, rawA, rawM},       {2, rawA, rawM},
               {3, nullptr, nullptr}, {4, nullptr, nullptr}, {-1, nullptr, nullptr},
               {5, nullptr, nullptr}};
  for (const Case& c : cases) {
    EXPECT_EQ(s.GetPrevImage(c.index), c.image) << c.index;
    EXPECT_EQ(s.GetPrevMask(c.index), c.mask) << c.index;
  }

  ObSpriteData first;  // a marker at index 0 has nothing before it
  first.AddImage(ContinueMark, 0, 0);
  first.AddImage(ContinueMark, 0, 1);
  EXPECT_EQ(first.GetPrevImage(0), nullptr);
  EXPECT_EQ(first.GetImageHandle(0), nullptr);
}

TEST(SpriteFramesTest, HandlesOfContinueFramesAreThoseOfTheEarlierPicture) {
  MemoryDisplay display;
  ObSpriteData s;
  Watched a = Picture(), m = Picture();
  ObBmpImage* rawA = a.image.get();
  ObBmpImage* rawM = m.image.get();
  s.AddImage(std::move(a.image), 0, 0);
  s.AddImage(std::move(m.image), 0, 1);
  s.AddImage(ContinueMark, 1, 0);
  s.AddImage(ContinueMark, 1, 1);
  s.SetNumFrames(3);
  // No display bitmap yet: no handle.
  EXPECT_EQ(s.GetImageHandle(1), nullptr);
  EXPECT_EQ(s.GetMaskHandle(1), nullptr);
  s.MakeDDB(display);
  ASSERT_NE(rawA->Bitmap(), nullptr);
  EXPECT_EQ(s.GetImageHandle(0), rawA->Bitmap().get());
  EXPECT_EQ(s.GetImageHandle(1), rawA->Bitmap().get());
  EXPECT_EQ(s.GetMaskHandle(1), rawM->Bitmap().get());
  EXPECT_EQ(s.GetImageHandle(2), nullptr);
  EXPECT_EQ(s.GetImageHandle(3), nullptr);
}

TEST(SpriteFramesTest, MakeDdbStopsAtTheFirstSlotWithoutAPicture) {
  MemoryDisplay display;
  ObSpriteData s;
  Watched imageOnly = Picture(2, 2, 4), maskOnly = Picture(2, 2, 1);
  Watched both = Picture(2, 2, 8), bothMask = Picture(2, 2, 1);
  ObBmpImage* rawImageOnly = imageOnly.image.get();
  ObBmpImage* rawMaskOnly = maskOnly.image.get();
  ObBmpImage* rawBoth = both.image.get();
  ObBmpImage* rawBothMask = bothMask.image.get();
  s.AddImage(std::move(imageOnly.image), 0, 0);
  s.AddImage(std::move(maskOnly.image), 1, 1);
  s.AddImage(std::move(both.image), 2, 0);
  s.AddImage(std::move(bothMask.image), 2, 1);
  s.AddImage(ContinueMark, 3, 0);
  s.AddImage(ContinueMark, 3, 1);

  EXPECT_EQ(s.MakeDDB(display, 0), 0);  // the image is done, the empty mask ends it
  EXPECT_NE(rawImageOnly->Bitmap(), nullptr);
  EXPECT_NE(rawImageOnly->Palette(), nullptr);
  EXPECT_EQ(s.MakeDDB(display, 1), 0);  // an empty image slot: the mask gets nothing
  EXPECT_EQ(rawMaskOnly->Bitmap(), nullptr);
  EXPECT_EQ(s.MakeDDB(display, 2), 1);
  EXPECT_NE(rawBoth->Bitmap(), nullptr);
  EXPECT_NE(rawBoth->Palette(), nullptr);
  EXPECT_NE(rawBothMask->Bitmap(), nullptr);
  EXPECT_EQ(s.MakeDDB(display, 3), 0);
  EXPECT_EQ(s.MakeDDB(display, 4), 0);
}

TEST(SpriteLocationsTest, InsertAppendAndReplace) {
  ObSpriteData s;
  s.AddLocation({1, 1});
  s.AddLocation({2, 2});
  s.SetLocation({9, 9}, 2);  // equal to the count: nothing
  EXPECT_EQ(s.Locations(), (std::vector<TPoint>{{1, 1}, {2, 2}}));
  s.AddLocation({3, 3}, 2);  // equal to the count: appends
  s.AddLocation({0, 0}, 0);  // inserts in front, moving the rest up
  s.AddLocation({5, 5}, 2);
  EXPECT_EQ(s.Locations(), (std::vector<TPoint>{{0, 0}, {1, 1}, {5, 5}, {2, 2}, {3, 3}}));
  s.SetLocation({7, -7}, 1);
  s.SetLocation({8, 8}, -1);
  EXPECT_EQ(s.Locations()[1], (TPoint{7, -7}));
  EXPECT_EQ(s.Locations().size(), 5u);
}

TEST(SpriteTest, ClearResetsEverythingAndLeavesTheNameEmpty) {
  ObSpriteData s;
  Watched p = Picture();
  SetName(s, "obj");
  EditParams(s, [&](ObSpriteParams& p) {
    p.Depth = 7;
    p.Behave = 4;
    p.AutoRepeat = 0;
    p.RandomStart = 0;
    p.ImageSizeX = 10;
    p.ImageSizeY = 11;
    p.PositionX = -5;
    p.PositionY = 6;
    p.SpeedX = 3;
    p.SpeedY = -3;
  });
  s.AddImage(std::move(p.image), 3, 0);
  s.AddLocation({1, 2});
  SetSound(s, std::make_unique<ObSound>());
  s.Clear();
  EXPECT_EQ(s.Name(), "");
  EXPECT_TRUE(p.dib.expired());
  EXPECT_EQ(s.NumFrames(), 0);
  EXPECT_EQ(s.FrameCount(), 0);
  EXPECT_TRUE(s.Locations().empty());
  EXPECT_EQ(s.Sound(), nullptr);
  EXPECT_EQ(s.Params().Depth, 1);
  EXPECT_EQ(s.Params().Behave, 0);
  EXPECT_EQ(s.Params().AutoRepeat, 1);
  EXPECT_EQ(s.Params().RandomStart, 1);
  EXPECT_EQ(s.Params().ImageSizeX, 0);
  EXPECT_EQ(s.Params().ImageSizeY, 0);
  EXPECT_EQ(s.Params().PositionX, 0);
  EXPECT_EQ(s.Params().PositionY, 0);
  EXPECT_EQ(s.Params().SpeedX, 0);
  EXPECT_EQ(s.Params().SpeedY, 0);
}

TEST(SpriteTest, LoadImageFillsAnExistingSlotThatIsNotAContinueMark) {
  test::TempDir dir;
  const std::string path = (dir / "pic.bmp").string();
  test::WriteFileBytes(
      path, BitmapFileBytes(*test::bmp::StoredDib(3, 2, 24, {}, [](int, int) { return 5u; })));
  ObSpriteData s;
  Watched old = Picture();
  s.AddImage(std::move(old.image), 0, 1);
  s.AddImage(ContinueMark, 1, 0);
  s.AddImage(ContinueMark, 1, 1);

  s.LoadImage(path.c_str(), 0, 1);
  EXPECT_TRUE(old.dib.expired());
  ASSERT_TRUE(s.GetMask(0).IsImage());
  EXPECT_TRUE(s.GetMask(0).Image()->HasDib());
  EXPECT_EQ(s.GetMask(0).Image()->Width(), 3);

  s.LoadImage(path.c_str(), 1, 0);  // continue frame: left as it is
  EXPECT_TRUE(s.GetImage(1).IsContinue());
  s.LoadImage(path.c_str(), 2, 0);  // no such frame
  EXPECT_EQ(s.FrameCount(), 2);

  // A file that does not load still leaves an (empty) picture in the slot.
  s.LoadImage((dir / "missing.bmp").string().c_str(), 0, 0);
  ASSERT_TRUE(s.GetImage(0).IsImage());
  EXPECT_FALSE(s.GetImage(0).Image()->HasDib());
}

TEST(FrameSlotTest, TakeEmptiesTheSlotAndHandsOverThePicture) {
  Watched p = Picture();
  ObBmpImage* raw = p.image.get();
  FrameSlot slot(std::move(p.image));
  std::unique_ptr<ObBmpImage> taken = slot.Take();
  EXPECT_EQ(taken.get(), raw);
  EXPECT_TRUE(slot.IsEmpty());
  FrameSlot marker(ContinueMark);
  EXPECT_EQ(marker.Take(), nullptr);
  EXPECT_TRUE(marker.IsEmpty());
}

}  // namespace
}  // namespace kel
