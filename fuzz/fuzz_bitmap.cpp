// Fuzz target: any bytes loaded as a bitmap file (and as a packed DIB without its file header).
// A loaded picture must be in the stored form every other part relies on: a 40-byte header,
// bottom-up and uncompressed rows that fit the block, a colour table of NumColors entries. Its
// bitmap-file bytes must load back to the same DIB.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "model/bmp_file.h"
#include "model/display.h"

namespace {

using fuzz::Require;

void CheckStoredForm(const kel::DibLoad& load) {
  if (!load.dib) {
    Require(!load.error.empty());
    return;
  }
  const kel::PackedDib& dib = *load.dib;
  Require(dib.Size() >= kel::kInfoHeaderSize);
  const kel::BitmapInfoHeader h = dib.Header();
  Require(h.biSize == kel::kInfoHeaderSize);
  Require(h.biWidth > 0 && h.biHeight > 0);
  Require(h.biCompression == 0);
  const uint64_t need = kel::kInfoHeaderSize + 4 * uint64_t(dib.NumColors()) +
                        kel::RowBytes64(h.biWidth, h.biBitCount) * uint64_t(h.biHeight);
  Require(need <= dib.Size());
  // What the object file's record reader takes: a loaded picture can always be saved.
  Require(kel::IsStoredDib(dib));

  // Decode the corners and the centre: every pixel read must stay inside the block.
  const int w = h.biWidth, ht = h.biHeight;
  const int xs[] = {0, w / 2, w - 1}, ys[] = {0, ht / 2, ht - 1};
  for (int x : xs)
    for (int y : ys) (void)kel::DibPixelRgb(dib, x, y);

  const std::string file = kel::BitmapFileBytes(dib);
  const kel::DibLoad back =
      kel::LoadBitmapFileBytes(reinterpret_cast<const uint8_t*>(file.data()), file.size());
  Require(back.dib != nullptr);
  Require(back.dib->Size() == dib.Size());
  Require(std::memcmp(back.dib->Data(), dib.Data(), dib.Size()) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckStoredForm(kel::LoadBitmapFileBytes(data, size));
  CheckStoredForm(kel::LoadPackedDibBytes(data, size));
  return 0;
}
