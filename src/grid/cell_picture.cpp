#include "grid/cell_picture.h"

#include <vector>

#include "platform/qt_display.h"

namespace kel {

QSize PictureBox(QSize cell) {
  return {std::max(0, cell.width() - 2 * kPictureMargin),
          std::max(0, cell.height() - 2 * kPictureMargin)};
}

QRect PicturePlace(const QRect& cell, QSize picture) {
  return QRect(cell.x() + (cell.width() - picture.width()) / 2,
               cell.y() + (cell.height() - picture.height()) / 2, picture.width(),
               picture.height());
}

QImage MakeCellPicture(const DisplayBitmap& bitmap, QSize cell, double maxScale) {
  const QSize box = PictureBox(cell);
  if (auto* q = dynamic_cast<const QtDisplayBitmap*>(&bitmap)) {
    return q->Thumbnail(box, maxScale);
  }
  // A bitmap of another display: sample it pixel by pixel, nearest pixel at each centre.
  const QSize size = FitSize({bitmap.Width(), bitmap.Height()}, box, maxScale);
  if (size.isEmpty()) return {};
  QImage out(size, QImage::Format_RGB32);
  if (out.isNull()) return out;
  const std::vector<int> xs = SampleOffsets(size.width(), bitmap.Width());
  const std::vector<int> ys = SampleOffsets(size.height(), bitmap.Height());
  for (int y = 0; y < size.height(); ++y) {
    const int sy = ys[size_t(y)];
    auto* d = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < size.width(); ++x) d[x] = 0xFF000000u | bitmap.PixelRgb(xs[size_t(x)], sy);
  }
  return out;
}

}  // namespace kel
