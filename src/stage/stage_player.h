// StagePlayer: the objects of a document running on a stage, tick by tick, drawn into a picture
// that the stage window and the desktop player show. It holds only the stage's own settings
// (size, seed, speed, background, the objects left out); the objects are the document's, and the
// motion rules are the model's (model/motion.h). An edit shows at once: the object it changed is
// computed afresh at the present tick.
#pragma once

#include <QColor>
#include <QImage>
#include <QObject>
#include <QRegion>
#include <QSize>
#include <QTimer>
#include <cstdint>
#include <set>

#include "model/motion.h"

namespace kel {

class Document;
class ObSpriteData;

class StagePlayer : public QObject {
  Q_OBJECT
 public:
  static constexpr int kTickMs = 100;  // one tick at speed x1

  explicit StagePlayer(Document& doc, QObject* parent = nullptr);
  ~StagePlayer() override;

  // The settings; each one starts the stage again from tick 0 except the speed, the background
  // and the objects shown.
  void SetStageSize(QSize size);
  QSize StageSize() const { return {motion_.Stage().width, motion_.Stage().height}; }
  void SetSeed(uint64_t seed);
  uint64_t Seed() const { return motion_.Seed(); }
  // 0.25 to 4: ticks come every 100 ms / factor.
  void SetSpeed(double factor);
  double Speed() const { return speed_; }
  // An opaque colour; with a picture set, the picture scaled to the stage lies over it.
  void SetBackground(QColor colour);
  QColor Background() const { return background_; }
  void SetBackgroundImage(const QImage& image);
  bool HasBackgroundImage() const { return !backgroundImage_.isNull(); }
  // A see-through background (the desktop player over a compositor): what the objects leave of
  // the background has alpha 0.
  void SetSeeThrough(bool on);
  // Whether an object takes part (all do unless left out).
  void SetShown(const ObSpriteData* sprite, bool shown);
  bool Shown(const ObSpriteData* sprite) const { return hidden_.count(sprite) == 0; }

  void Play();
  void Pause();
  bool Playing() const { return timer_.isActive(); }
  void StepOnce();  // one tick on (pauses)
  void Restart();   // tick 0, playing or paused as before
  void Seek(int64_t tick);
  int64_t Tick() const { return motion_.Tick(); }

  const Motion& State() const { return motion_; }
  Document& Doc() const { return doc_; }
  // The stage as drawn at the present tick (ARGB32, premultiplied: pixels are opaque or 0).
  const QImage& Picture() const { return picture_; }
  // The part of the picture the last change redrew.
  const QRegion& Changed() const { return changed_; }
  // The picture's pixels that are not see-through, as a region (the desktop player's shape).
  QRegion OpaqueRegion() const;

 signals:
  // The picture changed (Changed() says where), after a tick, a setting or an edit.
  void pictureChanged();
  void playingChanged(bool playing);

 private:
  void Tock();
  void StepAndDraw();
  void Redraw();       // everything: settings changed, objects came or went
  void DrawChanges();  // only where objects were and are now
  void PlaySounds();
  void ObjectEdited(ObSpriteData* sprite);
  void ListChanged();
  void Sync();  // brings pending edits in, once a batch of them has ended

  Document& doc_;
  Motion motion_;
  QTimer timer_;
  double speed_ = 1.0;
  QColor background_ = Qt::black;
  QImage backgroundImage_;  // as set
  QImage backdrop_;         // the background at the stage's size
  bool seeThrough_ = false;
  std::set<const ObSpriteData*> hidden_;
  QImage picture_;
  QRegion changed_;
  QRegion drawn_;  // where the objects stand in the picture now
  std::set<const ObSpriteData*> edited_;
  bool listChanged_ = false;
};

}  // namespace kel
