// A Qt file device's reason for failing, in the program's own Japanese.
#pragma once

#include <QCoreApplication>
#include <QFileDevice>
#include <QString>

#include "model/system_error.h"

namespace kel {

// Qt words a reason as the C library does, except a few it translates itself (with Qt's Japanese
// texts installed, in other words than the program's): each becomes the program's text.
inline QString SystemReason(const QFileDevice& file) {
  QString reason = file.errorString();
  for (const char* english : {"Permission denied", "Too many open files",
                              "No such file or directory", "No space left on device"})
    if (reason == QCoreApplication::translate("QIODevice", english))
      reason = QString::fromLatin1(english);
  return QString::fromStdString(JapaneseSystemReason(reason.toStdString()));
}

}  // namespace kel
