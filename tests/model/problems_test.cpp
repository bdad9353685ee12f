// The problems check: what a valid object would show wrong in the player, found per object,
// frame and row.
#include "model/problems.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/dib_builder.h"
#include "support/sprite_setup.h"

namespace kel {
namespace {

using namespace test;

FrameSlot Pic(int w, int h) {
  return FrameSlot(std::make_unique<ObBmpImage>(
      test::MakeDib({.width = w, .height = h, .bits = 1}, [](int, int) { return 0u; })));
}

// One object of three 8 × 6 frames with masks, image size 8 × 6, named "a": no problem at all.
std::unique_ptr<ObSpriteData> Clean(const char* name = "a") {
  auto s = std::make_unique<ObSpriteData>();
  SetName(*s, name);
  EditParams(*s, [&](ObSpriteParams& p) {
    p.ImageSizeX = 8;
    p.ImageSizeY = 6;
  });
  for (int16_t i = 0; i < 3; ++i) {
    s->AddImage(Pic(8, 6), i, 0);
    s->AddImage(Pic(8, 6), i, 1);
  }
  return s;
}

struct Case {
  const char* what;
  std::function<void(SpriteList&)> change;  // on a list of one clean object
  std::vector<Problem> expected;            // messages compared by their beginning
};

TEST(ProblemsTest, EachKindIsFoundAtItsObjectFrameAndRow) {
  using R = ProblemRow;
  const Case cases[] = {
      {"clean", [](SpriteList&) {}, {}},
      {"mask smaller than its image",
       [](SpriteList& l) { l[0]->AddImage(Pic(8, 5), 1, 1); },
       {{0, 2, R::Mask, "マスクの大きさ 8×5 がイメージの大きさ 8×6 と違います"}}},
      {"image without mask",
       [](SpriteList& l) { SetSlot(*l[0], 2, true, FrameSlot()); },
       {{0, 3, R::Mask, "イメージにマスクがありません"}}},
      {"continue mask takes the earlier one",
       [](SpriteList& l) { SetSlot(*l[0], 2, true, FrameSlot(ContinueMark)); },
       {}},
      {"continue frame repeats nothing already found",
       [](SpriteList& l) {
         l[0]->AddImage(Pic(8, 5), 1, 1);
         l[0]->AddImage(FrameSlot(ContinueMark), 2, 0);
         l[0]->AddImage(FrameSlot(ContinueMark), 2, 1);
       },
       {{0, 2, R::Mask, "マスクの大きさ 8×5"}}},
      {"continue at frame 1",
       [](SpriteList& l) {
         l[0]->AddImage(FrameSlot(ContinueMark), 0, 0);
         l[0]->AddImage(FrameSlot(ContinueMark), 0, 1);
       },
       {{0, 1, R::Image, "最初のフレームが連続フレームです"}}},
      {"only the mask of frame 1 continues",
       [](SpriteList& l) { SetSlot(*l[0], 0, true, FrameSlot(ContinueMark)); },
       {{0, 1, R::Mask, "最初のフレームが連続フレームです"}}},
      {"sound past the last frame",
       [](SpriteList& l) {
         SetSound(*l[0], std::make_unique<ObSound>());
         SetSoundFrame(*l[0], 4);
       },
       {{0, 4, R::Sound, "サウンドのフレーム 4 は最後のフレーム 3 より後なので"}}},
      {"sound at the last frame",
       [](SpriteList& l) {
         SetSound(*l[0], std::make_unique<ObSound>());
         SetSoundFrame(*l[0], 3);
       },
       {}},
      {"sound without a frame",
       [](SpriteList& l) { SetSound(*l[0], std::make_unique<ObSound>()); },
       {{0, 0, R::Sound, "サウンドにフレームが指定されていない"}}},
      {"image and mask wider than the image size",
       [](SpriteList& l) {
         l[0]->AddImage(Pic(9, 6), 0, 0);
         l[0]->AddImage(Pic(9, 6), 0, 1);
       },
       {{0, 1, R::Image, "イメージの大きさ 9×6 がイメージサイズ 8×6 より大きく"},
        {0, 1, R::Mask, "マスクの大きさ 9×6 がイメージサイズ 8×6 より大きく"}}},
      {"picture smaller than the image size",
       [](SpriteList& l) {
         l[0]->AddImage(Pic(2, 2), 0, 0);
         l[0]->AddImage(Pic(2, 2), 0, 1);
       },
       {}},
      {"image size 0 shows nothing",
       [](SpriteList& l) {
         EditParams(*l[0], [&](ObSpriteParams& p) { p.ImageSizeY = 0; });
         l[0]->SetNumFrames(1);
       },
       {{0, 1, R::Image, "イメージの大きさ 8×6 がイメージサイズ 8×0"},
        {0, 1, R::Mask, "マスクの大きさ 8×6 がイメージサイズ 8×0"}}},
      {"fixed position with too few locations",
       [](SpriteList& l) {
         EditParams(*l[0], [&](ObSpriteParams& p) { p.Behave = ObSpriteData::kFixedPosition; });
         l[0]->AddLocation({1, 2});
       },
       {{0, 2, R::Location,
         "指定位置のオブジェクトですが、位置が 1 個しかありません (3 フレーム)"}}},
      {"fixed position with a location each",
       [](SpriteList& l) {
         EditParams(*l[0], [&](ObSpriteParams& p) { p.Behave = ObSpriteData::kFixedPosition; });
         for (int i = 0; i < 3; ++i) l[0]->AddLocation({i, i});
       },
       {}},
      {"locations of another behaviour are not needed",
       [](SpriteList& l) { EditParams(*l[0], [](ObSpriteParams& p) { p.Behave = 3; }); },
       {}},
      {"a name used twice, the later objects are named",
       [](SpriteList& l) {
         l.push_back(Clean("b"));
         l.push_back(Clean("a"));
         l.push_back(Clean("a"));
         SetSlot(*l[3], 0, true, FrameSlot());
       },
       {{2, 0, R::Object, "名前 \"a\" はほかのオブジェクトと重複しています"},
        {3, 0, R::Object, "名前 \"a\""},
        {3, 1, R::Mask, "イメージにマスクがありません"}}},
      {"names differing in letter case are distinct",
       [](SpriteList& l) { l.push_back(Clean("A")); },
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SpriteList list;
    list.push_back(Clean());
    c.change(list);
    const std::vector<Problem> found = FindProblems(list);
    ASSERT_EQ(found.size(), c.expected.size());
    for (size_t i = 0; i < found.size(); ++i) {
      const Problem& f = found[i];
      const Problem& e = c.expected[i];
      EXPECT_EQ(f.object, e.object);
      EXPECT_EQ(f.frame, e.frame);
      EXPECT_EQ(f.row, e.row);
      EXPECT_EQ(f.message.rfind(e.message, 0), 0u) << f.message;
    }
  }
}

}  // namespace
}  // namespace kel
