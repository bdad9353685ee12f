// One wave sound of a sprite object: the whole wave file in memory, the path it came from and
// the 1-based frame at which it plays.
#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>

namespace kel {

class RecordReader;

class ObSound {
 public:
  static constexpr size_t kFileNameSize = 256;
  // The largest wave file taken: the player holds a clip whole in memory, and the object file
  // stores its size in 32 bits.
  static constexpr int64_t kMaxWaveBytes = int64_t(64) << 20;

  ObSound();
  // path is the name as stored (CP932 bytes); the file is opened under its UTF-8 spelling, or
  // under path itself when that names no file.
  explicit ObSound(const char* path);  // SetFileName, then GetSound (its result is dropped)
  ~ObSound();                          // Stop before the data goes
  ObSound(const ObSound&) = delete;
  ObSound& operator=(const ObSound&) = delete;

  // 1 when the whole file was read. Refused before any wave byte is read: a file that cannot be
  // opened, is empty or no regular file, or is larger than kMaxWaveBytes. LoadError says why.
  int GetSound(const char* path);
  // Why the last GetSound read nothing (Japanese, UTF-8), "" after a read that succeeded.
  const std::string& LoadError() const { return loadError_; }
  void SetFileName(const char* name);
  void DeleteSound();
  void Play() const;
  static void Stop();

  int Read(std::istream& in);
  int Read(RecordReader& in);
  int Write(std::ostream& out) const;

  // All 256 bytes are kept: the file stores the buffer whole.
  std::array<char, kFileNameSize> FileName{};
  int16_t Frame = 0;
  int32_t Size = 0;
  // Size wave bytes followed by two zero bytes; null when the clip holds none.
  const uint8_t* WaveData() const { return WaveBlock.get(); }

 private:
  std::unique_ptr<uint8_t[]> WaveBlock;
  std::string loadError_;
};

}  // namespace kel
