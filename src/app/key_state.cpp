#include "app/key_state.h"

#include <QGuiApplication>

#ifdef KEL_HAVE_X11
#include <X11/XKBlib.h>
#include <X11/keysym.h>

#include <QtGui/qguiapplication_platform.h>
#endif

namespace kel {

LockKeyState QueryLockKeys() {
  LockKeyState state;
#ifdef KEL_HAVE_X11
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  Display* display = x11 ? x11->display() : nullptr;
  if (!display) return state;
  XkbStateRec xkb;
  if (XkbGetState(display, XkbUseCoreKbd, &xkb) != Success) return state;
  // Which modifier a lock key sets depends on the keymap: ask for it by the key's symbol.
  const unsigned caps = XkbKeysymToModifiers(display, XK_Caps_Lock);
  const unsigned num = XkbKeysymToModifiers(display, XK_Num_Lock);
  state.known = true;
  state.capsLock = caps != 0 && (xkb.locked_mods & caps) != 0;
  state.numLock = num != 0 && (xkb.locked_mods & num) != 0;
#endif
  return state;
}

}  // namespace kel
