#include "support/kel_builder.h"

#include <stdexcept>

namespace kel::test::build {

void PutLe(std::string& s, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) s.push_back(char(uint8_t(value >> (8 * i))));
}

void SetLe(std::string& s, size_t offset, uint64_t value, int bytes) {
  if (offset + size_t(bytes) > s.size()) throw std::out_of_range("SetLe beyond the bytes");
  for (int i = 0; i < bytes; ++i) s[offset + size_t(i)] = char(uint8_t(value >> (8 * i)));
}

std::string ImageRecord(int32_t width, int32_t height, uint16_t bitCount, uint32_t colorsUsed,
                        uint8_t seed) {
  const uint32_t colors = colorsUsed ? colorsUsed : bitCount <= 8 ? (1u << bitCount) : 0;
  const uint32_t line = ((uint32_t(width) * bitCount + 31) / 32) * 4;
  const uint32_t body = 40 + 4 * colors + line * uint32_t(height);
  std::string s;
  PutLe(s, 0x4D42, 2);
  PutLe(s, 14 + body, 4);
  PutLe(s, 0, 4);
  PutLe(s, 54 + 4 * colors, 4);
  PutLe(s, 40, 4);
  PutLe(s, uint32_t(width), 4);
  PutLe(s, uint32_t(height), 4);
  PutLe(s, 1, 2);
  PutLe(s, bitCount, 2);
  PutLe(s, 0, 4);                        // uncompressed
  PutLe(s, line * uint32_t(height), 4);  // biSizeImage
  PutLe(s, 2835, 4);
  PutLe(s, 2835, 4);
  PutLe(s, colorsUsed, 4);
  PutLe(s, 0, 4);
  for (uint32_t c = 0; c < colors; ++c) {
    s.push_back(char(uint8_t(c * 3 + seed)));
    s.push_back(char(uint8_t(c * 5 + seed)));
    s.push_back(char(uint8_t(c * 7 + seed)));
    s.push_back(0);
  }
  const size_t pixels = size_t(line) * uint32_t(height);
  for (size_t i = 0; i < pixels; ++i) s.push_back(char(uint8_t(i * 13 + seed)));
  return s;
}

std::string SoundRecord(const Sound& snd) {
  std::string name(256, '\0');
  name.replace(0, snd.fileName.size(), snd.fileName);
  if (!snd.tail.empty()) name.replace(snd.fileName.size() + 1, snd.tail.size(), snd.tail);
  name.resize(256);
  std::string s = name;
  PutLe(s, uint16_t(snd.frame), 2);
  PutLe(s, uint32_t(snd.size.value_or(int32_t(snd.wave.size()))), 4);
  s += snd.wave;
  return s;
}

namespace {

void PutSlot(std::string& s, const Slot& slot) {
  switch (slot.kind) {
    case Slot::Empty:
      PutLe(s, 0, 4);
      break;
    case Slot::Continue:
      PutLe(s, 0xFFFFFFFF, 4);
      break;
    case Slot::Image:
      PutLe(s, slot.marker, 4);
      s += slot.record;
      break;
  }
}

}  // namespace

std::string ObjectRecord(const Object& o) {
  std::string s = o.tag;
  s.resize(3, '\0');
  PutLe(s, uint16_t(o.reserved), 2);
  std::string name = o.nameField;
  name.resize(32, '\0');
  s += name;
  PutLe(s, uint16_t(o.depth), 2);
  PutLe(s, uint32_t(o.behave), 4);
  PutLe(s, uint32_t(o.autoRepeat), 4);
  PutLe(s, uint32_t(o.randomStart), 4);
  PutLe(s, uint32_t(o.ownsImages), 4);
  PutLe(s, uint16_t(o.imageSizeX), 2);
  PutLe(s, uint16_t(o.imageSizeY), 2);
  PutLe(s, o.numFrames.value_or(uint16_t(o.frames.size())), 2);
  PutLe(s, uint32_t(o.positionX), 4);
  PutLe(s, uint32_t(o.positionY), 4);
  PutLe(s, uint32_t(o.speedX), 4);
  PutLe(s, uint32_t(o.speedY), 4);
  PutLe(s, o.numLocations.value_or(uint16_t(o.locations.size())), 2);
  for (const Frame& f : o.frames) {
    PutSlot(s, f.image);
    PutSlot(s, f.mask);
  }
  for (const auto& [x, y] : o.locations) {
    PutLe(s, uint32_t(x), 4);
    PutLe(s, uint32_t(y), 4);
  }
  PutLe(s, o.soundFlag.value_or(o.sound ? 1 : 0), 4);
  if (o.sound) s += SoundRecord(*o.sound);
  return s;
}

std::string FileHeader(int16_t count) {
  std::string s = "KE--1.00";
  s.resize(32, '\0');
  PutLe(s, uint16_t(count), 2);
  return s;
}

std::string File(const std::vector<Object>& objects) {
  std::string s = FileHeader(int16_t(objects.size()));
  for (const Object& o : objects) s += ObjectRecord(o);
  return s;
}

}  // namespace kel::test::build
