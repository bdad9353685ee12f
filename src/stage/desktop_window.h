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
#include <span>
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

  // Whether the X server's screen has a compositing manager; false on any other platform.
  static bool CompositorRuns();

  QPaintEngine* paintEngine() const override;

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  void PictureChanged();
  // Draws these parts of the stage straight into the window.
  void PutStraight(std::span<const QRect> pieces);

  StagePlayer& player_;
  bool composited_;
  std::unique_ptr<XSurface> surface_;
  QRegion shape_;                  // without a compositor: the window's shape as last set
  std::vector<uint32_t> scratch_;  // a band of the stage being painted
};

}  // namespace kel
