#include "model/wave_check.h"

#include <cstring>
#include <optional>

#include "model/le.h"

namespace kel {

namespace {

enum : uint16_t {
  kPcm = 0x0001,
  kMsAdpcm = 0x0002,
  kFloat = 0x0003,
  kALaw = 0x0006,
  kMuLaw = 0x0007,
  kImaAdpcm = 0x0011,
  kExtensible = 0xFFFE,
};

constexpr size_t kRiffHeader = 12;  // "RIFF", size, "WAVE"
constexpr size_t kChunkHeader = 8;  // id, size
constexpr uint32_t kFmtFields = 16;
// The extensible form adds cbSize, valid bits, the channel mask and a 16-byte sub-format.
constexpr uint32_t kExtensibleFmt = 40;
constexpr uint16_t kExtensibleExtra = 22;
// A sub-format is a format tag in its first two bytes followed by these fourteen.
constexpr uint8_t kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                        0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::string Str(uint64_t v) {
  return std::to_string(v);
}

struct Chunk {
  uint64_t at = 0;  // of the chunk header
  uint32_t size = 0;
};

class WaveChecker {
 public:
  WaveChecker(const uint8_t* p, size_t n) : p_(p), n_(n) {}

  std::string Run() {
    if (FindChunks() && CheckFormat()) return {};
    return error_;
  }

 private:
  bool Fail(std::string message) {
    error_ = std::move(message);
    return false;
  }

  bool FindChunks() {
    if (!p_ || n_ < kRiffHeader)
      return Fail("file of " + Str(n_) + " bytes is shorter than the 12-byte RIFF header");
    if (std::memcmp(p_, "RIFF", 4) != 0) return Fail("no RIFF signature");
    if (std::memcmp(p_ + 8, "WAVE", 4) != 0) return Fail("RIFF form type is not WAVE");
    // A player reads the chunks in order until it has the format and the data: every one of
    // those must lie inside the file, or it would allocate what the size field claims.
    uint64_t at = kRiffHeader;
    while (n_ - at >= kChunkHeader) {
      const uint8_t* h = p_ + at;
      const uint32_t size = le::U32(h + 4);
      const std::string id(reinterpret_cast<const char*>(h), 4);
      if (size > n_ - at - kChunkHeader)
        return Fail("'" + id + "' chunk at offset " + Str(at) + " claims " + Str(size) +
                    " bytes, past the end of the file (" + Str(n_) + " bytes)");
      if (id == "fmt " && !fmt_) fmt_ = Chunk{at, size};
      if (id == "data") {
        if (!fmt_) return Fail("data chunk at offset " + Str(at) + " comes before any fmt chunk");
        return true;
      }
      // Chunks are padded to an even size; the pad byte of the last one is often missing.
      at += kChunkHeader + uint64_t(size) + (size & 1);
      if (at > n_) at = n_;
    }
    return Fail(fmt_ ? "no data chunk" : "no fmt chunk");
  }

  bool CheckFormat() {
    const uint8_t* f = p_ + fmt_->at + kChunkHeader;
    if (fmt_->size < kFmtFields)
      return Fail("fmt chunk of " + Str(fmt_->size) + " bytes is shorter than its 16 fields");
    uint16_t tag = le::U16(f);
    const uint16_t channels = le::U16(f + 2);
    const uint32_t rate = le::U32(f + 4);
    const uint16_t blockAlign = le::U16(f + 12);
    const uint16_t bits = le::U16(f + 14);
    if (channels < 1 || channels > kMaxWaveChannels)
      return Fail("channel count " + Str(channels) + " is outside 1 to " + Str(kMaxWaveChannels));
    if (rate < kMinWaveRate || rate > kMaxWaveRate)
      return Fail("sample rate " + Str(rate) + " Hz is outside " + Str(kMinWaveRate) + " to " +
                  Str(kMaxWaveRate));
    if (tag == kExtensible) {
      if (fmt_->size < kExtensibleFmt || le::U16(f + 16) < kExtensibleExtra)
        return Fail("extensible fmt chunk of " + Str(fmt_->size) +
                    " bytes is shorter than its 40 bytes");
      // The sub-format names the encoding; one this checker does not know keeps the tag.
      if (std::memcmp(f + 26, kSubFormatTail, sizeof kSubFormatTail) == 0) tag = le::U16(f + 24);
    }
    return CheckBlockAlign(tag, channels, bits, blockAlign);
  }

  // The block align is how a player steps through the samples: it must be what the encoding
  // makes of the channels and the sample width.
  bool CheckBlockAlign(uint16_t tag, uint16_t channels, uint16_t bits, uint16_t blockAlign) {
    const std::string shape = Str(channels) + " channel(s) of " + Str(bits) + " bits";
    auto frameOf = [&](std::initializer_list<uint16_t> widths, const char* encoding) {
      for (uint16_t w : widths)
        if (bits == w) {
          const uint32_t expected = uint32_t(channels) * (bits / 8);
          if (blockAlign == expected) return true;
          return Fail("block align " + Str(blockAlign) + " does not match " + shape + " (" +
                      Str(expected) + " expected)");
        }
      return Fail(std::string(encoding) + " sample width of " + Str(bits) + " bits is not allowed");
    };
    auto adpcm = [&](uint32_t headerPerChannel, uint32_t multiple, const char* encoding) {
      if (bits != 4)
        return Fail(std::string(encoding) + " sample width of " + Str(bits) + " bits is not 4");
      const uint32_t header = headerPerChannel * channels;
      if (blockAlign < header)
        return Fail("block align " + Str(blockAlign) + " cannot hold the " + Str(header) +
                    "-byte block header of " + shape);
      if (blockAlign % multiple != 0)
        return Fail("block align " + Str(blockAlign) + " is not a multiple of " + Str(multiple));
      return true;
    };
    switch (tag) {
      case kPcm:
        return frameOf({8, 16, 24, 32}, "PCM");
      case kFloat:
        return frameOf({32, 64}, "IEEE float");
      case kALaw:
      case kMuLaw:
        return frameOf({8}, tag == kALaw ? "A-law" : "mu-law");
      case kMsAdpcm:
        return adpcm(7, 1, "MS ADPCM");
      case kImaAdpcm:
        return adpcm(4, 4, "IMA ADPCM");
      default:
        if (blockAlign == 0) return Fail("block align is 0");
        return true;
    }
  }

  const uint8_t* p_;
  size_t n_;
  std::optional<Chunk> fmt_;
  std::string error_;
};

}  // namespace

std::string WaveFault(const uint8_t* data, size_t size) {
  return WaveChecker(data, size).Run();
}

}  // namespace kel
