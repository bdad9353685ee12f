// The frame grid with a full object: 128 frames of 640 x 480 pictures, 8 bits per pixel in the
// image row and 1 bit in the mask row (256 picture cells), made drawable by the Qt display as
// the editor makes them. Offscreen:
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_grid
//
// Each benchmark runs 9 times and reports the median (and mean, deviation).
// BM_SetPictures: the 256 SSSetCellType calls inside one repainting-off batch (cell pictures
//   made from the bitmaps), then repainting on.
// BM_Repaint: one synchronous repaint of the grid at the editor's size, all pictures set.
// BM_RepaintWide: the same on a grid wide enough to show 20 frames at once.
// BM_ZoomStep/ROWS/COLS: one zoom step (2 to 3 and back) of a grid of that many data rows and
//   columns whose first two rows hold picture cells and the others text, repainting off.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <memory>
#include <vector>

#include "bench_workload.h"
#include "grid/spread.h"
#include "model/dib.h"
#include "platform/qt_display.h"

namespace {

using kel::bench::StripedDib;
constexpr int kFrames = kel::bench::kEditorFrames;

struct Pictures {
  std::vector<std::shared_ptr<kel::DisplayBitmap>> images, masks;
};

const Pictures& TheObject() {
  static const Pictures pictures = [] {
    kel::QtDisplay display;
    Pictures p;
    for (int f = 0; f < kFrames; ++f) {
      p.images.push_back(display.CreateDIBitmap(StripedDib(8, f), nullptr));
      p.masks.push_back(display.CreateDIBitmap(StripedDib(1, f), nullptr));
    }
    return p;
  }();
  return pictures;
}

// The editor's layout of the grid.
std::unique_ptr<kel::TSpread> MakeGrid(QSize size) {
  auto g = std::make_unique<kel::TSpread>();
  g->SSSetBool(kel::TSpread::kBoolRedraw, false);
  g->SSSetMaxRows(5);
  g->SSSetMaxCols(kFrames);
  for (int c = 1; c <= kFrames; ++c) g->SSSetColWidth(c, 10.0);
  g->SSSetColWidth(0, 6.0);
  g->SSSetRowHeight(1, 50.0);
  g->SSSetRowHeight(2, 50.0);
  for (int c = 1; c <= kFrames; ++c) g->SSSetData(c, 0, QString::number(c));
  g->SSSetColorRange(1, 1, kFrames, 5, kel::RGB(0, 128, 0), kel::kDefaultColor);
  g->SSSetBool(kel::TSpread::kBoolRedraw, true);
  g->resize(size);
  g->show();
  QApplication::processEvents();
  return g;
}

void SetPictures(kel::TSpread& g, const Pictures& p) {
  g.SSSetBool(kel::TSpread::kBoolRedraw, false);
  kel::SS_CELLTYPE rec;
  for (int f = 0; f < kFrames; ++f) {
    g.SSSetCellType(
        f + 1, 1,
        *kel::TSpread::SSSetTypePictureHandle(&rec, 0x27, p.images[size_t(f)], nullptr, 0));
    g.SSSetCellType(
        f + 1, 2,
        *kel::TSpread::SSSetTypePictureHandle(&rec, 0x27, p.masks[size_t(f)], nullptr, 0));
  }
  g.SSSetBool(kel::TSpread::kBoolRedraw, true);
}

// The editor's grid is 276 x 84 dialog units, about 560 x 200 pixels.
constexpr QSize kEditorGrid(560, 200);

void BM_SetPictures(benchmark::State& state) {
  const Pictures& p = TheObject();
  auto g = MakeGrid(kEditorGrid);
  for (auto _ : state) {
    SetPictures(*g, p);
    benchmark::ClobberMemory();
  }
  state.counters["cells"] = 2 * kFrames;
}
BENCHMARK(BM_SetPictures)->Unit(benchmark::kMillisecond)->Repetitions(9);

void Repaint(benchmark::State& state, QSize size) {
  auto g = MakeGrid(size);
  SetPictures(*g, TheObject());
  g->viewport()->repaint();
  for (auto _ : state) g->viewport()->repaint();
}

void BM_Repaint(benchmark::State& state) {
  Repaint(state, kEditorGrid);
}
BENCHMARK(BM_Repaint)->Unit(benchmark::kMillisecond)->Repetitions(9);

void BM_RepaintWide(benchmark::State& state) {
  Repaint(state, QSize(1800, 240));
}
BENCHMARK(BM_RepaintWide)->Unit(benchmark::kMillisecond)->Repetitions(9);

void BM_ZoomStep(benchmark::State& state) {
  const int rows = int(state.range(0)), cols = int(state.range(1));
  kel::TSpread g;
  g.SSSetBool(kel::TSpread::kBoolRedraw, false);
  g.SSSetMaxRows(rows);
  g.SSSetMaxCols(cols);
  g.SSSetColWidth(-1, 10.0);
  g.SSSetRowHeight(-1, 12.0);
  g.SSSetRowHeight(1, 50.0);
  g.SSSetRowHeight(2, 50.0);
  kel::SS_CELLTYPE rec;
  const Pictures& p = TheObject();
  for (int r = 1; r <= 2; ++r)
    g.SSSetCellType(-1, r,
                    *kel::TSpread::SSSetTypePictureHandle(&rec, 0x27, p.images[0], nullptr, 0));
  g.SSSetData(-1, 3, QStringLiteral("x"));
  int zoom = 2;
  for (auto _ : state) {
    zoom = zoom == 2 ? 3 : 2;
    g.SetZoom(zoom);
  }
  state.counters["cells"] = double(rows) * cols;
}
BENCHMARK(BM_ZoomStep)
    ->Args({5, kFrames})
    ->Args({1000, kFrames})
    ->Args({1000, 1000})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
