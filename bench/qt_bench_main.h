// The main function of the editor's benchmarks: Qt on the offscreen platform unless another is
// asked for, the program's own fonts and texts, then Google Benchmark.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>

#include "platform/ui_setup.h"

namespace kel::bench {

inline int RunQtBenchmarks(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  SetupApplicationUi(app);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace kel::bench
