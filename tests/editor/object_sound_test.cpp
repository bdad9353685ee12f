// Object commands and the sound of the shown object: deleting or clearing an object whose sound
// is playing silences it before its wave data goes, and the object shown next plays its own.
// Played through SDL's dummy audio driver, which drains queued sound in real time.
#include <cstdlib>
#include <memory>

#include "editor/object_fixture.h"
#include "platform/sdl_sound.h"
#include "support/sprite_setup.h"
#include "support/test_paths.h"

namespace kel::test {
namespace {

// A mono 16-bit PCM wave of the given length: long enough to be still playing when checked.
std::string Wave(double seconds) {
  const uint32_t rate = 22050;
  std::string data;
  for (uint32_t i = 0; i < uint32_t(seconds * rate); ++i)
    PutLe(data, uint16_t(int16_t((i % 64) * 200 - 6400)), 2);
  return MonoPcmWave(16, rate, data);
}

class ObjectSoundTest : public ThreeObjectsTest {
 protected:
  ObjectSoundTest() {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    port = std::make_unique<SdlSoundPort>();
    InstallSoundPort(port.get());
    WriteFileBytes(dir / "long.wav", Wave(3.0));
  }
  ~ObjectSoundTest() override {
    InstallSoundPort(nullptr);
    port->Stop();
  }
  // Gives object index a sound read from the wave file, at frame 1.
  void GiveSound(int index) {
    auto sound = std::make_unique<ObSound>((dir / "long.wav").c_str());
    ASSERT_GT(sound->Size, 0) << "the wave file was not read";
    sound->Frame = 1;
    SetSound(*list[size_t(index)], std::move(sound));
  }

  TempDir dir;
  std::unique_ptr<SdlSoundPort> port;
};

TEST_F(ObjectSoundTest, DeletingTheObjectWhoseSoundPlaysStopsIt) {
  ASSERT_TRUE(port->Available()) << "the dummy audio driver did not open";
  GiveSound(1);
  Show(1);
  ASSERT_TRUE(port->IsPlaying());
  const int started = port->SoundsStarted();

  commands->CmDeleteObject();  // the third object, now second, has no sound

  EXPECT_FALSE(port->IsPlaying());
  EXPECT_EQ(port->SoundsStarted(), started);
  EXPECT_EQ(dialog->CurrentSprite(), list[1].get());
}

TEST_F(ObjectSoundTest, TheObjectShownAfterADeletionPlaysItsSound) {
  ASSERT_TRUE(port->Available()) << "the dummy audio driver did not open";
  GiveSound(0);
  GiveSound(1);
  Show(0);
  ASSERT_TRUE(port->IsPlaying());
  const int started = port->SoundsStarted();

  // Still playing, the first object's sound would keep the next one from starting.
  commands->CmDeleteObject();

  EXPECT_EQ(port->SoundsStarted(), started + 1);
  EXPECT_TRUE(port->IsPlaying());
  EXPECT_EQ(Cell(1, 3), "long");
}

TEST_F(ObjectSoundTest, ClearingTheObjectStopsItsSound) {
  ASSERT_TRUE(port->Available()) << "the dummy audio driver did not open";
  GiveSound(2);
  Show(2);
  ASSERT_TRUE(port->IsPlaying());

  commands->CmClearObject();

  EXPECT_FALSE(port->IsPlaying());
  EXPECT_EQ(list[2]->Sound(), nullptr);
  EXPECT_EQ(Cell(1, 3), "");
}

}  // namespace
}  // namespace kel::test
