#include "stage/desktop_window.h"

#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>

#include "stage/stage_player.h"

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
  // The window's own picture (Qt's backing store) is the only one of the whole stage: the player
  // draws each part as it is painted.
  player_.SetKeepsPicture(false);
  // What the objects leave of the background is see-through: shown through by a compositor, or
  // cut away by the window's shape without one.
  player_.SetSeeThrough(true);
  setAttribute(composited_ ? Qt::WA_TranslucentBackground : Qt::WA_OpaquePaintEvent);
  connect(&player_, &StagePlayer::pictureChanged, this, &DesktopWindow::PictureChanged);
}

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

void DesktopWindow::PictureChanged() {
  if (!composited_) {
    // The shape is the objects' pixels; with none shown the window has nothing to show.
    const QRegion shape = player_.OpaqueRegion();
    if (shape.isEmpty()) {
      hide();
      return;
    }
    setMask(shape);
    if (isHidden()) show();
  }
  update(player_.Changed());
}

void DesktopWindow::paintEvent(QPaintEvent* e) {
  QPainter p(this);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  // The painter keeps to the region (without a compositor, only the window's shape is ever
  // asked for: thousands of runs), so each piece may be drawn larger.
  for (const QRect& r : StagePlayer::InFewPieces(e->region()))
    player_.Render(r, scratch_,
                   [&](const QImage& picture, QPoint at) { p.drawImage(at, picture); });
}

}  // namespace kel
