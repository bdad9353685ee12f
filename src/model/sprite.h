// One animated object: name, behaviour and parameters, frames of image and mask, per-frame
// screen locations and at most one wave sound.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "image.h"
#include "sound.h"

namespace kel {

class RecordReader;
class DisplayDevice;

// The continue marker: a frame that holds it in both slots shows the nearest earlier picture.
struct ContinueMarkT {
  bool operator==(const ContinueMarkT&) const = default;
};
inline constexpr ContinueMarkT ContinueMark{};

// One slot of a frame: empty, the continue marker, or an owned picture.
class FrameSlot {
 public:
  FrameSlot() = default;
  FrameSlot(ContinueMarkT) : cont_(true) {}
  FrameSlot(std::unique_ptr<ObBmpImage> image) : image_(std::move(image)) {}

  bool IsEmpty() const { return !cont_ && !image_; }
  bool IsContinue() const { return cont_; }
  bool IsImage() const { return image_ != nullptr; }
  ObBmpImage* Image() const { return image_.get(); }  // null unless it holds a picture
  std::unique_ptr<ObBmpImage> Take();                 // empties the slot

 private:
  bool cont_ = false;
  std::unique_ptr<ObBmpImage> image_;
};

struct TPoint {
  int32_t X = 0;
  int32_t Y = 0;
  bool operator==(const TPoint&) const = default;
};

// The values of an object that its parameter fields and check boxes edit, as one value.
struct ObSpriteParams {
  int16_t Depth = 1;
  int32_t Behave = 0;
  int32_t AutoRepeat = 1;
  int32_t RandomStart = 1;
  int16_t ImageSizeX = 0;
  int16_t ImageSizeY = 0;
  int32_t PositionX = 0;
  int32_t PositionY = 0;
  int32_t SpeedX = 0;
  int32_t SpeedY = 0;
  bool operator==(const ObSpriteParams&) const = default;
};

class ObSpriteData {
 public:
  struct ImagePair {
    FrameSlot Image;
    FrameSlot Mask;
  };
  // A frame taken out of an object with what went with it: its location and the sound that
  // played at it. Putting it back where it was restores the object as it was.
  struct TakenFrame {
    ImagePair Pair;
    std::optional<TPoint> Location;
    std::unique_ptr<ObSound> Sound;
  };

  static const char* const BehaveName[];  // "流れ" … "指定位置", then null (UTF-8)
  static constexpr int kBehaveCount = 5;
  static constexpr int kFixedPosition = 4;

  ObSpriteData();
  ~ObSpriteData();
  ObSpriteData(const ObSpriteData&) = delete;
  ObSpriteData& operator=(const ObSpriteData&) = delete;

  void Clear();
  void SetNumFrames(uint16_t n);
  void ExpandImageArray(int n);
  // Puts value into the Mask (mask != 0) or Image slot of frame i, growing the list to i + 1
  // frames when needed; a continue frame that receives a picture keeps only that. Returns i.
  int16_t AddImage(FrameSlot value, int16_t i, int mask);
  const FrameSlot& GetImage(int16_t i) const;  // an empty slot for a missing frame
  const FrameSlot& GetMask(int16_t i) const;
  ObBmpImage* GetPrevImage(int16_t i) const;  // the picture frame i shows, continues resolved
  ObBmpImage* GetPrevMask(int16_t i) const;
  DisplayBitmap* GetImageHandle(int16_t i) const;
  DisplayBitmap* GetMaskHandle(int16_t i) const;
  int MakeDDB(DisplayDevice& dc, int16_t i);
  void MakeDDB(DisplayDevice& dc);
  void AddLocation(const TPoint& p);
  void AddLocation(const TPoint& p, int16_t i);
  void SetLocation(const TPoint& p, int16_t i);
  void LoadImage(const char* path, int16_t i, int mask);

  // The reversible operations that edits are made of. Each one either exchanges a part of the
  // object with a value the caller holds (so calling it twice restores the object) or has an
  // exact inverse; pictures move, they are never copied.
  ObSpriteParams Params() const { return params_; }
  void SetParams(const ObSpriteParams& p);
  // Exchanges the Mask (mask true) or Image slot of frame i, which must exist, with slot.
  void SwapSlot(int16_t i, bool mask, FrameSlot& slot);
  // Takes frame i (which must exist) out: its pictures, its location, and the sound when it
  // plays at this frame; a sound at a later frame moves one frame earlier with its picture.
  TakenFrame TakeFrame(int16_t i);
  // The inverse of TakeFrame(i).
  void InsertFrame(int16_t i, TakenFrame frame);
  // Takes the frames from index n on out of the list (none when it has n or fewer).
  std::vector<ImagePair> TakeFramesFrom(int n);
  // Appends frames after the last one (an empty pair for each new empty frame).
  void AppendFrames(std::vector<ImagePair> frames);
  void SwapSound(std::unique_ptr<ObSound>& sound);
  void SwapLocations(std::vector<TPoint>& locations);
  void SwapName(std::string& name);
  // Exchanges everything but the name with other: the frames, locations, sound and every
  // parameter.
  void SwapContents(ObSpriteData& other);

  // One object record of the object file.
  int Read(const char* fileName);
  int Write(const char* fileName) const;
  int Read(std::istream& in);
  int Write(std::ostream& out) const;
  int Read(RecordReader& in);  // with bounds and a precise message

  // What the object holds, for reading; it changes only through the operations above.
  int FrameCount() const { return int(imageArray_.size()); }
  uint16_t NumFrames() const { return uint16_t(imageArray_.size()); }
  const std::vector<ImagePair>& ImageArray() const { return imageArray_; }  // frame i at index i
  // Entry k belongs to frame k (fixed position only).
  const std::vector<TPoint>& Locations() const { return locations_; }
  const ObSound* Sound() const { return sound_.get(); }  // null when the object has none
  // Stored bytes (CP932); empty only between Clear and the caller's rename.
  const std::string& Name() const { return name_; }
  int16_t Reserved() const { return reserved_; }
  int32_t OwnsImages() const { return ownsImages_; }

 private:
  ObBmpImage* Resolve(int16_t i, bool mask) const;

  std::vector<ImagePair> imageArray_;
  std::vector<TPoint> locations_;
  std::unique_ptr<ObSound> sound_;
  int16_t reserved_ = 0;
  std::string name_;
  int32_t ownsImages_ = 1;
  ObSpriteParams params_;
};

using SpriteList = std::vector<std::unique_ptr<ObSpriteData>>;

}  // namespace kel
