// Recovery: what keeps unsaved work when the program does not end normally (a crash, a kill, a
// session that ends under it). While the document has changes that are not saved, a copy of it
// is written every kIntervalMs into the recovery folder (~/.local/share/keledit/recovery), as
// ID.kel beside ID.json, a note of the file it belongs to. ID.lock, held while the program runs,
// tells the copy of a program that has died from that of one still running. The copy goes as
// soon as nothing is unsaved (a save, changes given up by New or Open) and at the program's
// normal end (after the save-changes question, whose No gives the changes up).
#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <vector>

namespace kel {

class Document;

class Recovery : public QObject {
  Q_OBJECT
 public:
  static constexpr int kIntervalMs = 30000;
  // A copy that is due waits until the user has not typed or clicked for this long: writing a
  // large document takes a moment, which should not fall in the middle of work.
  static constexpr int kQuietMs = 2000;

  // A copy left by a program that ended without removing it; its lock is held while this lives.
  struct Orphan {
    QString copy;      // ID.kel
    QString original;  // the document's file; empty when it was untitled
    QDateTime saved;   // when the copy was written
    std::shared_ptr<QLockFile> lock;
  };

  // Copies go into folder (made when needed); writing starts at once, every kIntervalMs.
  explicit Recovery(Document& doc, const QString& folder = DefaultFolder(),
                    QObject* parent = nullptr);
  // The normal end: the copy goes.
  ~Recovery() override;
  static QString DefaultFolder();

  // Brings the copy up to date: written when the document changed since the last copy, removed
  // when the document is clean. false (after failed()) when it could not be written.
  bool SaveNow();
  // What the timer calls: SaveNow, unless the user typed or clicked within kQuietMs (then it
  // tries again when that time is up). true when it saved.
  bool SaveWhenQuiet();
  const QString& CopyPath() const { return copy_; }

  // The copies of programs that are no longer running, the newest first. Copies of running
  // programs are not among them.
  std::vector<Orphan> FindOrphans() const;
  // Removes an orphan's copy, its note and its lock.
  static void Remove(const Orphan& orphan);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 signals:
  // A copy could not be written: why, in the user's language.
  void failed(const QString& message);

 private:
  void RemoveCopy();

  Document& doc_;
  QString folder_;
  QString copy_, note_;
  std::unique_ptr<QLockFile> lock_;
  QTimer timer_;
  QElapsedTimer sinceInput_;  // the user's last key or click
  bool changed_ = true;       // since the last copy
};

}  // namespace kel
