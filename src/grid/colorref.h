// Cell colours as the editor passes them: 0x00BBGGRR, -1 the grid's default.
#pragma once

#include <cstdint>

namespace kel {

using COLORREF = int32_t;
inline constexpr COLORREF kDefaultColor = -1;
inline constexpr COLORREF RGB(int r, int g, int b) {
  return COLORREF(r | (g << 8) | (b << 16));
}

}  // namespace kel
