// The program's only setting: the main window's size and place, and the object files used last.
// Kept where Qt keeps settings on this platform (~/.config/keledit/keledit.conf).
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kel {

// How many object files the File menu lists.
constexpr int kRecentFileCount = 8;

// The list with path at its head: each file once (by its absolute path), the latest first, at
// most kRecentFileCount.
QStringList WithRecentFile(const QStringList& list, const QString& path);

QByteArray SavedWindowGeometry();
void SaveWindowGeometry(const QByteArray& geometry);
QStringList SavedRecentFiles();
void SaveRecentFiles(const QStringList& files);

}  // namespace kel
