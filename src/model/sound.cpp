#include "model/sound.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <limits>
#include <optional>

#include <unistd.h>

#include "model/sound_port.h"
#include "model/system_error.h"
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
std::string FileSystemName(const char* path) {
  if (auto utf8 = Cp932ToUtf8(path); utf8 && *utf8 != path && ::access(utf8->c_str(), F_OK) == 0)
    return *utf8;
  return path;
}

std::string MegaBytes(int64_t bytes) {
  return std::to_string((bytes + (1 << 20) - 1) >> 20) + " MB";
}

}  // namespace

int ObSound::GetSound(const char* path) {
  if (WaveBlock) {
    // Replacing data the player may be reading: stop it first.
    Stop();
    WaveBlock.reset();
  }
  Size = 0;
  loadError_.clear();
  const auto fail = [this](std::string why) {
    loadError_ = std::move(why);
    return 0;
  };
  if (!path) return fail("ファイル名がありません");
  const std::string name = FileSystemName(path);
  // Checked before the file is opened: a named pipe would never end, and a clip too large for
  // the player is not read into memory first.
  uint64_t length = 0;
  if (std::optional<std::string> problem = RegularFileProblem(name, &length))
    return fail("ファイルを開けません (" + *problem + ")");
  if (length == 0) return fail("空のファイルです");
  if (length > uint64_t(kMaxWaveBytes))
    return fail("ファイルが大きすぎます (" + MegaBytes(int64_t(length)) + "、" +
                MegaBytes(kMaxWaveBytes) + " までです)");
  std::ifstream in(name, std::ios::binary);
  if (!in) return fail("ファイルを開けません (" + SystemErrorText(errno) + ")");
  // Zero-filled, so the two bytes after the wave data are 0.
  auto block = std::make_unique<uint8_t[]>(size_t(length) + 2);
  in.read(reinterpret_cast<char*>(block.get()), std::streamsize(length));
  if (in.gcount() != std::streamsize(length)) return fail("ファイルを最後まで読めません");
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
