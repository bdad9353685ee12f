// Wave playback through SDL's dummy audio driver, which drains queued sound in real time, so a
// sound is "still playing" for as long as it lasts.
#include "platform/sdl_sound.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>

namespace kel {
namespace {

// Before any port opens the audio device: the dummy driver unless the runner chose another.
const bool kDriverChosen = [] {
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  return true;
}();

void Put16(std::string& s, uint32_t v) {
  s += char(v & 0xFF);
  s += char((v >> 8) & 0xFF);
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

struct Format {
  uint16_t tag, channels;
  uint32_t rate;
  uint16_t bits, blockAlign;
  std::string extra;  // bytes after cbSize (none for PCM, whose fmt chunk has 16 bytes)
};

// A complete RIFF WAVE file with one fmt and one data chunk. dataClaim, when given, is the data
// chunk size written in its header (to make a truncated file).
std::string Wave(const Format& f, const std::string& data,
                 std::optional<uint32_t> dataClaim = std::nullopt) {
  std::string fmt;
  Put16(fmt, f.tag);
  Put16(fmt, f.channels);
  Put32(fmt, f.rate);
  Put32(fmt, f.rate * f.blockAlign);
  Put16(fmt, f.blockAlign);
  Put16(fmt, f.bits);
  if (f.tag != 1) {
    Put16(fmt, uint16_t(f.extra.size()));
    fmt += f.extra;
  }
  std::string body = "WAVE";
  body += "fmt ";
  Put32(body, uint32_t(fmt.size()));
  body += fmt;
  body += "data";
  Put32(body, dataClaim.value_or(uint32_t(data.size())));
  body += data;
  if (data.size() % 2) body += '\0';
  std::string file = "RIFF";
  Put32(file, uint32_t(body.size()));
  return file + body;
}

double Tone(size_t i) {
  return std::sin(double(i) * 0.07);
}

std::string Pcm8(double seconds, uint16_t channels, uint32_t rate) {
  std::string d;
  for (size_t i = 0; i < size_t(seconds * rate) * channels; ++i) d += char(128 + int(90 * Tone(i)));
  return Wave({1, channels, rate, 8, channels, {}}, d);
}

std::string Pcm16(double seconds, uint16_t channels, uint32_t rate) {
  std::string d;
  for (size_t i = 0; i < size_t(seconds * rate) * channels; ++i)
    Put16(d, uint16_t(int16_t(12000 * Tone(i))));
  return Wave({1, channels, rate, 16, uint16_t(2 * channels), {}}, d);
}

std::string Float32(double seconds, uint16_t channels, uint32_t rate) {
  std::string d;
  for (size_t i = 0; i < size_t(seconds * rate) * channels; ++i) {
    const float v = float(0.4 * Tone(i));
    uint32_t bits;
    static_assert(sizeof bits == sizeof v);
    std::memcpy(&bits, &v, sizeof v);
    Put32(d, bits);
  }
  return Wave({3, channels, rate, 32, uint16_t(4 * channels), {}}, d);
}

// A-law (6) and µ-law (7): one byte per sample, every byte value a valid code.
std::string Law(uint16_t tag, double seconds, uint32_t rate) {
  std::string d;
  for (size_t i = 0; i < size_t(seconds * rate); ++i) d += char(0x80 + int(40 * Tone(i)));
  return Wave({tag, 1, rate, 8, 1, {}}, d);
}

// IMA ADPCM, mono: blocks of 256 bytes, each a 4-byte header and 505 samples.
std::string ImaAdpcm(double seconds, uint32_t rate) {
  const size_t blocks = size_t(std::ceil(seconds * rate / 505));
  std::string d;
  for (size_t b = 0; b < blocks; ++b) {
    Put16(d, 0);  // first sample
    d += '\0';    // step index
    d += '\0';
    for (int i = 0; i < 252; ++i) d += char(i % 3 == 0 ? 0x17 : 0x9A);
  }
  std::string extra;
  Put16(extra, 505);  // samples per block
  return Wave({0x11, 1, rate, 4, 256, extra}, d);
}

void WaitUntilSilent(const SdlSoundPort& port) {
  for (int i = 0; i < 300 && port.IsPlaying(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

class SdlSoundTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(port.Available()) << "the dummy audio driver did not open"; }
  void Play(const std::string& wave) {
    port.PlayAsync(reinterpret_cast<const uint8_t*>(wave.data()), wave.size());
  }
  SdlSoundPort port;
};

TEST_F(SdlSoundTest, PlaysEveryWaveFormatForItsWholeLength) {
  const struct {
    const char* name;
    std::string wave;
    double seconds;
  } cases[] = {
      {"PCM 8-bit mono 11025 Hz", Pcm8(1.0, 1, 11025), 1.0},
      {"PCM 8-bit stereo 22050 Hz", Pcm8(1.0, 2, 22050), 1.0},
      {"PCM 16-bit mono 8000 Hz", Pcm16(1.0, 1, 8000), 1.0},
      {"PCM 16-bit stereo 44100 Hz", Pcm16(1.0, 2, 44100), 1.0},
      {"PCM 16-bit stereo 48000 Hz", Pcm16(1.0, 2, 48000), 1.0},
      {"float 32-bit stereo 22050 Hz", Float32(1.0, 2, 22050), 1.0},
      {"mu-law mono 8000 Hz", Law(7, 1.0, 8000), 1.0},
      {"A-law mono 8000 Hz", Law(6, 1.0, 8000), 1.0},
      {"IMA ADPCM mono 22050 Hz", ImaAdpcm(1.0, 22050), 505.0 * 44 / 22050},
  };
  for (const auto& c : cases) {
    const int started = port.SoundsStarted();
    Play(c.wave);
    EXPECT_EQ(port.SoundsStarted(), started + 1) << c.name;
    EXPECT_TRUE(port.IsPlaying()) << c.name;
    // Converted to the device's format, the queue holds the sound's length (less what the
    // device has already taken, which a busy machine may make a good part of a second).
    const double expected = c.seconds * port.BytesPerSecond();
    EXPECT_GT(port.QueuedBytes(), 0.7 * expected) << c.name;
    EXPECT_LT(port.QueuedBytes(), 1.02 * expected) << c.name;
    port.Stop();
  }
}

TEST_F(SdlSoundTest, SecondSoundWhileOneIsPlayingIsIgnored) {
  Play(Pcm16(1.0, 2, 22050));
  ASSERT_TRUE(port.IsPlaying());
  const uint32_t queued = port.QueuedBytes();
  Play(Pcm8(2.0, 1, 11025));
  Play(Law(7, 1.0, 8000));
  EXPECT_EQ(port.SoundsStarted(), 1);
  EXPECT_LE(port.QueuedBytes(), queued);  // only ever draining, nothing added
  EXPECT_TRUE(port.IsPlaying());
}

TEST_F(SdlSoundTest, StopEndsTheSoundAndTheNextOnePlays) {
  Play(Pcm16(2.0, 1, 22050));
  ASSERT_TRUE(port.IsPlaying());
  port.Stop();
  EXPECT_FALSE(port.IsPlaying());
  EXPECT_EQ(port.QueuedBytes(), 0u);
  port.Stop();  // stopping silence is harmless
  Play(Pcm8(0.1, 1, 11025));
  EXPECT_EQ(port.SoundsStarted(), 2);
  EXPECT_TRUE(port.IsPlaying());
  WaitUntilSilent(port);  // the device runs again after a stop
  EXPECT_FALSE(port.IsPlaying());
}

TEST_F(SdlSoundTest, SoundEndsByItselfAndLetsTheNextPlay) {
  Play(Pcm16(0.1, 2, 44100));
  ASSERT_TRUE(port.IsPlaying());
  WaitUntilSilent(port);
  ASSERT_FALSE(port.IsPlaying());
  Play(Pcm16(0.1, 2, 44100));
  EXPECT_EQ(port.SoundsStarted(), 2);
  EXPECT_TRUE(port.IsPlaying());
}

TEST_F(SdlSoundTest, DamagedOrForeignDataPlaysNothing) {
  const std::string good = Pcm16(0.2, 1, 8000);
  std::string noise;
  for (int i = 0; i < 256; ++i) noise += char((i * 73 + 11) & 0xFF);
  std::string noFmt = "RIFF";
  Put32(noFmt, 12);
  noFmt += "WAVEdata";
  Put32(noFmt, 0);
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"four bytes", "RIFF"},
      {"noise", noise},
      {"RIFF of another kind", "RIFF\x04\0\0\0AVI "},
      {"no fmt chunk", noFmt},
      {"cut inside the header", good.substr(0, 30)},
      {"data chunk cut short", good.substr(0, good.size() - 1000)},
      {"data claims more than the file has", Wave({1, 1, 8000, 16, 2, {}}, "abcd", 4000)},
      {"data claims 4 GiB", Wave({1, 1, 8000, 16, 2, {}}, std::string(100, 'x'), 0xFFFFFFFF)},
      {"16-bit stereo at 56.9 MHz", Wave({1, 2, 56900000, 16, 4, {}}, std::string(4000, 'x'))},
      {"no channels", Wave({1, 0, 8000, 16, 2, {}}, std::string(400, 'x'))},
      {"zero sample rate", Wave({1, 1, 0, 16, 2, {}}, std::string(400, 'x'))},
      {"unknown format tag", Wave({0x55, 1, 8000, 0, 1, {}}, std::string(400, 'x'))},
      {"24 channels", Wave({1, 24, 8000, 16, 48, {}}, std::string(4800, 'x'))},
      {"no samples", Wave({1, 1, 8000, 16, 2, {}}, "")},
  };
  for (const auto& c : cases) {
    Play(c.bytes);
    EXPECT_FALSE(port.IsPlaying()) << c.name;
    port.Stop();
  }
  port.PlayAsync(nullptr, 100);
  port.PlayAsync(reinterpret_cast<const uint8_t*>(good.data()), 0);
  EXPECT_EQ(port.SoundsStarted(), 0);
  EXPECT_FALSE(port.IsPlaying());
  Play(good);  // and a good wave still plays afterwards
  EXPECT_TRUE(port.IsPlaying());
}

TEST_F(SdlSoundTest, CallersBytesAreNotNeededOnceQueued) {
  auto wave = std::make_unique<std::string>(Pcm16(0.5, 1, 8000));
  Play(*wave);
  const uint32_t queued = port.QueuedBytes();
  std::fill(wave->begin(), wave->end(), '\xFF');
  wave.reset();
  EXPECT_TRUE(port.IsPlaying());
  EXPECT_LE(port.QueuedBytes(), queued);
}

TEST(SdlSoundPort, DestroyedWhilePlaying) {
  const std::string wave = Pcm16(1.0, 2, 44100);
  {
    SdlSoundPort port;
    port.PlayAsync(reinterpret_cast<const uint8_t*>(wave.data()), wave.size());
    EXPECT_TRUE(port.IsPlaying());
  }
  SdlSoundPort again;  // the device opens again after the last one closed
  ASSERT_TRUE(again.Available());
  again.PlayAsync(reinterpret_cast<const uint8_t*>(wave.data()), wave.size());
  EXPECT_TRUE(again.IsPlaying());
}

TEST(SdlSoundPort, WithoutAnAudioDeviceEverythingIsSilent) {
  const char* before = std::getenv("SDL_AUDIODRIVER");
  const std::string saved = before ? before : "";
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  {
    SdlSoundPort port;
    EXPECT_FALSE(port.Available());
    const std::string wave = Pcm16(0.5, 1, 8000);
    port.PlayAsync(reinterpret_cast<const uint8_t*>(wave.data()), wave.size());
    EXPECT_FALSE(port.IsPlaying());
    EXPECT_EQ(port.SoundsStarted(), 0);
    EXPECT_EQ(port.BytesPerSecond(), 0);
    port.Stop();
  }
  if (before)
    setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
  else
    unsetenv("SDL_AUDIODRIVER");
}

TEST(SdlSoundPort, InstalledAsTheProgramsSoundPort) {
  SdlSoundPort port;
  InstallSoundPort(&port);
  const std::string wave = Pcm8(0.5, 1, 11025);
  CurrentSoundPort().PlayAsync(reinterpret_cast<const uint8_t*>(wave.data()), wave.size());
  EXPECT_TRUE(port.IsPlaying());
  CurrentSoundPort().Stop();
  EXPECT_FALSE(port.IsPlaying());
  InstallSoundPort(nullptr);
}

}  // namespace
}  // namespace kel
