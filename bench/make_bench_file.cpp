// Writes the object-file benchmarks' workload (see bench_workload.h).
//
//   make_bench_file OUT.kel
#include <cstdio>

#include "bench_workload.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_bench_file OUT.kel\n");
    return 2;
  }
  return kel::bench::WriteWorkload(argv[1]) ? 0 : 1;
}
