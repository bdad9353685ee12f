// The sound record of the object file: the 256-byte file name buffer, the frame, the size and
// the complete wave file.
#include <cstring>
#include <istream>
#include <new>
#include <ostream>
#include <string>

#include "model/le.h"
#include "model/record_io.h"
#include "model/sound.h"

namespace kel {

namespace {

constexpr size_t kAtFrame = ObSound::kFileNameSize;
constexpr size_t kAtSize = kAtFrame + 2;
constexpr size_t kSoundHeaderSize = kAtSize + 4;  // 262

}  // namespace

int ObSound::Read(RecordReader& in) {
  if (!in.Ok()) return 0;
  const uint64_t start = in.Offset();
  uint8_t head[kSoundHeaderSize];
  if (!in.ReadBytes(head, sizeof head, "サウンドの見出し")) return 0;
  // Every user of the name takes it as a C string: it must end inside its buffer.
  if (std::memchr(head, 0, kFileNameSize) == nullptr) {
    in.FailAt(start, "ファイル名が 256 バイトの中で終わっていません");
    return 0;
  }
  const int32_t size = le::I32(head + kAtSize);
  if (size < 0) {
    in.FailAt(start + kAtSize, "波形データの大きさが負の値です (" + std::to_string(size) + ")");
    return 0;
  }
  // Checked before anything is allocated.
  if (uint64_t(size) > in.Remaining()) {
    in.FailAt(start + kAtSize, "波形データの大きさ " + std::to_string(size) +
                                   " バイトがファイルの残り (" + std::to_string(in.Remaining()) +
                                   " バイト) を超えています");
    return 0;
  }
  std::unique_ptr<uint8_t[]> block;
  const bool read = in.ReadBlock(size_t(size), "波形データ", [&block](size_t n) {
    block = std::make_unique_for_overwrite<uint8_t[]>(n + 2);
    // The wave bytes are followed by two zero bytes, as every clip's block is.
    block[n] = 0;
    block[n + 1] = 0;
    return block.get();
  });
  if (!read) return 0;

  // A clip that already held data may be playing from it.
  if (WaveBlock) Stop();
  std::memcpy(FileName.data(), head, kFileNameSize);
  Frame = le::I16(head + kAtFrame);
  Size = size;
  WaveBlock = std::move(block);
  return 1;
}

int ObSound::Read(std::istream& in) {
  return ReadRecord(in, [this](RecordReader& reader) { return Read(reader) != 0; }) ? 1 : 0;
}

int ObSound::Write(std::ostream& out) const {
  if (!out) return 0;
  // Only what the reader takes back: a name that ends inside its buffer.
  if (std::memchr(FileName.data(), 0, kFileNameSize) == nullptr) return 0;
  // A clip without data has Size 0; never promise bytes that are not there.
  const int32_t size = WaveBlock && Size > 0 ? Size : 0;
  uint8_t head[kSoundHeaderSize];
  std::memcpy(head, FileName.data(), kFileNameSize);
  le::Put16(head + kAtFrame, uint16_t(Frame));
  le::Put32(head + kAtSize, uint32_t(size));
  out.write(reinterpret_cast<const char*>(head), sizeof head);
  if (size > 0) out.write(reinterpret_cast<const char*>(WaveBlock.get()), size);
  return out ? 1 : 0;
}

}  // namespace kel
