// Exporting an animation: 128 frames of 256 x 256 pixels, 24 bits with a 1-bit mask, every frame
// different and of thousands of colours (so the GIF is quantised), as WebP and as GIF; and the
// same frames as 8-bit pictures of 200 colours, whose GIF keeps its colours exactly (GifExact);
// and the first as 64 pictures each shown for two frames, a continue frame after each (GifHeld).
//
//   bench_export --benchmark_filter=Webp     (then =Gif/, =GifExact, =GifHeld: the peak is the
//                                              process's own)
//
// Counters: peak_MB is the process's peak resident size after the runs, base_MB the resident
// size with the object made and before any export, decoded_MB the frames as RGBA (128 x 256 x
// 256 x 4), the pictures an animation decoder holds. Target: ≤ 2 s an export, peak − base ≤ 3 ×
// decoded_MB.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "export/export.h"
#include "model/dib.h"
#include "model/save_file.h"

namespace {

constexpr int kFrames = 128, kSide = 256;

double PeakMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

double ResidentMb() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return double(resident) * 4096.0 / (1024.0 * 1024.0);
}

std::shared_ptr<kel::PackedDib> Dib(int bits, uint32_t colors,
                                    const std::function<void(uint8_t*, int)>& row) {
  const size_t rowBytes = kel::LineBytesOf(kSide, uint16_t(bits));
  auto dib = kel::PackedDib::Allocate(kel::kInfoHeaderSize + 4 * colors + rowBytes * kSide);
  kel::BitmapInfoHeader h;
  h.biWidth = kSide;
  h.biHeight = kSide;
  h.biBitCount = uint16_t(bits);
  h.biSizeImage = uint32_t(rowBytes * kSide);
  h.biClrUsed = colors;
  h.Store(dib->Data());
  if (colors == 2) std::fill_n(dib->Data() + kel::kInfoHeaderSize + 4, 3, 0xFF);  // white
  for (uint32_t k = 0; colors > 2 && k < colors; ++k) {
    uint8_t* entry = dib->Data() + kel::kInfoHeaderSize + 4 * k;  // blue, green, red, 0
    entry[0] = uint8_t(k);
    entry[1] = uint8_t(255 - k);
    entry[2] = uint8_t(k * 7);
  }
  uint8_t* bits0 = dib->Data() + kel::kInfoHeaderSize + 4 * colors;
  for (int y = 0; y < kSide; ++y) row(bits0 + size_t(kSide - 1 - y) * rowBytes, y);
  return dib;
}

// A disc that moves across a pattern of colours that shifts every frame: thousands of colours
// in 24 bits, or 200 palette colours in 8 bits. Held: every other frame continues the one before.
std::unique_ptr<kel::ObSpriteData> Workload(bool paletted, bool held) {
  auto s = std::make_unique<kel::ObSpriteData>();
  for (int i = 0; i < kFrames; ++i) {
    if (held && i % 2) {
      s->AddImage(kel::ContinueMark, int16_t(i), 0);
      s->AddImage(kel::ContinueMark, int16_t(i), 1);
      continue;
    }
    const int cx = 64 + i, cy = 128;
    const auto truecolour = [&](uint8_t* row, int y) {
      for (int x = 0; x < kSide; ++x) {
        row[3 * x] = uint8_t(x + 2 * i);
        row[3 * x + 1] = uint8_t(y + i);
        row[3 * x + 2] = uint8_t((x ^ y) + i);
      }
    };
    const auto indexed = [&](uint8_t* row, int y) {
      for (int x = 0; x < kSide; ++x) row[x] = uint8_t(((x ^ y) + i) % 200);
    };
    s->AddImage(
        std::make_unique<kel::ObBmpImage>(paletted ? Dib(8, 200, indexed) : Dib(24, 0, truecolour)),
        int16_t(i), 0);
    s->AddImage(std::make_unique<kel::ObBmpImage>(Dib(1, 2,
                                                      [&](uint8_t* row, int y) {
                                                        for (int x = 0; x < kSide; ++x) {
                                                          const int dx = x - cx, dy = y - cy;
                                                          if (dx * dx + dy * dy > 90 * 90)
                                                            row[x / 8] |= uint8_t(0x80 >> (x % 8));
                                                        }
                                                      })),
                int16_t(i), 1);
  }
  return s;
}

void Export(benchmark::State& state, kel::ExportFormat format, bool paletted = false,
            bool held = false) {
  const auto sprite = Workload(paletted, held);
  const double base = ResidentMb();
  const std::string path = (std::filesystem::temp_directory_path() /
                            (std::string("kel-bench-export.") + kel::ExportExtension(format)))
                               .string();
  for (auto _ : state) {
    const kel::ExportProblem p = kel::ExportObject(
        *sprite, path, format,
        [](const std::string& target, const std::function<bool(std::ostream&)>& write) {
          return kel::SaveFile(target, write).ok;
        });
    if (p != kel::ExportProblem::kNone) {
      state.SkipWithError(kel::ExportProblemText(p));
      break;
    }
  }
  state.counters["file_MB"] = double(std::filesystem::file_size(path)) / (1024.0 * 1024.0);
  state.counters["base_MB"] = base;
  state.counters["peak_MB"] = PeakMb();
  state.counters["decoded_MB"] = double(kFrames) * kSide * kSide * 4 / (1024.0 * 1024.0);
  std::filesystem::remove(path);
}

void Webp(benchmark::State& state) {
  Export(state, kel::ExportFormat::kWebp);
}
void Gif(benchmark::State& state) {
  Export(state, kel::ExportFormat::kGif);
}
void GifExact(benchmark::State& state) {
  Export(state, kel::ExportFormat::kGif, true);
}
void GifHeld(benchmark::State& state) {
  Export(state, kel::ExportFormat::kGif, false, true);
}
BENCHMARK(Webp)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Gif)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(GifExact)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(GifHeld)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
