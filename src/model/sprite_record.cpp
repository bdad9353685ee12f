// The object record of the object file: the 79-byte header, the frames with their slot markers
// and image records, the locations and the sound entry.
#include <algorithm>
#include <cstring>
#include <fstream>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "model/le.h"
#include "model/record_io.h"
#include "model/sprite.h"
#include "model/text.h"

namespace kel {

namespace {

constexpr size_t kHeaderSize = 79;
constexpr size_t kNameField = 32;
constexpr size_t kStoredNameMax = 30;  // bytes 35 and 36 of the header always stay 0
constexpr uint32_t kEmptyMarker = 0;
constexpr uint32_t kContinueMarker = 0xFFFFFFFF;
constexpr uint32_t kImageMarker = 1;  // any other value; readers do not interpret it

// Header offsets.
constexpr size_t kAtReserved = 3;
constexpr size_t kAtName = 5;
constexpr size_t kAtDepth = 37;
constexpr size_t kAtBehave = 39;
constexpr size_t kAtAutoRepeat = 43;
constexpr size_t kAtRandomStart = 47;
constexpr size_t kAtOwnsImages = 51;
constexpr size_t kAtImageSizeX = 55;
constexpr size_t kAtImageSizeY = 57;
constexpr size_t kAtNumFrames = 59;
constexpr size_t kAtPositionX = 61;
constexpr size_t kAtPositionY = 65;
constexpr size_t kAtSpeedX = 69;
constexpr size_t kAtSpeedY = 73;
constexpr size_t kAtNumLocations = 77;

// How many bytes of the name the header stores: at most 30, and never the first byte of a
// double-byte character without its second.
size_t StoredNameLength(const std::string& name) {
  const size_t n = std::min(name.size(), std::strlen(name.c_str()));
  size_t i = 0;
  while (i < n) {
    const size_t step = IsCp932LeadByte(uint8_t(name[i])) && i + 1 < n ? 2 : 1;
    if (i + step > kStoredNameMax) break;
    i += step;
  }
  return i;
}

// "オブジェクト 3" + "フレーム 12 のイメージ" -> "オブジェクト 3 のフレーム 12 のイメージ".
std::string Within(const std::string& place, const std::string& part) {
  return place.empty() ? part : place + " の" + part;
}

// Puts the reader's place back however the record reading ends.
class PlaceGuard {
 public:
  explicit PlaceGuard(RecordReader& in) : in_(in), saved_(in.Place()) {}
  ~PlaceGuard() { in_.SetPlace(saved_); }
  PlaceGuard(const PlaceGuard&) = delete;
  PlaceGuard& operator=(const PlaceGuard&) = delete;
  const std::string& Saved() const { return saved_; }

 private:
  RecordReader& in_;
  std::string saved_;
};

bool ReadSlot(RecordReader& in, FrameSlot& slot) {
  uint8_t m[4];
  if (!in.ReadBytes(m, sizeof m, "スロットの印")) return false;
  const uint32_t marker = le::U32(m);
  if (marker == kEmptyMarker) return true;
  if (marker == kContinueMarker) {
    slot = FrameSlot(ContinueMark);
    return true;
  }
  auto image = std::make_unique<ObBmpImage>();
  if (!image->Read(in)) return false;
  slot = FrameSlot(std::move(image));
  return true;
}

bool WriteSlot(std::ostream& out, const FrameSlot& slot) {
  uint8_t m[4];
  ObBmpImage* image = slot.Image();
  // An image without a bitmap has no record to follow a marker: it is stored as empty.
  const uint32_t marker = slot.IsContinue()                     ? kContinueMarker
                          : image != nullptr && image->HasDib() ? kImageMarker
                                                                : kEmptyMarker;
  le::Put32(m, marker);
  out.write(reinterpret_cast<const char*>(m), sizeof m);
  if (marker != kImageMarker) return bool(out);
  // A record that cannot be written fails the whole save rather than leave the marker alone.
  return image->Write(out);
}

}  // namespace

int ObSpriteData::Read(RecordReader& in) {
  if (!in.Ok()) return 0;
  PlaceGuard guard(in);
  const std::string& place = guard.Saved();
  const uint64_t start = in.Offset();

  uint8_t h[kHeaderSize];
  if (!in.ReadBytes(h, sizeof h, "オブジェクトの見出し")) return 0;
  // Bytes 0-3 are the NUL-terminated tag "SPD"; the low byte of Reserved is its terminator.
  if (std::memcmp(h, "SPD", 4) != 0) {
    in.FailAt(start, "オブジェクトの見出しに識別子 \"SPD\" がありません");
    return 0;
  }
  const int32_t behave = le::I32(h + kAtBehave);
  // The behaviour indexes the behaviour table everywhere the object is shown or played.
  if (behave < 0 || behave >= kBehaveCount) {
    in.FailAt(start + kAtBehave,
              "動作の番号 " + std::to_string(behave) + " が 0 から 4 の範囲にありません");
    return 0;
  }
  const uint16_t numFrames = le::U16(h + kAtNumFrames);
  // Every frame takes at least its two 4-byte markers.
  if (uint64_t(numFrames) * 8 > in.Remaining()) {
    in.FailAt(start + kAtNumFrames, "フレーム数 " + std::to_string(numFrames) +
                                        " がファイルの残り (" + std::to_string(in.Remaining()) +
                                        " バイト) に収まりません");
    return 0;
  }

  std::vector<ImagePair> frames(numFrames);
  for (size_t f = 0; f < frames.size(); ++f) {
    const std::string frame = "フレーム " + std::to_string(f + 1) + " の";
    in.SetPlace(Within(place, frame + "イメージ"));
    if (!ReadSlot(in, frames[f].Image)) return 0;
    in.SetPlace(Within(place, frame + "マスク"));
    if (!ReadSlot(in, frames[f].Mask)) return 0;
  }

  in.SetPlace(Within(place, "位置"));
  const uint16_t numLocations = le::U16(h + kAtNumLocations);
  const uint64_t locationBytes = uint64_t(numLocations) * 8;
  if (locationBytes > in.Remaining()) {
    in.FailAt(start + kAtNumLocations, "位置の数 " + std::to_string(numLocations) +
                                           " がファイルの残り (" + std::to_string(in.Remaining()) +
                                           " バイト) を超えています");
    return 0;
  }
  std::vector<uint8_t> raw(locationBytes);
  if (!in.ReadBytes(raw.data(), raw.size(), "位置")) return 0;
  std::vector<TPoint> locations(numLocations);
  for (size_t k = 0; k < locations.size(); ++k) {
    locations[k] = {le::I32(&raw[8 * k]), le::I32(&raw[8 * k + 4])};
  }

  in.SetPlace(Within(place, "サウンド"));
  uint8_t flag[4];
  if (!in.ReadBytes(flag, sizeof flag, "サウンドの有無")) return 0;
  std::unique_ptr<ObSound> sound;
  if (le::U32(flag) != 0) {
    sound = std::make_unique<ObSound>();
    if (!sound->Read(in)) return 0;
  }

  // The whole record is valid: only now does the object change.
  reserved_ = le::I16(h + kAtReserved);
  const char* name = reinterpret_cast<const char*>(h + kAtName);
  const void* end = std::memchr(name, 0, kNameField);
  name_.assign(name, end ? static_cast<const char*>(end) : name + kNameField);
  params_.Depth = le::I16(h + kAtDepth);
  params_.Behave = behave;
  params_.AutoRepeat = le::I32(h + kAtAutoRepeat);
  params_.RandomStart = le::I32(h + kAtRandomStart);
  ownsImages_ = le::I32(h + kAtOwnsImages);
  params_.ImageSizeX = le::I16(h + kAtImageSizeX);
  params_.ImageSizeY = le::I16(h + kAtImageSizeY);
  params_.PositionX = le::I32(h + kAtPositionX);
  params_.PositionY = le::I32(h + kAtPositionY);
  params_.SpeedX = le::I32(h + kAtSpeedX);
  params_.SpeedY = le::I32(h + kAtSpeedY);
  imageArray_ = std::move(frames);
  locations_ = std::move(locations);
  sound_ = std::move(sound);
  return 1;
}

int ObSpriteData::Read(std::istream& in) {
  return ReadRecord(in, [this](RecordReader& reader) { return Read(reader) != 0; }) ? 1 : 0;
}

int ObSpriteData::Read(const char* fileName) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in.is_open()) return 0;
  return Read(in);
}

int ObSpriteData::Write(std::ostream& out) const {
  if (!out) return 0;
  // The counts are the ones whose entries follow.
  if (imageArray_.size() > 0xFFFF) return 0;
  const size_t numLocations = params_.Behave == kFixedPosition ? locations_.size() : 0;
  if (numLocations > 0xFFFF) return 0;

  uint8_t h[kHeaderSize] = {};
  std::memcpy(h, "SPD", 3);
  le::Put16(h + kAtReserved, uint16_t(reserved_));
  std::memcpy(h + kAtName, name_.data(), StoredNameLength(name_));
  le::Put16(h + kAtDepth, uint16_t(params_.Depth));
  le::Put32(h + kAtBehave, uint32_t(params_.Behave));
  le::Put32(h + kAtAutoRepeat, uint32_t(params_.AutoRepeat));
  le::Put32(h + kAtRandomStart, uint32_t(params_.RandomStart));
  le::Put32(h + kAtOwnsImages, uint32_t(ownsImages_));
  le::Put16(h + kAtImageSizeX, uint16_t(params_.ImageSizeX));
  le::Put16(h + kAtImageSizeY, uint16_t(params_.ImageSizeY));
  le::Put16(h + kAtNumFrames, uint16_t(imageArray_.size()));
  le::Put32(h + kAtPositionX, uint32_t(params_.PositionX));
  le::Put32(h + kAtPositionY, uint32_t(params_.PositionY));
  le::Put32(h + kAtSpeedX, uint32_t(params_.SpeedX));
  le::Put32(h + kAtSpeedY, uint32_t(params_.SpeedY));
  le::Put16(h + kAtNumLocations, uint16_t(numLocations));
  out.write(reinterpret_cast<const char*>(h), sizeof h);

  for (const ImagePair& frame : imageArray_) {
    if (!WriteSlot(out, frame.Image) || !WriteSlot(out, frame.Mask)) return 0;
  }

  std::vector<uint8_t> raw(numLocations * 8);
  for (size_t k = 0; k < numLocations; ++k) {
    le::Put32(&raw[8 * k], uint32_t(locations_[k].X));
    le::Put32(&raw[8 * k + 4], uint32_t(locations_[k].Y));
  }
  out.write(reinterpret_cast<const char*>(raw.data()), std::streamsize(raw.size()));

  uint8_t flag[4];
  le::Put32(flag, sound_ ? 1 : 0);
  out.write(reinterpret_cast<const char*>(flag), sizeof flag);
  if (sound_ && !sound_->Write(out)) return 0;
  return out ? 1 : 0;
}

int ObSpriteData::Write(const char* fileName) const {
  std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
  if (!out.is_open()) return 0;
  const int written = Write(out);
  out.close();
  return written && !out.fail() ? 1 : 0;
}

}  // namespace kel
