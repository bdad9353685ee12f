// Where wave sounds go. The desktop installs its player at start; until then sounds are silent.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kel {

class SoundPort {
 public:
  virtual ~SoundPort() = default;
  // Starts the complete wave file at data playing and returns at once. Does nothing while another
  // sound still plays, or when data is null. data stays valid until Stop.
  virtual void PlayAsync(const uint8_t* data, size_t size) = 0;
  // Stops whatever sound is playing; after it returns the data is no longer read.
  virtual void Stop() = 0;
};

// The port ObSound plays through (a silent one when none is installed). Not owned.
SoundPort& CurrentSoundPort();
void InstallSoundPort(SoundPort* port);  // null: back to the silent one

}  // namespace kel
