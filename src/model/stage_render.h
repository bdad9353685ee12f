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

// A rectangle of the stage, [x, x + width) x [y, y + height).
struct StageRect {
  int64_t x = 0, y = 0, width = 0, height = 0;
  bool Empty() const { return width <= 0 || height <= 0; }
  StageRect Intersected(const StageRect& o) const;
  bool operator==(const StageRect&) const = default;
};

// A 32-bit picture the stage is drawn into: 0xAARRGGBB per pixel, rows from the top, stride in
// pixels. Not owned. It covers the part of the stage from (x0, y0), width x height: the whole
// stage, or one rectangle of it drawn on its own.
struct StageBuffer {
  uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;
  int64_t x0 = 0;
  int64_t y0 = 0;

  StageRect Area() const { return {x0, y0, width, height}; }
  // The pixel at stage position (x, y), which the buffer covers.
  uint32_t* At(int64_t x, int64_t y) const { return pixels + (y - y0) * stride + (x - x0); }
};

// The opaque background colour 0xFFRRGGBB, or 0 for a see-through one (the desktop player's).
// Over a see-through background a pixel becomes opaque once a mask pixel that is not white or an
// image pixel that is not black reaches it; what the player would leave as the background stays
// see-through.
// Only the part of clip that the buffer covers is drawn, here and in DrawStage.
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
