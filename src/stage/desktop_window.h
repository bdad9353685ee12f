// DesktopWindow: the desktop player's window. The stage covers the whole screen in a frameless
// window that stays on top and lets every click through to the windows below. Under a
// compositor its background is see-through; without one the window's shape is cut, each tick,
// to the pixels the objects cover. On X the pixels go straight to the window (XSurface), so no
// picture of the whole screen is kept on our side; elsewhere Qt's backing store holds them.
#pragma once

#include <QRegion>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <vector>

namespace kel {

class StagePlayer;
class XSurface;

class DesktopWindow : public QWidget {
  Q_OBJECT
 public:
  // composited: a compositor draws windows with their alpha (see CompositorRuns).
  DesktopWindow(StagePlayer& player, bool composited);
  ~DesktopWindow() override;
  // Covers the screen area and shows the stage.
  void Start(const QRect& screen);
  // Whether the pixels go straight to an X window rather than through Qt's backing store.
  bool DrawsStraight() const { return surface_ != nullptr; }
  // The window's shape without a compositor (also on X, where Qt does not know it).
  const QRegion& Shape() const { return shape_; }

  // Whether the X server's screen has a compositing manager; false on any other platform.
  static bool CompositorRuns();

  QPaintEngine* paintEngine() const override;

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  void PictureChanged();
  // Draws the stage inside region straight into the window.
  void PutStraight(const QRegion& region);

  StagePlayer& player_;
  bool composited_;
  std::unique_ptr<XSurface> surface_;
  QRegion shape_;
  std::vector<uint32_t> scratch_;  // a band of the stage being painted
};

}  // namespace kel
