// The wave check: which wave files a decoder may be given, and the field named when one may not.
#include "model/wave_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/kel_builder.h"

namespace kel {
namespace {

using test::build::PutLe;

struct Fmt {
  uint16_t tag = 1;
  uint16_t channels = 2;
  uint32_t rate = 44100;
  uint16_t blockAlign = 4;
  uint16_t bits = 16;
};

std::string Chunk(const std::string& id, const std::string& body, int64_t claim = -1) {
  std::string c = id;
  PutLe(c, claim < 0 ? body.size() : uint64_t(claim), 4);
  c += body;
  if (body.size() % 2) c += '\0';
  return c;
}

// The fmt chunk's body: the 16 common fields, then for the extensible form cbSize 22, the valid
// bits, the channel mask and the sub-format of subTag.
std::string FmtBody(const Fmt& f, int subTag = -1) {
  std::string b;
  PutLe(b, f.tag, 2);
  PutLe(b, f.channels, 2);
  PutLe(b, f.rate, 4);
  PutLe(b, uint64_t(f.rate) * f.blockAlign, 4);
  PutLe(b, f.blockAlign, 2);
  PutLe(b, f.bits, 2);
  if (subTag >= 0) {
    PutLe(b, 22, 2);
    PutLe(b, f.bits, 2);
    PutLe(b, 3, 4);
    PutLe(b, uint64_t(subTag), 2);
    b += std::string("\0\0\0\0\x10\0\x80\0\0\xAA\0\x38\x9B\x71", 14);
  }
  return b;
}

std::string Riff(const std::vector<std::string>& chunks) {
  std::string body = "WAVE";
  for (const std::string& c : chunks) body += c;
  std::string file = "RIFF";
  PutLe(file, body.size(), 4);
  return file + body;
}

std::string Wave(const Fmt& f, size_t samples = 64) {
  return Riff({Chunk("fmt ", FmtBody(f)), Chunk("data", std::string(samples, '\x40'))});
}

std::string Extensible(const Fmt& f, int subTag) {
  Fmt e = f;
  e.tag = 0xFFFE;
  return Riff({Chunk("fmt ", FmtBody(e, subTag)), Chunk("data", std::string(48, '\x40'))});
}

struct Case {
  const char* name;
  std::string bytes;
  std::string fault;  // empty: accepted
};

std::vector<Case> Cases() {
  const std::string fmt = Chunk("fmt ", FmtBody({}));
  const std::string data = Chunk("data", std::string(64, 'x'));
  std::string riffSizeWrong = Wave({});
  riffSizeWrong[4] = 0x7F;
  // The 144-byte file whose data chunk claims 4 GiB.
  const std::string hugeData = Riff({fmt, Chunk("data", std::string(100, 'x'), 0xFFFFFFFF)});
  std::string shortFmt = FmtBody({});
  shortFmt.resize(14);
  std::string extShort = FmtBody({0xFFFE, 2, 44100, 4, 16});
  PutLe(extShort, 0, 2);
  return {
      {"16-bit stereo PCM", Wave({}), ""},
      {"8-bit mono at 100 Hz", Wave({1, 1, 100, 1, 8}), ""},
      {"24-bit, 8 channels, 384 kHz", Wave({1, 8, 384000, 24, 24}), ""},
      {"32-bit float stereo", Wave({3, 2, 48000, 8, 32}), ""},
      {"A-law stereo", Wave({6, 2, 8000, 2, 8}), ""},
      {"IMA ADPCM mono", Wave({0x11, 1, 22050, 256, 4}, 512), ""},
      {"MS ADPCM stereo", Wave({2, 2, 22050, 14, 4}, 28), ""},
      {"extensible PCM", Extensible({1, 2, 48000, 6, 24}, 1), ""},
      {"encoding not known here", Wave({0x55, 1, 8000, 1, 0}), ""},
      {"other chunks, one of odd size, before fmt", Riff({Chunk("LIST", "abc"), fmt, data}), ""},
      {"RIFF size wrong", riffSizeWrong, ""},
      {"empty data chunk at the end", Riff({fmt, Chunk("data", "")}), ""},
      {"a second fmt chunk is not read",
       Riff({fmt, Chunk("fmt ", FmtBody({1, 0, 0, 0, 16})), data}), ""},
      {"broken chunk after the data", Riff({fmt, data, Chunk("junk", "", 0x7FFFFFFF)}), ""},
      {"null bytes", "", "file of 0 bytes is shorter than the 12-byte RIFF header"},
      {"cut inside the RIFF header", Wave({}).substr(0, 11),
       "file of 11 bytes is shorter than the 12-byte RIFF header"},
      {"no RIFF", "RIFX" + Wave({}).substr(4), "no RIFF signature"},
      {"another RIFF form", std::string("RIFF\x04\0\0\0AVI ", 12), "RIFF form type is not WAVE"},
      {"data chunk claims 4 GiB", hugeData,
       "'data' chunk at offset 36 claims 4294967295 bytes, past the end of the file (144 bytes)"},
      {"chunk before fmt runs past the end", Riff({Chunk("LIST", "abcd", 200), fmt, data}),
       "'LIST' chunk at offset 12 claims 200 bytes, past the end of the file (120 bytes)"},
      {"data cut short", Wave({}).substr(0, 100),
       "'data' chunk at offset 36 claims 64 bytes, past the end of the file (100 bytes)"},
      {"no chunks", Riff({}), "no fmt chunk"},
      {"no data chunk", Riff({fmt}), "no data chunk"},
      {"data before fmt", Riff({data, fmt}), "data chunk at offset 12 comes before any fmt chunk"},
      {"fmt of 14 bytes", Riff({Chunk("fmt ", shortFmt), data}),
       "fmt chunk of 14 bytes is shorter than its 16 fields"},
      {"no channels", Wave({1, 0, 44100, 0, 16}), "channel count 0 is outside 1 to 8"},
      {"9 channels", Wave({1, 9, 44100, 18, 16}), "channel count 9 is outside 1 to 8"},
      {"0 Hz", Wave({1, 2, 0, 4, 16}), "sample rate 0 Hz is outside 100 to 384000"},
      {"8 channels at 1 Hz", Wave({1, 8, 1, 16, 16}), "sample rate 1 Hz is outside 100 to 384000"},
      {"just below 100 Hz", Wave({1, 1, 99, 1, 8}), "sample rate 99 Hz is outside 100 to 384000"},
      {"just above 384 kHz", Wave({1, 2, 384001, 4, 16}),
       "sample rate 384001 Hz is outside 100 to 384000"},
      {"16-bit stereo at 56.9 MHz", Wave({1, 2, 56900000, 4, 16}),
       "sample rate 56900000 Hz is outside 100 to 384000"},
      {"PCM block align short", Wave({1, 2, 44100, 3, 16}),
       "block align 3 does not match 2 channel(s) of 16 bits (4 expected)"},
      {"PCM block align long", Wave({1, 1, 44100, 4, 16}),
       "block align 4 does not match 1 channel(s) of 16 bits (2 expected)"},
      {"12-bit PCM", Wave({1, 1, 44100, 2, 12}), "PCM sample width of 12 bits is not allowed"},
      {"16-bit float", Wave({3, 1, 44100, 2, 16}),
       "IEEE float sample width of 16 bits is not allowed"},
      {"mu-law block align", Wave({7, 2, 8000, 1, 8}),
       "block align 1 does not match 2 channel(s) of 8 bits (2 expected)"},
      {"IMA ADPCM of 3 bits", Wave({0x11, 1, 22050, 256, 3}),
       "IMA ADPCM sample width of 3 bits is not 4"},
      {"IMA ADPCM block without its header", Wave({0x11, 2, 22050, 4, 4}),
       "block align 4 cannot hold the 8-byte block header of 2 channel(s) of 4 bits"},
      {"IMA ADPCM block of odd length", Wave({0x11, 1, 22050, 258, 4}),
       "block align 258 is not a multiple of 4"},
      {"MS ADPCM block without its header", Wave({2, 2, 22050, 13, 4}),
       "block align 13 cannot hold the 14-byte block header of 2 channel(s) of 4 bits"},
      {"extensible PCM block align", Extensible({1, 2, 48000, 8, 24}, 1),
       "block align 8 does not match 2 channel(s) of 24 bits (6 expected)"},
      {"extensible fmt without its extension", Riff({Chunk("fmt ", extShort), data}),
       "extensible fmt chunk of 18 bytes is shorter than its 40 bytes"},
      {"unknown encoding, block align 0", Wave({0x55, 1, 8000, 0, 0}), "block align is 0"},
  };
}

TEST(WaveCheckTest, EachFileIsAcceptedOrRefusedForItsField) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    const auto* bytes = reinterpret_cast<const uint8_t*>(c.bytes.data());
    EXPECT_EQ(WaveFault(c.bytes.empty() ? nullptr : bytes, c.bytes.size()), c.fault);
  }
}

}  // namespace
}  // namespace kel
