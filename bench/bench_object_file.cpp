// Reading and writing the object file, and making a display bitmap of one picture.
//
//   bench_object_file [FILE.kel] [--benchmark_...]
//
// FILE.kel defaults to $KEL_BENCH_FILE, then /tmp/kel-bench.kel, which is generated (see
// bench_workload.h, or make_bench_file) when it does not exist. The end-to-end figures against
// the floor of plain reading come from run_object_file_bench.sh.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "bench_workload.h"
#include "model/display.h"
#include "model/mapped_file.h"

namespace {

std::string g_path;

uint64_t FileSize() {
  return std::filesystem::file_size(g_path);
}

// Reads the workload with read, once an iteration.
void ReadEach(benchmark::State& state,
              const std::function<kel::ObjectFileResult(kel::SpriteList&)>& read) {
  for (auto _ : state) {
    kel::SpriteList list;
    const kel::ObjectFileResult r = read(list);
    if (!r.ok) {
      state.SkipWithError(r.message.c_str());
      break;
    }
    benchmark::DoNotOptimize(list.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations() * FileSize()));
}

void BM_ReadObjectFile(benchmark::State& state) {
  ReadEach(state, [](kel::SpriteList& list) {
    std::ifstream in(g_path, std::ios::binary);
    return kel::ReadObjectFile(in, list);
  });
}
BENCHMARK(BM_ReadObjectFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// As keltool reads: the file mapped, the pictures borrowing its pages.
void BM_ReadObjectFileMapped(benchmark::State& state) {
  ReadEach(state, [](kel::SpriteList& list) {
    int error = 0;
    std::shared_ptr<kel::MappedFile> file = kel::MappedFile::Open(g_path, error);
    if (!file) return kel::ObjectFileResult{false, "cannot map the file"};
    return kel::ReadObjectFile(std::move(file), list);
  });
}
BENCHMARK(BM_ReadObjectFileMapped)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WriteObjectFile(benchmark::State& state) {
  kel::SpriteList list;
  {
    std::ifstream in(g_path, std::ios::binary);
    const kel::ObjectFileResult r = kel::ReadObjectFile(in, list);
    if (!r.ok) {
      state.SkipWithError(r.message.c_str());
      return;
    }
  }
  const std::string out = g_path + ".write-bench";
  for (auto _ : state) {
    std::ofstream o(out, std::ios::binary | std::ios::trunc);
    if (!kel::WriteObjectFile(o, list) || !o.flush()) {
      state.SkipWithError("write failed");
      break;
    }
  }
  state.SetBytesProcessed(int64_t(state.iterations() * FileSize()));
  std::filesystem::remove(out);
}
BENCHMARK(BM_WriteObjectFile)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DIBtoDDB(benchmark::State& state) {
  kel::ObBmpImage image(kel::bench::MakeImage(0, 0));
  kel::MemoryDisplay display;
  image.MakePalette();
  for (auto _ : state) {
    image.DIBtoDDB(display);
    benchmark::DoNotOptimize(image.Bitmap().get());
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * kel::bench::kSide * kel::bench::kSide);
}
BENCHMARK(BM_DIBtoDDB)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (argc > 2) {
    std::fprintf(stderr, "usage: bench_object_file [FILE.kel] [--benchmark_...]\n");
    return 2;
  }
  const char* env = std::getenv("KEL_BENCH_FILE");
  g_path = argc == 2 ? argv[1] : env && *env ? env : "/tmp/kel-bench.kel";
  if (!std::filesystem::exists(g_path)) {
    std::fprintf(stderr, "generating %s\n", g_path.c_str());
    if (!kel::bench::WriteWorkload(g_path)) return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
