#include "platform/qt_display.h"

#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

namespace kel {

namespace {

QRgb Rgb555(uint16_t v) {
  return 0xFF000000u | Rgb555ToRgb(v);  // opaque
}

}  // namespace

bool IsDrawableDib(const PackedDib& dib) {
  // The rows are wrapped as they are, so the block must hold all of them; an empty picture has
  // nothing to draw.
  if (!IsStoredDib(dib)) return false;
  const BitmapInfoHeader h = dib.Header();
  return h.biWidth > 0 && h.biHeight > 0;
}

std::vector<int> SampleOffsets(int n, int w) {
  std::vector<int> out(static_cast<size_t>(std::max(n, 0)));
  for (int i = 0; i < n; ++i) {
    out[size_t(i)] = std::min(w - 1, int((int64_t(2 * i + 1) * w) / (2 * int64_t(n))));
  }
  return out;
}

QSize FitSize(QSize picture, QSize box, double maxScale) {
  if (picture.isEmpty() || box.isEmpty() || !(maxScale > 0)) return {};
  const double scale = std::min(
      {double(box.width()) / picture.width(), double(box.height()) / picture.height(), maxScale});
  return {std::clamp(int(std::lround(picture.width() * scale)), 1, box.width()),
          std::clamp(int(std::lround(picture.height() * scale)), 1, box.height())};
}

QtDisplayBitmap::QtDisplayBitmap(std::shared_ptr<const PackedDib> dib) : dib_(std::move(dib)) {
  BitmapInfoHeader h = dib_->Header();
  width_ = h.biWidth;
  height_ = h.biHeight;
  bits_ = h.biBitCount;
  rows_ = dib_->Bits();
  rowBytes_ = qsizetype(RowBytes64(width_, uint32_t(bits_)));

  if (bits_ <= 8) {
    // Any index a row holds must find a colour: entries the table lacks are black.
    const int size = 1 << bits_;
    const uint8_t* table = dib_->Colors();
    const int given = int(std::min<uint32_t>(dib_->NumColors(), uint32_t(size)));
    colors_.fill(qRgb(0, 0, 0), size);
    for (int i = 0; i < given; ++i) {
      const uint8_t* e = table + 4 * i;  // blue, green, red, reserved
      colors_[i] = qRgb(e[2], e[1], e[0]);
    }
  }

  QImage::Format format = QImage::Format_Invalid;
  switch (bits_) {
    case 1:
      format = QImage::Format_Mono;  // the leftmost pixel in the high bit, as in the DIB
      break;
    case 8:
      format = QImage::Format_Indexed8;
      break;
    case 16:
      // Qt's 5-5-5 pixels are native 16-bit words; the DIB's are little-endian words.
      if constexpr (std::endian::native == std::endian::little) format = QImage::Format_RGB555;
      break;
    case 24:
      format = QImage::Format_BGR888;  // blue, green, red bytes, as in the DIB
      break;
    case 32:
      format = QImage::Format_RGB32;  // blue, green, red, unused: a little-endian 0x??RRGGBB
      for (int y = 0; y < height_ && opaqueRows_; ++y) {
        const uint8_t* row = rows_ + y * rowBytes_;
        for (int x = 0; x < width_; ++x) {
          if (row[4 * x + 3] != 0xFF) {
            opaqueRows_ = false;
            break;
          }
        }
      }
      break;
    default:
      break;  // 4 bits and big-endian 16 bits: decoded when drawn
  }
  if (format != QImage::Format_Invalid) {
    // The const constructor keeps the DIB's own rows; the image never writes to them.
    image_ = QImage(rows_, width_, height_, rowBytes_, format);
    if (!colors_.isEmpty()) image_.setColorTable(colors_);
  }
}

QtDisplayBitmap::QtDisplayBitmap(QImage image)
    : image_(image.convertToFormat(QImage::Format_RGB32)) {
  width_ = image_.width();
  height_ = image_.height();
  bits_ = 32;
  rows_ = image_.constBits();
  rowBytes_ = image_.bytesPerLine();
}

const uint8_t* QtDisplayBitmap::Row(int y) const {
  return rows_ + qsizetype(dib_ ? height_ - 1 - y : y) * rowBytes_;
}

QRgb QtDisplayBitmap::RowPixel(const uint8_t* row, int x) const {
  switch (bits_) {
    case 1:
      return colors_[(row[x >> 3] >> (7 - (x & 7))) & 1];
    case 4:
      return colors_[(x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4)];
    case 8:
      return colors_[row[x]];
    case 16:
      return Rgb555(uint16_t(row[2 * x] | (row[2 * x + 1] << 8)));
    case 24:
      return qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    case 32:
      return qRgb(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
    default:
      return qRgb(0, 0, 0);
  }
}

uint32_t QtDisplayBitmap::PixelRgb(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return RowPixel(Row(y), x) & 0x00FFFFFFu;
}

QImage QtDisplayBitmap::Drawable() const {
  if (!image_.isNull() && opaqueRows_) return image_;
  // A transient picture for drawing only, in the stored row order.
  if (bits_ == 4 || bits_ == 16) {
    QImage out(width_, height_, bits_ == 4 ? QImage::Format_Indexed8 : QImage::Format_RGB32);
    if (out.isNull()) return out;
    if (bits_ == 4) out.setColorTable(colors_);
    for (int y = 0; y < height_; ++y) {
      const uint8_t* row = rows_ + y * rowBytes_;
      if (bits_ == 4) {
        uchar* d = out.scanLine(y);
        for (int x = 0; x < width_; ++x) d[x] = (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
      } else {
        auto* d = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < width_; ++x) d[x] = RowPixel(row, x);
      }
    }
    return out;
  }
  // 32 bits with unused bytes that are not 0xFF: Qt would take them for transparency.
  QImage out = image_.copy();
  for (int y = 0; y < height_; ++y) {
    auto* d = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < width_; ++x) d[x] |= 0xFF000000u;
  }
  return out;
}

void QtDisplayBitmap::Draw(QPainter& painter, const QRectF& target) const {
  if (width_ <= 0 || height_ <= 0 || target.isEmpty()) return;
  QImage img = Drawable();
  if (img.isNull()) return;
  if (!BottomUp()) {
    painter.drawImage(target, img);
    return;
  }
  // The first stored row is the bottom of the picture: mirror about the target's middle line.
  painter.save();
  painter.setTransform(QTransform(1, 0, 0, -1, 0, target.top() + target.bottom()), true);
  painter.drawImage(target, img);
  painter.restore();
}

QImage QtDisplayBitmap::Thumbnail(QSize box, double maxScale) const {
  const QSize size = FitSize({width_, height_}, box, maxScale);
  if (size.isEmpty()) return {};
  const int tw = size.width(), th = size.height();
  QImage out(size, QImage::Format_RGB32);
  if (out.isNull()) return out;
  const std::vector<int> xs = SampleOffsets(tw, width_);
  const std::vector<int> ys = SampleOffsets(th, height_);
  for (int y = 0; y < th; ++y) {
    const uint8_t* row = Row(ys[size_t(y)]);
    auto* d = reinterpret_cast<QRgb*>(out.scanLine(y));
    // One loop per depth keeps the per-pixel work to a lookup.
    switch (bits_) {
      case 8:
        for (int x = 0; x < tw; ++x) d[x] = colors_[row[xs[size_t(x)]]];
        break;
      case 24:
        for (int x = 0; x < tw; ++x) {
          const uint8_t* p = row + 3 * xs[size_t(x)];
          d[x] = qRgb(p[2], p[1], p[0]);
        }
        break;
      default:
        for (int x = 0; x < tw; ++x) d[x] = RowPixel(row, xs[size_t(x)]);
        break;
    }
  }
  return out;
}

QImage QtDisplayBitmap::CopyRect(int x, int y, int w, int h) const {
  const QRect r = QRect(x, y, w, h).intersected(QRect(0, 0, width_, height_));
  if (r.isEmpty()) return {};
  QImage out(r.size(), QImage::Format_RGB32);
  if (out.isNull()) return out;
  for (int j = 0; j < r.height(); ++j) {
    const uint8_t* row = Row(r.y() + j);
    auto* d = reinterpret_cast<QRgb*>(out.scanLine(j));
    for (int i = 0; i < r.width(); ++i) d[i] = RowPixel(row, r.x() + i);
  }
  return out;
}

std::shared_ptr<DisplayBitmap> QtDisplay::CreateDIBitmap(std::shared_ptr<const PackedDib> dib,
                                                         const LogPalette* /*palette*/) {
  // The DIB's own colour table gives the colours; on a true-colour screen the selected palette
  // adds nothing.
  if (!dib || !IsDrawableDib(*dib)) return nullptr;
  return std::make_shared<QtDisplayBitmap>(std::move(dib));
}

std::shared_ptr<DisplayBitmap> QtDisplay::CopyRegion(const DisplayBitmap& src, int x, int y, int w,
                                                     int h) {
  QImage region;
  if (auto* q = dynamic_cast<const QtDisplayBitmap*>(&src)) {
    region = q->CopyRect(x, y, w, h);
  } else {
    const QRect r = QRect(x, y, w, h).intersected(QRect(0, 0, src.Width(), src.Height()));
    if (!r.isEmpty()) {
      region = QImage(r.size(), QImage::Format_RGB32);
      for (int j = 0; j < r.height() && !region.isNull(); ++j) {
        auto* d = reinterpret_cast<QRgb*>(region.scanLine(j));
        for (int i = 0; i < r.width(); ++i) d[i] = 0xFF000000u | src.PixelRgb(r.x() + i, r.y() + j);
      }
    }
  }
  if (region.isNull()) return nullptr;
  return std::make_shared<QtDisplayBitmap>(std::move(region));
}

int QtDisplay::RealizePalette(const LogPalette& /*palette*/, bool /*background*/) {
  return 0;
}

}  // namespace kel
