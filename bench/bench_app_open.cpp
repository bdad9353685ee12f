// Opening an object file in the editor as the Open command does once the file is chosen: the
// read into a list of its own, the display bitmaps of every picture (MakeSpriteDataDDB) and
// object 0 shown in the dialog, with the busy cursor up. One open per run, so that the peak
// memory of the process is that of one open. gui_blocked_ms is the longest time the program's
// event loop did not run during the open (a timer ticking every millisecond notes it): the whole
// open when it all runs on the GUI thread.
//
//   bench_app_open [FILE.kel] [--benchmark_...]
//   /usr/bin/time -v bench_app_open FILE.kel       (Maximum resident set size)
//
// FILE.kel defaults to $KEL_BENCH_FILE, then /tmp/kel-bench.kel, which is generated (see
// bench_workload.h) when it does not exist. bench/run_app_bench.sh sets the figure beside
// `keltool check` of the same file and measures the start-up time under Xvfb.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "app/kel_app.h"
#include "bench_workload.h"
#include "editor/dialog.h"
#include "platform/prompt.h"
#include "platform/ui_setup.h"

namespace {

std::string g_path;

void BM_OpenDocument(benchmark::State& state) {
  kel::ScriptedPromptPort prompt;
  for (auto _ : state) {
    state.PauseTiming();
    auto app = std::make_unique<kel::kelApp>(prompt);
    app->InitMainWindow();
    prompt.Answer(QString::fromStdString(g_path));
    QElapsedTimer clock;
    qint64 lastTick = 0, blocked = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, &tick, [&] {
      blocked = std::max(blocked, clock.elapsed() - lastTick);
      lastTick = clock.elapsed();
    });
    tick.start(1);
    clock.start();
    state.ResumeTiming();
    const bool opened = app->CmFileOpen();
    state.PauseTiming();
    blocked = std::max(blocked, clock.elapsed() - lastTick);
    tick.stop();
    if (!opened) {
      state.SkipWithError(("the file did not open: " + app->ReadError().toStdString()).c_str());
      return;
    }
    benchmark::DoNotOptimize(app->Dialog()->CurrentSprite());
    state.counters["objects"] = double(app->Doc().Count());
    state.counters["gui_blocked_ms"] = double(blocked);
    app.reset();
    state.ResumeTiming();
  }
  const double bytes = double(std::filesystem::file_size(g_path));
  state.SetBytesProcessed(int64_t(bytes) * state.iterations());
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_rss_MB"] = double(usage.ru_maxrss) / 1024.0;
  state.counters["file_MB"] = bytes / (1024.0 * 1024.0);
}
BENCHMARK(BM_OpenDocument)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  kel::SetupApplicationUi(app);
  benchmark::Initialize(&argc, argv);
  if (argc > 1 && argv[1][0] != '-') {
    g_path = argv[1];
    --argc, ++argv;
  } else if (const char* env = std::getenv("KEL_BENCH_FILE")) {
    g_path = env;
  } else {
    g_path = "/tmp/kel-bench.kel";
  }
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!std::filesystem::exists(g_path) && !kel::bench::WriteWorkload(g_path)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
