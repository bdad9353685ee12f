// The structure of a wave file, checked before a decoder is given its bytes: a decoder trusts the
// sizes and rates a file states and allocates by them (a data chunk claiming 4 GiB in a file of
// a few bytes, a sample rate of tens of megahertz).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kel {

// The limits of the format fields a wave may state.
constexpr uint16_t kMaxWaveChannels = 8;
constexpr uint32_t kMaxWaveRate = 384000;
// Below this rate the resampler on the way to the device asks for memory out of all proportion
// to the sound: hundreds of megabytes for one sample of an 8-channel wave at 1 Hz. No audible
// sound is recorded at such rates.
constexpr uint32_t kMinWaveRate = 100;

// Empty when the bytes are a RIFF WAVE file whose chunks up to the first data chunk lie inside
// them, with a fmt chunk before the data chunk stating 1 to kMaxWaveChannels channels, kMinWaveRate
// to kMaxWaveRate and a block align that fits the encoding and the sample width. Otherwise why not,
// naming the first field at fault (in English; callers show it as a detail).
//
// The RIFF chunk's own size is not checked (good programs often write it wrongly), nor chunks
// after the data chunk (a player stops reading there). Encodings other than PCM, IEEE float,
// A-law, µ-law, IMA and Microsoft ADPCM pass with any non-zero block align: their sample layout
// is not known here, and a player refuses them whole.
std::string WaveFault(const uint8_t* data, size_t size);

}  // namespace kel
