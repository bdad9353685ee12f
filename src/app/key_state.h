// The lock keys' states, as the keyboard reports them where the window system tells.
#pragma once

namespace kel {

struct LockKeyState {
  bool known = false;  // false: the window system does not tell (offscreen, Wayland)
  bool capsLock = false;
  bool numLock = false;
};

LockKeyState QueryLockKeys();

}  // namespace kel
