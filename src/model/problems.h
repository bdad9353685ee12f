// The problems check: what will look or sound wrong in the player although the object file is
// valid. Each problem is tied to the place the user mends it: an object, and a frame's cell.
#pragma once

#include <string>
#include <vector>

#include "model/sprite.h"

namespace kel {

// The grid row a problem is in; Object for a problem of the object as a whole (its name).
enum class ProblemRow { Object, Image, Mask, Sound, Location };

struct Problem {
  int object = 0;  // index in the list, from 0
  int frame = 0;   // from 1; 0 when the problem is not of one frame
  ProblemRow row = ProblemRow::Object;
  std::string message;  // what is wrong and what the player does with it (Japanese, UTF-8)
  bool operator==(const Problem&) const = default;
};

// Every problem of the list, object by object in list order, then frame by frame:
// - a mask whose size differs from its image's;
// - a picture without a mask (the frame shows no mask, not even an earlier one);
// - a sound at a frame the object does not have (it never plays);
// - a continue mark in the first frame (there is no earlier picture to show);
// - a picture wider or higher than the object's image size (the player cuts it off);
// - a fixed-position object with fewer locations than frames (one problem, at the first frame
//   without a location);
// - a name that an earlier object has already (names are the objects' keys).
std::vector<Problem> FindProblems(const SpriteList& list);

}  // namespace kel
