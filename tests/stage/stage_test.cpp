// The stage follows the document: an edit, an undo, an object removed or left out shows on the
// stage's picture; the stage window's view and controls show that picture.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "document/document.h"
#include "document/edit_steps.h"
#include "model/sound_port.h"
#include "platform/prompt.h"
#include "stage/stage_player.h"
#include "stage/stage_view.h"
#include "stage/stage_window.h"
#include "support/dib_builder.h"
#include "support/sprite_setup.h"

namespace kel {
namespace {

constexpr QRgb kRed = 0xFFFF0000, kBlack = 0xFF000000;

// A 4 x 4 red square with a mask that keeps all of it, standing at (x, y).
std::unique_ptr<ObSpriteData> Square(int x, int y, const char* name = "sq") {
  auto o = std::make_unique<ObSpriteData>();
  test::SetName(*o, name);
  o->AddImage(std::make_unique<ObBmpImage>(
                  test::MakeDib({4, 4, 4, {0, 0xFF0000}}, [](int, int) { return 1u; })),
              0, 0);
  o->AddImage(std::make_unique<ObBmpImage>(
                  test::MakeDib({4, 4, 1, {0, 0xFFFFFF}}, [](int, int) { return 0u; })),
              0, 1);
  test::EditParams(*o, [&](ObSpriteParams& p) {
    p.RandomStart = 0;
    p.Behave = 0;
    p.ImageSizeX = p.ImageSizeY = 4;
    p.PositionX = x;
    p.PositionY = y;
  });
  return o;
}

class StageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SpriteList list;
    list.push_back(Square(10, 10));
    doc.Reset(std::move(list), {});
    player.SetStageSize({64, 48});
  }
  QRgb At(int x, int y) const { return player.Picture().pixel(x, y); }

  Document doc;
  StagePlayer player{doc};
};

TEST_F(StageTest, AnEditAndItsUndoShowAtOnce) {
  EXPECT_EQ(At(10, 10), kRed);
  ObSpriteParams moved = doc.Object(0)->Params();
  moved.PositionX = 30;
  moved.SpeedY = 2;
  doc.Push(new ParamsOp(doc, doc.Object(0), moved));
  EXPECT_EQ(At(10, 10), kBlack);
  EXPECT_EQ(At(30, 10), kRed);
  // The edited object is where its new values put it at the present tick.
  player.StepOnce();
  player.StepOnce();
  EXPECT_EQ(At(30, 14), kRed);
  EXPECT_EQ(At(30, 13), kBlack);
  doc.History().undo();
  EXPECT_EQ(At(10, 10), kRed);
  EXPECT_EQ(At(30, 14), kBlack);
  EXPECT_EQ(player.Tick(), 2);
}

TEST_F(StageTest, AnObjectRemovedOrLeftOutGoesFromTheStage) {
  doc.Push(new InsertObjectOp(doc, 1, Square(40, 20, "two")));
  QCoreApplication::processEvents();
  EXPECT_EQ(At(40, 20), kRed);
  player.SetShown(doc.Object(1), false);
  EXPECT_EQ(At(40, 20), kBlack);
  EXPECT_EQ(At(10, 10), kRed);
  player.SetShown(doc.Object(1), true);
  doc.Push(new RemoveObjectOp(doc, 0));
  QCoreApplication::processEvents();
  EXPECT_EQ(At(10, 10), kBlack);
  EXPECT_EQ(At(40, 20), kRed);
}

class CountingSound final : public SoundPort {
 public:
  void PlayAsync(const uint8_t*, size_t) override { ++played; }
  void Stop() override {}
  int played = 0;
};

TEST_F(StageTest, TheSoundPlaysWhenItsFrameIsShown) {
  CountingSound port;
  InstallSoundPort(&port);
  ObSpriteData& o = *doc.Object(0);
  QTemporaryDir dir;
  const QString wave = dir.filePath(QStringLiteral("a.wav"));
  {
    QFile f(wave);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("RIFF....WAVEdata");  // any bytes: the port given them decides what they are
  }
  auto sound = std::make_unique<ObSound>(wave.toLocal8Bit().constData());
  ASSERT_NE(sound->WaveData(), nullptr) << sound->LoadError();
  sound->Frame = 2;
  doc.Push(new FrameCountOp(doc, &o, 3));
  doc.Push(new SoundOp(doc, &o, std::move(sound), nullptr));
  std::vector<int> ticks;
  for (int t = 1; t <= 7; ++t) {
    const int before = port.played;
    player.StepOnce();
    if (port.played != before) ticks.push_back(t);
  }
  player.SetShown(&o, false);
  player.Restart();
  for (int t = 1; t <= 3; ++t) player.StepOnce();
  InstallSoundPort(nullptr);
  EXPECT_EQ(ticks, (std::vector<int>{1, 4, 7}));
  EXPECT_EQ(port.played, 3) << "an object left out is not heard";
}

TEST_F(StageTest, BackgroundColourAndPicture) {
  player.SetBackground(QColor(0, 0, 255));
  EXPECT_EQ(At(0, 0), 0xFF0000FFu);
  QImage half(2, 1, QImage::Format_RGB32);
  half.setPixel(0, 0, 0xFF00FF00);
  half.setPixel(1, 0, 0xFFFFFFFF);
  player.SetBackgroundImage(half);  // scaled to the stage
  EXPECT_EQ(At(0, 47), 0xFF00FF00u);
  EXPECT_EQ(At(63, 0), 0xFFFFFFFFu);
  EXPECT_EQ(At(11, 11), kRed);
}

TEST_F(StageTest, StepRestartAndSeedFromTheWindow) {
  ScriptedPromptPort prompt;
  StageWindow window(doc, prompt);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  StagePlayer& p = window.Player();
  EXPECT_TRUE(p.Playing());
  EXPECT_EQ(p.StageSize(), QSize(640, 480));
  window.SizeBox->setCurrentIndex(1);
  EXPECT_EQ(p.StageSize(), QSize(800, 600));
  EXPECT_EQ(window.View().size(), QSize(800, 600));
  QTest::mouseClick(window.StepButton, Qt::LeftButton);
  QTest::mouseClick(window.StepButton, Qt::LeftButton);
  EXPECT_FALSE(p.Playing());
  EXPECT_EQ(p.Tick(), 2);
  QTest::mouseClick(window.RestartButton, Qt::LeftButton);
  EXPECT_EQ(p.Tick(), 0);
  window.SpeedBox->setCurrentIndex(4);
  EXPECT_EQ(p.Speed(), 4.0);
  // The list ticks every object; unticking leaves it out.
  ASSERT_EQ(window.ObjectList->count(), 1);
  EXPECT_EQ(window.ObjectList->item(0)->text(), QStringLiteral("sq"));
  window.ObjectList->item(0)->setCheckState(Qt::Unchecked);
  EXPECT_FALSE(p.Shown(doc.Object(0)));
  // The view shows the player's picture.
  window.ObjectList->item(0)->setCheckState(Qt::Checked);
  const QImage shown = window.View().grab().toImage();
  EXPECT_EQ(shown.pixel(10, 10), kRed);
  // A picture that cannot be read is refused with a message and changes nothing.
  EXPECT_FALSE(window.LoadBackground(QStringLiteral("/nonexistent/picture.png")));
  EXPECT_FALSE(p.HasBackgroundImage());
  ASSERT_EQ(prompt.Messages().size(), 1u);
  EXPECT_TRUE(prompt.Messages()[0].text.startsWith(QStringLiteral("背景画像を読み込めません。")));
}

}  // namespace
}  // namespace kel
