// Bitmap files as programs write them, turned into the stored form: 40-byte header, bottom-up,
// uncompressed, a colour table of NumColors entries, biClrUsed and biSizeImage filled in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "dib.h"

namespace kel {

struct DibLoad {
  std::shared_ptr<PackedDib> dib;  // null on failure
  std::string error;               // what was wrong, when dib is null
};

// Reads 1, 4, 8, 24 bits with the 40-byte header, the 12-byte core header, V4 and V5 headers,
// top-down rows, BI_BITFIELDS 16 and 32 bits, RLE4 and RLE8. Anything else is refused.
DibLoad LoadBitmapFileBytes(const uint8_t* data, size_t size);
DibLoad LoadBitmapFile(const std::string& path);

// Same for a DIB without its 14-byte file header (as the clipboard carries it).
DibLoad LoadPackedDibBytes(const uint8_t* data, size_t size);

// The complete bitmap file of a stored DIB: the 14-byte file header, then the DIB.
std::string BitmapFileBytes(const PackedDib& dib);

}  // namespace kel
