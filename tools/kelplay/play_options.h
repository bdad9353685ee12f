// kelplay's command line: kelplay FILE.kel [--stage] [--seed N] [--speed X] [--objects NAME,...]
// [--size WxH] [--tick N] [--output PICTURE].
#pragma once

#include <QSize>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace kel {

struct PlayOptions {
  enum Kind { Play, Help, Error } kind = Play;
  QString message;  // what was wrong, for Error
  QString file;
  bool stage = false;            // in a window instead of over the desktop
  std::optional<uint64_t> seed;  // none: a new one (0 for --output)
  double speed = 1.0;            // 0.25 .. 4
  QStringList objects;           // empty: every object
  std::optional<QSize> size;     // none: the screen's (640 x 480 in a window or a picture)
  int64_t tick = 0;              // where the stage starts, or the tick --output draws
  QString output;                // a picture of the stage instead of playing it
};

QString PlayUsageText();
PlayOptions ParsePlayOptions(const QStringList& args);

}  // namespace kel
