// Writes the stage benchmarks' object file (see stage_workload.h).
//
//   make_stage_file OUT.kel COUNT SIDE FRAMES
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "stage_workload.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: make_stage_file OUT.kel COUNT SIDE FRAMES\n");
    return 2;
  }
  const kel::SpriteList list =
      kel::bench::StageObjects(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]));
  std::ofstream out(argv[1], std::ios::binary);
  return kel::WriteObjectFile(out, list) && out.flush() ? 0 : 1;
}
