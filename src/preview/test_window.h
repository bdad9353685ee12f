// ObTestWindow: the animation preview. It shows one frame of an object at a time at the
// top-left of its client area, plays all frames once in order, lets the user step to any frame
// with a scroll bar, shows the frame number and starts the object's sound at its frame.
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <cstdint>

#include "platform/qt_display.h"

class QLineEdit;
class QPushButton;
class QScrollBar;

namespace kel {

class ObSpriteData;
struct LogPalette;

class ObTestWindow : public QWidget {
  Q_OBJECT
 public:
  // The controls' ids.
  enum ControlId { IDC_SCROLLBAR = 102, IDC_TEST = 103, IDC_END = 104, IDC_FRAME = 105 };
  static constexpr int kMinSide = 200;     // the picture area is at least this wide and high
  static constexpr int kControlBand = 60;  // the band below the picture area for the controls
  static constexpr int kFrameBorder = 4;   // each side of a resizable frame, in window widths
  static constexpr int kFrameMs = 100;     // how long a test run shows each frame
  static constexpr int kFrameDigits = 4;   // the frame number field's limit
  // Room left for the window's title bar when a large picture is fitted to the screen (the
  // decorations are not known before the window is shown).
  static constexpr int kTitleAllowance = 40;

  // How much a picture of this size is scaled down so that the window, its controls included,
  // fits the available screen area: 1 when it fits as it is.
  static double FitScale(QSize image, QSize available);

  // parent: the window the preview belongs to (it goes with it); sprite: the object shown, not
  // owned. Whoever destroys the object first closes its previews (CloseFor).
  ObTestWindow(QWidget* parent, const QString& title, ObSpriteData* sprite);
  ~ObTestWindow() override;

  void Create();       // SetupWindow, then shows the window
  void SetupWindow();  // the scroll bar's range and position from the object's frames
  void TestStart();    // plays every frame once from the first; restarts a run in progress
  void DispImage(unsigned frame);
  // The object changed (a field, a picture, frames, cleared): the window takes its new size and
  // frames and draws the frame it shows again.
  void SpriteChanged();
  // How many screen pixels a picture pixel takes: the zoom, or less when that would not fit
  // the screen.
  double Scale() const { return factor_; }
  void EvHScroll();  // shows the frame the scroll bar moved to
  void Close();

  // The object is going (or going out of use): the window stops, forgets it and closes.
  void SpriteGone();
  // Closes every preview of sprite (of every object when sprite is null); none of them touches
  // the object again.
  static void CloseFor(const ObSpriteData* sprite);

  // The zoom, 1 to 8 (platform/zoom.h): the picture area shows each pixel of the frame as a
  // square of that side, and the window grows to hold it. A view setting; Ctrl with plus, minus
  // or 0, or Ctrl with the wheel, anywhere in the window, change it.
  int Zoom() const { return zoom_; }
  void SetZoom(int zoom);

  QWidget* Control(int id) const;  // the control with this id, or null
  bool Playing() const { return timer_.isActive(); }
  // What the picture area shows: the last frame drawn (null before the first).
  const QImage& Picture() const { return picture_; }
  // The palette the last frame drawn selected: its own picture's, none for a continue or an
  // empty frame.
  const LogPalette* SelectedPalette() const { return selectedPalette_; }

  QScrollBar* ScrollBar = nullptr;
  QLineEdit* FrameEdit = nullptr;
  QPushButton* TestButton = nullptr;
  QPushButton* EndButton = nullptr;
  int32_t LastFrame = 0;
  ObSpriteData* Sprite = nullptr;  // null once the object has gone
  int32_t CurrentFrame = 0;

 signals:
  void TestFinished();  // a test run showed its last frame for its time

 protected:
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void NextFrame();
  // Places the picture area and the controls for the object's image size and the zoom (less
  // for a picture larger than the screen).
  void Layout();
  QSize ImageSize() const;  // the object's image size (0 x 0 once it has gone)
  void PlacePicture();      // the picture area at the picture's size, zoomed
  // LastFrame and the scroll bar's range from the object's frames (the bar says nothing).
  void SpanFrames();
  bool DrawFrame(unsigned frame);  // DispImage without the sound; false when nothing was drawn

  QWidget* pictureArea_ = nullptr;
  QImage picture_;
  const LogPalette* selectedPalette_ = nullptr;
  double factor_ = 1.0;
  QSize laidOutFor_;
  QtDisplay display_;
  QTimer timer_;
  int runFrame_ = 0;  // the next frame of a test run
  int runCount_ = 0;  // frames in the run
  int zoom_ = 1;
};

}  // namespace kel
