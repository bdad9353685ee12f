#include "model/sprite.h"

#include <algorithm>
#include <iterator>

namespace kel {

std::unique_ptr<ObBmpImage> FrameSlot::Take() {
  cont_ = false;
  return std::move(image_);
}

const char* const ObSpriteData::BehaveName[] = {
    "流れ", "ﾊﾞｳﾝﾄﾞ", "１ｼｮｯﾄ", "ﾗﾝﾀﾞﾑｳｫｰｸ", "指定位置", nullptr,
};

namespace {

// Both lists start with room for 33 entries, as the stored objects' lists do.
constexpr size_t kInitialRoom = 33;

// What a frame index that has no record reads as.
const FrameSlot kNoSlot;

}  // namespace

ObSpriteData::ObSpriteData() {
  ImageArray.reserve(kInitialRoom);
  Locations.reserve(kInitialRoom);
}

ObSpriteData::~ObSpriteData() = default;

void ObSpriteData::Clear() {
  // Frames (and their pictures) go first, then the locations, then the clip, which stops any
  // sound it may be playing before its data goes.
  ImageArray.clear();
  Locations.clear();
  Sound.reset();
  Name.clear();
  // Every parameter goes back to what a new object starts with (the member initialisers).
  const ObSpriteData fresh;
  Reserved = fresh.Reserved;
  Depth = fresh.Depth;
  Behave = fresh.Behave;
  AutoRepeat = fresh.AutoRepeat;
  RandomStart = fresh.RandomStart;
  OwnsImages = fresh.OwnsImages;
  ImageSizeX = fresh.ImageSizeX;
  ImageSizeY = fresh.ImageSizeY;
  NumFrames = fresh.NumFrames;
  PositionX = fresh.PositionX;
  PositionY = fresh.PositionY;
  SpeedX = fresh.SpeedX;
  SpeedY = fresh.SpeedY;
}

void ObSpriteData::SetNumFrames(uint16_t n) {
  ExpandImageArray(n);
}

void ObSpriteData::ExpandImageArray(int n) {
  // The count is kept in 16 bits; a list longer than that could not be counted or stored.
  n = std::clamp(n, 0, 0xFFFF);
  // Shrinking removes the last frame first, down to index n.
  while (int(ImageArray.size()) > n) ImageArray.pop_back();
  if (int(ImageArray.size()) < n) ImageArray.resize(size_t(n));
  NumFrames = uint16_t(ImageArray.size());
}

int16_t ObSpriteData::AddImage(FrameSlot value, int16_t i, int mask) {
  if (i < 0) return i;
  if (i >= FrameCount()) ExpandImageArray(i + 1);
  ImagePair& frame = ImageArray[size_t(i)];
  FrameSlot& slot = mask ? frame.Mask : frame.Image;
  FrameSlot& other = mask ? frame.Image : frame.Mask;
  // A continue frame holds the marker in both slots; once one slot gets something of its own,
  // the frame no longer continues, so the other slot is emptied.
  if (slot.IsContinue()) other = FrameSlot();
  slot = std::move(value);  // the picture the slot held, if any, goes here
  return i;
}

const FrameSlot& ObSpriteData::GetImage(int16_t i) const {
  if (i < 0 || i >= FrameCount()) return kNoSlot;
  return ImageArray[size_t(i)].Image;
}

const FrameSlot& ObSpriteData::GetMask(int16_t i) const {
  if (i < 0 || i >= FrameCount()) return kNoSlot;
  return ImageArray[size_t(i)].Mask;
}

ObBmpImage* ObSpriteData::Resolve(int16_t i, bool mask) const {
  // From frame i backwards: an empty slot ends the search, a picture is the answer, the
  // continue marker sends it one frame further back.
  for (int j = i; j >= 0; --j) {
    const FrameSlot& slot = mask ? GetMask(int16_t(j)) : GetImage(int16_t(j));
    if (slot.IsEmpty()) return nullptr;
    if (slot.IsImage()) return slot.Image();
  }
  return nullptr;
}

ObBmpImage* ObSpriteData::GetPrevImage(int16_t i) const {
  return Resolve(i, false);
}

ObBmpImage* ObSpriteData::GetPrevMask(int16_t i) const {
  return Resolve(i, true);
}

DisplayBitmap* ObSpriteData::GetImageHandle(int16_t i) const {
  const FrameSlot& slot = GetImage(i);
  if (slot.IsEmpty()) return nullptr;
  ObBmpImage* image = slot.IsContinue() ? GetPrevImage(i) : slot.Image();
  return image ? image->Bitmap().get() : nullptr;
}

DisplayBitmap* ObSpriteData::GetMaskHandle(int16_t i) const {
  const FrameSlot& slot = GetMask(i);
  if (slot.IsEmpty()) return nullptr;
  ObBmpImage* image = slot.IsContinue() ? GetPrevMask(i) : slot.Image();
  return image ? image->Bitmap().get() : nullptr;
}

int ObSpriteData::MakeDDB(DisplayDevice& dc, int16_t i) {
  if (i < 0 || i >= FrameCount()) return 0;
  // The mask gets its bitmap only when the image slot held a picture.
  for (ObBmpImage* image : {GetImage(i).Image(), GetMask(i).Image()}) {
    if (!image) return 0;
    image->MakePalette();
    image->DIBtoDDB(dc);
  }
  return 1;
}

void ObSpriteData::MakeDDB(DisplayDevice& dc) {
  for (int i = 0; i < FrameCount(); ++i) MakeDDB(dc, int16_t(i));
}

void ObSpriteData::AddLocation(const TPoint& p) {
  Locations.push_back(p);
}

void ObSpriteData::AddLocation(const TPoint& p, int16_t i) {
  const size_t at = std::min(size_t(std::max<int16_t>(i, 0)), Locations.size());
  Locations.insert(Locations.begin() + ptrdiff_t(at), p);
}

void ObSpriteData::SetLocation(const TPoint& p, int16_t i) {
  if (i >= 0 && size_t(i) < Locations.size()) Locations[size_t(i)] = p;
}

ObSpriteParams ObSpriteData::Params() const {
  return {Depth,      Behave,    AutoRepeat, RandomStart, ImageSizeX,
          ImageSizeY, PositionX, PositionY,  SpeedX,      SpeedY};
}

void ObSpriteData::SetParams(const ObSpriteParams& p) {
  Depth = p.Depth;
  Behave = p.Behave;
  AutoRepeat = p.AutoRepeat;
  RandomStart = p.RandomStart;
  ImageSizeX = p.ImageSizeX;
  ImageSizeY = p.ImageSizeY;
  PositionX = p.PositionX;
  PositionY = p.PositionY;
  SpeedX = p.SpeedX;
  SpeedY = p.SpeedY;
}

void ObSpriteData::SwapSlot(int16_t i, bool mask, FrameSlot& slot) {
  ImagePair& frame = ImageArray.at(size_t(i));
  std::swap(mask ? frame.Mask : frame.Image, slot);
}

ObSpriteData::TakenFrame ObSpriteData::TakeFrame(int16_t i) {
  TakenFrame taken;
  taken.Pair = std::move(ImageArray.at(size_t(i)));
  ImageArray.erase(ImageArray.begin() + i);
  NumFrames = uint16_t(ImageArray.size());
  if (size_t(i) < Locations.size()) {
    taken.Location = Locations[size_t(i)];
    Locations.erase(Locations.begin() + i);
  }
  // Sound frames count from 1: frame index i is sound frame i + 1.
  if (Sound) {
    if (Sound->Frame == i + 1)
      taken.Sound = std::move(Sound);
    else if (Sound->Frame > i + 1)
      --Sound->Frame;
  }
  return taken;
}

void ObSpriteData::InsertFrame(int16_t i, TakenFrame frame) {
  const size_t at = std::min(size_t(std::max<int16_t>(i, 0)), ImageArray.size());
  ImageArray.insert(ImageArray.begin() + ptrdiff_t(at), std::move(frame.Pair));
  NumFrames = uint16_t(ImageArray.size());
  if (frame.Location) {
    const size_t l = std::min(at, Locations.size());
    Locations.insert(Locations.begin() + ptrdiff_t(l), *frame.Location);
  }
  if (Sound && Sound->Frame >= int(at) + 1) ++Sound->Frame;
  if (frame.Sound) Sound = std::move(frame.Sound);
}

std::vector<ObSpriteData::ImagePair> ObSpriteData::TakeFramesFrom(int n) {
  std::vector<ImagePair> taken;
  if (n < 0) n = 0;
  if (n >= FrameCount()) return taken;
  taken.reserve(ImageArray.size() - size_t(n));
  std::move(ImageArray.begin() + n, ImageArray.end(), std::back_inserter(taken));
  ImageArray.erase(ImageArray.begin() + n, ImageArray.end());
  NumFrames = uint16_t(ImageArray.size());
  return taken;
}

void ObSpriteData::AppendFrames(std::vector<ImagePair> frames) {
  // The count is kept in 16 bits.
  const size_t room = 0xFFFF - std::min<size_t>(ImageArray.size(), 0xFFFF);
  if (frames.size() > room) frames.resize(room);
  std::move(frames.begin(), frames.end(), std::back_inserter(ImageArray));
  NumFrames = uint16_t(ImageArray.size());
}

void ObSpriteData::SwapSound(std::unique_ptr<ObSound>& sound) {
  std::swap(Sound, sound);
}

void ObSpriteData::SwapLocations(std::vector<TPoint>& locations) {
  std::swap(Locations, locations);
}

void ObSpriteData::SwapName(std::string& name) {
  std::swap(Name, name);
}

void ObSpriteData::SwapContents(ObSpriteData& other) {
  std::swap(ImageArray, other.ImageArray);
  std::swap(Locations, other.Locations);
  std::swap(Sound, other.Sound);
  std::swap(Reserved, other.Reserved);
  std::swap(OwnsImages, other.OwnsImages);
  std::swap(NumFrames, other.NumFrames);
  const ObSpriteParams mine = Params();
  SetParams(other.Params());
  other.SetParams(mine);
}

void ObSpriteData::LoadImage(const char* path, int16_t i, int mask) {
  if (i < 0 || i >= FrameCount()) return;
  FrameSlot& slot = mask ? ImageArray[size_t(i)].Mask : ImageArray[size_t(i)].Image;
  if (slot.IsContinue()) return;
  slot = FrameSlot(std::make_unique<ObBmpImage>(path));
}

}  // namespace kel
