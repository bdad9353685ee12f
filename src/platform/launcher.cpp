// Starting other programs: the command line as written when its program can be found, else the
// desktop's default application for the file.
#include "platform/launcher.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace kel {

QtLaunchPort::QtLaunchPort()
    : openUrl_([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {}

QString QtLaunchPort::FindProgram(const QString& program, const QString& folder) {
  if (program.isEmpty()) return {};
  // A name alone is looked for on the PATH only, never in the working folder: a file that
  // happens to lie beside the picture must not be run in the program's place.
  if (!program.contains(QLatin1Char('/'))) return QStandardPaths::findExecutable(program);
  const QFileInfo info(QDir(folder), program);
  return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
}

bool QtLaunchPort::Launch(const QString& commandLine, const QString& folder, const QString& file) {
  const QStringList words = QProcess::splitCommand(commandLine);
  if (!words.isEmpty()) {
    const QString program = FindProgram(words.first(), folder);
    // The arguments name the file relative to the folder, so the program starts there.
    if (!program.isEmpty() && QProcess::startDetached(program, words.mid(1), folder)) return true;
  }
  // No such program here: the picture opens in whatever the desktop edits pictures with.
  if (file.isEmpty() || !openUrl_) return false;
  return openUrl_(QUrl::fromLocalFile(file));
}

QStringList ScriptedLaunchPort::CommandLines() const {
  QStringList out;
  for (const Request& r : requests_) out << r.commandLine;
  return out;
}

bool ScriptedLaunchPort::Launch(const QString& commandLine, const QString& folder,
                                const QString& file) {
  requests_.push_back({commandLine, folder, file});
  if (answers_.empty()) return true;
  const bool started = answers_.front();
  answers_.pop_front();
  return started;
}

}  // namespace kel
