// Undo and redo in the editor: of an image list that loads 128 frames of 640 x 480 pictures (8 bits
// with a 1-bit mask, from bitmap files on disk), and of deleting an object of 128 such frames.
// The editor's form shows the object throughout, offscreen:
//
//   QT_QPA_PLATFORM=offscreen build/bench/bench_editor_undo --benchmark_repetitions=5
//
// Each iteration times one undo or one redo, the form's refresh included. The counter
// rss_ratio is the process's resident memory after every undo and redo so far against the
// memory right after the edit was made: pictures move between the object and the history, so it
// stays near 1.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QString>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "bench_workload.h"
#include "editor/dialog.h"
#include "editor/edit_commands.h"
#include "platform/prompt.h"
#include "proc_status.h"
#include "qt_bench_main.h"

namespace {

using kel::bench::kEditorFrames;
using kel::bench::StripedDib;

// Resident memory in kB.
long ResidentKb() {
  return kel::bench::StatusKb("VmRSS:");
}

struct Setup {
  kel::Document doc;
  kel::ScriptedPromptPort prompt;
  std::unique_ptr<kel::ObKELDialog> form;
  std::unique_ptr<kel::EditCommands> commands;
  std::filesystem::path folder = std::filesystem::temp_directory_path() / "kel-bench-undo";

  Setup() {
    form = std::make_unique<kel::ObKELDialog>(doc, prompt);
    commands = std::make_unique<kel::EditCommands>(doc, *form, prompt);
    form->show();
    std::filesystem::create_directories(folder);
    std::ofstream list(folder / "frames.lst");
    list << "[Image List]\nNumFrames=" << kEditorFrames << "\n";
    for (int i = 0; i < kEditorFrames; ++i) {
      const std::string image = "i" + std::to_string(i) + ".bmp";
      const std::string mask = "m" + std::to_string(i) + ".bmp";
      kel::ObBmpImage(StripedDib(8, i)).Write((folder / image).c_str());
      kel::ObBmpImage(StripedDib(1, i)).Write((folder / mask).c_str());
      list << "I" << i + 1 << "=" << image << "\nM" << i + 1 << "=" << mask << "\n";
    }
  }

  // A document of one empty object, shown, with an empty history.
  void Fresh() {
    kel::SpriteList objects;
    objects.push_back(std::make_unique<kel::ObSpriteData>());
    std::string name = "bench";
    objects.back()->SwapName(name);
    doc.Reset(std::move(objects), QString());
    QApplication::processEvents();
  }
};

Setup& TheSetup() {
  static Setup setup;
  return setup;
}

// Times undo (undo true) or redo of the one step edit() makes, alternating the two.
void UndoRedo(benchmark::State& state, bool undo, const std::function<void(Setup&)>& edit) {
  Setup& s = TheSetup();
  s.Fresh();
  edit(s);
  if (s.doc.History().count() != 1) {
    state.SkipWithError("the edit did not make one step");
    return;
  }
  QApplication::processEvents();
  const long edited = ResidentKb();
  for (auto _ : state) {
    if (!undo) {
      state.PauseTiming();
      s.doc.History().undo();
      state.ResumeTiming();
    }
    if (undo)
      s.doc.History().undo();
    else
      s.doc.History().redo();
    if (undo) {
      state.PauseTiming();
      s.doc.History().redo();
      state.ResumeTiming();
    }
  }
  kel::ObSpriteData* shown = s.doc.Object(0);
  state.counters["frames"] = shown ? shown->FrameCount() : 0;
  state.counters["rss_ratio"] = double(ResidentKb()) / double(edited);
  state.counters["rss_MB"] = double(ResidentKb()) / 1024.0;
}

void ImageList(Setup& s) {
  if (!s.commands->ReadImageList((s.folder / "frames.lst").c_str())) std::abort();
}

void DeleteObject(Setup& s) {
  ImageList(s);
  s.doc.History().clear();
  s.commands->CmDeleteObject();
}

void BM_ImageListUndo(benchmark::State& state) {
  UndoRedo(state, true, ImageList);
}
void BM_ImageListRedo(benchmark::State& state) {
  UndoRedo(state, false, ImageList);
}
void BM_DeleteObjectUndo(benchmark::State& state) {
  UndoRedo(state, true, DeleteObject);
}
void BM_DeleteObjectRedo(benchmark::State& state) {
  UndoRedo(state, false, DeleteObject);
}
BENCHMARK(BM_ImageListUndo)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImageListRedo)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DeleteObjectUndo)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DeleteObjectRedo)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  return kel::bench::RunQtBenchmarks(argc, argv);
}
