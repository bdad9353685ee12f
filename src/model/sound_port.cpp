#include "model/sound_port.h"

namespace kel {

namespace {

// Until the desktop installs its player, and on machines without one, sounds are silent.
class SilentSoundPort final : public SoundPort {
 public:
  void PlayAsync(const uint8_t*, size_t) override {}
  void Stop() override {}
};

SilentSoundPort silentPort;
SoundPort* currentPort = &silentPort;

}  // namespace

SoundPort& CurrentSoundPort() {
  return *currentPort;
}

void InstallSoundPort(SoundPort* port) {
  currentPort = port ? port : &silentPort;
}

}  // namespace kel
