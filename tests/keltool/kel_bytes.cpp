#include "kel_bytes.h"

namespace kel::test {

void PutLe(std::string& s, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) s += char(uint8_t(value >> (8 * i)));
}

std::string BitmapRecord(int32_t width, int32_t height, uint16_t bitCount, uint32_t colorsUsed,
                         uint8_t seed) {
  const uint32_t colors = colorsUsed      ? colorsUsed
                          : bitCount == 1 ? 2
                          : bitCount == 4 ? 16
                          : bitCount == 8 ? 256
                                          : 0;
  const uint32_t lineBytes = uint32_t((width * bitCount + 31) / 32 * 4);
  const uint32_t rows = uint32_t(height) & 0xFFFF;
  const uint32_t size = 54 + 4 * colors + rows * lineBytes;
  std::string s;
  PutLe(s, 0x4D42, 2);
  PutLe(s, size, 4);
  PutLe(s, 0, 4);
  PutLe(s, 54 + 4 * colors, 4);
  PutLe(s, 40, 4);
  PutLe(s, uint32_t(width), 4);
  PutLe(s, uint32_t(height), 4);
  PutLe(s, 1, 2);
  PutLe(s, bitCount, 2);
  PutLe(s, 0, 4);                 // uncompressed
  PutLe(s, rows * lineBytes, 4);  // biSizeImage
  PutLe(s, 2835, 4);
  PutLe(s, 2835, 4);
  PutLe(s, colorsUsed, 4);
  PutLe(s, 0, 4);
  for (uint32_t i = 0; i < colors; ++i) {
    s += char(uint8_t(i * 3 + seed));
    s += char(uint8_t(i * 5));
    s += char(uint8_t(i * 7 + 1));
    s += '\0';
  }
  for (uint32_t i = 0; i < rows * lineBytes; ++i) s += char(uint8_t(i * 13 + seed * 29 + 1));
  return s;
}

std::string ObjectRecord(const ObjectBytes& o, uint32_t pictureMarker) {
  std::string s = "SPD";
  PutLe(s, 0, 2);  // Reserved
  std::string name = o.name.substr(0, 30);
  name.resize(32, '\0');
  s += name;
  PutLe(s, uint16_t(o.depth), 2);
  PutLe(s, uint32_t(o.behave), 4);
  PutLe(s, uint32_t(o.autoRepeat), 4);
  PutLe(s, uint32_t(o.randomStart), 4);
  PutLe(s, 1, 4);  // OwnsImages
  PutLe(s, uint16_t(o.imageSizeX), 2);
  PutLe(s, uint16_t(o.imageSizeY), 2);
  PutLe(s, o.frames.size(), 2);
  PutLe(s, uint32_t(o.positionX), 4);
  PutLe(s, uint32_t(o.positionY), 4);
  PutLe(s, uint32_t(o.speedX), 4);
  PutLe(s, uint32_t(o.speedY), 4);
  PutLe(s, o.locations.size(), 2);
  const auto slot = [&](const SlotBytes& b) {
    switch (b.kind) {
      case SlotBytes::Empty:
        PutLe(s, 0, 4);
        break;
      case SlotBytes::Continue:
        PutLe(s, 0xFFFFFFFF, 4);
        break;
      case SlotBytes::Picture:
        PutLe(s, pictureMarker, 4);
        s += b.record;
        break;
    }
  };
  for (const FrameBytes& f : o.frames) {
    slot(f.image);
    slot(f.mask);
  }
  for (const auto& [x, y] : o.locations) {
    PutLe(s, uint32_t(x), 4);
    PutLe(s, uint32_t(y), 4);
  }
  if (!o.sound) {
    PutLe(s, 0, 4);
  } else {
    PutLe(s, 1, 4);
    std::string fileName = o.sound->fileName;
    fileName.resize(256, '\0');
    s += fileName;
    PutLe(s, uint16_t(o.sound->frame), 2);
    PutLe(s, o.sound->wave.size(), 4);
    s += o.sound->wave;
  }
  return s;
}

std::string ObjectFile(const std::vector<ObjectBytes>& objects, uint32_t pictureMarker) {
  std::string s = "KE--1.00";
  s.resize(32, '\0');
  PutLe(s, objects.size(), 2);
  for (const ObjectBytes& o : objects) s += ObjectRecord(o, pictureMarker);
  return s;
}

}  // namespace kel::test
