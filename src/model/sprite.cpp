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
  imageArray_.reserve(kInitialRoom);
  locations_.reserve(kInitialRoom);
}

ObSpriteData::~ObSpriteData() = default;

void ObSpriteData::Clear() {
  // Frames (and their pictures) go first, then the locations, then the clip, which stops any
  // sound it may be playing before its data goes.
  imageArray_.clear();
  locations_.clear();
  sound_.reset();
  name_.clear();
  // Every parameter goes back to what a new object starts with (the member initialisers).
  const ObSpriteData fresh;
  reserved_ = fresh.reserved_;
  ownsImages_ = fresh.ownsImages_;
  params_ = fresh.params_;
}

void ObSpriteData::SetNumFrames(uint16_t n) {
  ExpandImageArray(n);
}

void ObSpriteData::ExpandImageArray(int n) {
  // The count is kept in 16 bits; a list longer than that could not be counted or stored.
  n = std::clamp(n, 0, 0xFFFF);
  // Shrinking removes the last frame first, down to index n.
  while (int(imageArray_.size()) > n) imageArray_.pop_back();
  if (int(imageArray_.size()) < n) imageArray_.resize(size_t(n));
}

int16_t ObSpriteData::AddImage(FrameSlot value, int16_t i, int mask) {
  if (i < 0) return i;
  if (i >= FrameCount()) ExpandImageArray(i + 1);
  ImagePair& frame = imageArray_[size_t(i)];
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
  return imageArray_[size_t(i)].Image;
}

const FrameSlot& ObSpriteData::GetMask(int16_t i) const {
  if (i < 0 || i >= FrameCount()) return kNoSlot;
  return imageArray_[size_t(i)].Mask;
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
  locations_.push_back(p);
}

void ObSpriteData::AddLocation(const TPoint& p, int16_t i) {
  const size_t at = std::min(size_t(std::max<int16_t>(i, 0)), locations_.size());
  locations_.insert(locations_.begin() + ptrdiff_t(at), p);
}

void ObSpriteData::SetLocation(const TPoint& p, int16_t i) {
  if (i >= 0 && size_t(i) < locations_.size()) locations_[size_t(i)] = p;
}

void ObSpriteData::SetParams(const ObSpriteParams& p) {
  params_ = p;
}

void ObSpriteData::SwapSlot(int16_t i, bool mask, FrameSlot& slot) {
  ImagePair& frame = imageArray_.at(size_t(i));
  std::swap(mask ? frame.Mask : frame.Image, slot);
}

ObSpriteData::TakenFrame ObSpriteData::TakeFrame(int16_t i) {
  TakenFrame taken;
  taken.Pair = std::move(imageArray_.at(size_t(i)));
  imageArray_.erase(imageArray_.begin() + i);
  if (size_t(i) < locations_.size()) {
    taken.Location = locations_[size_t(i)];
    locations_.erase(locations_.begin() + i);
  }
  // Sound frames count from 1: frame index i is sound frame i + 1.
  if (sound_) {
    if (sound_->Frame == i + 1)
      taken.Sound = std::move(sound_);
    else if (sound_->Frame > i + 1)
      --sound_->Frame;
  }
  return taken;
}

void ObSpriteData::InsertFrame(int16_t i, TakenFrame frame) {
  const size_t at = std::min(size_t(std::max<int16_t>(i, 0)), imageArray_.size());
  imageArray_.insert(imageArray_.begin() + ptrdiff_t(at), std::move(frame.Pair));
  if (frame.Location) {
    const size_t l = std::min(at, locations_.size());
    locations_.insert(locations_.begin() + ptrdiff_t(l), *frame.Location);
  }
  if (sound_ && sound_->Frame >= int(at) + 1) ++sound_->Frame;
  if (frame.Sound) sound_ = std::move(frame.Sound);
}

std::vector<ObSpriteData::ImagePair> ObSpriteData::TakeFramesFrom(int n) {
  std::vector<ImagePair> taken;
  if (n < 0) n = 0;
  if (n >= FrameCount()) return taken;
  taken.reserve(imageArray_.size() - size_t(n));
  std::move(imageArray_.begin() + n, imageArray_.end(), std::back_inserter(taken));
  imageArray_.erase(imageArray_.begin() + n, imageArray_.end());
  return taken;
}

void ObSpriteData::AppendFrames(std::vector<ImagePair> frames) {
  // The count is kept in 16 bits.
  const size_t room = 0xFFFF - std::min<size_t>(imageArray_.size(), 0xFFFF);
  if (frames.size() > room) frames.resize(room);
  std::move(frames.begin(), frames.end(), std::back_inserter(imageArray_));
}

void ObSpriteData::SwapSound(std::unique_ptr<ObSound>& sound) {
  std::swap(sound_, sound);
}

void ObSpriteData::SwapLocations(std::vector<TPoint>& locations) {
  std::swap(locations_, locations);
}

void ObSpriteData::SwapName(std::string& name) {
  std::swap(name_, name);
}

void ObSpriteData::SwapContents(ObSpriteData& other) {
  std::swap(imageArray_, other.imageArray_);
  std::swap(locations_, other.locations_);
  std::swap(sound_, other.sound_);
  std::swap(reserved_, other.reserved_);
  std::swap(ownsImages_, other.ownsImages_);
  std::swap(params_, other.params_);
}

void ObSpriteData::LoadImage(const char* path, int16_t i, int mask) {
  if (i < 0 || i >= FrameCount()) return;
  FrameSlot& slot = mask ? imageArray_[size_t(i)].Mask : imageArray_[size_t(i)].Image;
  if (slot.IsContinue()) return;
  slot = FrameSlot(std::make_unique<ObBmpImage>(path));
}

}  // namespace kel
