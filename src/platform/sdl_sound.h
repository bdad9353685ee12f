// Wave playback through SDL2: the sound port the desktop program installs.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/sound_port.h"

namespace kel {

// Plays complete wave files from memory on the default audio device, which it opens once. SDL
// decodes the formats a wave file may hold (PCM of 8 to 32 bits, IEEE float, A-law, µ-law, IMA
// and Microsoft ADPCM); the samples are converted to the device's format and queued, so the
// caller's bytes are no longer read once PlayAsync returns. A sound already playing is never
// interrupted by another. Without an audio device everything is silent.
class SdlSoundPort final : public SoundPort {
 public:
  SdlSoundPort();
  ~SdlSoundPort() override;
  SdlSoundPort(const SdlSoundPort&) = delete;
  SdlSoundPort& operator=(const SdlSoundPort&) = delete;

  // A wave that is damaged or not a wave at all plays nothing.
  void PlayAsync(const uint8_t* data, size_t size) override;
  void Stop() override;

  bool Available() const { return device_ != 0; }  // an audio device is open
  bool IsPlaying() const;                          // queued sound is still to be heard
  uint32_t QueuedBytes() const;                    // of the device's format
  int SoundsStarted() const { return started_; }   // PlayAsync calls that started a sound
  int BytesPerSecond() const;                      // of the device's format; 0 without a device

 private:
  bool Queue(const uint8_t* data, size_t size);
  uint32_t device_ = 0;
  bool subsystem_ = false;
  int started_ = 0;
  // The device's sample format, as SDL opened it.
  uint16_t format_ = 0;
  uint8_t channels_ = 0;
  int freq_ = 0;
};

}  // namespace kel
