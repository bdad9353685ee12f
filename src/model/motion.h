// How objects move on a stage: the one place of the motion rules that the stage window, the
// desktop player and its picture output all show. A pure model: (objects, stage size, seed,
// tick) -> for each object whether it is shown, its frame and its top-left position.
//
// Time runs in ticks of 100 ms. At tick 0 every object shows its first frame at its start; each
// tick it shows its next frame and moves by (SpeedX, SpeedY). The object's box is its ImageSize
// (a size of 0 counts as 1 pixel, so such an object still moves, meets edges and leaves) with its
// top-left at (x, y); the stage is [0, width) x [0, height).
//
// - Frames: with auto-repeat frame t mod n, without it frame min(t, n - 1) (the last one stays).
//   A continue frame shows the picture before it (the drawer resolves it). An object without
//   frames is never shown.
// - Start: (PositionX, PositionY); with random start, behaviours 0, 1 and 3 start at a random
//   place where the whole box lies on the stage (x in [0, width - w], y likewise; 0 when the box
//   is larger than the stage).
// - 0 flow: an axis with a speed wraps: once the box has left the stage entirely on that axis it
//   comes in from the opposite edge, as if the stage were a ring of width + w pixels (the box
//   reappears just outside the other edge, keeping how far it had moved past). An axis of speed 0
//   never wraps, so an object standing off the stage stays off it.
// - 1 bounce: after a move, a box touching or crossing an edge while its speed points out of the
//   stage there reverses that component (the position is not pulled back: the move that reached
//   the edge stands). A box larger than the stage touches both edges and turns every tick.
// - 2 one shot: it is gone for good (until the stage restarts) once its box lies entirely off
//   the stage on a side its speed does not point back in from, so an object that starts outside
//   and moves in is not lost; one standing still outside goes at its first tick.
// - 3 random walk: each tick, before moving, each speed component keeps its size and changes
//   sign with probability 1/8; at an edge it turns back as in bounce, also when the turn just
//   drawn would take it further out.
// - 4 fixed position: frame k stands at location k (at its start when it has no location k).
// - Depth: a larger depth is further back; equal depths keep the list's order, later in front.
//
// Randomness: each object draws from its own stream, made from the seed and the object's place in
// the list (splitmix64), so the same seed repeats a run on every platform, and ticking objects
// on or off the stage changes nothing for the others.
#pragma once

#include <cstdint>
#include <vector>

#include "sprite.h"

namespace kel {

// A small generator whose sequence the seed defines everywhere (splitmix64).
class MotionRandom {
 public:
  MotionRandom(uint64_t seed = 0, uint64_t stream = 0)
      : state_(seed ^ (stream * 0xD1B54A32D192ED03ull)) {}
  uint64_t Next();
  // A number in [0, n], evenly enough for placing a picture (n < 2^32).
  uint32_t UpTo(uint32_t n);
  // true with probability 1/8.
  bool OneIn8() { return (Next() >> 61) == 0; }

 private:
  uint64_t state_;
};

struct StageSize {
  int width = 640;
  int height = 480;
  bool operator==(const StageSize&) const = default;
};

// One object at one tick.
struct MotionState {
  bool visible = false;   // false: no frames, or gone (one shot)
  int frame = 0;          // the frame shown (index); continue frames are resolved when drawn
  int64_t x = 0, y = 0;   // top-left of the picture on the stage
  bool soundDue = false;  // the object's sound starts at this tick
  // What the next tick goes on from.
  int64_t vx = 0, vy = 0;
  bool gone = false;
  MotionRandom random;
};

// The side of an object's box on one axis: an image size of 0 (or less) is one pixel.
inline int64_t BoxSide(int16_t size) {
  return size < 1 ? 1 : size;
}

// The state of the object at tick 0. index: its place in the list (its random stream).
MotionState StartMotion(const ObSpriteData& object, int index, StageSize stage, uint64_t seed);
// Moves state on from tick - 1 to tick (tick >= 1).
void StepMotion(MotionState& state, const ObSpriteData& object, StageSize stage, int64_t tick);
// The state at tick, stepped from tick 0 (O(tick)).
MotionState MotionAt(const ObSpriteData& object, int index, StageSize stage, uint64_t seed,
                     int64_t tick);

// The list's drawing order, back to front: larger depths first, equal depths in list order.
std::vector<int> DrawOrder(const SpriteList& objects);

// Every object of a list, stepped together. It keeps no object: the list is passed in each time,
// and an object that changed is brought up to date by Recompute.
class Motion {
 public:
  Motion(StageSize stage = {}, uint64_t seed = 0) : stage_(stage), seed_(seed) {}

  StageSize Stage() const { return stage_; }
  uint64_t Seed() const { return seed_; }
  int64_t Tick() const { return tick_; }
  const std::vector<MotionState>& States() const { return states_; }

  // Back to tick 0 with these settings.
  void Restart(const SpriteList& objects, StageSize stage, uint64_t seed);
  void Restart(const SpriteList& objects) { Restart(objects, stage_, seed_); }
  // One tick on.
  void Step(const SpriteList& objects);
  // Every object at tick, computed from tick 0.
  void Seek(const SpriteList& objects, int64_t tick);
  // Object index at the present tick, computed afresh (it was edited).
  void Recompute(const SpriteList& objects, int index);

 private:
  StageSize stage_;
  uint64_t seed_;
  int64_t tick_ = 0;
  std::vector<MotionState> states_;
};

}  // namespace kel
