// The zoom of the views that show pictures (the frame grid, the test window): whole steps from
// 1 to 8 times, changed by Ctrl with plus, minus and 0, or by the mouse wheel with Ctrl.
#pragma once

#include <QKeyEvent>
#include <QWheelEvent>
#include <algorithm>

namespace kel {

inline constexpr int kMinZoom = 1;
inline constexpr int kMaxZoom = 8;

// The zoom a key or wheel turn asks for, from zoom; zoom itself when it asks for none.
// Ctrl with plus (or '=', plus's unshifted key on many keyboards; Shift may be held, as for '+'
// on a Japanese keyboard) one step larger, Ctrl with minus one smaller, Ctrl+0 back to 1.
inline int ZoomAfterKey(int zoom, int key, Qt::KeyboardModifiers modifiers) {
  const Qt::KeyboardModifiers mods = modifiers & ~(Qt::KeypadModifier | Qt::ShiftModifier);
  if (mods != Qt::ControlModifier) return zoom;
  switch (key) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
      return std::min(zoom + 1, kMaxZoom);
    case Qt::Key_Minus:
      return std::max(zoom - 1, kMinZoom);
    case Qt::Key_0:
      return kMinZoom;
    default:
      return zoom;
  }
}

// Whether the key is one of the zoom keys (whether or not the zoom can still change).
inline bool IsZoomKey(int key, Qt::KeyboardModifiers modifiers) {
  return ZoomAfterKey(2, key, modifiers) != 2;
}

// Ctrl with the wheel turned away from the user: one step larger; towards: one smaller.
inline int ZoomAfterWheel(int zoom, const QWheelEvent& e) {
  if ((e.modifiers() & ~Qt::KeypadModifier) != Qt::ControlModifier) return zoom;
  const int dy = e.angleDelta().y();
  if (dy > 0) return std::min(zoom + 1, kMaxZoom);
  if (dy < 0) return std::max(zoom - 1, kMinZoom);
  return zoom;
}

}  // namespace kel
