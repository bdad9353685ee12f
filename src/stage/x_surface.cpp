#include "stage/x_surface.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QImage>
#include <QWidget>
#include <QWindow>

#include "stage/stage_player.h"

#ifdef KEL_HAVE_XCB
#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shape.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <vector>
#endif

namespace kel {

#ifdef KEL_HAVE_XCB

namespace {

constexpr size_t kBandBytes = size_t(StagePlayer::kBandPixels) * 4;

// Whether the window's pixels are 32 bits in the byte order of ARGB32 on this machine: a
// TrueColor visual of 24 or 32 bits with red, green and blue where QImage keeps them.
bool HoldsArgb32(xcb_connection_t* c, xcb_window_t window, uint8_t& depth) {
  xcb_get_window_attributes_reply_t* attributes =
      xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
  xcb_get_geometry_reply_t* geometry =
      xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr);
  const bool known = attributes && geometry;
  const xcb_visualid_t visual = known ? attributes->visual : 0;
  depth = known ? geometry->depth : 0;
  std::free(attributes);
  std::free(geometry);
  if (!known || (depth != 24 && depth != 32)) return false;

  const xcb_setup_t* setup = xcb_get_setup(c);
  const uint16_t probe = 1;
  uint8_t firstByte;
  std::memcpy(&firstByte, &probe, 1);
  const uint8_t ours = firstByte ? XCB_IMAGE_ORDER_LSB_FIRST : XCB_IMAGE_ORDER_MSB_FIRST;
  if (setup->image_byte_order != ours) return false;
  bool bits32 = false;
  for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
    if (f.data->depth == depth) bits32 = f.data->bits_per_pixel == 32;
  if (!bits32) return false;
  for (auto s = xcb_setup_roots_iterator(setup); s.rem; xcb_screen_next(&s))
    for (auto d = xcb_screen_allowed_depths_iterator(s.data); d.rem; xcb_depth_next(&d))
      for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
        if (v.data->visual_id == visual)
          return v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR && v.data->red_mask == 0xFF0000 &&
                 v.data->green_mask == 0xFF00 && v.data->blue_mask == 0xFF;
  return false;
}

std::vector<xcb_rectangle_t> Rectangles(const QRegion& region) {
  std::vector<xcb_rectangle_t> out;
  out.reserve(size_t(region.rectCount()));
  for (const QRect& r : region)
    out.push_back({int16_t(r.x()), int16_t(r.y()), uint16_t(r.width()), uint16_t(r.height())});
  return out;
}

}  // namespace

struct XSurface::Impl : QAbstractNativeEventFilter {
  ~Impl() override {
    if (QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
  }

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != XCB_EXPOSE) return false;
    const auto* expose = static_cast<const xcb_expose_event_t*>(message);
    if (expose->window != window || !widget->windowHandle() || !widget->windowHandle()->isExposed())
      return false;
    // Exposures our own shape requests caused: the caller draws what a shape change uncovers
    // (the server sends their extents when they are many pieces, most of it intact).
    if (std::find(shapeRequests.begin(), shapeRequests.end(), expose->sequence) !=
        shapeRequests.end())
      return true;
    pendingExpose += QRect(expose->x, expose->y, expose->width, expose->height);
    if (expose->count == 0) {
      const QRegion region = pendingExpose;
      pendingExpose = QRegion();
      exposed(region);
    }
    return true;
  }

  QWidget* widget = nullptr;
  Exposed exposed;
  QRegion pendingExpose;
  // The sequence numbers (as events carry them) of the last shape requests, the newest at next.
  std::array<uint16_t, 16> shapeRequests{};
  size_t next = 0;
  xcb_connection_t* c = nullptr;
  xcb_window_t window = 0;
  uint8_t depth = 24;
  xcb_gcontext_t gc = 0;
  // Shared memory: the segment as the server knows it, and where it lies here.
  xcb_shm_seg_t segment = 0;
  uint8_t* shared = nullptr;
  bool pending = false;  // the server may still be reading the segment
  size_t maxRequestBytes = 0;

  void WaitForServer() {
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    pending = false;
  }

  bool AttachShared() {
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_shm_id);
    if (!ext || !ext->present) return false;
    const int id = shmget(IPC_PRIVATE, kBandBytes, IPC_CREAT | 0600);
    if (id < 0) return false;
    void* at = shmat(id, nullptr, 0);
    bool ok = at != reinterpret_cast<void*>(-1);
    if (ok) {
      segment = xcb_generate_id(c);
      xcb_generic_error_t* error =
          xcb_request_check(c, xcb_shm_attach_checked(c, segment, uint32_t(id), 1));
      ok = error == nullptr;  // a server on another machine refuses the segment
      std::free(error);
    }
    // The segment goes when both sides have let go of it, even if the program is killed.
    shmctl(id, IPC_RMID, nullptr);
    if (!ok) {
      if (at != reinterpret_cast<void*>(-1)) shmdt(at);
      segment = 0;
      return false;
    }
    shared = static_cast<uint8_t*>(at);
    return true;
  }
};

std::unique_ptr<XSurface> XSurface::ForWindow(QWidget& window, Exposed exposed) {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (!x11 || !x11->connection()) return nullptr;
  auto d = std::make_unique<Impl>();
  d->widget = &window;
  d->exposed = std::move(exposed);
  d->c = x11->connection();
  d->window = xcb_window_t(window.winId());
  if (!HoldsArgb32(d->c, d->window, d->depth)) return nullptr;
  // Without the shape extension the window could not be cut to the objects: Qt's way is left.
  const xcb_query_extension_reply_t* shape = xcb_get_extension_data(d->c, &xcb_shape_id);
  if (!shape || !shape->present) return nullptr;
  d->maxRequestBytes = size_t(xcb_get_maximum_request_length(d->c)) * 4;
  // What the window has not been given stays as it is on the screen: a part of the shape that
  // has just grown shows what was there until its pixels come.
  const uint32_t none = XCB_BACK_PIXMAP_NONE;
  xcb_change_window_attributes(d->c, d->window, XCB_CW_BACK_PIXMAP, &none);
  d->gc = xcb_generate_id(d->c);
  const uint32_t noExposures = 0;
  xcb_create_gc(d->c, d->gc, d->window, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
  d->AttachShared();
  qGuiApp->installNativeEventFilter(d.get());
  return std::unique_ptr<XSurface>(new XSurface(std::move(d)));
}

XSurface::XSurface(std::unique_ptr<Impl> impl) : d_(std::move(impl)) {}

XSurface::~XSurface() {
  if (d_->shared) {
    xcb_shm_detach(d_->c, d_->segment);
    d_->WaitForServer();
    shmdt(d_->shared);
  }
  xcb_free_gc(d_->c, d_->gc);
  xcb_flush(d_->c);
}

void XSurface::SetClip(const QRegion& clip) {
  const std::vector<xcb_rectangle_t> rects = Rectangles(clip);
  if (rects.size() * sizeof(xcb_rectangle_t) + 64 > d_->maxRequestBytes) {
    // Too many pieces for one request (a server without big requests): put everywhere.
    NoClip();
    return;
  }
  xcb_set_clip_rectangles(d_->c, XCB_CLIP_ORDERING_YX_BANDED, d_->gc, 0, 0, uint32_t(rects.size()),
                          rects.data());
}

void XSurface::NoClip() {
  const uint32_t none = XCB_NONE;
  xcb_change_gc(d_->c, d_->gc, XCB_GC_CLIP_MASK, &none);
}

void XSurface::Put(const QImage& band, QPoint at) {
  const int w = band.width(), h = band.height();
  const size_t rowBytes = size_t(w) * 4;
  if (d_->shared && rowBytes * size_t(h) <= kBandBytes) {
    if (d_->pending) d_->WaitForServer();
    for (int y = 0; y < h; ++y)
      std::memcpy(d_->shared + rowBytes * size_t(y), band.constScanLine(y), rowBytes);
    xcb_shm_put_image(d_->c, d_->window, d_->gc, uint16_t(w), uint16_t(h), 0, 0, uint16_t(w),
                      uint16_t(h), int16_t(at.x()), int16_t(at.y()), d_->depth,
                      XCB_IMAGE_FORMAT_Z_PIXMAP, 0, d_->segment, 0);
    d_->pending = true;
    return;
  }
  // Through the connection, as many rows to a request as it takes.
  const int rowsPerRequest =
      std::max(1, int((d_->maxRequestBytes - 64) / std::max<size_t>(rowBytes, 1)));
  std::vector<uint8_t> rows;
  for (int y = 0; y < h; y += rowsPerRequest) {
    const int n = std::min(rowsPerRequest, h - y);
    rows.resize(rowBytes * size_t(n));
    for (int i = 0; i < n; ++i)
      std::memcpy(rows.data() + rowBytes * size_t(i), band.constScanLine(y + i), rowBytes);
    xcb_put_image(d_->c, XCB_IMAGE_FORMAT_Z_PIXMAP, d_->window, d_->gc, uint16_t(w), uint16_t(n),
                  int16_t(at.x()), int16_t(at.y() + y), 0, d_->depth, uint32_t(rows.size()),
                  rows.data());
  }
}

void XSurface::SetShape(const QRegion& shape) {
  const std::vector<xcb_rectangle_t> rects = Rectangles(shape);
  // Pieces that would not fit one request go in later ones, added to the first.
  const size_t perRequest =
      std::max<size_t>(1, (d_->maxRequestBytes - 64) / sizeof(xcb_rectangle_t));
  size_t done = 0;
  do {
    const size_t n = std::min(perRequest, rects.size() - done);
    const xcb_void_cookie_t request = xcb_shape_rectangles(
        d_->c, done == 0 ? XCB_SHAPE_SO_SET : XCB_SHAPE_SO_UNION, XCB_SHAPE_SK_BOUNDING,
        XCB_CLIP_ORDERING_YX_BANDED, d_->window, 0, 0, uint32_t(n), rects.data() + done);
    d_->shapeRequests[d_->next++ % d_->shapeRequests.size()] = uint16_t(request.sequence);
    done += n;
  } while (done < rects.size());
}

void XSurface::Flush() {
  xcb_flush(d_->c);
}

#else  // without xcb there is no X window to draw into

struct XSurface::Impl {};

std::unique_ptr<XSurface> XSurface::ForWindow(QWidget&, Exposed) {
  return nullptr;
}
XSurface::XSurface(std::unique_ptr<Impl> impl) : d_(std::move(impl)) {}
XSurface::~XSurface() = default;
void XSurface::SetClip(const QRegion&) {}
void XSurface::NoClip() {}
void XSurface::Put(const QImage&, QPoint) {}
void XSurface::SetShape(const QRegion&) {}
void XSurface::Flush() {}

#endif

}  // namespace kel
