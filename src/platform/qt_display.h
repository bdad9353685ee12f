// The screen as the editor's pictures see it: a true-colour display whose bitmaps draw the DIB's
// own rows. A display bitmap made from a DIB keeps the packed DIB alive and wraps its pixel rows
// in a QImage without copying them, so an object file full of pictures costs its own size once
// more at most for the grid's small cell pictures, never a second full-size copy.
#pragma once

#include <QImage>
#include <QRectF>
#include <QSize>
#include <memory>
#include <vector>

#include "model/display.h"

class QPainter;

namespace kel {

class QtDisplayBitmap final : public DisplayBitmap {
 public:
  // Wraps the rows of a DIB (checked by QtDisplay::CreateDIBitmap).
  explicit QtDisplayBitmap(std::shared_ptr<const PackedDib> dib);
  // Owns a picture with rows top-down (what a region copy makes).
  explicit QtDisplayBitmap(QImage image);

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  int BitsPixel() const override { return 32; }
  uint32_t PixelRgb(int x, int y) const override;

  // Draws the whole picture scaled into target, upright.
  void Draw(QPainter& painter, const QRectF& target) const;
  // The picture scaled to fit box keeping its proportions, at most maxScale times its size, at
  // least one pixel each way; nearest-pixel sampling of the rows, as an opaque RGB32 image.
  QImage Thumbnail(QSize box, double maxScale) const;
  // An upright, opaque copy of the w x h region at (x, y), clipped to the picture.
  QImage CopyRect(int x, int y, int w, int h) const;

  // The rows as stored: for a DIB bottom row first (drawn flipped), else top-down. A DIB of 4
  // bits has no Qt format: this image is then null and drawing decodes the rows on the fly.
  const QImage& StoredImage() const { return image_; }
  bool BottomUp() const { return dib_ != nullptr; }

 private:
  // The stored rows in a form QPainter draws correctly, in the stored row order.
  QImage Drawable() const;
  const uint8_t* Row(int y) const;                 // the row y from the top
  QRgb RowPixel(const uint8_t* row, int x) const;  // one pixel of a row, opaque

  std::shared_ptr<const PackedDib> dib_;  // null for an owned picture
  QImage image_;                          // wraps dib_'s rows, or owns its pixels
  int width_ = 0, height_ = 0, bits_ = 0;
  const uint8_t* rows_ = nullptr;  // bottom row of the DIB
  qsizetype rowBytes_ = 0;
  QList<QRgb> colors_;      // colour table padded with black to 2^bits entries
  bool opaqueRows_ = true;  // 32 bits: every fourth byte is 0xFF, so RGB32 draws as is
};

// Keeps no state, and its bitmaps are QImages, which any thread may make: the pictures of a file
// get their bitmaps on the thread that reads it.
class QtDisplay final : public DisplayDevice {
 public:
  // Null for a DIB this display cannot draw: one not in the stored form (IsStoredDib), or an
  // empty one.
  std::shared_ptr<DisplayBitmap> CreateDIBitmap(std::shared_ptr<const PackedDib> dib,
                                                const LogPalette* palette) override;
  std::shared_ptr<DisplayBitmap> CopyRegion(const DisplayBitmap& src, int x, int y, int w,
                                            int h) override;
  // A true-colour screen draws every colour as it is: realizing changes no entry.
  int RealizePalette(const LogPalette& palette, bool background) override;
  int BitsPixel() const override { return 32; }
};

// Whether a DIB can be drawn by QtDisplay (the rule CreateDIBitmap applies).
bool IsDrawableDib(const PackedDib& dib);

// The size of a picture scaled to fit box keeping its proportions, at most maxScale times its
// own size, at least one pixel each way; empty when the picture or the box is.
QSize FitSize(QSize picture, QSize box, double maxScale);

// For n pixels spread over w source pixels, the source pixel nearest each one's centre.
std::vector<int> SampleOffsets(int n, int w);

}  // namespace kel
