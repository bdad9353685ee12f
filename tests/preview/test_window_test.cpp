// The animation preview: its layout from the object's image size, frames shown in order by a
// test run, continue and empty frames, the scroll bar and the frame number, the sound at its
// frame, closing, and objects that go while a preview is open.
#include "preview/test_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <functional>
#include <memory>
#include <vector>

#include "model/sound_port.h"
#include "model/sprite.h"
#include "platform/qt_display.h"
#include "support/dib_builder.h"
#include "support/sprite_setup.h"
#include "support/test_paths.h"

namespace kel::test {
namespace {

// Colours of the frames' pictures, 0x00RRGGBB.
constexpr uint32_t kColors[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF,
                                0xFF00FF, 0x808080, 0x800000, 0x008000, 0x000080};
constexpr QRgb kWhite = 0xFFFFFFFF, kBlack = 0xFF000000;

// Records every sound started, with the frame number the preview showed at that moment.
class RecordingSound final : public SoundPort {
 public:
  void PlayAsync(const uint8_t* data, size_t) override {
    if (data) played.push_back(frameText ? frameText->text() : QString());
  }
  void Stop() override {}
  std::vector<QString> played;
  QPointer<QLineEdit> frameText;
};

// A w x h 8-bit picture of one colour, ready to be shown (palette and display bitmap made).
std::unique_ptr<ObBmpImage> Solid(int w, int h, uint32_t color) {
  auto image = std::make_unique<ObBmpImage>(MakeDib(
      {.width = w, .height = h, .bits = 8, .colors = {color}}, [](int, int) { return 0u; }));
  QtDisplay display;
  image->MakePalette();
  image->DIBtoDDB(display);
  return image;
}

std::unique_ptr<ObSpriteData> Sprite(int sizeX, int sizeY, int frames) {
  auto s = std::make_unique<ObSpriteData>();
  EditParams(*s, [&](ObSpriteParams& p) {
    p.ImageSizeX = int16_t(sizeX);
    p.ImageSizeY = int16_t(sizeY);
  });
  for (int i = 0; i < frames; ++i)
    s->AddImage(FrameSlot(Solid(sizeX, sizeY, kColors[i % 10])), int16_t(i), 0);
  return s;
}

class PreviewTest : public ::testing::Test {
 protected:
  PreviewTest() { InstallSoundPort(&sound); }
  ~PreviewTest() override {
    for (auto& w : windows) delete w.data();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    InstallSoundPort(nullptr);
  }

  ObTestWindow* Open(ObSpriteData* s) {
    auto* w = new ObTestWindow(&owner, QStringLiteral("テスト表示"), s);
    w->Create();
    windows.emplace_back(w);
    sound.frameText = w->FrameEdit;
    return w;
  }
  static QRgb Pixel(const ObTestWindow& w, int x, int y) { return w.Picture().pixel(x, y); }
  // Waits for the run to end; the frame numbers shown meanwhile, in order.
  static QStringList Run(ObTestWindow& w) {
    QStringList shown;
    auto c = QObject::connect(w.FrameEdit, &QLineEdit::textChanged,
                              [&](const QString& t) { shown << t; });
    QSignalSpy finished(&w, &ObTestWindow::TestFinished);
    w.TestStart();
    EXPECT_TRUE(finished.wait(5000));
    QObject::disconnect(c);
    return shown;
  }
  static void DeleteClosed() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  QWidget owner;
  RecordingSound sound;
  std::vector<QPointer<ObTestWindow>> windows;
};

// ---- layout

struct LayoutCase {
  int sizeX, sizeY;
  QSize client;
  QRect scrollBar, test, end, edit;
};

class PreviewLayout : public PreviewTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(PreviewLayout, ControlsStandWhereTheImageSizePutsThem) {
  const LayoutCase& c = GetParam();
  auto s = Sprite(c.sizeX, c.sizeY, 1);
  ObTestWindow* w = Open(s.get());
  EXPECT_EQ(w->size(), c.client);
  EXPECT_EQ(w->ScrollBar->geometry(), c.scrollBar);
  EXPECT_EQ(w->TestButton->geometry(), c.test);
  EXPECT_EQ(w->EndButton->geometry(), c.end);
  EXPECT_EQ(w->FrameEdit->geometry(), c.edit);
  w->DispImage(0);
  EXPECT_EQ(w->Picture().size(), QSize(c.sizeX, c.sizeY));
}

// The window is the classic frame's width plus one: t = (client width + 8) / 3.
const LayoutCase kLayouts[] = {
    {50,
     40,
     {201, 261},
     {0, 200, 201, 16},
     {0, 216, 69, 44},
     {69, 216, 69, 44},
     {156, 220, 33, 30}},
    {640,
     480,
     {641, 541},
     {0, 480, 641, 16},
     {0, 496, 216, 44},
     {216, 496, 216, 44},
     {523, 500, 33, 30}},
    {200,
     300,
     {201, 361},
     {0, 300, 201, 16},
     {0, 316, 69, 44},
     {69, 316, 69, 44},
     {156, 320, 33, 30}},
    // Wider than the 800 x 600 screen: scaled down to fit, controls and all.
    {2000,
     1,
     {792, 261},
     {0, 200, 792, 16},
     {0, 216, 266, 44},
     {266, 216, 266, 44},
     {648, 220, 33, 30}},
};

INSTANTIATE_TEST_SUITE_P(Sizes, PreviewLayout, ::testing::ValuesIn(kLayouts));

TEST_F(PreviewTest, ControlsCarryTheirIdsTextsAndKinds) {
  auto s = Sprite(32, 32, 3);
  ObTestWindow* w = Open(s.get());
  EXPECT_EQ(w->windowTitle(), QStringLiteral("テスト表示"));
  EXPECT_TRUE(w->isWindow());
  EXPECT_FALSE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_EQ(w->Control(ObTestWindow::IDC_SCROLLBAR), w->ScrollBar);
  EXPECT_EQ(w->Control(ObTestWindow::IDC_TEST), w->TestButton);
  EXPECT_EQ(w->Control(ObTestWindow::IDC_END), w->EndButton);
  EXPECT_EQ(w->Control(ObTestWindow::IDC_FRAME), w->FrameEdit);
  EXPECT_EQ(w->Control(101), nullptr);
  EXPECT_EQ(w->TestButton->text(), QStringLiteral("ﾃｽﾄ"));
  EXPECT_EQ(w->EndButton->text(), QStringLiteral("終了"));
  EXPECT_FALSE(w->TestButton->isDefault() || w->TestButton->autoDefault());
  EXPECT_FALSE(w->EndButton->isDefault() || w->EndButton->autoDefault());
  EXPECT_EQ(w->ScrollBar->orientation(), Qt::Horizontal);
  EXPECT_EQ(w->FrameEdit->maxLength(), 4);
  EXPECT_TRUE(w->FrameEdit->isReadOnly());
  EXPECT_EQ(w->FrameEdit->text(), QString());
}

TEST_F(PreviewTest, EscClosesIt) {
  auto s = Sprite(32, 32, 3);
  QPointer<ObTestWindow> w = Open(s.get());
  w->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(w.data()));
  QTest::keyClick(w.data(), Qt::Key_Escape);
  QApplication::processEvents();
  EXPECT_TRUE(!w || !w->isVisible());
}

// ---- the scroll bar and the frame shown

TEST_F(PreviewTest, TheScrollBarSpansTheFramesAndShowsTheFrameMovedTo) {
  auto s = Sprite(16, 8, 10);
  ObTestWindow* w = Open(s.get());
  EXPECT_EQ(w->LastFrame, 9);
  EXPECT_EQ(w->ScrollBar->minimum(), 0);
  EXPECT_EQ(w->ScrollBar->maximum(), 9);
  EXPECT_EQ(w->ScrollBar->value(), 0);
  w->ScrollBar->setValue(4);
  EXPECT_EQ(w->CurrentFrame, 4);
  EXPECT_EQ(w->FrameEdit->text(), QStringLiteral("5"));
  EXPECT_EQ(Pixel(*w, 5, 4), 0xFF000000u | kColors[4]);
  w->ScrollBar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(w->CurrentFrame, 5);
  EXPECT_EQ(w->FrameEdit->text(), QStringLiteral("6"));
  EXPECT_EQ(Pixel(*w, 5, 4), 0xFF000000u | kColors[5]);
  w->ScrollBar->triggerAction(QAbstractSlider::SliderToMaximum);
  EXPECT_EQ(w->FrameEdit->text(), QStringLiteral("10"));
}

TEST_F(PreviewTest, ShowingAFrameMovesTheBarAndWritesItsNumber) {
  auto s = Sprite(16, 8, 10);
  ObTestWindow* w = Open(s.get());
  w->DispImage(7);
  EXPECT_EQ(w->ScrollBar->value(), 7);
  EXPECT_EQ(w->FrameEdit->text(), QStringLiteral("8"));
  EXPECT_EQ(w->CurrentFrame, 0) << "only the user's scrolling sets the current frame";
}

// The picture at the top-left: a cleared rectangle (black outline, white inside) of the image
// size, the picture copied over it from the corner.
TEST_F(PreviewTest, ThePictureIsCopiedOverTheClearedImageArea) {
  auto s = Sprite(50, 40, 0);
  s->AddImage(FrameSlot(Solid(20, 10, 0xFF0000)), 0, 0);
  ObTestWindow* w = Open(s.get());
  w->DispImage(0);
  EXPECT_EQ(Pixel(*w, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(Pixel(*w, 19, 9), 0xFFFF0000u);
  EXPECT_EQ(Pixel(*w, 30, 20), kWhite);
  EXPECT_EQ(Pixel(*w, 49, 39), kBlack);
  EXPECT_EQ(Pixel(*w, 49, 0), kBlack);
  // What the window shows is that picture, at its top-left corner.
  const QImage shown = w->grab(QRect(0, 0, 50, 40)).toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(shown, w->Picture());
  EXPECT_EQ(w->grab(QRect(60, 60, 1, 1)).toImage().pixel(0, 0), w->palette().window().color().rgb())
      << "nothing is drawn beyond the image size";
}

TEST_F(PreviewTest, ContinueFramesShowTheNearestEarlierPictureWithoutItsPalette) {
  auto s = Sprite(8, 8, 2);  // red, green
  s->AddImage(FrameSlot(ContinueMark), 2, 0);
  s->AddImage(FrameSlot(ContinueMark), 2, 1);
  s->AddImage(FrameSlot(ContinueMark), 3, 0);
  s->AddImage(FrameSlot(ContinueMark), 3, 1);
  s->SetNumFrames(5);  // frame 4 empty
  ObTestWindow* w = Open(s.get());

  w->DispImage(1);
  EXPECT_EQ(Pixel(*w, 4, 4), 0xFF00FF00u);
  ASSERT_NE(w->SelectedPalette(), nullptr);
  EXPECT_EQ(w->SelectedPalette(), s->GetImage(1).Image()->Palette());
  for (unsigned frame : {2u, 3u}) {
    w->DispImage(frame);
    EXPECT_EQ(Pixel(*w, 4, 4), 0xFF00FF00u) << frame;
    EXPECT_EQ(w->SelectedPalette(), nullptr) << frame;
    EXPECT_EQ(w->FrameEdit->text(), QString::number(frame + 1));
  }
  // An empty frame leaves the cleared rectangle.
  w->DispImage(4);
  EXPECT_EQ(Pixel(*w, 4, 4), kWhite);
  EXPECT_EQ(Pixel(*w, 0, 0), kBlack);
  EXPECT_EQ(w->SelectedPalette(), nullptr);
  EXPECT_EQ(w->FrameEdit->text(), QStringLiteral("5"));
}

TEST_F(PreviewTest, ChangesToTheObjectShowOnTheNextDraw) {
  auto s = Sprite(8, 8, 3);
  ObTestWindow* w = Open(s.get());
  s->AddImage(FrameSlot(Solid(8, 8, 0x123456)), 1, 0);
  w->ScrollBar->setValue(1);
  EXPECT_EQ(Pixel(*w, 3, 3), 0xFF123456u);
  // Frames taken away meanwhile: the bar keeps its range, the frames beyond draw as empty.
  s->SetNumFrames(1);
  w->ScrollBar->setValue(2);
  EXPECT_EQ(w->ScrollBar->maximum(), 2);
  EXPECT_EQ(Pixel(*w, 3, 3), kWhite);
  EXPECT_EQ(w->FrameEdit->text(), QStringLiteral("3"));
}

TEST(PreviewFitTest, APictureLargerThanTheScreenIsScaledToFit) {
  struct Case {
    QSize image, screen;
    double scale;
  } cases[] = {
      {{640, 480}, {800, 600}, 1.0},   // fits with its band and title bar
      {{791, 499}, {800, 600}, 1.0},   // just fits both ways
      {{1582, 100}, {800, 600}, 0.5},  // too wide
      {{100, 998}, {800, 600}, 0.5},   // too high
      {{4000, 4000}, {1920, 1080}, (1080.0 - 101) / 4000},
      {{0, 0}, {800, 600}, 1.0},
  };
  for (const Case& c : cases)
    EXPECT_DOUBLE_EQ(ObTestWindow::FitScale(c.image, c.screen), c.scale)
        << c.image.width() << "x" << c.image.height();
}

TEST_F(PreviewTest, ALargePictureShowsScaledWithItsButtonsOnTheScreen) {
  auto s = Sprite(1600, 1000, 1);
  ObTestWindow* w = Open(s.get());
  w->DispImage(0);
  EXPECT_EQ(w->Picture().size(), QSize(1600, 1000));
  const QRect screen = w->screen()->availableGeometry();
  EXPECT_LE(w->width() + 2 * ObTestWindow::kFrameBorder, screen.width());
  EXPECT_LE(w->EndButton->geometry().bottom() + ObTestWindow::kTitleAllowance, screen.height());
  EXPECT_LT(w->Scale(), 1.0);
}

TEST_F(PreviewTest, AChangedOrClearedObjectShowsItsNewState) {
  auto s = Sprite(8, 8, 3);
  ObTestWindow* w = Open(s.get());
  w->ScrollBar->setValue(2);
  // Larger pictures and fewer frames: the window grows, the bar spans the frames there are and
  // the last one is shown.
  s->SetNumFrames(2);
  EditParams(*s, [](ObSpriteParams& p) { p.ImageSizeX = p.ImageSizeY = 300; });
  s->AddImage(FrameSlot(Solid(300, 300, 0x123456)), 1, 0);
  w->SpriteChanged();
  EXPECT_EQ(w->size(), QSize(301, 361));
  EXPECT_EQ(w->ScrollBar->maximum(), 1);
  EXPECT_EQ(w->FrameEdit->text(), QStringLiteral("2"));
  EXPECT_EQ(Pixel(*w, 250, 250), 0xFF123456u);
  EXPECT_TRUE(sound.played.empty());
  // Cleared: nothing left to show.
  s->Clear();
  w->SpriteChanged();
  EXPECT_TRUE(w->Picture().isNull());
  EXPECT_EQ(w->FrameEdit->text(), QString());
  EXPECT_EQ(w->ScrollBar->maximum(), 0);
}

// An image size of 0 draws nothing: the picture, the bar and the number stay as they were.
TEST_F(PreviewTest, AnEmptyImageSizeDrawsNothing) {
  auto s = Sprite(8, 8, 3);
  ObTestWindow* w = Open(s.get());
  w->DispImage(0);
  const QImage before = w->Picture();
  EditParams(*s, [&](ObSpriteParams& p) { p.ImageSizeX = 0; });
  w->DispImage(2);
  EXPECT_EQ(w->Picture(), before);
  EXPECT_EQ(w->ScrollBar->value(), 0);
  EXPECT_EQ(w->FrameEdit->text(), QStringLiteral("1"));
}

// ---- test runs

TEST_F(PreviewTest, ARunShowsEveryFrameInOrderAFrameTimeEach) {
  auto s = Sprite(8, 8, 5);
  ObTestWindow* w = Open(s.get());
  std::vector<qint64> at;
  std::vector<QRgb> colors;
  QElapsedTimer clock;
  clock.start();
  QObject::connect(w->FrameEdit, &QLineEdit::textChanged, [&] {
    at.push_back(clock.elapsed());
    colors.push_back(Pixel(*w, 4, 4));
  });
  QSignalSpy finished(w, &ObTestWindow::TestFinished);
  w->TestStart();
  // The first frame is there at once, and the window goes on taking events.
  EXPECT_EQ(w->FrameEdit->text(), QStringLiteral("1"));
  EXPECT_TRUE(w->Playing());
  ASSERT_TRUE(finished.wait(5000));
  const qint64 end = clock.elapsed();
  EXPECT_FALSE(w->Playing());
  ASSERT_EQ(colors.size(), 5u);
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(colors[i], 0xFF000000u | kColors[i]) << i;
  for (size_t i = 1; i < at.size(); ++i)
    EXPECT_GE(at[i] - at[i - 1], ObTestWindow::kFrameMs - 5) << "frame " << i + 1;
  EXPECT_GE(end - at.back(), ObTestWindow::kFrameMs - 5) << "the last frame keeps its time too";
  EXPECT_EQ(w->FrameEdit->text(), QStringLiteral("5")) << "the last frame stays";
  EXPECT_EQ(w->ScrollBar->value(), 4);
}

TEST_F(PreviewTest, ARunOfOneFrameShowsItForOneFrameTime) {
  auto s = Sprite(8, 8, 1);
  ObTestWindow* w = Open(s.get());
  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(Run(*w), QStringList{"1"});
  EXPECT_GE(clock.elapsed(), ObTestWindow::kFrameMs - 5);
}

TEST_F(PreviewTest, TheTestButtonPlaysAgainAndRestartsARunInProgress) {
  auto s = Sprite(8, 8, 4);
  ObTestWindow* w = Open(s.get());
  EXPECT_EQ(Run(*w), (QStringList{"1", "2", "3", "4"}));

  QStringList shown;
  QObject::connect(w->FrameEdit, &QLineEdit::textChanged, [&](const QString& t) { shown << t; });
  QSignalSpy finished(w, &ObTestWindow::TestFinished);
  QTest::mouseClick(w->TestButton, Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return shown.size() >= 2; }, 2000));
  QTest::mouseClick(w->TestButton, Qt::LeftButton);  // again, halfway
  ASSERT_TRUE(finished.wait(5000));
  EXPECT_EQ(finished.count(), 1) << "the first run ended in the second";
  ASSERT_GE(shown.size(), 6);
  EXPECT_EQ(shown.mid(shown.size() - 4), (QStringList{"1", "2", "3", "4"}));
}

TEST_F(PreviewTest, MovingTheBarDuringARunEndsIt) {
  auto s = Sprite(8, 8, 8);
  ObTestWindow* w = Open(s.get());
  w->TestStart();
  w->ScrollBar->setValue(6);
  EXPECT_FALSE(w->Playing());
  QTest::qWait(250);
  EXPECT_EQ(w->FrameEdit->text(), QStringLiteral("7"));
}

// ---- sound

TEST_F(PreviewTest, TheSoundStartsWhenItsFrameIsShown) {
  auto s = Sprite(8, 8, 5);
  TempDir dir;
  WriteFileBytes(dir / "a.wav", "RIFF-not-checked-here");
  SetSound(*s, std::make_unique<ObSound>((dir / "a.wav").c_str()));
  ASSERT_NE(s->Sound()->WaveData(), nullptr);
  SetSoundFrame(*s, 3);
  ObTestWindow* w = Open(s.get());

  Run(*w);
  EXPECT_EQ(sound.played, std::vector<QString>{"3"}) << "during a run";
  sound.played.clear();
  w->ScrollBar->setValue(1);
  EXPECT_TRUE(sound.played.empty());
  w->ScrollBar->setValue(2);
  EXPECT_EQ(sound.played, std::vector<QString>{"3"}) << "moving the bar to it";
  // A sound at frame 0 belongs to no frame.
  sound.played.clear();
  SetSoundFrame(*s, 0);
  Run(*w);
  EXPECT_TRUE(sound.played.empty());
}

// ---- closing, and objects that go

TEST_F(PreviewTest, TheEndButtonClosesTheWindow) {
  auto s = Sprite(8, 8, 3);
  QPointer<ObTestWindow> w = Open(s.get());
  w->TestStart();
  QTest::mouseClick(w->EndButton, Qt::LeftButton);
  EXPECT_FALSE(w->isVisible());
  EXPECT_FALSE(w->Playing());
  DeleteClosed();
  EXPECT_TRUE(w.isNull());
}

TEST_F(PreviewTest, SeveralWindowsPlayAtOnce) {
  auto a = Sprite(8, 8, 3), b = Sprite(8, 8, 5);
  ObTestWindow* wa = Open(a.get());
  ObTestWindow* wb = Open(b.get());
  QSignalSpy fa(wa, &ObTestWindow::TestFinished), fb(wb, &ObTestWindow::TestFinished);
  wa->TestStart();
  wb->TestStart();
  ASSERT_TRUE(fb.wait(5000));
  EXPECT_EQ(fa.count(), 1);
  EXPECT_EQ(wa->FrameEdit->text(), QStringLiteral("3"));
  EXPECT_EQ(wb->FrameEdit->text(), QStringLiteral("5"));
}

// The object is destroyed while its previews play: they are closed first and never touch it
// again, while the preview of another object plays on.
TEST_F(PreviewTest, ClosingThePreviewsOfAnObjectBeforeItGoes) {
  auto a = Sprite(8, 8, 6), b = Sprite(8, 8, 6);
  SetSound(*b, std::make_unique<ObSound>());
  QPointer<ObTestWindow> a1 = Open(a.get()), a2 = Open(a.get());
  QPointer<ObTestWindow> other = Open(b.get());
  for (ObTestWindow* w : {a1.data(), a2.data(), other.data()}) w->TestStart();

  ObTestWindow::CloseFor(a.get());
  a.reset();
  for (auto& w : {a1, a2}) {
    ASSERT_FALSE(w.isNull());
    EXPECT_EQ(w->Sprite, nullptr);
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(w->Playing());
    // Whatever reaches it afterwards does nothing.
    w->DispImage(1);
    w->TestStart();
    w->EvHScroll();
    EXPECT_FALSE(w->Playing());
  }
  EXPECT_TRUE(other->Playing());
  QSignalSpy finished(other.data(), &ObTestWindow::TestFinished);
  ASSERT_TRUE(finished.wait(5000));
  EXPECT_EQ(other->FrameEdit->text(), QStringLiteral("6"));
  DeleteClosed();
  EXPECT_TRUE(a1.isNull());
  EXPECT_TRUE(a2.isNull());

  // No object: every preview.
  ObTestWindow::CloseFor(nullptr);
  EXPECT_EQ(other->Sprite, nullptr);
  DeleteClosed();
  EXPECT_TRUE(other.isNull());
}

TEST_F(PreviewTest, AWindowGoesWithTheWindowItBelongsTo) {
  auto s = Sprite(8, 8, 3);
  auto parent = std::make_unique<QWidget>();
  QPointer<ObTestWindow> w = new ObTestWindow(parent.get(), QStringLiteral("テスト表示"), s.get());
  w->Create();
  w->TestStart();
  parent.reset();
  EXPECT_TRUE(w.isNull());
}

// ---- zoom

TEST_F(PreviewTest, ZoomKeysAndWheelGrowTheFrameNearestPixelAndTheWindowWithIt) {
  auto s = Sprite(150, 120, 0);
  s->AddImage(FrameSlot(Solid(20, 10, 0xFF0000)), 0, 0);
  ObTestWindow* w = Open(s.get());
  w->DispImage(0);
  struct Step {
    const char* what;
    std::function<void()> act;
    int zoom;
    QSize client;
  } steps[] = {
      {"Ctrl+plus on a button",
       [&] { QTest::keyClick(w->TestButton, Qt::Key_Plus, Qt::ControlModifier); },
       2,
       {301, 301}},
      {"Ctrl+wheel on the picture",
       [&] {
         QWheelEvent e(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton,
                       Qt::ControlModifier, Qt::NoScrollPhase, false);
         QApplication::sendEvent(w, &e);
       },
       3,
       {451, 421}},
      {"Ctrl+minus on the bar",
       [&] { QTest::keyClick(w->ScrollBar, Qt::Key_Minus, Qt::ControlModifier); },
       2,
       {301, 301}},
      {"Ctrl+0", [&] { QTest::keyClick(w, Qt::Key_0, Qt::ControlModifier); }, 1, {201, 261}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.act();
    EXPECT_EQ(w->Zoom(), step.zoom);
    EXPECT_EQ(w->size(), step.client);
  }
  w->SetZoom(20);
  EXPECT_EQ(w->Zoom(), 8);
  // At zoom 3 each pixel of the frame is a 3 x 3 square: the red picture's last pixel (19, 9)
  // covers (57..59, 27..29), the white area follows, and the outline, 3 pixels thick now, ends
  // the image size.
  w->SetZoom(3);
  const QImage shown =
      w->grab(QRect(0, 0, 450, 360)).toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(shown.pixel(57, 27), 0xFFFF0000u);
  EXPECT_EQ(shown.pixel(59, 29), 0xFFFF0000u);
  EXPECT_EQ(shown.pixel(60, 29), kWhite);
  EXPECT_EQ(shown.pixel(59, 30), kWhite);
  EXPECT_EQ(shown.pixel(449, 359), kBlack);
  EXPECT_EQ(shown.pixel(447, 356), kBlack);
  EXPECT_EQ(shown.pixel(446, 356), kWhite);
  EXPECT_EQ(w->Picture().size(), QSize(150, 120)) << "the frame itself is kept at its own size";
}

}  // namespace
}  // namespace kel::test
