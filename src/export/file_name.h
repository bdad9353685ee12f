// File names made from object names.
#pragma once

#include <string>

namespace kel {

// A file name (without extension) for an object named cp932Name (the stored bytes): the name in
// UTF-8, with what no file name may hold on Linux or Windows ('/', '\\', ':', '*', '?', '"', '<',
// '>', '|' and control characters) as '_' and trailing dots and blanks dropped (Windows drops
// them). Empty when nothing usable is left (an empty name, ".", "..").
std::string ExportFileStem(const std::string& cp932Name);

}  // namespace kel
