// Animated WebP through libwebp's animation encoder, lossless, so that every pixel and the
// transparency come back exactly.
#include <webp/encode.h>
#include <webp/mux.h>

#include <memory>
#include <ostream>
#include <vector>

#include "export/export.h"
#include "export/played_frames.h"

namespace kel {

namespace {

struct EncoderDelete {
  void operator()(WebPAnimEncoder* e) const { WebPAnimEncoderDelete(e); }
};

// A picture that frees what the encoder allocated for it.
struct Picture {
  WebPPicture p;
  Picture() { WebPPictureInit(&p); }
  ~Picture() { WebPPictureFree(&p); }
  Picture(const Picture&) = delete;
  Picture& operator=(const Picture&) = delete;
};

struct Data {
  WebPData d;
  Data() { WebPDataInit(&d); }
  ~Data() { WebPDataClear(&d); }
  Data(const Data&) = delete;
  Data& operator=(const Data&) = delete;
};

}  // namespace

bool WriteWebp(const PlayedFrames& frames, std::ostream& out) {
  const int w = frames.Width(), h = frames.Height();
  WebPAnimEncoderOptions options;
  if (!WebPAnimEncoderOptionsInit(&options)) return false;
  options.anim_params.loop_count = frames.Loops() ? 0 : 1;  // 0: for ever
  options.anim_params.bgcolor = 0x00000000;                 // transparent
  std::unique_ptr<WebPAnimEncoder, EncoderDelete> encoder(WebPAnimEncoderNew(w, h, &options));
  if (!encoder) return false;

  WebPConfig config;
  // Level 1 of 9: lossless is exact at every level; higher levels only make the file smaller,
  // at many times the time.
  if (!WebPConfigInit(&config) || !WebPConfigLosslessPreset(&config, 1)) return false;
  // Transparent pixels keep their (zero) colour, so a reader sees exactly what was written.
  config.exact = 1;

  std::vector<uint8_t> rgba(size_t(w) * size_t(h) * 4);
  int timestamp = 0;
  for (int i = 0; i < frames.Count(); ++i) {
    // A frame that shows what the one before showed finds its pixels still there.
    if (!frames.SameAsBefore(i)) frames.Render(i, rgba.data(), size_t(w) * 4);
    Picture picture;
    picture.p.use_argb = 1;
    picture.p.width = w;
    picture.p.height = h;
    if (!WebPPictureImportRGBA(&picture.p, rgba.data(), w * 4)) return false;
    if (!WebPAnimEncoderAdd(encoder.get(), &picture.p, timestamp, &config)) return false;
    timestamp += PlayedFrames::kFrameMs;
  }
  // The end time gives the last frame its duration.
  if (!WebPAnimEncoderAdd(encoder.get(), nullptr, timestamp, nullptr)) return false;
  Data data;
  if (!WebPAnimEncoderAssemble(encoder.get(), &data.d)) return false;
  out.write(reinterpret_cast<const char*>(data.d.bytes), std::streamsize(data.d.size));
  return bool(out);
}

}  // namespace kel
