// Little-endian field access on byte buffers. Every stored integer in the object file and in
// bitmap and wave files is little-endian and packed; these are the only place that knows it.
#pragma once

#include <cstdint>
#include <cstring>

namespace kel::le {

inline uint16_t U16(const uint8_t* p) {
  return uint16_t(p[0] | (p[1] << 8));
}
inline uint32_t U32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline int16_t I16(const uint8_t* p) {
  return int16_t(U16(p));
}
inline int32_t I32(const uint8_t* p) {
  return int32_t(U32(p));
}

inline void Put16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
inline void Put32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}

}  // namespace kel::le
