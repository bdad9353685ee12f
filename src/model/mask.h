// Masks derived from pictures: a 1-bit picture of the same size whose bit 1 (white) marks the
// background and bit 0 (black) the sprite. The only colour key is pure black.
#pragma once

#include <memory>

#include "dib.h"
#include "image.h"

namespace kel {

// Whether pixel x of a source row (the row's first byte at row) is background. The row belongs to
// a stored-form DIB of the given depth whose colour table is colors with numColors entries.
//   1 bit:        index 0, whatever colour entry 0 holds;
//   4 and 8 bits: the index's colour entry is black; an index beyond the table counts as black,
//                 as the display draws it;
//   16 bits:      the fifteen colour bits are 0;
//   24 and 32:    blue, green and red are 0 (the fourth byte of 32 bits is not a colour).
bool IsMaskBackground(const uint8_t* row, int x, int bitCount, const uint8_t* colors,
                      uint32_t numColors);

// A mask DIB of width x height (both at least 1) in the form below, every pixel sprite (bit 0):
// the one place that form is made. SetMaskBackground marks pixel x of row y, counted from the top
// as the picture is seen.
std::shared_ptr<PackedDib> NewMaskDib(int width, int height);
void SetMaskBackground(PackedDib& mask, int x, int y);

// The mask DIB of a picture: 40-byte header (width and height of the source, 1 plane, 1 bit,
// uncompressed, image size = rows x row length, resolutions 0, 2 colours used, 0 important), the
// colour table black then white, bottom-up rows in the source's order, padding bits 0. Null when
// the source is not a stored-form DIB whose rows are all there, or has no pixel at all.
std::shared_ptr<PackedDib> MakeMaskDib(const PackedDib& source);

// The mask of an image as a new picture that owns its DIB; null when the image has no DIB or the
// mask cannot be made (MakeMaskDib).
std::unique_ptr<ObBmpImage> MakeMaskImage(const ObImage& source);

}  // namespace kel
