// The PNG sprite sheet through libpng, written one row of frames at a time, and its JSON frame
// list.
#include <png.h>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "export/export.h"
#include "export/played_frames.h"

namespace kel {

namespace {

void WriteToStream(png_structp png, png_bytep bytes, png_size_t n) {
  auto* out = static_cast<std::ostream*>(png_get_io_ptr(png));
  out->write(reinterpret_cast<const char*>(bytes), std::streamsize(n));
  if (!*out) png_error(png, "write failed");
}

void FlushStream(png_structp) {}

// The picture, row by row; libpng's errors leave it through longjmp to WritePngSheet, so nothing
// here owns a resource that longjmp would skip.
void WriteSheetRows(png_structp png, png_infop info, const PlayedFrames& frames,
                    const SheetLayout& layout, std::vector<uint8_t>& band) {
  const int w = frames.Width(), h = frames.Height();
  const size_t stride = size_t(layout.columns) * size_t(w) * 4;
  png_set_IHDR(png, info, png_uint_32(layout.columns * w), png_uint_32(layout.rows * h), 8,
               PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int row = 0; row < layout.rows; ++row) {
    for (int column = 0; column < layout.columns; ++column) {
      const int i = row * layout.columns + column;
      uint8_t* cell = band.data() + size_t(column) * size_t(w) * 4;
      if (i < frames.Count()) {
        frames.Render(i, cell, stride);
      } else {
        for (int y = 0; y < h; ++y) std::fill_n(cell + size_t(y) * stride, size_t(w) * 4, 0);
      }
    }
    for (int y = 0; y < h; ++y) png_write_row(png, band.data() + size_t(y) * stride);
  }
  png_write_end(png, info);
}

}  // namespace

SheetLayout SheetLayout::For(int frameCount) {
  if (frameCount <= 0) return {};
  int columns = int(std::ceil(std::sqrt(double(frameCount))));
  while (columns * columns < frameCount) ++columns;  // no rounding below the square root
  return {columns, (frameCount + columns - 1) / columns};
}

bool WritePngSheet(const PlayedFrames& frames, std::ostream& out) {
  const SheetLayout layout = SheetLayout::For(frames.Count());
  std::vector<uint8_t> band(size_t(layout.columns) * size_t(frames.Width()) * 4 *
                            size_t(frames.Height()));
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  // No limit of libpng's own on the sheet's sides: ExportObject has checked them.
  png_set_user_limits(png, 0x7fffffff, 0x7fffffff);
  png_set_write_fn(png, &out, WriteToStream, FlushStream);
  WriteSheetRows(png, info, frames, layout, band);
  png_destroy_write_struct(&png, &info);
  return bool(out);
}

std::string SheetJson(const PlayedFrames& frames) {
  const SheetLayout layout = SheetLayout::For(frames.Count());
  const std::string size = ",\"w\":" + std::to_string(frames.Width()) +
                           ",\"h\":" + std::to_string(frames.Height()) +
                           ",\"duration\":" + std::to_string(PlayedFrames::kFrameMs) + "}";
  std::string json = "{\"frames\":[";
  for (int i = 0; i < frames.Count(); ++i) {
    if (i) json += ',';
    json += "{\"x\":" + std::to_string(i % layout.columns * frames.Width()) +
            ",\"y\":" + std::to_string(i / layout.columns * frames.Height()) + size;
  }
  json += "]}\n";
  return json;
}

}  // namespace kel
