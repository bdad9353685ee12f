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

// The 14-byte file header that goes before a stored DIB, and how many DIB bytes follow it
// (StoredDibBytes): file size = 54 + 4 x NumColors + height x LineBytes (height the low 16 bits
// of biHeight), offset to the pixels = 54 + 4 x NumColors. false when the DIB holds fewer bytes
// than that size promises (nothing may then be written from it).
bool StoredFileHeader(const PackedDib& dib, uint8_t header[kFileHeaderSize], uint32_t* bodyBytes);

// The complete bitmap file of a stored DIB: the 14-byte file header, then the DIB. Empty when
// StoredFileHeader refuses the DIB.
std::string BitmapFileBytes(const PackedDib& dib);

}  // namespace kel
