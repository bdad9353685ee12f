// Setting up objects in tests through the object's own operations: each helper puts a value in
// place and drops what the object held before.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "model/sprite.h"

namespace kel::test {

// edit(params) changes the parameters the object has now; the object takes the result.
template <class Edit>
void EditParams(ObSpriteData& s, Edit edit) {
  ObSpriteParams p = s.Params();
  edit(p);
  s.SetParams(p);
}

inline void SetName(ObSpriteData& s, std::string name) {
  s.SwapName(name);
}

inline void SetSound(ObSpriteData& s, std::unique_ptr<ObSound> sound) {
  s.SwapSound(sound);
}

inline void SetLocations(ObSpriteData& s, std::vector<TPoint> locations) {
  s.SwapLocations(locations);
}

// Moves the sound the object holds (it must hold one) to frame.
inline void SetSoundFrame(ObSpriteData& s, int16_t frame) {
  std::unique_ptr<ObSound> sound;
  s.SwapSound(sound);
  sound->Frame = frame;
  s.SwapSound(sound);
}

// Puts value into the Mask (mask true) or Image slot of frame i, which must exist.
inline void SetSlot(ObSpriteData& s, int16_t i, bool mask, FrameSlot value) {
  s.SwapSlot(i, mask, value);
}

}  // namespace kel::test
