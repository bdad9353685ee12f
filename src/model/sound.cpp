#include "model/sound.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <limits>

#include "model/sound_port.h"
#include "model/text.h"

namespace kel {

ObSound::ObSound() = default;

ObSound::ObSound(const char* path) {
  if (!path) return;
  SetFileName(path);
  GetSound(path);
}

ObSound::~ObSound() {
  // The player may still be reading the block: stop it before the block goes.
  Stop();
}

namespace {

// The path is the clip's stored name (CP932 bytes); the file system knows it by its UTF-8
// spelling. A name that is not CP932, or whose UTF-8 spelling names no file, is tried as it
// stands (a caller may already hold the file system's name).
std::ifstream OpenByStoredName(const char* path) {
  if (auto utf8 = Cp932ToUtf8(path); utf8 && *utf8 != path) {
    std::ifstream in(*utf8, std::ios::binary);
    if (in) return in;
  }
  return std::ifstream(path, std::ios::binary);
}

}  // namespace

int ObSound::GetSound(const char* path) {
  if (WaveBlock) {
    // Replacing data the player may be reading: stop it first.
    Stop();
    WaveBlock.reset();
  }
  Size = 0;
  if (!path) return 0;
  std::ifstream in = OpenByStoredName(path);
  if (!in) return 0;
  in.seekg(0, std::ios::end);
  const std::streamoff length = in.tellg();
  // Size is a 32-bit count, and the block holds two more bytes.
  if (length <= 0 || length > std::numeric_limits<int32_t>::max() - 2) return 0;
  in.seekg(0, std::ios::beg);
  // Zero-filled, so the two bytes after the wave data are 0.
  auto block = std::make_unique<uint8_t[]>(size_t(length) + 2);
  in.read(reinterpret_cast<char*>(block.get()), length);
  if (in.gcount() != length) return 0;
  WaveBlock = std::move(block);
  Size = int32_t(length);
  return 1;
}

void ObSound::SetFileName(const char* name) {
  FileName.fill('\0');
  if (!name) return;
  const size_t n = std::min(std::strlen(name), kFileNameSize - 1);
  std::memcpy(FileName.data(), name, n);
}

void ObSound::DeleteSound() {
  Stop();
  WaveBlock.reset();
  Size = 0;
  FileName.fill('\0');
  Frame = 0;
}

void ObSound::Play() const {
  // Asynchronous, from memory, never interrupting a sound already playing. A clip without data
  // has nothing to play.
  if (!WaveBlock) return;
  CurrentSoundPort().PlayAsync(WaveBlock.get(), size_t(Size));
}

void ObSound::Stop() {
  CurrentSoundPort().Stop();
}

}  // namespace kel
