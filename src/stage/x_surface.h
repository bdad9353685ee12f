// XSurface: pixels put straight into an X window, a band at a time, and the window's shape. The
// desktop player draws through it so that no picture of the whole screen exists on our side: a
// window's backing store is one (8 MB at 1920 x 1080). Bands go through one shared-memory image
// of StagePlayer's band size when the X server offers MIT-SHM, through the connection otherwise.
#pragma once

#include <QPoint>
#include <QRegion>
#include <functional>
#include <memory>

class QImage;
class QWidget;

namespace kel {

class XSurface {
 public:
  // The parts of the window the server asks to be drawn again, each batch of them at once.
  using Exposed = std::function<void(const QRegion& region)>;
  // For a created window of the xcb platform whose pixels are 32 bits in the order of Qt's
  // ARGB32 (a 24-bit or 32-bit TrueColor visual); null otherwise. Once Qt has seen the window
  // exposed, the server's requests to draw parts of it go to exposed, not to Qt (which would
  // ask for the whole window each time), except those that SetShape caused: the caller draws
  // what its shape changes uncover.
  static std::unique_ptr<XSurface> ForWindow(QWidget& window, Exposed exposed);
  ~XSurface();
  XSurface(const XSurface&) = delete;
  XSurface& operator=(const XSurface&) = delete;

  // Pixels are put only inside clip, or anywhere after NoClip.
  void SetClip(const QRegion& clip);
  void NoClip();
  // band: ARGB32 (premultiplied) of at most StagePlayer::kBandPixels pixels, put at at.
  void Put(const QImage& band, QPoint at);
  // The window's visible shape (its bounding shape; the input shape is left as it is).
  void SetShape(const QRegion& shape);
  // Sends what is queued to the server.
  void Flush();

 private:
  struct Impl;
  explicit XSurface(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> d_;
};

}  // namespace kel
