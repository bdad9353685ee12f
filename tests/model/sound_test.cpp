// The sound clip: loading a whole wave file, its name buffer, playing through the sound port and
// stopping before the data goes.
#include "model/sound.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <filesystem>

#include "model/sound_port.h"
#include "model/text.h"
#include "support/test_paths.h"

namespace kel {
namespace {

// A player that keeps to the port's rules (nothing while a sound plays, nothing for null data)
// and writes down what it was asked. When stopped it checks that the data it was playing is
// still there, as a real player would go on reading it until then.
class RecordingPort final : public SoundPort {
 public:
  void PlayAsync(const uint8_t* data, size_t size) override {
    if (!data) {
      events.push_back("play nothing");
      return;
    }
    if (playing) {
      events.push_back("busy");
      return;
    }
    playing = data;
    heard.assign(reinterpret_cast<const char*>(data), size);
    events.push_back("play " + std::to_string(size));
  }
  void Stop() override {
    if (playing) intactAtStop = std::memcmp(playing, heard.data(), heard.size()) == 0;
    playing = nullptr;
    events.push_back("stop");
  }

  std::vector<std::string> events;
  const uint8_t* playing = nullptr;
  std::string heard;
  bool intactAtStop = false;
};

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override { InstallSoundPort(&port); }
  void TearDown() override { InstallSoundPort(nullptr); }

  std::string MakeFile(const std::string& name, const std::string& bytes) {
    const auto path = dir / name;
    test::WriteFileBytes(path, bytes);
    return path.string();
  }

  RecordingPort port;
  test::TempDir dir;
  const std::string wave = std::string("RIFF\x08\0\0\0WAVEdata", 16) + std::string(100, '\x5A');
};

TEST_F(SoundTest, LoadsTheWholeFileFollowedByTwoZeroBytes) {
  const std::string path = MakeFile("bell.wav", wave);
  ObSound clip(path.c_str());
  EXPECT_STREQ(clip.FileName.data(), path.c_str());
  ASSERT_EQ(clip.Size, int32_t(wave.size()));
  ASSERT_NE(clip.WaveData(), nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(clip.WaveData()), wave.size()), wave);
  EXPECT_EQ(clip.WaveData()[wave.size()], 0);
  EXPECT_EQ(clip.WaveData()[wave.size() + 1], 0);
  EXPECT_EQ(clip.Frame, 0);
}

TEST_F(SoundTest, AFileThatCannotBeAClipGivesNoDataAndSaysWhy) {
  const std::string empty = MakeFile("empty.wav", "");
  ObSound clip(empty.c_str());
  EXPECT_STREQ(clip.FileName.data(), empty.c_str());
  EXPECT_EQ(clip.WaveData(), nullptr);

  const std::string pipe = (dir / "pipe.wav").string();
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  // Sparse: the refusal must come from the size alone, before anything is read.
  const std::string huge = MakeFile("huge.wav", wave);
  std::filesystem::resize_file(huge, uint64_t(ObSound::kMaxWaveBytes) + 1);
  const std::string largest = MakeFile("largest.wav", wave);
  std::filesystem::resize_file(largest, uint64_t(ObSound::kMaxWaveBytes));
  const struct {
    std::string path;
    const char* error;  // "" for a file that is read
  } cases[] = {
      {empty, "空のファイルです"},
      {(dir / "missing.wav").string(),
       "ファイルを開けません (ファイルまたはフォルダーが見つかりません)"},
      {dir.Path().string(), "ファイルを開けません (フォルダーです)"},
      {pipe, "ファイルを開けません (通常のファイルではありません"},
      {huge, "ファイルが大きすぎます (65 MB、64 MB までです)"},
      {largest, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    ObSound other;
    EXPECT_EQ(other.GetSound(c.path.c_str()), *c.error ? 0 : 1);
    EXPECT_EQ(other.LoadError().rfind(c.error, 0), 0u) << other.LoadError();
    EXPECT_EQ(other.Size, *c.error ? 0 : ObSound::kMaxWaveBytes);
    EXPECT_EQ(other.WaveData() == nullptr, *c.error != 0);
  }
}

TEST_F(SoundTest, StoredNameInCp932FindsTheFileByItsUtf8Name) {
  const std::string path = MakeFile("効果音.wav", wave);
  const auto stored = Utf8ToCp932(path);
  ASSERT_TRUE(stored);
  ASSERT_NE(*stored, path);
  ObSound clip(stored->c_str());
  EXPECT_STREQ(clip.FileName.data(), stored->c_str());
  EXPECT_EQ(clip.Size, int32_t(wave.size()));
}

TEST_F(SoundTest, FileSystemNameIsTriedWhenTheStoredSpellingNamesNoFile) {
  // The UTF-8 bytes of "café" also read as CP932 text (ﾃｩ), naming another file.
  const std::string path = MakeFile("café.wav", wave);
  ASSERT_TRUE(Cp932ToUtf8(path));
  ObSound clip(path.c_str());
  EXPECT_EQ(clip.Size, int32_t(wave.size()));
}

TEST_F(SoundTest, LongNameIsCutTo255Characters) {
  const std::string longName = "/" + std::string(300, 'a') + ".wav";
  ObSound clip;
  clip.FileName.fill('x');
  clip.SetFileName(longName.c_str());
  EXPECT_EQ(std::strlen(clip.FileName.data()), 255u);
  EXPECT_EQ(std::string(clip.FileName.data()), longName.substr(0, 255));
  EXPECT_EQ(clip.FileName[255], '\0');
  clip.SetFileName("short");
  EXPECT_STREQ(clip.FileName.data(), "short");
  // Nothing of the longer name is left after the terminator (the file stores all 256 bytes).
  for (size_t i = 5; i < ObSound::kFileNameSize; ++i) ASSERT_EQ(clip.FileName[i], '\0') << i;
}

TEST_F(SoundTest, DeleteSoundStopsAndEmptiesTheClip) {
  const std::string path = MakeFile("bell.wav", wave);
  ObSound clip(path.c_str());
  clip.Frame = 3;
  clip.Play();
  clip.DeleteSound();
  EXPECT_EQ(port.events, (std::vector<std::string>{"play 116", "stop"}));
  EXPECT_TRUE(port.intactAtStop);
  EXPECT_EQ(clip.Size, 0);
  EXPECT_EQ(clip.WaveData(), nullptr);
  EXPECT_STREQ(clip.FileName.data(), "");
  EXPECT_EQ(clip.Frame, 0);
}

TEST_F(SoundTest, PlayingAgainWhileASoundPlaysLeavesTheFirstPlaying) {
  const std::string first = MakeFile("first.wav", wave);
  const std::string second = MakeFile("second.wav", wave + "more");
  ObSound a(first.c_str()), b(second.c_str());
  a.Play();
  a.Play();
  b.Play();
  EXPECT_EQ(port.events, (std::vector<std::string>{"play 116", "busy", "busy"}));
  EXPECT_EQ(port.playing, a.WaveData());
}

TEST_F(SoundTest, AClipWithoutDataPlaysNothing) {
  ObSound clip;
  clip.Play();
  EXPECT_EQ(port.playing, nullptr);
  for (const std::string& e : port.events) EXPECT_EQ(e.rfind("play ", 0), std::string::npos) << e;
}

TEST_F(SoundTest, DestroyingAPlayingClipStopsItBeforeTheDataGoes) {
  const std::string path = MakeFile("bell.wav", wave);
  auto clip = std::make_unique<ObSound>(path.c_str());
  clip->Play();
  clip.reset();
  ASSERT_EQ(port.events, (std::vector<std::string>{"play 116", "stop"}));
  EXPECT_TRUE(port.intactAtStop);
  EXPECT_EQ(port.playing, nullptr);
}

TEST_F(SoundTest, LoadingIntoAClipThatPlaysStopsItFirst) {
  const std::string first = MakeFile("first.wav", wave);
  const std::string second = MakeFile("second.wav", "RIFF");
  ObSound clip(first.c_str());
  clip.Play();
  EXPECT_EQ(clip.GetSound(second.c_str()), 1);
  EXPECT_EQ(port.events, (std::vector<std::string>{"play 116", "stop"}));
  EXPECT_TRUE(port.intactAtStop);
  EXPECT_EQ(clip.Size, 4);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(clip.WaveData()), 4), "RIFF");
}

TEST_F(SoundTest, StopReachesThePortAndTheSilentPortTakesOverWhenRemoved) {
  ObSound::Stop();
  EXPECT_EQ(port.events, std::vector<std::string>{"stop"});
  InstallSoundPort(nullptr);
  EXPECT_NE(&CurrentSoundPort(), &port);
  const std::string path = MakeFile("bell.wav", wave);
  ObSound clip(path.c_str());
  clip.Play();  // silent, and harmless
  ObSound::Stop();
  EXPECT_EQ(port.events, std::vector<std::string>{"stop"});
}

}  // namespace
}  // namespace kel
