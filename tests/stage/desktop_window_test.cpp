// The desktop player keeps no picture of the whole stage: the player draws any part of it on
// request, a band at a time, and the window's picture and shape are the ones the whole-stage
// picture gives, tick after tick.
#include <gtest/gtest.h>

#include <QPainter>
#include <QTest>

#include "document/document.h"
#include "stage/desktop_window.h"
#include "stage/stage_player.h"
#include "support/dib_builder.h"
#include "support/sprite_setup.h"

namespace kel {
namespace {

// An 8 x 8 checkerboard: red where its mask keeps the pixel, see-through between; moving at
// (vx, vy) from (x, y).
std::unique_ptr<ObSpriteData> Checker(int x, int y, int vx, int vy) {
  auto o = std::make_unique<ObSpriteData>();
  const auto red = [](int px, int py) { return (px + py) % 2 ? 0u : 1u; };
  o->AddImage(std::make_unique<ObBmpImage>(test::MakeDib({8, 8, 4, {0, 0xFF0000}}, red)), 0, 0);
  o->AddImage(std::make_unique<ObBmpImage>(test::MakeDib(
                  {8, 8, 1, {0, 0xFFFFFF}}, [&](int px, int py) { return 1 - red(px, py); })),
              0, 1);
  test::EditParams(*o, [&](ObSpriteParams& p) {
    p.RandomStart = p.Behave = 0;
    p.ImageSizeX = p.ImageSizeY = 8;
    p.PositionX = x;
    p.PositionY = y;
    p.SpeedX = vx;
    p.SpeedY = vy;
  });
  return o;
}

// A stage of 700 x 200: Render draws 93 rows at a time, and the objects cross the bands' edges.
constexpr QSize kStage(700, 200);
static_assert(StagePlayer::kBandPixels / 700 == 93);

class DesktopStageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SpriteList list;
    list.push_back(Checker(10, 88, 3, 1));
    list.push_back(Checker(300, 180, -2, 2));  // leaves the stage at the bottom
    list.push_back(Checker(694, 90, 1, 0));    // leaves it on the right
    list.push_back(Checker(14, 90, 0, 1));     // over the first one
    doc.Reset(std::move(list), {});
    for (StagePlayer* p : {&whole, &parts}) p->SetStageSize(kStage);
  }

  // What Render draws of area, put together; no band larger than kBandPixels.
  QImage Rendered(const QRect& area) {
    QImage out(area.size(), QImage::Format_ARGB32_Premultiplied);
    QPainter p(&out);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    parts.Render(area, scratch, [&](const QImage& picture, QPoint at) {
      EXPECT_LE(picture.width() * picture.height(), StagePlayer::kBandPixels);
      p.drawImage(at - area.topLeft(), picture);
    });
    return out;
  }

  Document doc;
  StagePlayer whole{doc}, parts{doc};
  std::vector<uint32_t> scratch;
};

TEST_F(DesktopStageTest, WithoutAPictureEveryPartIsDrawnAsTheWholeStageShowsIt) {
  parts.SetKeepsPicture(false);
  EXPECT_TRUE(parts.Picture().isNull());
  QImage backdrop(2, 1, QImage::Format_RGB32);
  backdrop.setPixel(0, 0, 0xFF00FF00);
  backdrop.setPixel(1, 0, 0xFF0000FF);
  for (const auto& [seeThrough, background] :
       {std::pair{false, QImage()}, std::pair{true, QImage()}, std::pair{true, backdrop}}) {
    for (StagePlayer* p : {&whole, &parts}) {
      p->SetSeeThrough(seeThrough);
      p->SetBackgroundImage(background);
      p->Restart();
    }
    for (int tick = 0; tick < 12; ++tick) {
      SCOPED_TRACE(testing::Message() << seeThrough << !background.isNull() << " tick " << tick);
      ASSERT_EQ(parts.Changed(), whole.Changed());
      EXPECT_EQ(parts.OpaqueRegion(), whole.OpaqueRegion());
      // At tick 0 the whole stage has changed.
      for (const QRect& r : parts.Changed()) EXPECT_EQ(Rendered(r), whole.Picture().copy(r));
      for (StagePlayer* p : {&whole, &parts}) p->StepOnce();
    }
  }
}

TEST_F(DesktopStageTest, TheWindowShowsAndIsShapedToTheObjectsPixels) {
  whole.SetSeeThrough(true);
  DesktopWindow window(parts, /*composited=*/false);
  EXPECT_TRUE(parts.Picture().isNull()) << "the window's own picture is the only one";
  window.Start(QRect(QPoint(), kStage));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  for (int tick = 0; tick < 3; ++tick) {
    EXPECT_EQ(window.mask(), whole.OpaqueRegion());
    const QImage shown = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage expected = whole.Picture().convertToFormat(QImage::Format_RGB32);
    int wrong = 0;
    for (const QRect& r : window.mask())
      for (int x = r.left(); x <= r.right(); ++x)
        wrong += shown.pixel(x, r.y()) != expected.pixel(x, r.y());
    EXPECT_EQ(wrong, 0) << "tick " << tick;
    for (StagePlayer* p : {&whole, &parts}) p->StepOnce();
  }
  // With nothing left to show the window goes.
  for (const auto& sprite : doc.Objects()) parts.SetShown(sprite.get(), false);
  EXPECT_TRUE(window.isHidden());
}

// A tick redraws where the objects were and are by rectangles that cover all of it and never
// overlap (no part is drawn twice), one for each group of overlapping objects.
TEST(DisjointCoverTest, OverlapsMergeAndTheRestStaysApart) {
  std::vector<QRect> many;
  for (int i = 0; i <= int(StagePlayer::kMaxCoverRects); ++i) many.push_back(QRect(3 * i, 0, 2, 2));
  const struct {
    const char* what;
    std::vector<QRect> rects;
    size_t pieces;
  } cases[] = {
      {"nothing", {}, 0},
      {"empty rectangles", {QRect(), QRect(5, 5, 0, 3)}, 0},
      {"apart", {QRect(0, 0, 10, 10), QRect(10, 0, 10, 10), QRect(0, 20, 4, 4)}, 3},
      {"a chain", {QRect(0, 0, 10, 10), QRect(8, 8, 10, 10), QRect(16, 16, 10, 10)}, 1},
      // The piece a merge makes reaches one already passed over.
      {"grown",
       {QRect(0, 0, 10, 10), QRect(100, 0, 10, 10), QRect(50, 50, 5, 5), QRect(5, 5, 100, 2)},
       2},
      {"too many", many, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<QRect> pieces = StagePlayer::DisjointCover(c.rects);
    EXPECT_EQ(pieces.size(), c.pieces);
    QRegion covered;
    for (size_t i = 0; i < pieces.size(); ++i) {
      covered += pieces[i];
      for (size_t j = i + 1; j < pieces.size(); ++j) EXPECT_FALSE(pieces[i].intersects(pieces[j]));
    }
    for (const QRect& r : c.rects) EXPECT_TRUE((QRegion(r) - covered).isEmpty()) << r.x();
  }
}

}  // namespace
}  // namespace kel
