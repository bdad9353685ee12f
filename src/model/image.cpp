#include "model/image.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

#include "model/bmp_file.h"
#include "model/le.h"
#include "model/save_file.h"

namespace kel {

// ---------------------------------------------------------------------------------------------
// Sharing

ObImage::ObImage() : Data(new ObImageData) {}

ObImage::ObImage(const ObImage& other) : Data(other.Data) {
  ++Data->RefCount;
}

ObImage& ObImage::operator=(const ObImage& other) {
  SetImageData(other.Data);
  return *this;
}

void ObImage::SetImageData(ObImageData* data) {
  if (!data) return;
  // The other record's count goes up before this image lets go of its own, so that assigning
  // an image to itself never destroys the record on the way.
  ++data->RefCount;
  Release();
  Data = data;
}

ObImage::~ObImage() {
  Release();
}

void ObImage::Release() {
  if (--Data->RefCount == 0) delete Data;
  Data = nullptr;
}

void ObImage::TakeFreshRecord() {
  Release();
  Data = new ObImageData;
}

void ObImage::SetDib(std::shared_ptr<const PackedDib> dib) {
  Data->Info = std::move(dib);
  if (!Data->Info) return;
  const BitmapInfoHeader h = Data->Info->Header();
  Data->Width = uint16_t(h.biWidth);
  Data->Height = uint16_t(h.biHeight);
  Data->LineBytes = LineBytesOf(h.biWidth, h.biBitCount);
}

// ---------------------------------------------------------------------------------------------
// What the DIB says

uint32_t ObImage::NumColors() const {
  return HasDib() ? Data->Info->NumColors() : 0;
}

const uint8_t* ObImage::GetColors() const {
  return HasDib() ? Data->Info->Colors() : nullptr;
}

const uint8_t* ObImage::GetBits() const {
  return HasDib() ? Data->Info->Bits() : nullptr;
}

uint16_t ObImage::Width() const {
  return HasDib() ? uint16_t(Data->Info->Header().biWidth) : Data->Width;
}

uint16_t ObImage::Height() const {
  return HasDib() ? uint16_t(Data->Info->Header().biHeight) : Data->Height;
}

int ObImage::BitCount() const {
  return HasDib() ? Data->Info->Header().biBitCount : 0;
}

// ---------------------------------------------------------------------------------------------
// Palette and display bitmap

void ObImage::MakePalette() {
  if (!HasDib()) return;
  Data->Palette.reset();
  const PackedDib& dib = *Data->Info;
  const uint32_t n = dib.NumColors();
  if (n == 0) return;  // true-colour pictures have no palette
  // Entries the block does not hold (a damaged table) are not invented.
  const uint64_t held = dib.Size() > kInfoHeaderSize ? (dib.Size() - kInfoHeaderSize) / 4 : 0;
  const uint32_t count = uint32_t(std::min<uint64_t>({n, held, 0xFFFF}));
  if (count == 0) return;
  auto palette = std::make_shared<LogPalette>();
  palette->palVersion = 0x300;
  palette->entries.resize(count);
  const uint8_t* c = dib.Colors();
  for (uint32_t i = 0; i < count; ++i, c += 4)
    palette->entries[i] = PaletteEntry{c[2], c[1], c[0], 0};
  Data->Palette = std::move(palette);
}

void ObImage::DIBtoDDB(DisplayDevice& dc) {
  if (!HasDib()) return;
  Data->Bitmap.reset();
  if (Data->Palette) dc.RealizePalette(*Data->Palette, false);
  Data->Bitmap = dc.CreateDIBitmap(Data->Info, Data->Palette.get());
}

namespace {

// The colour table GetDIBits gives a palette-based DIB read from a true-colour display.
std::vector<uint32_t> DeviceColorTable(int bits) {
  std::vector<uint32_t> table;
  if (bits == 1) {
    table = {0x000000, 0xFFFFFF};
  } else if (bits == 4) {
    table = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
             0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  } else if (bits == 8) {
    // Eight levels of red and green, four of blue.
    for (uint32_t i = 0; i < 256; ++i) {
      const uint32_t r = (i >> 5) * 255 / 7, g = ((i >> 2) & 7) * 255 / 7, b = (i & 3) * 255 / 3;
      table.push_back((r << 16) | (g << 8) | b);
    }
  }
  return table;
}

uint32_t NearestIndex(const std::vector<uint32_t>& table, uint32_t rgb) {
  uint32_t best = 0;
  int64_t bestDistance = INT64_MAX;
  for (uint32_t i = 0; i < table.size(); ++i) {
    const int64_t dr = int64_t((rgb >> 16) & 0xFF) - int64_t((table[i] >> 16) & 0xFF);
    const int64_t dg = int64_t((rgb >> 8) & 0xFF) - int64_t((table[i] >> 8) & 0xFF);
    const int64_t db = int64_t(rgb & 0xFF) - int64_t(table[i] & 0xFF);
    const int64_t d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return best;
}

}  // namespace

void ObImage::DDBtoDIB(DisplayDevice& screen) {
  if (!Data->Bitmap || HasDib()) return;
  const DisplayBitmap& bitmap = *Data->Bitmap;
  const int w = bitmap.Width(), h = bitmap.Height();
  if (w <= 0 || h <= 0) return;
  int bits = screen.BitsPixel();
  if (!IsStoredBitCount(bits)) bits = 32;  // a depth the stored form has no rows for
  BitmapInfoHeader header;
  header.biSize = kInfoHeaderSize;
  header.biWidth = w;
  header.biHeight = h;
  header.biPlanes = 1;
  header.biBitCount = uint16_t(bits);
  // A picture whose size or rows the 16-bit Width, Height and LineBytes cannot describe stays
  // without a DIB.
  if (StoredHeaderProblem(header)) return;
  const uint64_t lineBytes = LineBytesOf(w, header.biBitCount);
  const std::vector<uint32_t> table = DeviceColorTable(bits);
  header.biSizeImage = uint32_t(lineBytes * uint64_t(h));
  header.biClrUsed = uint32_t(table.size());

  auto dib = PackedDib::Allocate(size_t(StoredDibBytes(header)));
  header.Store(dib->Data());
  uint8_t* colors = dib->Data() + kInfoHeaderSize;
  for (size_t i = 0; i < table.size(); ++i) {
    colors[4 * i + 0] = uint8_t(table[i]);
    colors[4 * i + 1] = uint8_t(table[i] >> 8);
    colors[4 * i + 2] = uint8_t(table[i] >> 16);
  }
  uint8_t* rows = colors + 4 * table.size();
  for (int y = 0; y < h; ++y) {
    // Row 0 of the DIB is the bottom row of the picture.
    uint8_t* row = rows + lineBytes * uint64_t(h - 1 - y);
    for (int x = 0; x < w; ++x) {
      const uint32_t rgb = bitmap.PixelRgb(x, y) & 0xFFFFFF;
      const uint8_t r = uint8_t(rgb >> 16), g = uint8_t(rgb >> 8), b = uint8_t(rgb);
      switch (bits) {
        case 1:
          if (NearestIndex(table, rgb)) row[x / 8] |= uint8_t(0x80 >> (x % 8));
          break;
        case 4:
          row[x / 2] |=
              uint8_t(x % 2 == 0 ? NearestIndex(table, rgb) << 4 : NearestIndex(table, rgb));
          break;
        case 8:
          row[x] = uint8_t(NearestIndex(table, rgb));
          break;
        case 16:
          le::Put16(row + 2 * x, uint16_t(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3)));
          break;
        case 24:
          row[3 * x] = b, row[3 * x + 1] = g, row[3 * x + 2] = r;
          break;
        default:
          row[4 * x] = b, row[4 * x + 1] = g, row[4 * x + 2] = r;
          break;
      }
    }
  }
  SetDib(std::move(dib));
}

// ---------------------------------------------------------------------------------------------
// The cut-out

ObImage::ObImage(DisplayDevice& dc, const ObImage* source, int16_t x, int16_t y, uint16_t width,
                 uint16_t height)
    : Data(new ObImageData) {
  if (!source) return;
  int sx = std::max<int>(x, 0);
  int sy = std::max<int>(y, 0);
  const int sourceWidth = source->Width();
  const int sourceHeight = source->Height();
  int w = width == 0 ? sourceWidth : width;
  int h = height == 0 ? sourceHeight : height;
  if (w + sx > sourceWidth) w = sourceWidth - sx;
  if (h + sy > sourceHeight) h = sourceHeight - sy;
  // An origin beyond the source's right or bottom edge leaves nothing to copy.
  w = std::max(w, 0);
  h = std::max(h, 0);
  Data->Width = uint16_t(w);
  Data->Height = uint16_t(h);
  const DisplayBitmap* from = source->Data->Bitmap.get();
  if (!from || w == 0 || h == 0) return;
  // The display bitmap may be smaller than the size the header claims; copy only what it has.
  const int cw = std::min(w, std::max(from->Width() - sx, 0));
  const int ch = std::min(h, std::max(from->Height() - sy, 0));
  if (cw == 0 || ch == 0) return;
  Data->Bitmap = dc.CopyRegion(*from, sx, sy, cw, ch);
}

// ---------------------------------------------------------------------------------------------
// Bitmap-file images

bool ObImage::WriteDIB(std::ostream& out) const {
  if (!HasDib() || !out.good()) return false;
  uint8_t header[kFileHeaderSize];
  uint32_t body = 0;
  if (!StoredFileHeader(*Data->Info, header, &body)) return false;
  out.write(reinterpret_cast<const char*>(header), kFileHeaderSize);
  // Pictures are the bulk of a file: a save writes them from where they stand.
  WriteShared(out, Data->Info, Data->Info->Data(), body);
  return true;
}

bool ObImage::Read(const char*) {
  return false;
}
bool ObImage::Write(const char*) {
  return false;
}
bool ObImage::Read(std::istream&) {
  return false;
}
bool ObImage::Write(std::ostream&) {
  return false;
}

ObBmpImage::ObBmpImage() = default;

ObBmpImage::ObBmpImage(const char* fileName) {
  if (!fileName) {
    loadError_ = "ファイル名がありません";
    return;
  }
  DibLoad load = LoadBitmapFile(fileName);
  if (!load.dib) {
    loadError_ = std::move(load.error);
    return;
  }
  OwnedDib = std::move(load.dib);
  SetDib(OwnedDib);
}

ObBmpImage::ObBmpImage(std::shared_ptr<const PackedDib> dib) : OwnedDib(std::move(dib)) {
  SetDib(OwnedDib);
}

ObBmpImage::~ObBmpImage() {
  // The DIB this image loaded goes with it: a sharer keeps the palette and display bitmap but
  // no longer has the DIB. Only the record's DIB if it is still this image's own.
  if (OwnedDib && Data->Info == OwnedDib) Data->Info.reset();
  OwnedDib.reset();
}

bool ObBmpImage::Read(const char* fileName) {
  DibLoad load = fileName ? LoadBitmapFile(fileName) : DibLoad{nullptr, "ファイル名がありません"};
  // The picture is replaced whatever the outcome; a file that cannot be loaded leaves the image
  // empty, as a failed load at construction does.
  if (OwnedDib && Data->Info == OwnedDib) Data->Info.reset();
  OwnedDib.reset();
  if (Data->Info || Data->Palette || Data->Bitmap) TakeFreshRecord();
  if (!load.dib) {
    loadError_ = std::move(load.error);
    return false;
  }
  loadError_.clear();
  OwnedDib = std::move(load.dib);
  SetDib(OwnedDib);
  return true;
}

bool ObBmpImage::Write(const char* fileName) {
  if (!fileName || !HasDib()) return false;
  // A failed write never destroys the file it would have replaced.
  std::string error;
  return SaveFileAtomically(
      fileName, [this](std::ostream& out) { return WriteDIB(out); }, error);
}

}  // namespace kel
