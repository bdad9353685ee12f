#include "app/settings.h"

#include <QFileInfo>
#include <QSettings>

namespace kel {

namespace {

const char kGeometryKey[] = "MainWindow/Geometry";
const char kRecentKey[] = "RecentFiles/Files";

QSettings Store() {
  return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("keledit"),
                   QStringLiteral("keledit"));
}

}  // namespace

QStringList WithRecentFile(const QStringList& list, const QString& path) {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  QStringList result{absolute};
  for (const QString& entry : list) {
    if (result.size() == kRecentFileCount) break;
    if (!entry.isEmpty() && QFileInfo(entry).absoluteFilePath() != absolute) result << entry;
  }
  return result;
}

QByteArray SavedWindowGeometry() {
  return Store().value(QLatin1String(kGeometryKey)).toByteArray();
}

void SaveWindowGeometry(const QByteArray& geometry) {
  Store().setValue(QLatin1String(kGeometryKey), geometry);
}

QStringList SavedRecentFiles() {
  QStringList files = Store().value(QLatin1String(kRecentKey)).toStringList();
  files.removeAll(QString());
  if (files.size() > kRecentFileCount) files = files.mid(0, kRecentFileCount);
  return files;
}

void SaveRecentFiles(const QStringList& files) {
  Store().setValue(QLatin1String(kRecentKey), files);
}

}  // namespace kel
