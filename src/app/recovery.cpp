#include "app/recovery.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <algorithm>
#include <ostream>

#include "app/file_saver.h"
#include "document/document.h"
#include "files/object_file.h"

namespace kel {

namespace {

QString NotePath(const QString& copy) {
  return copy.left(copy.size() - 4) + QStringLiteral(".json");
}

QString LockPath(const QString& copy) {
  return copy.left(copy.size() - 4) + QStringLiteral(".lock");
}

}  // namespace

Recovery::Recovery(Document& doc, const QString& folder, QObject* parent)
    : QObject(parent), doc_(doc), folder_(folder) {
  QDir().mkpath(folder_);
  // The copies are the user's work: for the user's eyes only.
  QFile::setPermissions(folder_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  // The process number names the copy for whoever looks; the random part keeps a number the
  // system gives again from meeting an old copy.
  const QString id = QStringLiteral("%1-%2")
                         .arg(QCoreApplication::applicationPid())
                         .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
  copy_ = QDir(folder_).filePath(id + QStringLiteral(".kel"));
  note_ = NotePath(copy_);
  lock_ = std::make_unique<QLockFile>(LockPath(copy_));
  lock_->setStaleLockTime(0);
  lock_->tryLock(0);
  const auto changed = [this] {
    changed_ = true;
    // Work saved or given up (New, Open, No to the save question) has no copy from then on.
    if (!doc_.Modified()) RemoveCopy();
  };
  connect(&doc_.History(), &QUndoStack::indexChanged, this, changed);
  connect(&doc_.History(), &QUndoStack::cleanChanged, this, changed);
  connect(&doc_, &Document::fileNameChanged, this, changed);
  connect(&doc_, &Document::listReset, this, changed);
  connect(&timer_, &QTimer::timeout, this, &Recovery::SaveWhenQuiet);
  timer_.setSingleShot(true);
  timer_.start(kIntervalMs);
  if (QCoreApplication::instance()) QCoreApplication::instance()->installEventFilter(this);
}

bool Recovery::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
      sinceInput_.start();
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

bool Recovery::SaveWhenQuiet() {
  if (sinceInput_.isValid() && sinceInput_.elapsed() < kQuietMs) {
    timer_.start(int(kQuietMs - sinceInput_.elapsed()) + 1);
    return false;
  }
  timer_.start(kIntervalMs);
  return SaveNow();
}

Recovery::~Recovery() {
  RemoveCopy();
  lock_->unlock();
}

QString Recovery::DefaultFolder() {
  return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
      .filePath(QStringLiteral("keledit/recovery"));
}

void Recovery::RemoveCopy() {
  QFile::remove(copy_);
  QFile::remove(note_);
}

bool Recovery::SaveNow() {
  if (!doc_.Modified()) {
    RemoveCopy();
    changed_ = false;
    return true;
  }
  if (!changed_ && QFile::exists(copy_)) return true;
  FileSaver saver;
  bool ok =
      saver.Save(copy_, [this](std::ostream& out) { return WriteObjectFile(out, doc_.Objects()); });
  if (ok) {
    const QJsonObject note{
        {QStringLiteral("file"), doc_.Untitled() ? QString() : doc_.FileName()},
        {QStringLiteral("saved"), QDateTime::currentDateTime().toString(Qt::ISODateWithMs)}};
    const QByteArray bytes = QJsonDocument(note).toJson();
    ok = saver.Save(note_, [&bytes](std::ostream& out) {
      out.write(bytes.constData(), bytes.size());
      return bool(out);
    });
  }
  if (!ok) {
    emit failed(QStringLiteral("変更内容を自動保存できませんでした (%1): %2")
                    .arg(QDir::toNativeSeparators(folder_), saver.Error()));
    return false;
  }
  changed_ = false;
  return true;
}

std::vector<Recovery::Orphan> Recovery::FindOrphans() const {
  std::vector<Orphan> found;
  const QDir dir(folder_);
  for (const QString& name : dir.entryList({QStringLiteral("*.kel")}, QDir::Files)) {
    const QString copy = dir.filePath(name);
    if (copy == copy_) continue;
    // A program still running holds its lock; one that has died holds it no longer. Only the
    // process decides, never the lock's age: a program may run for days.
    auto lock = std::make_shared<QLockFile>(LockPath(copy));
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) continue;
    QFile noteFile(NotePath(copy));
    const QJsonObject note = noteFile.open(QIODevice::ReadOnly)
                                 ? QJsonDocument::fromJson(noteFile.readAll()).object()
                                 : QJsonObject();
    QDateTime saved =
        QDateTime::fromString(note.value(QStringLiteral("saved")).toString(), Qt::ISODateWithMs);
    if (!saved.isValid()) saved = QFileInfo(copy).lastModified();
    found.push_back({copy, note.value(QStringLiteral("file")).toString(), saved, lock});
  }
  std::sort(found.begin(), found.end(),
            [](const Orphan& a, const Orphan& b) { return a.saved > b.saved; });
  return found;
}

void Recovery::Remove(const Orphan& orphan) {
  QFile::remove(orphan.copy);
  QFile::remove(NotePath(orphan.copy));
  if (orphan.lock) orphan.lock->unlock();
}

}  // namespace kel
