#include "preview/test_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <algorithm>
#include <cmath>

#include "model/sprite.h"
#include "platform/zoom.h"

namespace kel {

namespace {

// The picture area: shows the last frame drawn, and shows it again whenever it is uncovered.
// Each pixel is shown factor pixels square: the zoom, or less than one for a picture larger
// than the screen.
class PictureArea final : public QWidget {
 public:
  PictureArea(QWidget* parent, const QImage& picture, const double& factor)
      : QWidget(parent), picture_(picture), factor_(factor) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    if (picture_.isNull()) return;
    QPainter p(this);
    // Zoomed in, the nearest pixel, so a sprite shows its pixels as they are; scaled down to fit
    // the screen, smoothed.
    p.setRenderHint(QPainter::SmoothPixmapTransform, factor_ < 1);
    p.drawImage(QRectF(0, 0, picture_.width() * factor_, picture_.height() * factor_), picture_);
  }

 private:
  const QImage& picture_;
  const double& factor_;
};

// Draws a display bitmap at (0, 0) pixel for pixel; the painter's device clips it.
void DrawBitmap(QPainter& p, const DisplayBitmap& bitmap) {
  if (auto* qt = dynamic_cast<const QtDisplayBitmap*>(&bitmap)) {
    qt->Draw(p, QRectF(0, 0, qt->Width(), qt->Height()));
    return;
  }
  // A bitmap of another display: its pixels one by one.
  QImage copy(bitmap.Width(), bitmap.Height(), QImage::Format_RGB32);
  for (int y = 0; y < copy.height(); ++y)
    for (int x = 0; x < copy.width(); ++x) copy.setPixel(x, y, 0xFF000000u | bitmap.PixelRgb(x, y));
  p.drawImage(0, 0, copy);
}

}  // namespace

ObTestWindow::ObTestWindow(QWidget* parent, const QString& title, ObSpriteData* sprite)
    : QWidget(parent, Qt::Window), Sprite(sprite) {
  // A resizable window with caption and system menu but no maximize box.
  setWindowFlag(Qt::WindowMaximizeButtonHint, false);
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(title);
  // Esc closes it, as it closes a dialog.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this, [this] { Close(); });
  escape->setContext(Qt::WindowShortcut);

  pictureArea_ = new PictureArea(this, picture_, factor_);
  pictureArea_->setGeometry(0, 0, 0, 0);
  ScrollBar = new QScrollBar(Qt::Horizontal, this);
  TestButton = new QPushButton(QStringLiteral("ﾃｽﾄ"), this);
  EndButton = new QPushButton(QStringLiteral("終了"), this);
  for (QPushButton* b : {TestButton, EndButton}) {
    b->setAutoDefault(false);
    b->setDefault(false);
  }
  FrameEdit = new QLineEdit(this);
  FrameEdit->setMaxLength(kFrameDigits);
  FrameEdit->setReadOnly(true);
  FrameEdit->setAlignment(Qt::AlignCenter);
  Layout();
  // The zoom keys and wheel reach the window from whichever control has the focus.
  for (QWidget* w : {static_cast<QWidget*>(this), pictureArea_, static_cast<QWidget*>(ScrollBar),
                     static_cast<QWidget*>(TestButton), static_cast<QWidget*>(EndButton),
                     static_cast<QWidget*>(FrameEdit)})
    w->installEventFilter(this);

  ScrollBar->setProperty("controlId", int(IDC_SCROLLBAR));
  TestButton->setProperty("controlId", int(IDC_TEST));
  EndButton->setProperty("controlId", int(IDC_END));
  FrameEdit->setProperty("controlId", int(IDC_FRAME));

  // One shot per frame, started as the frame is drawn: a frame that comes late (a busy event
  // loop) still stays its whole time, where a repeating timer would cut the next one short.
  timer_.setTimerType(Qt::PreciseTimer);
  timer_.setSingleShot(true);
  timer_.setInterval(kFrameMs);
  connect(&timer_, &QTimer::timeout, this, &ObTestWindow::NextFrame);
  connect(TestButton, &QPushButton::clicked, this, &ObTestWindow::TestStart);
  connect(EndButton, &QPushButton::clicked, this, &ObTestWindow::Close);
  // Only the user moves the bar through this: the frames drawn set it with its signals off.
  connect(ScrollBar, &QScrollBar::valueChanged, this, &ObTestWindow::EvHScroll);
}

ObTestWindow::~ObTestWindow() {
  timer_.stop();
}

double ObTestWindow::FitScale(QSize image, QSize available) {
  if (image.width() <= 0 || image.height() <= 0) return 1;
  const double across = double(available.width() - 2 * kFrameBorder - 1) / image.width();
  const double down =
      double(available.height() - kControlBand - 1 - kTitleAllowance) / image.height();
  return std::clamp(std::min(across, down), 0.01, 1.0);
}

QSize ObTestWindow::ImageSize() const {
  return Sprite ? QSize(Sprite->Params().ImageSizeX, Sprite->Params().ImageSizeY) : QSize(0, 0);
}

void ObTestWindow::PlacePicture() {
  pictureArea_->setGeometry(0, 0, int(std::ceil(picture_.width() * factor_)),
                            int(std::ceil(picture_.height() * factor_)));
}

void ObTestWindow::SpanFrames() {
  LastFrame = Sprite ? Sprite->FrameCount() - 1 : -1;
  const QSignalBlocker quiet(ScrollBar);
  ScrollBar->setRange(0, std::max(LastFrame, 0));
}

void ObTestWindow::Layout() {
  const QSize image = ImageSize();
  const QScreen* screen = parentWidget() ? parentWidget()->screen() : QApplication::primaryScreen();
  // The zoom, down to what fits the screen.
  const double fit = screen ? FitScale(image * zoom_, screen->availableGeometry().size()) : 1.0;
  factor_ = zoom_ * fit;
  // The picture area is at least 200 x 200; the controls sit in a band below it. The window's
  // frame (a resizable border on each side) adds one pixel more than the borders themselves,
  // so the client area comes out one pixel wider and taller than the picture area and band.
  const int w0 = std::max<int>(int(std::ceil(image.width() * factor_)), kMinSide);
  const int h0 = std::max<int>(int(std::ceil(image.height() * factor_)), kMinSide);
  const int clientWidth = w0 + 1;
  const int windowWidth = clientWidth + 2 * kFrameBorder;
  resize(clientWidth, h0 + kControlBand + 1);
  const int third = windowWidth / 3;
  ScrollBar->setGeometry(0, h0, windowWidth - 2 * kFrameBorder, 16);
  TestButton->setGeometry(0, h0 + 16, third, 44);
  EndButton->setGeometry(third, h0 + 16, third, 44);
  FrameEdit->setGeometry(2 * third + (third - 33) / 2, h0 + 20, 33, 30);
  if (!picture_.isNull()) PlacePicture();
  laidOutFor_ = image;
}

void ObTestWindow::SetZoom(int zoom) {
  zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
  if (zoom == zoom_) return;
  zoom_ = zoom;
  Layout();
  pictureArea_->update();
}

bool ObTestWindow::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(e);
    if (IsZoomKey(key->key(), key->modifiers())) {
      SetZoom(ZoomAfterKey(zoom_, key->key(), key->modifiers()));
      return true;
    }
  } else if (e->type() == QEvent::Wheel) {
    auto* wheel = static_cast<QWheelEvent*>(e);
    if (wheel->modifiers() & Qt::ControlModifier) {
      SetZoom(ZoomAfterWheel(zoom_, *wheel));
      return true;
    }
  }
  return QWidget::eventFilter(watched, e);
}

void ObTestWindow::SpriteChanged() {
  if (!Sprite) return;
  if (ImageSize() != laidOutFor_) Layout();
  // The frames now: a run goes on over them, the bar spans them, the frame shown is drawn again
  // (without its sound: nothing new was reached).
  runCount_ = int16_t(Sprite->FrameCount());
  SpanFrames();
  if (LastFrame < 0) {
    picture_ = QImage();
    pictureArea_->update();
    FrameEdit->clear();
    return;
  }
  const int shown = std::min(ScrollBar->value(), LastFrame);
  DrawFrame(unsigned(shown));
}

void ObTestWindow::Create() {
  SetupWindow();
  show();
}

void ObTestWindow::SetupWindow() {
  SpanFrames();
  const QSignalBlocker quiet(ScrollBar);
  ScrollBar->setValue(0);
  CurrentFrame = 0;
}

void ObTestWindow::TestStart() {
  timer_.stop();
  if (!Sprite) return;
  // The frame count as the stored 16-bit count.
  runCount_ = int16_t(Sprite->FrameCount());
  runFrame_ = 0;
  if (runCount_ <= 0) return;
  // The first frame at once, each further one a frame time later, and the last one kept for its
  // time too before the run ends. The window stays responsive meanwhile: a second start begins
  // again from the first frame, moving the bar or closing ends the run.
  NextFrame();
}

void ObTestWindow::NextFrame() {
  if (!Sprite || runFrame_ >= runCount_) {
    timer_.stop();
    emit TestFinished();
    return;
  }
  timer_.start();
  DispImage(unsigned(runFrame_++));
}

void ObTestWindow::DispImage(unsigned frame) {
  if (!DrawFrame(frame)) return;
  if (Sprite->Sound() && Sprite->Sound()->Frame == int64_t(frame) + 1) Sprite->Sound()->Play();
}

bool ObTestWindow::DrawFrame(unsigned frame) {
  if (!Sprite) return false;
  const auto i = int16_t(frame);
  const DisplayBitmap* bitmap = Sprite->GetImageHandle(i);
  // Only a frame's own picture selects its palette; continue and empty frames select none. On a
  // true-colour screen realizing it changes no colour.
  const FrameSlot& own = Sprite->GetImage(i);
  selectedPalette_ = own.IsImage() ? own.Image()->Palette() : nullptr;
  if (selectedPalette_) display_.RealizePalette(*selectedPalette_, false);

  const int x = Sprite->Params().ImageSizeX;
  const int y = Sprite->Params().ImageSizeY;
  if (x <= 0 || y <= 0) return false;
  // The area cleared as a rectangle in the default pen and brush (a black outline around white),
  // then the picture copied over it from the top-left; a frame without any picture leaves the
  // cleared rectangle.
  QImage canvas(x, y, QImage::Format_RGB32);
  canvas.fill(Qt::white);
  {
    QPainter p(&canvas);
    p.setPen(Qt::black);
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, x - 1, y - 1);
    if (bitmap) DrawBitmap(p, *bitmap);
  }
  picture_ = std::move(canvas);
  PlacePicture();
  pictureArea_->update();

  {
    const QSignalBlocker quiet(ScrollBar);
    ScrollBar->setValue(int(frame));
  }
  FrameEdit->setText(QString::number(frame + 1));
  return true;
}

void ObTestWindow::EvHScroll() {
  timer_.stop();  // the user takes over from a test run
  CurrentFrame = ScrollBar->value();
  DispImage(unsigned(CurrentFrame));
}

void ObTestWindow::Close() {
  close();
}

void ObTestWindow::SpriteGone() {
  timer_.stop();
  Sprite = nullptr;
  close();
}

void ObTestWindow::CloseFor(const ObSpriteData* sprite) {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    auto* window = qobject_cast<ObTestWindow*>(w);
    if (window && window->Sprite && (!sprite || window->Sprite == sprite)) window->SpriteGone();
  }
}

QWidget* ObTestWindow::Control(int id) const {
  for (QWidget* w : {static_cast<QWidget*>(ScrollBar), static_cast<QWidget*>(TestButton),
                     static_cast<QWidget*>(EndButton), static_cast<QWidget*>(FrameEdit)})
    if (w->property("controlId").toInt() == id) return w;
  return nullptr;
}

void ObTestWindow::closeEvent(QCloseEvent* e) {
  timer_.stop();
  QWidget::closeEvent(e);
}

}  // namespace kel
