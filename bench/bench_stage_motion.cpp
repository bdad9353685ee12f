// The motion model and the stage's renderer, without any display:
//
//   build/bench/bench_stage_motion --benchmark_repetitions=5
//
// BM_MotionTick: one tick of the model for 1,000 objects (behaviours in turn, random starts;
// target ≤ 1 ms). BM_DrawStage: drawing 64 objects of 256 × 256 (8-bit pictures with 1-bit masks)
// onto a 1024 × 768 stage, the whole stage at once — the most one tick of the stage window draws.
#include <benchmark/benchmark.h>

#include <vector>

#include "model/motion.h"
#include "model/stage_render.h"
#include "stage_workload.h"

namespace {

void BM_MotionTick(benchmark::State& state) {
  const kel::SpriteList list = kel::bench::StageObjects(1000, 32, 4);
  kel::Motion motion({1920, 1080}, 1);
  motion.Restart(list);
  for (auto _ : state) {
    motion.Step(list);
    benchmark::DoNotOptimize(motion.States().data());
  }
}
BENCHMARK(BM_MotionTick)->Unit(benchmark::kMicrosecond);

void BM_DrawStage(benchmark::State& state) {
  const kel::SpriteList list = kel::bench::StageObjects(64, 256, 2);
  kel::Motion motion({1024, 768}, 1);
  motion.Seek(list, 10);
  std::vector<uint32_t> pixels(1024 * 768);
  kel::StageBuffer buffer{pixels.data(), 1024, 768, 1024};
  const std::vector<int> order = kel::DrawOrder(list);
  for (auto _ : state) {
    kel::FillStage(buffer, 0xFF000000u, {0, 0, 1024, 768});
    kel::DrawStage(buffer, list, motion.States(), order, {}, {0, 0, 1024, 768});
    benchmark::DoNotOptimize(pixels.data());
  }
}
BENCHMARK(BM_DrawStage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
