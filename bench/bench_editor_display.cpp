// Showing an object in the editor dialog: DispSpriteData of an object of 128 frames, each a
// 640 x 480 picture of 8 bits per pixel with a 1-bit mask, pictures made drawable beforehand (as
// after opening a file). Offscreen:
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_editor_display --benchmark_repetitions=10
//
// BM_DispSpriteData is the call alone; BM_DispSpriteDataPainted also lets the grid paint.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <memory>

#include "bench_workload.h"
#include "editor/dialog.h"
#include "model/dib.h"
#include "model/sprite.h"
#include "platform/prompt.h"
#include "qt_bench_main.h"

namespace {

using kel::bench::StripedDib;
constexpr int kFrames = kel::bench::kEditorFrames;

struct Setup {
  kel::Document doc;
  kel::ScriptedPromptPort prompt;
  std::unique_ptr<kel::ObKELDialog> dialog;
  kel::ObSpriteData* sprite = nullptr;

  Setup() {
    auto s = std::make_unique<kel::ObSpriteData>();
    std::string name = "bench";
    s->SwapName(name);
    for (int i = 0; i < kFrames; ++i) {
      s->AddImage(kel::FrameSlot(std::make_unique<kel::ObBmpImage>(StripedDib(8, i))), int16_t(i),
                  0);
      s->AddImage(kel::FrameSlot(std::make_unique<kel::ObBmpImage>(StripedDib(1, i))), int16_t(i),
                  1);
    }
    sprite = s.get();
    kel::SpriteList list;
    list.push_back(std::move(s));
    doc.Reset(std::move(list), QString());
    dialog = std::make_unique<kel::ObKELDialog>(doc, prompt);
    dialog->MakeSpriteDataDDB();
    dialog->show();
    QApplication::processEvents();
  }
};

Setup& TheSetup() {
  static Setup setup;
  return setup;
}

void BM_DispSpriteData(benchmark::State& state) {
  Setup& s = TheSetup();
  for (auto _ : state) s.dialog->DispSpriteData(s.sprite);
}
BENCHMARK(BM_DispSpriteData)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DispSpriteDataPainted(benchmark::State& state) {
  Setup& s = TheSetup();
  for (auto _ : state) {
    s.dialog->DispSpriteData(s.sprite);
    s.dialog->repaint();
    QApplication::processEvents();
  }
}
BENCHMARK(BM_DispSpriteDataPainted)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  return kel::bench::RunQtBenchmarks(argc, argv);
}
