#include "platform/sdl_sound.h"

#include <SDL.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <vector>

#include "model/wave_check.h"

namespace kel {

namespace {

// Decoded samples, freed by SDL.
struct WavFree {
  void operator()(Uint8* p) const { SDL_FreeWAV(p); }
};
struct StreamFree {
  void operator()(SDL_AudioStream* s) const { SDL_FreeAudioStream(s); }
};

}  // namespace

SdlSoundPort::SdlSoundPort() {
  // A machine without sound (or without a server to talk to) is not an error for an editor:
  // sounds are then simply not heard.
  // SDL would turn SIGINT and SIGTERM into quit events of its own, which nobody here reads: the
  // program would no longer end when the session or the user asks it to.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
  subsystem_ = true;
  SDL_AudioSpec want{};
  want.freq = 44100;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = 2048;
  want.callback = nullptr;  // sounds are queued
  SDL_AudioSpec have{};
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_ANY_CHANGE);
  if (device_ == 0) return;
  format_ = have.format;
  channels_ = have.channels;
  freq_ = have.freq;
}

SdlSoundPort::~SdlSoundPort() {
  if (device_ != 0) SDL_CloseAudioDevice(device_);
  if (subsystem_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SdlSoundPort::IsPlaying() const {
  return QueuedBytes() > 0;
}

uint32_t SdlSoundPort::QueuedBytes() const {
  return device_ != 0 ? SDL_GetQueuedAudioSize(device_) : 0;
}

int SdlSoundPort::BytesPerSecond() const {
  return device_ != 0 ? freq_ * channels_ * int(SDL_AUDIO_BITSIZE(format_) / 8) : 0;
}

void SdlSoundPort::PlayAsync(const uint8_t* data, size_t size) {
  if (device_ == 0 || data == nullptr || size == 0) return;
  // A sound still playing goes on undisturbed; the new one is dropped, not postponed.
  if (IsPlaying()) return;
  if (!Queue(data, size)) return;
  ++started_;
  SDL_PauseAudioDevice(device_, 0);
}

void SdlSoundPort::Stop() {
  if (device_ == 0) return;
  SDL_ClearQueuedAudio(device_);
  SDL_PauseAudioDevice(device_, 1);
}

bool SdlSoundPort::Queue(const uint8_t* data, size_t size) {
  if (size > size_t(INT_MAX)) return false;
  // SDL allocates by the sizes and rates the file states: it gets only waves whose chunks lie
  // inside the bytes and whose format is in bounds.
  if (!WaveFault(data, size).empty()) return false;
  // A data chunk that is cut short, or does not hold whole sample blocks, marks a damaged file:
  // refuse it rather than play part of it. (The RIFF size itself is often written wrongly by
  // otherwise good programs and is not checked.) A user's environment setting still wins.
  SDL_SetHint(SDL_HINT_WAVE_TRUNCATION, "strict");
  SDL_RWops* rw = SDL_RWFromConstMem(data, int(size));
  if (!rw) return false;
  SDL_AudioSpec spec{};
  Uint8* raw = nullptr;
  Uint32 length = 0;
  if (!SDL_LoadWAV_RW(rw, 1, &spec, &raw, &length)) return false;
  std::unique_ptr<Uint8, WavFree> samples(raw);
  const Uint32 frame = Uint32(SDL_AUDIO_BITSIZE(spec.format) / 8) * spec.channels;
  if (frame == 0) return false;
  length -= length % frame;
  if (length == 0) return false;

  if (spec.format == format_ && spec.channels == channels_ && spec.freq == freq_)
    return SDL_QueueAudio(device_, samples.get(), length) == 0;

  std::unique_ptr<SDL_AudioStream, StreamFree> stream(
      SDL_NewAudioStream(spec.format, spec.channels, spec.freq, format_, channels_, freq_));
  if (!stream) return false;
  // Converted piece by piece, so that a long sound never exists twice in the device format.
  std::vector<Uint8> out;
  auto drain = [&]() {
    const int available = SDL_AudioStreamAvailable(stream.get());
    if (available <= 0) return true;
    out.resize(size_t(available));
    const int got = SDL_AudioStreamGet(stream.get(), out.data(), available);
    return got >= 0 && (got == 0 || SDL_QueueAudio(device_, out.data(), Uint32(got)) == 0);
  };
  // SDL's converter allocates for a piece as the device's rate makes it: a piece of 16384
  // frames at 1 Hz would come out as 720 million frames. So pieces are measured by what they
  // become, 16384 device frames at most, and hold at least one frame.
  const int64_t frames = std::clamp<int64_t>(int64_t(16384) * spec.freq / freq_, 1, 16384);
  const Uint32 piece = frame * Uint32(frames);
  bool ok = true;
  for (Uint32 at = 0; ok && at < length; at += piece) {
    const Uint32 n = length - at < piece ? length - at : piece;
    ok = SDL_AudioStreamPut(stream.get(), samples.get() + at, int(n)) == 0 && drain();
  }
  ok = ok && SDL_AudioStreamFlush(stream.get()) == 0 && drain();
  if (!ok) SDL_ClearQueuedAudio(device_);
  return ok && SDL_GetQueuedAudioSize(device_) > 0;
}

}  // namespace kel
