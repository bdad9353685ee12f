// Importing an animation into a cell: a GIF of 128 frames of 256 x 256 pixels (200 colours, one
// of them transparent), written to /tmp/kel-bench-import/walk.gif at start, read into the first
// image cell of an empty object the form shows, offscreen:
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_editor_import --benchmark_repetitions=5
//
// Each iteration times one read: decoding, the conversion of every frame into an 8-bit image and
// its mask, the one step that puts them into the object, and the form's refresh. The counter
// peak_ratio is the process's peak resident memory above what it held before the first read,
// against the decoded pictures (128 frames of 256 x 256 x 4 bytes, 32 MB), the object that holds
// the frames read included.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "editor/dialog.h"
#include "editor/edit_commands.h"
#include "platform/prompt.h"
#include "proc_status.h"
#include "qt_bench_main.h"
#include "support/gif_writer.h"

namespace {

constexpr int kFrames = 128;
constexpr int kSide = 256;
constexpr double kDecodedBytes = double(kFrames) * kSide * kSide * 4;

using kel::bench::StatusKb;

struct Setup {
  kel::Document doc;
  kel::ScriptedPromptPort prompt;
  std::unique_ptr<kel::ObKELDialog> form;
  std::unique_ptr<kel::EditCommands> commands;
  std::filesystem::path gif =
      std::filesystem::temp_directory_path() / "kel-bench-import" / "walk.gif";

  Setup() {
    form = std::make_unique<kel::ObKELDialog>(doc, prompt);
    commands = std::make_unique<kel::EditCommands>(doc, *form, prompt);
    form->show();
    std::filesystem::create_directories(gif.parent_path());
    // Written by a child process, so the frames it builds leave no freed memory here for the
    // reads to reuse unseen.
    const pid_t child = fork();
    if (child == 0) {
      WriteGif(gif);
      _exit(0);
    }
    waitpid(child, nullptr, 0);
  }

  static void WriteGif(const std::filesystem::path& path) {
    std::vector<QRgb> palette;
    for (int i = 0; i < 200; ++i) palette.push_back(qRgb(i, 255 - i, (i * 7) % 256));
    std::vector<std::vector<uint8_t>> frames;
    for (int k = 0; k < kFrames; ++k) {
      std::vector<uint8_t> f(size_t(kSide) * kSide);
      for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
          f[size_t(y) * kSide + x] = uint8_t((x / 8 + y / 8 + k) % 200);
      frames.push_back(std::move(f));
    }
    std::ofstream(path, std::ios::binary) << kel::test::GifFile(kSide, kSide, palette, frames, 0);
  }

  void Fresh() {
    kel::SpriteList objects;
    objects.push_back(std::make_unique<kel::ObSpriteData>());
    std::string name = "bench";
    objects.back()->SwapName(name);
    doc.Reset(std::move(objects), QString());
    QApplication::processEvents();
  }
};

void BM_ImportAnimatedGif(benchmark::State& state) {
  static Setup setup;
  // What the process holds before the first read; the peak starts again from there. Later runs
  // reuse the memory the first one freed, so the peak is the largest one read's.
  static const long before = [] {
    setup.Fresh();
    std::ofstream("/proc/self/clear_refs") << "5";
    return StatusKb("VmRSS:");
  }();
  for (auto _ : state) {
    state.PauseTiming();
    setup.Fresh();
    state.ResumeTiming();
    const int frames =
        setup.commands->ReadImage(1, 1, QFile::encodeName(setup.gif.c_str()).constData());
    QApplication::processEvents();
    if (frames != kFrames) state.SkipWithError("the animation did not read whole");
  }
  state.counters["peak_ratio"] = double(StatusKb("VmHWM:") - before) * 1024 / kDecodedBytes;
}
BENCHMARK(BM_ImportAnimatedGif)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return kel::bench::RunQtBenchmarks(argc, argv);
}
