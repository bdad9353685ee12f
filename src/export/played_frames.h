// An object's animation as the player shows it: one picture per frame, continue frames repeating
// the picture before them, the mask cutting the sprite out of its picture.
#pragma once

#include <cstdint>
#include <vector>

#include "model/sprite.h"

namespace kel {

class PlayedFrames {
 public:
  static constexpr int kFrameMs = 100;  // the player shows every frame this long

  // The object must outlive this, unchanged.
  explicit PlayedFrames(const ObSpriteData& sprite);

  // The canvas: the object's image size when both sides are set (the player shows that much of
  // each picture), otherwise the largest picture the frames show.
  int Width() const { return width_; }
  int Height() const { return height_; }
  int Count() const;
  // Whether some frame shows a picture: an object without one has nothing to show.
  bool HasPicture() const { return hasPicture_; }
  // The player starts again after the last frame of an auto-repeating object.
  bool Loops() const;

  // Frame i as RGBA (8 bits each), rows from the top, stride bytes apart: the frame's picture
  // from the top-left corner, transparent (0, 0, 0, 0) where the mask is not black and outside
  // the picture. A frame without a mask shows its whole picture; a mask smaller than the picture
  // leaves the rest shown. A frame without a picture is all transparent.
  void Render(int i, uint8_t* rgba, size_t stride) const;
  // Whether frame i shows the picture and mask frame i - 1 shows (a continue frame does): its
  // rendering is that frame's, so an encoder going through the frames in order can keep it.
  bool SameAsBefore(int i) const;

 private:
  const ObSpriteData& sprite_;
  int width_ = 0;
  int height_ = 0;
  bool hasPicture_ = false;
};

}  // namespace kel
