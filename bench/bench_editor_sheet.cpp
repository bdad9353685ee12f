// The sprite sheet dialog on a picture of 2000 x 2000 pixels, offscreen:
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_editor_sheet
//
// BM_SheetPreviewStep: one step of the cell width's spin box between 1 and 2 pixels (a cut of
//   4 or 2 million cells), with the preview and the frame count it redraws.
// BM_SheetPreviewStepNormal: the same between 250 and 200 pixels, cells 250 high (64 or 80 cells).
// BM_SheetCellsRead: the cells a read of the 1 x 1 cut takes (as many as the grid holds).
#include <benchmark/benchmark.h>

#include <QImage>
#include <QSpinBox>

#include "editor/sprite_sheet_dialog.h"
#include "qt_bench_main.h"

namespace {

constexpr int kSide = 2000;

QImage Sheet() {
  QImage picture(kSide, kSide, QImage::Format_ARGB32);
  for (int y = 0; y < kSide; ++y) {
    auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
    for (int x = 0; x < kSide; ++x) row[x] = qRgb(x & 0xFF, y & 0xFF, (x ^ y) & 0xFF);
  }
  return picture;
}

void Step(benchmark::State& state, int a, int b) {
  kel::SpriteSheetDialog dialog(Sheet());
  dialog.CellHeight->setValue(a);
  bool flip = false;
  for (auto _ : state) {
    dialog.CellWidth->setValue(flip ? a : b);
    flip = !flip;
  }
}

void BM_SheetPreviewStep(benchmark::State& state) {
  Step(state, 1, 2);
}
BENCHMARK(BM_SheetPreviewStep)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_SheetPreviewStepNormal(benchmark::State& state) {
  Step(state, 250, 200);
}
BENCHMARK(BM_SheetPreviewStepNormal)->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_SheetCellsRead(benchmark::State& state) {
  kel::SheetSplit split;
  split.cellWidth = split.cellHeight = 1;
  for (auto _ : state) benchmark::DoNotOptimize(kel::SheetCells(QSize(kSide, kSide), split, 128));
}
BENCHMARK(BM_SheetCellsRead)->Unit(benchmark::kMicrosecond)->Repetitions(5);

}  // namespace

int main(int argc, char** argv) {
  return kel::bench::RunQtBenchmarks(argc, argv);
}
