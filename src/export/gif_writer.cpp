// Animated GIF through giflib. A GIF holds at most 256 colours: an animation that has no more
// keeps its colours exactly in one palette; one with more is quantised by libimagequant to one
// palette for all frames (so that colours do not flicker from frame to frame), with dithering.
#include <gif_lib.h>
#include <libimagequant.h>

#include <memory>
#include <ostream>
#include <unordered_map>
#include <vector>

#include "export/export.h"
#include "export/played_frames.h"

namespace kel {

namespace {

constexpr int kNoTransparent = NO_TRANSPARENT_COLOR;

int WriteToStream(GifFileType* gif, const GifByteType* bytes, int n) {
  auto* out = static_cast<std::ostream*>(gif->UserData);
  out->write(reinterpret_cast<const char*>(bytes), n);
  return *out ? n : 0;
}

uint32_t PixelKey(const uint8_t* p) {
  return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
}

// The palette and, per frame, each pixel's index in it.
class Palette {
 public:
  virtual ~Palette() = default;
  std::vector<GifColorType> colors;
  int transparent = kNoTransparent;
  // Fills indices with the palette index of each pixel of the w x h RGBA frame.
  virtual bool Map(const uint8_t* rgba, int w, int h, uint8_t* indices) = 0;
};

// Every colour of the animation has an entry of its own.
class ExactPalette final : public Palette {
 public:
  std::unordered_map<uint32_t, uint8_t> index;
  bool Map(const uint8_t* rgba, int w, int h, uint8_t* indices) override {
    const size_t n = size_t(w) * size_t(h);
    for (size_t k = 0; k < n; ++k, rgba += 4)
      indices[k] = rgba[3] ? index.at(PixelKey(rgba)) : uint8_t(transparent);
    return true;
  }
};

struct LiqAttrDelete {
  void operator()(liq_attr* a) const { liq_attr_destroy(a); }
};
struct LiqHistogramDelete {
  void operator()(liq_histogram* h) const { liq_histogram_destroy(h); }
};
struct LiqResultDelete {
  void operator()(liq_result* r) const { liq_result_destroy(r); }
};
struct LiqImageDelete {
  void operator()(liq_image* i) const { liq_image_destroy(i); }
};

class QuantisedPalette final : public Palette {
 public:
  std::unique_ptr<liq_attr, LiqAttrDelete> attr{liq_attr_create()};
  std::unique_ptr<liq_result, LiqResultDelete> result;
  bool Map(const uint8_t* rgba, int w, int h, uint8_t* indices) override {
    std::unique_ptr<liq_image, LiqImageDelete> image(
        liq_image_create_rgba(attr.get(), rgba, w, h, 0));
    if (!image || liq_write_remapped_image(result.get(), image.get(), indices,
                                           size_t(w) * size_t(h)) != LIQ_OK)
      return false;
    // Transparent pixels are the one transparent entry, whatever the ditherer chose.
    const size_t n = size_t(w) * size_t(h);
    for (size_t k = 0; k < n; ++k)
      if (rgba[4 * k + 3] == 0 || isTransparent[indices[k]]) indices[k] = uint8_t(transparent);
    return true;
  }
  bool isTransparent[256] = {};
};

// The exact palette of the animation, or null when it has more colours than a GIF holds.
std::unique_ptr<Palette> ExactColours(const PlayedFrames& frames, std::vector<uint8_t>& rgba) {
  auto palette = std::make_unique<ExactPalette>();
  bool anyTransparent = false;
  const int w = frames.Width(), h = frames.Height();
  const size_t n = size_t(w) * size_t(h);
  for (int i = 0; i < frames.Count(); ++i) {
    if (frames.SameAsBefore(i)) continue;  // its colours are counted
    frames.Render(i, rgba.data(), size_t(w) * 4);
    const uint8_t* p = rgba.data();
    for (size_t k = 0; k < n; ++k, p += 4) {
      if (!p[3]) {
        anyTransparent = true;
      } else if (palette->index.emplace(PixelKey(p), 0).second) {
        if (palette->index.size() > 256) return nullptr;
      }
    }
  }
  if (palette->index.size() + (anyTransparent ? 1 : 0) > 256) return nullptr;
  for (auto& [key, at] : palette->index) {
    at = uint8_t(palette->colors.size());
    palette->colors.push_back({uint8_t(key >> 16), uint8_t(key >> 8), uint8_t(key)});
  }
  if (anyTransparent) {
    palette->transparent = int(palette->colors.size());
    palette->colors.push_back({0, 0, 0});
  }
  return palette;
}

std::unique_ptr<Palette> QuantisedColours(const PlayedFrames& frames, std::vector<uint8_t>& rgba) {
  auto palette = std::make_unique<QuantisedPalette>();
  liq_attr* attr = palette->attr.get();
  // One entry is kept for the transparent pixels, should the quantiser not have made one.
  if (!attr || liq_set_max_colors(attr, 255) != LIQ_OK) return nullptr;
  // The fastest of the quantiser's settings: an animation has many frames to sample, and its
  // palette is made once for all of them.
  liq_set_speed(attr, 10);
  std::unique_ptr<liq_histogram, LiqHistogramDelete> histogram(liq_histogram_create(attr));
  if (!histogram) return nullptr;
  const int w = frames.Width(), h = frames.Height();
  for (int i = 0; i < frames.Count(); ++i) {
    // A frame showing what the one before showed is counted again, from the pixels at hand: the
    // histogram weighs colours by how long they are shown.
    if (!frames.SameAsBefore(i)) frames.Render(i, rgba.data(), size_t(w) * 4);
    std::unique_ptr<liq_image, LiqImageDelete> image(
        liq_image_create_rgba(attr, rgba.data(), w, h, 0));
    if (!image || liq_histogram_add_image(histogram.get(), attr, image.get()) != LIQ_OK)
      return nullptr;
  }
  liq_result* result = nullptr;
  if (liq_histogram_quantize(histogram.get(), attr, &result) != LIQ_OK || !result) return nullptr;
  palette->result.reset(result);
  liq_set_dithering_level(result, 1.0f);
  const liq_palette* colors = liq_get_palette(result);
  for (unsigned k = 0; k < colors->count; ++k) {
    const liq_color c = colors->entries[k];
    // Every pixel is either opaque or transparent: an entry below half opacity stands for the
    // transparent ones.
    if (c.a < 128) {
      palette->isTransparent[k] = true;
      if (palette->transparent == kNoTransparent) palette->transparent = int(k);
    }
    palette->colors.push_back({c.r, c.g, c.b});
  }
  if (palette->transparent == kNoTransparent) {
    palette->transparent = int(palette->colors.size());
    palette->colors.push_back({0, 0, 0});
  }
  return palette;
}

struct GifClose {
  void operator()(GifFileType* gif) const { EGifCloseFile(gif, nullptr); }
};
struct MapDelete {
  void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

}  // namespace

bool WriteGif(const PlayedFrames& frames, std::ostream& out) {
  const int w = frames.Width(), h = frames.Height();
  std::vector<uint8_t> rgba(size_t(w) * size_t(h) * 4);
  std::unique_ptr<Palette> palette = ExactColours(frames, rgba);
  if (!palette) palette = QuantisedColours(frames, rgba);
  if (!palette) return false;

  // A GIF colour table has a power of two entries, at least two.
  int tableSize = 2;
  while (tableSize < int(palette->colors.size())) tableSize *= 2;
  palette->colors.resize(size_t(tableSize), GifColorType{0, 0, 0});
  std::unique_ptr<ColorMapObject, MapDelete> map(
      GifMakeMapObject(tableSize, palette->colors.data()));
  if (!map) return false;

  int error = 0;
  std::unique_ptr<GifFileType, GifClose> gif(EGifOpen(&out, WriteToStream, &error));
  if (!gif) return false;
  EGifSetGifVersion(gif.get(), true);
  if (EGifPutScreenDesc(gif.get(), w, h, 8, 0, map.get()) != GIF_OK) return false;
  if (frames.Loops()) {
    // The application extension that readers take as the loop count; 0 is for ever.
    static const GifByteType kNetscape[] = "NETSCAPE2.0";
    static const GifByteType kLoopForEver[] = {1, 0, 0};
    if (EGifPutExtensionLeader(gif.get(), APPLICATION_EXT_FUNC_CODE) != GIF_OK ||
        EGifPutExtensionBlock(gif.get(), 11, kNetscape) != GIF_OK ||
        EGifPutExtensionBlock(gif.get(), 3, kLoopForEver) != GIF_OK ||
        EGifPutExtensionTrailer(gif.get()) != GIF_OK)
      return false;
  }

  GraphicsControlBlock control;
  // Each frame covers the whole canvas; clearing it after each one lets the transparent pixels of
  // the next show nothing of the frame before.
  control.DisposalMode = DISPOSE_BACKGROUND;
  control.UserInputFlag = false;
  control.DelayTime = PlayedFrames::kFrameMs / 10;  // hundredths of a second
  control.TransparentColor = palette->transparent;
  GifByteType extension[4];
  EGifGCBToExtension(&control, extension);

  std::vector<uint8_t> indices(size_t(w) * size_t(h));
  for (int i = 0; i < frames.Count(); ++i) {
    // A frame showing what the one before showed is written with the same indices: mapping the
    // same pixels to the same palette gives them again, dithering included.
    if (!frames.SameAsBefore(i)) {
      frames.Render(i, rgba.data(), size_t(w) * 4);
      if (!palette->Map(rgba.data(), w, h, indices.data())) return false;
    }
    if (EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, 4, extension) != GIF_OK ||
        EGifPutImageDesc(gif.get(), 0, 0, w, h, false, nullptr) != GIF_OK)
      return false;
    for (int y = 0; y < h; ++y)
      if (EGifPutLine(gif.get(), indices.data() + size_t(y) * size_t(w), w) != GIF_OK) return false;
  }
  // Closing writes the trailer; the file is whole only when that worked.
  const bool closed = EGifCloseFile(gif.release(), &error) == GIF_OK;
  return closed && bool(out);
}

}  // namespace kel
