// Object files built byte by byte, field by field, independent of the writer under test. Every
// count and size can be overridden, so malformed files are built the same way as valid ones.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kel::test::build {

// Appends little-endian values.
void PutLe(std::string& s, uint64_t value, int bytes);

// A complete image record (bitmap file): 14-byte file header, 40-byte info header, the colour
// table (colorsUsed entries, or the count the depth implies when 0), then the rows, bottom first,
// with pixel bytes made from seed. The fields may be overridden afterwards with the Set helpers.
std::string ImageRecord(int32_t width, int32_t height, uint16_t bitCount, uint32_t colorsUsed = 0,
                        uint8_t seed = 0);

// Record offsets of the fields tests change.
inline constexpr size_t kAtRecordSize = 2;
inline constexpr size_t kAtBiSize = 14;
inline constexpr size_t kAtBiWidth = 18;
inline constexpr size_t kAtBiHeight = 22;
inline constexpr size_t kAtBiBitCount = 28;
inline constexpr size_t kAtBiCompression = 30;
inline constexpr size_t kAtBiClrUsed = 46;

// Overwrites bytes at offset with a little-endian value.
void SetLe(std::string& s, size_t offset, uint64_t value, int bytes);

struct Slot {
  enum Kind { Empty, Continue, Image } kind = Empty;
  std::string record;   // the image record, for Image
  uint32_t marker = 1;  // the marker written before an image record
  static Slot Pic(std::string record, uint32_t marker = 1) {
    return {Image, std::move(record), marker};
  }
  static Slot Cont() { return {Continue, {}, 0}; }
};

struct Frame {
  Slot image, mask;
};

struct Sound {
  std::string fileName;  // written into the 256-byte buffer (the rest is zero unless tail set)
  std::string tail;      // bytes placed right after the name's terminator
  int16_t frame = 0;
  std::string wave;
  std::optional<int32_t> size;  // the Size field, when not wave.size()
};

struct Object {
  std::string tag = "SPD";
  int16_t reserved = 0;
  std::string nameField;  // stored bytes; padded with 0 to 32
  int16_t depth = 1;
  int32_t behave = 0;
  int32_t autoRepeat = 1;
  int32_t randomStart = 1;
  int32_t ownsImages = 1;
  int16_t imageSizeX = 0;
  int16_t imageSizeY = 0;
  int32_t positionX = 0;
  int32_t positionY = 0;
  int32_t speedX = 0;
  int32_t speedY = 0;
  std::vector<Frame> frames;
  std::vector<std::pair<int32_t, int32_t>> locations;
  std::optional<Sound> sound;
  std::optional<uint16_t> numFrames;     // when not frames.size()
  std::optional<uint16_t> numLocations;  // when not locations.size()
  std::optional<uint32_t> soundFlag;     // when not 0/1 from sound
};

inline constexpr size_t kObjectHeaderSize = 79;
inline constexpr size_t kFileHeaderSize = 34;  // header and count

std::string SoundRecord(const Sound& s);
std::string ObjectRecord(const Object& o);
// The 32-byte header (magic "KE--1.00", byte 8 = 0, zeros) and the count.
std::string FileHeader(int16_t count);
std::string File(const std::vector<Object>& objects);

}  // namespace kel::test::build
