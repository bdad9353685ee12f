// What a picture needs of the screen it is drawn on. The editor's window system implements this
// (a bitmap that draws the DIB's own rows); tests and the command-line tool use MemoryDisplay.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "dib.h"

namespace kel {

struct PaletteEntry {
  uint8_t peRed = 0, peGreen = 0, peBlue = 0, peFlags = 0;
  bool operator==(const PaletteEntry&) const = default;
};

// A logical palette as built from a colour table.
struct LogPalette {
  uint16_t palVersion = 0x300;
  std::vector<PaletteEntry> entries;
};

// A bitmap made for one display: what is drawn. Bottom-up DIB rows are the way back out.
class DisplayBitmap {
 public:
  virtual ~DisplayBitmap() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual int BitsPixel() const = 0;  // the display's depth, as the bitmap reports it
  // The pixel value at (x, y), y from the top, as 0x00RRGGBB.
  virtual uint32_t PixelRgb(int x, int y) const = 0;
};

class DisplayDevice {
 public:
  virtual ~DisplayDevice() = default;
  // The display bitmap of a DIB. The palette is the one selected and realized for it, or null.
  virtual std::shared_ptr<DisplayBitmap> CreateDIBitmap(std::shared_ptr<const PackedDib> dib,
                                                        const LogPalette* palette) = 0;
  // A new bitmap holding the w x h region of src at (x, y) (already clipped by the caller).
  virtual std::shared_ptr<DisplayBitmap> CopyRegion(const DisplayBitmap& src, int x, int y, int w,
                                                    int h) = 0;
  // Realizes the palette; returns how many entries of the system palette changed. A true-colour
  // display changes none.
  virtual int RealizePalette(const LogPalette& palette, bool background) = 0;
  // Bits per pixel of bitmaps this display makes (what DDBtoDIB reads back).
  virtual int BitsPixel() const = 0;
};

// A true-colour memory display: bitmaps are 32-bit pixel arrays. Used where there is no screen.
class MemoryDisplay final : public DisplayDevice {
 public:
  std::shared_ptr<DisplayBitmap> CreateDIBitmap(std::shared_ptr<const PackedDib> dib,
                                                const LogPalette* palette) override;
  std::shared_ptr<DisplayBitmap> CopyRegion(const DisplayBitmap& src, int x, int y, int w,
                                            int h) override;
  int RealizePalette(const LogPalette& palette, bool background) override;
  int BitsPixel() const override { return 32; }
};

// Reads the pixels of one packed DIB with a stored-form header; a memory DIB may also hold its
// rows top-down (a negative height). The header is parsed once; every access is checked against
// the block, so a damaged DIB reads as black rather than past its end.
class DibReader {
 public:
  explicit DibReader(const PackedDib& dib);

  int64_t Width() const { return valid_ ? width_ : 0; }
  int64_t Height() const { return valid_ ? height_ : 0; }
  // Whether the block holds every row the header promises.
  bool Whole() const;
  // Pixel (x, y) from the top-left as 0x00RRGGBB; black outside the picture.
  uint32_t Rgb(int64_t x, int64_t y) const;
  // Pixels x0 .. x0 + n - 1 of row y (from the top) into out, 0x00RRGGBB each; the same values
  // as Rgb, read a row at a time.
  void Row(int64_t y, int64_t x0, int n, uint32_t* out) const;
  // The stored bytes of row y (from the top) when the block holds all of it, else null; for
  // readers that go faster on a known depth.
  const uint8_t* RowBytes(int64_t y) const;
  uint32_t BitCount() const { return valid_ ? bits_ : 0; }
  uint32_t Colour(uint32_t index) const { return Indexed(index); }

 private:
  uint32_t Indexed(uint32_t index) const { return index < 256 ? table_[index] : 0; }

  const PackedDib& dib_;
  bool valid_ = false;
  bool topDown_ = false;
  uint32_t bits_ = 0;
  int64_t width_ = 0;
  int64_t height_ = 0;
  uint64_t pixels_ = 0;
  uint64_t rowBytes_ = 0;
  // The colour table as 0x00RRGGBB; indices beyond it (or beyond the block) are black.
  uint32_t table_[256] = {};
};

// Decodes one pixel of a packed DIB with a stored-form header (or the same with top-down rows)
// as 0x00RRGGBB; x, y from the top-left. Indices beyond the colour table, bytes beyond the block
// and DIBs in any other form give black.
uint32_t DibPixelRgb(const PackedDib& dib, int x, int y);

}  // namespace kel
