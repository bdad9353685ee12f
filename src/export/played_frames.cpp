#include "export/played_frames.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "model/display.h"

namespace kel {

PlayedFrames::PlayedFrames(const ObSpriteData& sprite) : sprite_(sprite) {
  int largestW = 0, largestH = 0;
  for (int i = 0; i < sprite.FrameCount(); ++i) {
    const ObBmpImage* image = sprite.GetPrevImage(int16_t(i));
    if (!image || !image->HasDib()) continue;
    const DibReader pixels(*image->Dib());
    if (pixels.Width() == 0) continue;
    hasPicture_ = true;
    largestW = std::max(largestW, int(pixels.Width()));
    largestH = std::max(largestH, int(pixels.Height()));
  }
  // The settings as the player reads them: 16 bits unsigned.
  const int sizeX = uint16_t(sprite.Params().ImageSizeX);
  const int sizeY = uint16_t(sprite.Params().ImageSizeY);
  if (sizeX > 0 && sizeY > 0) {
    width_ = sizeX;
    height_ = sizeY;
  } else {
    width_ = largestW;
    height_ = largestH;
  }
}

int PlayedFrames::Count() const {
  return sprite_.FrameCount();
}

bool PlayedFrames::Loops() const {
  return sprite_.Params().AutoRepeat != 0;
}

bool PlayedFrames::SameAsBefore(int i) const {
  return i > 0 && sprite_.GetPrevImage(int16_t(i)) == sprite_.GetPrevImage(int16_t(i - 1)) &&
         sprite_.GetPrevMask(int16_t(i)) == sprite_.GetPrevMask(int16_t(i - 1));
}

void PlayedFrames::Render(int i, uint8_t* rgba, size_t stride) const {
  for (int y = 0; y < height_; ++y) std::memset(rgba + size_t(y) * stride, 0, size_t(width_) * 4);
  const ObBmpImage* image = sprite_.GetPrevImage(int16_t(i));
  if (!image || !image->HasDib()) return;
  const DibReader picture(*image->Dib());
  const ObBmpImage* maskImage = sprite_.GetPrevMask(int16_t(i));
  std::optional<DibReader> mask;
  if (maskImage && maskImage->HasDib()) mask.emplace(*maskImage->Dib());
  const int w = int(std::min<int64_t>(picture.Width(), width_));
  const int h = int(std::min<int64_t>(picture.Height(), height_));
  std::vector<uint32_t> colours(static_cast<size_t>(w)), maskColours(static_cast<size_t>(w));
  for (int y = 0; y < h; ++y) {
    picture.Row(y, 0, w, colours.data());
    // The part of the row the mask covers.
    const int maskW = mask && y < mask->Height() ? int(std::min<int64_t>(mask->Width(), w)) : 0;
    if (maskW > 0) mask->Row(y, 0, maskW, maskColours.data());
    uint8_t* out = rgba + size_t(y) * stride;
    for (int x = 0; x < w; ++x, out += 4) {
      // The player clears the screen where the mask is black and keeps it where it is white.
      if (x < maskW && maskColours[size_t(x)] != 0) continue;
      const uint32_t c = colours[size_t(x)];
      out[0] = uint8_t(c >> 16);
      out[1] = uint8_t(c >> 8);
      out[2] = uint8_t(c);
      out[3] = 0xFF;
    }
  }
}

}  // namespace kel
