// The packed device-independent bitmap: a 40-byte info header, the colour table and the pixel
// rows, bottom row first, each row padded to 4 bytes. This is the form every picture has in
// memory and in the object file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace kel {

inline constexpr uint16_t kBitmapFileType = 0x4D42;  // "BM"
inline constexpr uint32_t kFileHeaderSize = 14;
inline constexpr uint32_t kInfoHeaderSize = 40;
inline constexpr uint32_t kCoreHeaderSize = 12;

struct BitmapInfoHeader {
  uint32_t biSize = kInfoHeaderSize;
  int32_t biWidth = 0;
  int32_t biHeight = 0;
  uint16_t biPlanes = 1;
  uint16_t biBitCount = 0;
  uint32_t biCompression = 0;
  uint32_t biSizeImage = 0;
  int32_t biXPelsPerMeter = 0;
  int32_t biYPelsPerMeter = 0;
  uint32_t biClrUsed = 0;
  uint32_t biClrImportant = 0;

  static BitmapInfoHeader Parse(const uint8_t* p);  // reads the 40 bytes at p
  void Store(uint8_t* p) const;                     // writes 40 bytes to p
};

// The colour-count rule: biClrUsed when set, else 2/16/256 for 1/4/8 bits, else 0.
uint32_t NumColorsOf(const BitmapInfoHeader& h);

// Bytes of one row: ((width x bits + 31) / 32) x 4, in signed 32-bit arithmetic, kept in 16 bits
// as the stored images keep it.
uint16_t LineBytesOf(int32_t width, uint16_t bitCount);

// The same row length without the 16-bit cut, for validating what a header promises.
uint64_t RowBytes64(int64_t width, uint32_t bitCount);

// One pixel of a 16-bit DIB, 5-5-5 with the top bit unused, as 0x00RRGGBB: each 5-bit value is
// widened by repeating its top bits, so that 31 becomes 255 and 0 stays 0.
uint32_t Rgb555ToRgb(uint16_t v);

// The depths the stored form has rows for: 1, 4, 8, 16 (5-5-5), 24 and 32 bits per pixel.
bool IsStoredBitCount(int bits);

// What keeps an info header out of the stored form: the offset of the faulty field inside the
// info header and a message saying what is wrong; no message when the header is in it.
struct DibHeaderProblem {
  uint32_t at = 0;
  std::string message;
  explicit operator bool() const { return !message.empty(); }
};

// The stored form's header: 40 bytes, uncompressed rows of 1, 4, 8, 16, 24 or 32 bits, bottom
// row first (a height that is not negative), and a width, height and row length that an image's
// 16-bit Width, Height and LineBytes hold exactly. Anything else would make the record size
// formula, or the rows an image draws from, wrong.
DibHeaderProblem StoredHeaderProblem(const BitmapInfoHeader& h);

// The bytes of a stored DIB with this header: 40 + 4 x NumColors + Height x LineBytes, Height and
// LineBytes as an image keeps them (16 bits each). 64-bit, so nothing wraps. The image record
// and the bitmap file are 14 bytes more (the file header).
uint64_t StoredDibBytes(const BitmapInfoHeader& h);

// A packed DIB in one block. Shared (never copied) between an image record and the display
// bitmaps drawn straight from its rows.
class PackedDib {
 public:
  // Storage of n bytes, not cleared: the caller fills every byte.
  static std::shared_ptr<PackedDib> AllocateForOverwrite(size_t n);
  // Storage of n bytes, cleared to zero.
  static std::shared_ptr<PackedDib> Allocate(size_t n);
  // The n bytes at bytes, which belong to a larger block (a mapped file, say) that bytes keeps
  // alive for as long as the DIB lives. Nothing is copied.
  static std::shared_ptr<PackedDib> Borrow(std::shared_ptr<uint8_t[]> bytes, size_t n);

  uint8_t* Data() { return bytes_.get(); }
  const uint8_t* Data() const { return bytes_.get(); }
  size_t Size() const { return size_; }

  // The info header; all zero for a block too short to hold one.
  BitmapInfoHeader Header() const {
    if (size_ < kInfoHeaderSize) return BitmapInfoHeader{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    return BitmapInfoHeader::Parse(bytes_.get());
  }
  uint32_t NumColors() const { return NumColorsOf(Header()); }
  const uint8_t* Colors() const { return bytes_.get() + kInfoHeaderSize; }
  const uint8_t* Bits() const { return Colors() + 4 * size_t(NumColors()); }

 private:
  PackedDib(std::shared_ptr<uint8_t[]> bytes, size_t n) : bytes_(std::move(bytes)), size_(n) {}
  std::shared_ptr<uint8_t[]> bytes_;
  size_t size_ = 0;
};

// Whether a DIB is in the stored form and its block holds every byte its header promises, so
// that its colour table and rows can be read without further checks.
bool IsStoredDib(const PackedDib& dib);

}  // namespace kel
