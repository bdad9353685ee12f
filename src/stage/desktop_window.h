// DesktopWindow: the desktop player's window. The stage covers the whole screen in a frameless
// window that stays on top and lets every click through to the windows below. Under a
// compositor its background is see-through; without one the window's shape is cut, each tick,
// to the pixels the objects cover.
#pragma once

#include <QWidget>
#include <cstdint>
#include <vector>

namespace kel {

class StagePlayer;

class DesktopWindow : public QWidget {
  Q_OBJECT
 public:
  // composited: a compositor draws windows with their alpha (see CompositorRuns).
  DesktopWindow(StagePlayer& player, bool composited);
  // Covers the screen area and shows the stage.
  void Start(const QRect& screen);

  // Whether the X server's screen has a compositing manager; false on any other platform.
  static bool CompositorRuns();

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  void PictureChanged();

  StagePlayer& player_;
  bool composited_;
  std::vector<uint32_t> scratch_;  // a band of the stage being painted
};

}  // namespace kel
