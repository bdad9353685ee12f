// The stage window playing 64 objects of 256 × 256 (8-bit pictures with 1-bit masks, 2 frames
// each) on a 1024 × 768 stage at 10 ticks a second, for 10 seconds: the share of one core the
// program takes while it plays (user + system time over wall time; target ≤ 15 %). Best on a real
// X server (Xvfb), where the window is painted and put on the screen:
//
//   /work/shared/tools/with-xvfb env QT_QPA_PLATFORM=xcb build/bench/bench_stage_play
//
// (offscreen when no platform is asked for).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTest>
#include <QTimer>

#include "document/document.h"
#include "platform/prompt.h"
#include "qt_bench_main.h"
#include "stage/stage_player.h"
#include "stage/stage_window.h"
#include "stage_workload.h"

namespace {

double CpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void BM_StagePlaying(benchmark::State& state) {
  kel::Document doc;
  doc.Reset(kel::bench::StageObjects(64, 256, 2), {});
  kel::ScriptedPromptPort prompt;
  kel::StageWindow window(doc, prompt);
  window.SizeBox->setCurrentIndex(2);  // 1024 x 768
  window.show();
  (void)QTest::qWaitForWindowExposed(&window);
  window.Player().Play();
  QTest::qWait(1000);  // settled
  for (auto _ : state) {
    const double cpu0 = CpuSeconds();
    const int64_t tick0 = window.Player().Tick();
    QElapsedTimer wall;
    wall.start();
    QTest::qWait(10000);
    const double seconds = double(wall.elapsed()) / 1000;
    state.counters["cpu_share"] = (CpuSeconds() - cpu0) / seconds;
    state.counters["ticks_per_s"] = double(window.Player().Tick() - tick0) / seconds;
    state.SetIterationTime(seconds);
  }
}
BENCHMARK(BM_StagePlaying)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  return kel::bench::RunQtBenchmarks(argc, argv);
}
