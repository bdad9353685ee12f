// Drawing a stage: the one renderer of the stage window, the desktop player and its picture
// output. Each shown object is drawn as the player draws it, per pixel: the background ANDed
// with the frame's mask, then ORed with its image, from the pictures' own bits, so a mask that
// does not match its image shows here exactly as it would there.
#pragma once

#include <cstdint>
#include <vector>

#include "motion.h"
#include "sprite.h"

namespace kel {

// A 32-bit picture the stage is drawn into: 0xAARRGGBB per pixel, rows from the top, stride in
// pixels. Not owned.
struct StageBuffer {
  uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;
};

// A rectangle of the stage, [x, x + width) x [y, y + height).
struct StageRect {
  int64_t x = 0, y = 0, width = 0, height = 0;
  bool Empty() const { return width <= 0 || height <= 0; }
  StageRect Intersected(const StageRect& o) const;
  bool operator==(const StageRect&) const = default;
};

// The opaque background colour 0xFFRRGGBB, or 0 for a see-through one (the desktop player's).
// Over a see-through background a pixel becomes opaque once a mask pixel that is not white or an
// image pixel that is not black reaches it; what the player would leave as the background stays
// see-through.
void FillStage(StageBuffer& buffer, uint32_t background, StageRect clip);

// Draws the objects shown (state visible, shown[i] when shown is not empty) in order, back to
// front, inside clip. A frame's picture and mask are those it shows, continue frames resolved;
// a frame without a mask is only ORed, one without an image only ANDed. Each picture is drawn
// at its own size from the object's position.
void DrawStage(StageBuffer& buffer, const SpriteList& objects,
               const std::vector<MotionState>& states, const std::vector<int>& order,
               const std::vector<bool>& shown, StageRect clip);

// Where object i's pictures cover the stage at state: the union of its image's and mask's
// rectangles (empty when it is not shown).
StageRect ObjectRect(const ObSpriteData& object, const MotionState& state);

}  // namespace kel
