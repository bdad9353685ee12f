// Fuzz target: any bytes as a wave file, through the path a sound takes to the speaker: the wave
// check, then (only for a wave it lets through) SDL's decoder and the conversion to the format
// of the usual device. The check must keep the decoder from allocating beyond the file's own
// size and from being handed rates and layouts it mishandles; what it lets through, SDL either
// decodes or refuses, without crashing, overrunning or asking for more memory than the limit.
#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "model/wave_check.h"

namespace {

using fuzz::Require;

struct WavFree {
  void operator()(Uint8* p) const { SDL_FreeWAV(p); }
};
struct StreamFree {
  void operator()(SDL_AudioStream* s) const { SDL_FreeAudioStream(s); }
};

// The device format the sound port usually gets. The port queues all of a sound; the fuzzer
// converts only its first seconds, enough for the converter's every step (a 1 Hz wave of a few
// kilobytes lasts an hour at the device's rate).
constexpr int kDeviceRate = 44100;
constexpr int kPieceBytes = 1 << 20;
constexpr int64_t kConvertedBytes = 1 << 20;

void Convert(const SDL_AudioSpec& spec, const Uint8* samples, Uint32 length) {
  std::unique_ptr<SDL_AudioStream, StreamFree> stream(
      SDL_NewAudioStream(spec.format, spec.channels, spec.freq, AUDIO_S16SYS, 2, kDeviceRate));
  if (!stream) return;
  static std::vector<Uint8> out(kPieceBytes);
  int64_t converted = 0;
  auto drain = [&]() {
    while (SDL_AudioStreamAvailable(stream.get()) > 0 && converted < kConvertedBytes) {
      const int got = SDL_AudioStreamGet(stream.get(), out.data(), kPieceBytes);
      if (got <= 0) return;
      converted += got;
    }
  };
  // Pieces as the port makes them: 16384 frames at the device's rate at most.
  const Uint32 frame = Uint32(SDL_AUDIO_BITSIZE(spec.format) / 8) * spec.channels;
  const Uint32 piece =
      frame * Uint32(std::clamp<int64_t>(int64_t(16384) * spec.freq / kDeviceRate, 1, 16384));
  for (Uint32 at = 0; at < length && converted < kConvertedBytes; at += piece) {
    const Uint32 n = length - at < piece ? length - at : piece;
    if (SDL_AudioStreamPut(stream.get(), samples + at, int(n)) != 0) return;
    drain();
  }
  if (converted < kConvertedBytes && SDL_AudioStreamFlush(stream.get()) == 0) drain();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string fault = kel::WaveFault(data, size);
  if (!fault.empty()) return 0;
  // As the port asks: a data chunk cut short or of partial blocks is refused.
  SDL_SetHint(SDL_HINT_WAVE_TRUNCATION, "strict");
  SDL_RWops* rw = SDL_RWFromConstMem(data, int(size));
  Require(rw != nullptr);
  SDL_AudioSpec spec{};
  Uint8* raw = nullptr;
  Uint32 length = 0;
  if (!SDL_LoadWAV_RW(rw, 1, &spec, &raw, &length)) return 0;
  std::unique_ptr<Uint8, WavFree> samples(raw);
  // What the check let through is in bounds, whatever SDL made of it.
  Require(spec.channels >= 1 && spec.channels <= kel::kMaxWaveChannels);
  Require(spec.freq >= 1 && spec.freq <= int(kel::kMaxWaveRate));
  const Uint32 frame = Uint32(SDL_AUDIO_BITSIZE(spec.format) / 8) * spec.channels;
  Require(frame > 0);
  // Decoding widens samples at most fourfold (4-bit ADPCM to 16 bits): the output is bounded by
  // the file, not by what its fields claim.
  Require(uint64_t(length) <= 4 * uint64_t(size));
  Convert(spec, samples.get(), length - length % frame);
  return 0;
}
