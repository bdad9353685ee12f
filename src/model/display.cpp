#include "model/display.h"

#include <algorithm>

#include "model/le.h"

namespace kel {

namespace {

class MemoryBitmap final : public DisplayBitmap {
 public:
  // black: every pixel is black, and none is kept (a picture whose block lacks its pixels may
  // claim 65535 x 65535 of them).
  MemoryBitmap(int w, int h, bool black = false)
      : w_(w), h_(h), pixels_(black ? 0 : size_t(w) * size_t(h)) {}
  int Width() const override { return w_; }
  int Height() const override { return h_; }
  int BitsPixel() const override { return 32; }
  uint32_t PixelRgb(int x, int y) const override {
    if (x < 0 || y < 0 || x >= w_ || y >= h_ || pixels_.empty()) return 0;
    return pixels_[size_t(y) * size_t(w_) + size_t(x)];
  }
  void Set(int x, int y, uint32_t rgb) { pixels_[size_t(y) * size_t(w_) + size_t(x)] = rgb; }

 private:
  int w_, h_;
  std::vector<uint32_t> pixels_;
};

}  // namespace

DibReader::DibReader(const PackedDib& dib) : dib_(dib) {
  if (dib.Size() < kInfoHeaderSize) return;
  BitmapInfoHeader h = dib.Header();
  const bool topDown = h.biHeight < 0;
  if (topDown) h.biHeight = int32_t(std::min<int64_t>(-int64_t(h.biHeight), INT32_MAX));
  if (StoredHeaderProblem(h) || h.biWidth == 0 || h.biHeight == 0) return;
  bits_ = h.biBitCount;
  width_ = h.biWidth;
  topDown_ = topDown;
  height_ = h.biHeight;
  const uint32_t numColors = NumColorsOf(h);
  pixels_ = kInfoHeaderSize + 4 * uint64_t(numColors);
  rowBytes_ = RowBytes64(width_, bits_);
  for (uint32_t i = 0; i < std::min<uint32_t>(numColors, 256); ++i) {
    const uint64_t at = kInfoHeaderSize + 4 * uint64_t(i);
    if (at + 4 > dib.Size()) break;
    const uint8_t* q = dib.Data() + at;
    table_[i] = (uint32_t(q[2]) << 16) | (uint32_t(q[1]) << 8) | q[0];
  }
  valid_ = true;
}

bool DibReader::Whole() const {
  return valid_ && pixels_ + rowBytes_ * uint64_t(height_) <= dib_.Size();
}

uint32_t DibReader::Rgb(int64_t x, int64_t y) const {
  if (!valid_ || x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  const int64_t row = topDown_ ? y : height_ - 1 - y;
  const uint64_t rowStart = pixels_ + uint64_t(row) * rowBytes_;
  const uint64_t bitOffset = uint64_t(x) * bits_;
  const uint64_t at = rowStart + bitOffset / 8;
  const uint64_t need = (bits_ + 7) / 8;
  if (at + need > dib_.Size()) return 0;
  const uint8_t* p = dib_.Data() + at;
  switch (bits_) {
    case 1:
      return Indexed((p[0] >> (7 - x % 8)) & 1);
    case 4:
      return Indexed(x % 2 == 0 ? p[0] >> 4 : p[0] & 0x0F);
    case 8:
      return Indexed(p[0]);
    case 16:
      return Rgb555ToRgb(le::U16(p));
    default:  // 24 and 32 bits: blue, green, red (and an unused byte)
      return (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
  }
}

const uint8_t* DibReader::RowBytes(int64_t y) const {
  if (!valid_ || y < 0 || y >= height_) return nullptr;
  const int64_t row = topDown_ ? y : height_ - 1 - y;
  const uint64_t rowStart = pixels_ + uint64_t(row) * rowBytes_;
  return rowStart + rowBytes_ <= dib_.Size() ? dib_.Data() + rowStart : nullptr;
}

void DibReader::Row(int64_t y, int64_t x0, int n, uint32_t* out) const {
  const int64_t row = topDown_ ? y : height_ - 1 - y;
  const uint64_t rowStart = pixels_ + uint64_t(std::max<int64_t>(row, 0)) * rowBytes_;
  // A row the block holds whole, inside the picture, is read straight; anything else pixel by
  // pixel with every check.
  const bool inside = valid_ && y >= 0 && y < height_ && x0 >= 0 && x0 + n <= width_;
  if (!inside || rowStart + rowBytes_ > dib_.Size()) {
    for (int i = 0; i < n; ++i) out[i] = Rgb(x0 + i, y);
    return;
  }
  const uint8_t* p = dib_.Data() + rowStart;
  switch (bits_) {
    case 1:
      for (int i = 0; i < n; ++i) {
        const int64_t x = x0 + i;
        out[i] = table_[(p[x / 8] >> (7 - x % 8)) & 1];
      }
      break;
    case 4:
      for (int i = 0; i < n; ++i) {
        const int64_t x = x0 + i;
        out[i] = table_[x % 2 == 0 ? p[x / 2] >> 4 : p[x / 2] & 0x0F];
      }
      break;
    case 8:
      for (int i = 0; i < n; ++i) out[i] = table_[p[x0 + i]];
      break;
    case 16:
      for (int i = 0; i < n; ++i) out[i] = Rgb555ToRgb(le::U16(p + 2 * (x0 + i)));
      break;
    default: {
      const int step = int(bits_ / 8);
      const uint8_t* q = p + step * x0;
      for (int i = 0; i < n; ++i, q += step)
        out[i] = (uint32_t(q[2]) << 16) | (uint32_t(q[1]) << 8) | q[0];
    }
  }
}

std::shared_ptr<DisplayBitmap> MemoryDisplay::CreateDIBitmap(std::shared_ptr<const PackedDib> dib,
                                                             const LogPalette*) {
  // A true-colour display takes each pixel's colour straight from the DIB's own colour table;
  // the realized palette changes nothing here.
  if (!dib) return nullptr;
  DibReader pixels(*dib);
  if (pixels.Width() == 0) return nullptr;  // not a picture this display reads
  const int w = int(pixels.Width()), h = int(pixels.Height());
  // A block without all its rows (a bare header, say) draws black, as DibPixelRgb reads it.
  if (!pixels.Whole()) return std::make_shared<MemoryBitmap>(w, h, true);
  auto bitmap = std::make_shared<MemoryBitmap>(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) bitmap->Set(x, y, pixels.Rgb(x, y));
  return bitmap;
}

std::shared_ptr<DisplayBitmap> MemoryDisplay::CopyRegion(const DisplayBitmap& src, int x, int y,
                                                         int w, int h) {
  if (w <= 0 || h <= 0) return nullptr;
  auto bitmap = std::make_shared<MemoryBitmap>(w, h);
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) bitmap->Set(i, j, src.PixelRgb(x + i, y + j));
  return bitmap;
}

int MemoryDisplay::RealizePalette(const LogPalette&, bool) {
  return 0;
}

uint32_t DibPixelRgb(const PackedDib& dib, int x, int y) {
  return DibReader(dib).Rgb(x, y);
}

}  // namespace kel
