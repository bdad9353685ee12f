// The editor's side of the clipboard: the exact bytes a picture goes onto it with.
#pragma once

#include <memory>

#include "model/dib.h"

namespace kel {

// A copy of the bytes of a stored DIB: the 40-byte header, 4 bytes for each colour of the
// colour-count rule and height x row length by the line-length rule. The header's biClrUsed and
// biSizeImage are not trusted for the size: a DIB read from a file may leave them 0. Null when
// the DIB is not in the stored form or holds fewer bytes than that.
std::shared_ptr<PackedDib> CopyDibToGlobal(const PackedDib& dib);

}  // namespace kel
