// A pointer shape for as long as a piece of work lasts: the busy pointer while a file is read.
#pragma once

#include <QGuiApplication>

namespace kel {

// Shows shape over every window of the program until it goes, however the work ends.
class CursorGuard {
 public:
  explicit CursorGuard(Qt::CursorShape shape) { QGuiApplication::setOverrideCursor(shape); }
  ~CursorGuard() { QGuiApplication::restoreOverrideCursor(); }
  CursorGuard(const CursorGuard&) = delete;
  CursorGuard& operator=(const CursorGuard&) = delete;
};

}  // namespace kel
