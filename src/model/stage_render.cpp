#include "model/stage_render.h"

#include <algorithm>

#include "model/display.h"

namespace kel {

namespace {

constexpr uint32_t kOpaque = 0xFF000000u;
constexpr uint32_t kWhite = 0x00FFFFFFu;

StageRect PictureRect(const ObBmpImage* picture, const MotionState& s) {
  if (!picture || !picture->Dib()) return {};
  return {s.x, s.y, picture->Width(), picture->Height()};
}

// One picture over the buffer, row by row, through op(dst, pixel) inside clip.
template <class Op>
void Blit(StageBuffer& buffer, const ObBmpImage* picture, const MotionState& s, StageRect clip,
          std::vector<uint32_t>& row, Op op) {
  const StageRect r = PictureRect(picture, s).Intersected(clip);
  if (r.Empty()) return;
  const DibReader reader(*picture->Dib());
  row.resize(size_t(r.width));
  for (int64_t y = r.y; y < r.y + r.height; ++y) {
    reader.Row(y - s.y, r.x - s.x, int(r.width), row.data());
    uint32_t* dst = buffer.At(r.x, y);
    for (int64_t i = 0; i < r.width; ++i) dst[i] = op(dst[i], row[size_t(i)]);
  }
}

// The usual mask, 1 bit with black for 0 and white for 1, straight from its bits: a 1 leaves the
// background as it is, a 0 makes it opaque black; whole bytes of 1s are skipped.
bool BlitPlainMask(StageBuffer& buffer, const ObBmpImage* mask, const MotionState& s,
                   StageRect clip) {
  const StageRect r = PictureRect(mask, s).Intersected(clip);
  if (r.Empty()) return true;
  const DibReader reader(*mask->Dib());
  if (reader.BitCount() != 1 || (reader.Colour(0) & kWhite) != 0 ||
      (reader.Colour(1) & kWhite) != kWhite)
    return false;
  for (int64_t y = r.y; y < r.y + r.height; ++y) {
    const uint8_t* bits = reader.RowBytes(y - s.y);
    if (!bits) return false;
    uint32_t* dst = buffer.At(r.x, y);
    const int64_t x0 = r.x - s.x, x1 = x0 + r.width;
    for (int64_t x = x0; x < x1;) {
      if (x % 8 == 0 && x + 8 <= x1 && bits[x / 8] == 0xFF) {
        x += 8;
        continue;
      }
      if (!((bits[x / 8] >> (7 - x % 8)) & 1)) dst[x - x0] = kOpaque;
      ++x;
    }
  }
  return true;
}

}  // namespace

StageRect StageRect::Intersected(const StageRect& o) const {
  const int64_t x0 = std::max(x, o.x), y0 = std::max(y, o.y);
  const int64_t x1 = std::min(x + width, o.x + o.width);
  const int64_t y1 = std::min(y + height, o.y + o.height);
  if (x1 <= x0 || y1 <= y0) return {};
  return {x0, y0, x1 - x0, y1 - y0};
}

void FillStage(StageBuffer& buffer, uint32_t background, StageRect clip) {
  const StageRect r = clip.Intersected(buffer.Area());
  for (int64_t y = r.y; y < r.y + r.height; ++y)
    std::fill_n(buffer.At(r.x, y), r.width, background);
}

void DrawStage(StageBuffer& buffer, const SpriteList& objects,
               const std::vector<MotionState>& states, const std::vector<int>& order,
               const std::vector<bool>& shown, StageRect clip) {
  clip = clip.Intersected(buffer.Area());
  std::vector<uint32_t> row;
  for (int i : order) {
    if (size_t(i) >= objects.size() || size_t(i) >= states.size()) continue;
    if (!shown.empty() && (size_t(i) >= shown.size() || !shown[size_t(i)])) continue;
    const MotionState& s = states[size_t(i)];
    if (!s.visible) continue;
    const ObSpriteData& object = *objects[size_t(i)];
    const auto frame = int16_t(s.frame);
    // A mask pixel that is not white changes the background: over a see-through one it makes
    // the pixel opaque.
    const ObBmpImage* mask = object.GetPrevMask(frame);
    if (!mask || !mask->Dib() || !BlitPlainMask(buffer, mask, s, clip))
      Blit(buffer, mask, s, clip, row, [](uint32_t dst, uint32_t m) {
        return (dst & (m | kOpaque)) | ((m & kWhite) != kWhite ? kOpaque : 0);
      });
    Blit(buffer, object.GetPrevImage(frame), s, clip, row,
         [](uint32_t dst, uint32_t c) { return dst | c | (c ? kOpaque : 0); });
  }
}

StageRect ObjectRect(const ObSpriteData& object, const MotionState& s) {
  if (!s.visible) return {};
  const auto frame = int16_t(s.frame);
  const StageRect a = PictureRect(object.GetPrevImage(frame), s);
  const StageRect b = PictureRect(object.GetPrevMask(frame), s);
  if (a.Empty()) return b;
  if (b.Empty()) return a;
  const int64_t x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
  return {x0, y0, std::max(a.x + a.width, b.x + b.width) - x0,
          std::max(a.y + a.height, b.y + b.height) - y0};
}

}  // namespace kel
