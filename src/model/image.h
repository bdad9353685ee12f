// The picture type: a packed DIB with its palette and display bitmap, in a record that several
// images share by reference count.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>

#include "dib.h"
#include "display.h"

namespace kel {

class RecordReader;

struct ObImageData {
  std::shared_ptr<const PackedDib> Info;      // the DIB, or null
  std::shared_ptr<const LogPalette> Palette;  // built by MakePalette, or null
  std::shared_ptr<DisplayBitmap> Bitmap;      // built by DIBtoDDB, or null
  uint16_t Width = 0;
  uint16_t Height = 0;
  uint16_t LineBytes = 0;
  uint16_t RefCount = 1;
};

class ObImage {
 public:
  ObImage();
  ObImage(const ObImage& other);  // shares other's record; the copy is a plain ObImage
  // The cut-out: a copy of a region of the source's display bitmap (no DIB, no palette).
  ObImage(DisplayDevice& dc, const ObImage* source, int16_t x, int16_t y, uint16_t width,
          uint16_t height);
  ObImage& operator=(const ObImage& other);
  virtual ~ObImage();

  virtual bool Read(const char* fileName);
  virtual bool Write(const char* fileName);
  virtual bool Read(std::istream& in);
  virtual bool Write(std::ostream& out);

  void SetImageData(ObImageData* data);  // shares data (same rule as assignment)
  ObImageData* GetImageData() const { return Data; }

  bool HasDib() const { return Data->Info != nullptr; }
  const PackedDib* Dib() const { return Data->Info.get(); }
  uint32_t NumColors() const;
  const uint8_t* GetColors() const;
  const uint8_t* GetBits() const;
  uint16_t Width() const;  // the size rule: header's low 16 bits when there is a DIB
  uint16_t Height() const;
  uint16_t LineBytes() const { return Data->LineBytes; }
  int BitCount() const;  // biBitCount, 0 without DIB

  void MakePalette();
  void DIBtoDDB(DisplayDevice& dc);
  void DDBtoDIB(DisplayDevice& screen);
  const LogPalette* Palette() const { return Data->Palette.get(); }
  const std::shared_ptr<DisplayBitmap>& Bitmap() const { return Data->Bitmap; }

  // Writes one bitmap-file image (14-byte file header, then the packed DIB).
  bool WriteDIB(std::ostream& out) const;

 protected:
  void Release();                                     // drops this image's share of Data
  void TakeFreshRecord();                             // Release, then a new empty record
  void SetDib(std::shared_ptr<const PackedDib> dib);  // fills Info, Width, Height, LineBytes

  ObImageData* Data;
};

class ObBmpImage : public ObImage {
 public:
  ObBmpImage();                               // empty
  explicit ObBmpImage(const char* fileName);  // loads a bitmap file; empty when it cannot
  explicit ObBmpImage(std::shared_ptr<const PackedDib> dib);  // adopts a DIB
  ~ObBmpImage() override;
  ObBmpImage(const ObBmpImage&) = delete;
  ObBmpImage& operator=(const ObBmpImage&) = delete;

  bool Read(const char* fileName) override;
  bool Write(const char* fileName) override;
  bool Read(std::istream& in) override;
  bool Write(std::ostream& out) override;
  // The image record reader with bounds and a precise message (object file reader's form).
  bool Read(RecordReader& in);

  // The message of the last failed file load ("" after success).
  const std::string& LoadError() const { return loadError_; }

 private:
  std::shared_ptr<const PackedDib> OwnedDib;  // the loaded DIB this image owns, if any
  std::string loadError_;
};

}  // namespace kel
