// Object files built byte by byte from the format's tables, so the tool's tests do not depend on
// the writer they exercise.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kel::test {

// A complete bitmap file (the form of an image record): 14-byte file header, 40-byte info
// header, colorsUsed colour entries (0: the count the bit depth implies), rows bottom first.
// Pixel bytes follow from seed so that different pictures differ.
std::string BitmapRecord(int32_t width, int32_t height, uint16_t bitCount, uint32_t colorsUsed = 0,
                         uint8_t seed = 0);

struct SlotBytes {
  enum Kind { Empty, Continue, Picture } kind = Empty;
  std::string record;  // the bitmap record, for Picture
  static SlotBytes Pic(std::string record) { return {Picture, std::move(record)}; }
  static SlotBytes Cont() { return {Continue, {}}; }
};

struct FrameBytes {
  SlotBytes image, mask;
};

struct SoundBytes {
  std::string fileName;  // stored bytes, up to 255
  int16_t frame = 0;
  std::string wave;  // Size bytes
};

struct ObjectBytes {
  std::string name;  // stored bytes (CP932), up to 30
  int16_t depth = 1;
  int32_t behave = 0;
  int32_t autoRepeat = 1;
  int32_t randomStart = 1;
  int16_t imageSizeX = 0;
  int16_t imageSizeY = 0;
  int32_t positionX = 0;
  int32_t positionY = 0;
  int32_t speedX = 0;
  int32_t speedY = 0;
  std::vector<FrameBytes> frames;
  std::vector<std::pair<int32_t, int32_t>> locations;
  std::optional<SoundBytes> sound;
};

// The marker written before an image record; any value but 0 and 0xFFFFFFFF means "a record
// follows".
inline constexpr uint32_t kPictureMarker = 1;

std::string ObjectRecord(const ObjectBytes& o, uint32_t pictureMarker = kPictureMarker);
std::string ObjectFile(const std::vector<ObjectBytes>& objects,
                       uint32_t pictureMarker = kPictureMarker);

void PutLe(std::string& s, uint64_t value, int bytes);

}  // namespace kel::test
