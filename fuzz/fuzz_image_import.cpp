// Fuzz target: any bytes as a picture file, read the way a picture file, an image list entry, a
// sheet or a drop is read (Qt's readers under the size and allocation limits, bitmaps through the
// checked loader) into the stored form. A read gives frames in the stored form, each with a mask
// of its own size when it has one, or a reason, and never a picture beyond the limits.
#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImageReader>
#include <cstdint>
#include <cstdlib>

#include "fuzz_support.h"
#include "model/dib.h"
#include "platform/picture_import.h"

namespace {

using fuzz::Require;

// Few frames: an animation of many is the same path again.
constexpr int kMaxFrames = 4;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static QGuiApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  const kel::PictureFile read = kel::ReadPictures(reader, kMaxFrames);
  if (read.frames.empty()) {
    Require(!read.error.empty());
    return 0;
  }
  Require(read.error.empty());
  Require(int(read.frames.size()) <= kMaxFrames && read.dropped >= 0);
  for (const kel::PictureDibs& frame : read.frames) {
    Require(frame.image && kel::IsStoredDib(*frame.image));
    const kel::BitmapInfoHeader h = frame.image->Header();
    // Bitmaps keep the loader's own limits; every other picture is held to 2000 a side.
    if (h.biCompression == 0 && reader.format() != "bmp")
      Require(h.biWidth <= kel::kMaxPictureSide && h.biHeight <= kel::kMaxPictureSide);
    if (frame.mask) {
      Require(kel::IsStoredDib(*frame.mask));
      Require(frame.mask->Header().biWidth == h.biWidth &&
              frame.mask->Header().biHeight == h.biHeight);
    }
  }
  return 0;
}
