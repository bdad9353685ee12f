#include "model/motion.h"

#include <algorithm>

namespace kel {

namespace {

enum Behave { kFlow = 0, kBounce = 1, kOneShot = 2, kRandomWalk = 3, kFixed = 4 };

int FrameAt(int n, bool autoRepeat, int64_t tick) {
  if (autoRepeat) return int(tick % n);
  return int(std::min<int64_t>(tick, n - 1));
}

// Flow: the box lives on a ring of stage + side pixels, from -side to stage.
void Wrap(int64_t& p, int64_t v, int64_t side, int64_t stage) {
  if (v == 0) return;
  const int64_t ring = stage + side;
  if (p >= -side && p < stage) return;
  int64_t q = (p + side) % ring;
  if (q < 0) q += ring;
  p = q - side;
}

// Bounce: the component pointing out of the stage at an edge the box touches turns.
void Bounce(int64_t p, int64_t& v, int64_t side, int64_t stage) {
  if ((p <= 0 && v < 0) || (p + side >= stage && v > 0)) v = -v;
}

// One shot: off the stage on a side the speed does not point back in from.
bool Left(int64_t p, int64_t v, int64_t side, int64_t stage) {
  return (p + side <= 0 && v <= 0) || (p >= stage && v >= 0);
}

// p: the object's parameters.
void Show(MotionState& s, const ObSpriteData& object, const ObSpriteParams& p, int64_t tick) {
  const int n = object.FrameCount();
  s.visible = !s.gone && n > 0;
  if (n == 0) {
    s.soundDue = false;
    return;
  }
  s.frame = FrameAt(n, p.AutoRepeat, tick);
  if (p.Behave == kFixed) {
    const auto& where = object.Locations();
    const bool has = size_t(s.frame) < where.size();
    s.x = has ? where[size_t(s.frame)].X : p.PositionX;
    s.y = has ? where[size_t(s.frame)].Y : p.PositionY;
  }
  // A frame is shown anew at every tick of a loop, and once on the way to the last frame
  // without one; its sound starts then.
  const ObSound* sound = object.Sound();
  const bool fresh = p.AutoRepeat || tick < n;
  s.soundDue = s.visible && fresh && sound && sound->Frame == s.frame + 1;
}

}  // namespace

uint64_t MotionRandom::Next() {
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

uint32_t MotionRandom::UpTo(uint32_t n) {
  return uint32_t(((Next() >> 32) * (uint64_t(n) + 1)) >> 32);
}

MotionState StartMotion(const ObSpriteData& object, int index, StageSize stage, uint64_t seed) {
  MotionState s;
  s.random = MotionRandom(seed, uint64_t(index));
  const ObSpriteParams p = object.Params();
  s.x = p.PositionX;
  s.y = p.PositionY;
  s.vx = p.SpeedX;
  s.vy = p.SpeedY;
  const bool randomBehave = p.Behave == kFlow || p.Behave == kBounce || p.Behave == kRandomWalk;
  if (p.RandomStart && randomBehave) {
    const int64_t roomX = std::max<int64_t>(stage.width - BoxSide(p.ImageSizeX), 0);
    const int64_t roomY = std::max<int64_t>(stage.height - BoxSide(p.ImageSizeY), 0);
    s.x = s.random.UpTo(uint32_t(std::min<int64_t>(roomX, UINT32_MAX - 1)));
    s.y = s.random.UpTo(uint32_t(std::min<int64_t>(roomY, UINT32_MAX - 1)));
  }
  Show(s, object, p, 0);
  return s;
}

void StepMotion(MotionState& s, const ObSpriteData& object, StageSize stage, int64_t tick) {
  const ObSpriteParams p = object.Params();
  const int64_t w = BoxSide(p.ImageSizeX), h = BoxSide(p.ImageSizeY);
  if (!s.gone && p.Behave != kFixed) {
    if (p.Behave == kRandomWalk) {
      // Both draws every tick, so the stream does not depend on the speed.
      if (s.random.OneIn8()) s.vx = -s.vx;
      if (s.random.OneIn8()) s.vy = -s.vy;
      // A turn at an edge may not take it further out.
      Bounce(s.x, s.vx, w, stage.width);
      Bounce(s.y, s.vy, h, stage.height);
    }
    s.x += s.vx;
    s.y += s.vy;
    switch (p.Behave) {
      case kFlow:
        Wrap(s.x, s.vx, w, stage.width);
        Wrap(s.y, s.vy, h, stage.height);
        break;
      case kBounce:
      case kRandomWalk:
        Bounce(s.x, s.vx, w, stage.width);
        Bounce(s.y, s.vy, h, stage.height);
        break;
      case kOneShot:
        s.gone = Left(s.x, s.vx, w, stage.width) || Left(s.y, s.vy, h, stage.height);
        break;
      default:  // a behaviour this program does not know moves straight on
        break;
    }
  }
  Show(s, object, p, tick);
}

MotionState MotionAt(const ObSpriteData& object, int index, StageSize stage, uint64_t seed,
                     int64_t tick) {
  MotionState s = StartMotion(object, index, stage, seed);
  for (int64_t t = 1; t <= tick; ++t) StepMotion(s, object, stage, t);
  return s;
}

std::vector<int> DrawOrder(const SpriteList& objects) {
  std::vector<int> order(objects.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = int(i);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return objects[size_t(a)]->Params().Depth > objects[size_t(b)]->Params().Depth;
  });
  return order;
}

void Motion::Restart(const SpriteList& objects, StageSize stage, uint64_t seed) {
  stage_ = stage;
  seed_ = seed;
  Seek(objects, 0);
}

void Motion::Step(const SpriteList& objects) {
  if (states_.size() != objects.size()) return Seek(objects, tick_ + 1);
  ++tick_;
  for (size_t i = 0; i < objects.size(); ++i) StepMotion(states_[i], *objects[i], stage_, tick_);
}

void Motion::Seek(const SpriteList& objects, int64_t tick) {
  tick_ = std::max<int64_t>(tick, 0);
  states_.clear();
  states_.reserve(objects.size());
  for (size_t i = 0; i < objects.size(); ++i)
    states_.push_back(MotionAt(*objects[i], int(i), stage_, seed_, tick_));
}

void Motion::Recompute(const SpriteList& objects, int index) {
  if (states_.size() != objects.size()) return Seek(objects, tick_);
  if (index < 0 || size_t(index) >= objects.size()) return;
  states_[size_t(index)] = MotionAt(*objects[size_t(index)], index, stage_, seed_, tick_);
}

}  // namespace kel
