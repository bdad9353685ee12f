// Fuzz target: any bytes taken as a packed DIB (info header, colour table, rows) and made into a
// display bitmap by both displays: the memory display of the tools and tests and the Qt display
// of the editor. Neither may read outside the block or allocate by a header the block does not
// back; a DIB the editor's display draws is drawn by the memory display too, the same size and
// in the same colours.
#include <QGuiApplication>
#include <QImage>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz_support.h"
#include "model/display.h"
#include "platform/qt_display.h"

namespace {

using fuzz::Require;

void SamplePixels(const kel::DisplayBitmap& a, const kel::DisplayBitmap* same) {
  const int w = a.Width(), h = a.Height();
  const int xs[] = {0, w / 2, w - 1}, ys[] = {0, h / 2, h - 1};
  for (int x : xs)
    for (int y : ys) {
      const uint32_t rgb = a.PixelRgb(x, y);
      if (same) Require(same->PixelRgb(x, y) == rgb);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static QGuiApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::shared_ptr<kel::PackedDib> dib = kel::PackedDib::AllocateForOverwrite(size);
  if (size) std::memcpy(dib->Data(), data, size);

  kel::MemoryDisplay memory;
  const std::shared_ptr<kel::DisplayBitmap> m = memory.CreateDIBitmap(dib, nullptr);
  if (m) {
    Require(m->Width() > 0 && m->Height() > 0);
    SamplePixels(*m, nullptr);
    if (auto part = memory.CopyRegion(*m, m->Width() / 2, 0, m->Width(), 2))
      SamplePixels(*part, nullptr);
  }

  kel::QtDisplay screen;
  const std::shared_ptr<kel::DisplayBitmap> q = screen.CreateDIBitmap(dib, nullptr);
  if (!q) return 0;
  Require(kel::IsDrawableDib(*dib));
  Require(m != nullptr && m->Width() == q->Width() && m->Height() == q->Height());
  SamplePixels(*q, m.get());
  const auto& bitmap = static_cast<const kel::QtDisplayBitmap&>(*q);
  const QImage thumb = bitmap.Thumbnail(QSize(48, 32), 4.0);
  Require(!thumb.isNull() && thumb.width() <= 48 && thumb.height() <= 32);
  const QImage cut = bitmap.CopyRect(q->Width() / 3, q->Height() / 3, 7, 5);
  Require(cut.width() <= 7 && cut.height() <= 5);
  if (auto region = screen.CopyRegion(*q, 0, 0, 3, 3)) SamplePixels(*region, nullptr);
  return 0;
}
