#include "stage/desktop_window.h"

#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>

#include "stage/stage_player.h"
#include "stage/x_surface.h"

#ifdef KEL_HAVE_X11
#include <X11/Xlib.h>
#endif

namespace kel {

DesktopWindow::DesktopWindow(StagePlayer& player, bool composited)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus | Qt::Tool),
      player_(player),
      composited_(composited) {
  setWindowTitle(QStringLiteral("kelplay"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  // The player keeps no picture of the whole stage: it draws each part as it is painted.
  player_.SetKeepsPicture(false);
  // What the objects leave of the background is see-through: shown through by a compositor, or
  // cut away by the window's shape without one.
  player_.SetSeeThrough(true);
  setAttribute(composited_ ? Qt::WA_TranslucentBackground : Qt::WA_OpaquePaintEvent);
  if (QGuiApplication::platformName() == QLatin1String("xcb")) {
    // Painted on the screen, the window has no backing store: its pixels go straight to the
    // X server, a band at a time.
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_NoSystemBackground);
    winId();
    surface_ = XSurface::ForWindow(*this, [this](const QRegion& region) {
      const QRegion pieces = StagePlayer::InFewPieces(region);
      PutStraight({pieces.begin(), pieces.end()});
    });
    if (!surface_) setAttribute(Qt::WA_PaintOnScreen, false);
  }
  connect(&player_, &StagePlayer::pictureChanged, this, &DesktopWindow::PictureChanged);
}

DesktopWindow::~DesktopWindow() = default;

void DesktopWindow::Start(const QRect& screen) {
  setGeometry(screen);
  if (composited_) show();
  PictureChanged();
}

bool DesktopWindow::CompositorRuns() {
#ifdef KEL_HAVE_X11
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (!x11 || !x11->display()) return false;
  Display* display = x11->display();
  const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(DefaultScreen(display));
  const Atom atom = XInternAtom(display, name.constData(), False);
  return XGetSelectionOwner(display, atom) != None;
#else
  return false;
#endif
}

QPaintEngine* DesktopWindow::paintEngine() const {
  return surface_ ? nullptr : QWidget::paintEngine();
}

void DesktopWindow::PictureChanged() {
  if (composited_) {
    if (!surface_) {
      update(player_.Changed());
    } else if (isVisible()) {
      PutStraight(player_.ChangedPieces());
    }
    return;
  }
  if (!surface_ || isHidden()) {
    // The shape is the objects' pixels; with none shown the window has nothing to show.
    const QRegion shape = player_.OpaqueRegion();
    if (shape.isEmpty()) {
      hide();
      shape_ = QRegion();
      return;
    }
    shape_ = shape;
    if (surface_) {
      // Shown, the window is exposed and paints itself.
      surface_->SetShape(shape);
      surface_->SetClip(shape);
      show();
      surface_->Flush();
      return;
    }
    setMask(shape);
    if (isHidden()) show();
    update(player_.Changed());
    return;
  }
  // Straight to the X window, drawing the stage once: the shape first grows to take in where
  // the objects now stand, and what it gains shows the screen as it was. Each band's pixels go
  // only where they are not see-through, so what the shape is about to lose keeps the stage as
  // it was; then the shape becomes those pixels. No pixel ever shows anything but the stage
  // before or after the tick.
  const QRegion reach = shape_ + player_.Covered();
  surface_->SetShape(reach);
  QRegion shape;
  for (const QRect& r : player_.ChangedPieces())
    player_.Render(r, scratch_, [&](const QImage& picture, QPoint at) {
      const QRegion part = StagePlayer::OpaqueIn(picture, at);
      surface_->SetClip(part);
      surface_->Put(picture, at);
      shape += part;
    });
  shape_ = shape;
  surface_->SetShape(shape);
  surface_->SetClip(shape);
  surface_->Flush();
  if (shape.isEmpty()) hide();
}

void DesktopWindow::PutStraight(std::span<const QRect> pieces) {
  for (const QRect& r : pieces)
    player_.Render(r, scratch_,
                   [&](const QImage& picture, QPoint at) { surface_->Put(picture, at); });
  surface_->Flush();
}

void DesktopWindow::paintEvent(QPaintEvent* e) {
  if (surface_) {
    const QRegion pieces = StagePlayer::InFewPieces(e->region());
    PutStraight({pieces.begin(), pieces.end()});
    return;
  }
  QPainter p(this);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  // The painter keeps to the region (without a compositor, only the window's shape is ever
  // asked for: thousands of runs), so each piece may be drawn larger.
  for (const QRect& r : StagePlayer::InFewPieces(e->region()))
    player_.Render(r, scratch_,
                   [&](const QImage& picture, QPoint at) { p.drawImage(at, picture); });
}

}  // namespace kel
