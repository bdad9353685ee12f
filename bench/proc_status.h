// What the kernel says of this process's memory, for the benchmarks' memory figures.
#pragma once

#include <fstream>
#include <string>

namespace kel::bench {

// A figure of /proc/self/status in kB: "VmRSS:" the resident memory now, "VmHWM:" its peak.
inline long StatusKb(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string key;
  long value = 0;
  while (status >> key) {
    if (key == field) {
      status >> value;
      return value;
    }
    status.ignore(1 << 10, '\n');
  }
  return 0;
}

}  // namespace kel::bench
