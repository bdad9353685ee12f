// StagePlayer: the objects of a document running on a stage, tick by tick, drawn into a picture
// that the stage window shows, or part by part into the desktop player's window. It holds only the
// stage's own settings (size, seed, speed, background, the objects left out); the objects are the
// document's, and the motion rules are the model's (model/motion.h). An edit shows at once: the
// object it changed is computed afresh at the present tick.
#pragma once

#include <QColor>
#include <QImage>
#include <QObject>
#include <QRegion>
#include <QSize>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <set>
#include <vector>

#include "model/motion.h"

namespace kel {

struct StageBuffer;
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
  // Whether the player keeps a picture of the whole stage, as the stage window and the picture
  // output show it (on at first). Without one (the desktop player, whose window has a picture of
  // its own) it only says where the stage changed, and Render draws any part on request.
  void SetKeepsPicture(bool on);
  // The stage as drawn at the present tick (ARGB32, premultiplied: pixels are opaque or 0); null
  // when no picture is kept.
  const QImage& Picture() const { return picture_; }
  // The part of the stage the last change redrew, and the rectangles it is drawn by.
  const QRegion& Changed() const { return changed_; }
  const std::vector<QRect>& ChangedPieces() const { return changedPieces_; }
  // The stage's pixels that are not see-through, as a region (the desktop player's shape).
  QRegion OpaqueRegion() const;
  // Those of a picture Render handed over, whose top-left pixel stands at at on the stage.
  static QRegion OpaqueIn(const QImage& picture, QPoint at);
  // Where the objects stand at present: only there is anything not see-through.
  QRegion Covered() const;

  // The rectangles to draw a region by: its own when it has few, else its bounding rectangle
  // (objects all over the stage, or the pixels of a shaped window): each piece would draw every
  // object over it again.
  static QRegion InFewPieces(const QRegion& region);
  // Rectangles that do not overlap and cover rects, each the bounding rectangle of some of them
  // (where the objects were and are: one piece for each group of objects that overlap); with
  // more than kMaxCoverRects, their bounding rectangle.
  static std::vector<QRect> DisjointCover(std::vector<QRect> rects);
  static constexpr size_t kMaxCoverRects = 512;
  // At most this many pixels are drawn at once by Render.
  static constexpr int kBandPixels = 1 << 16;
  // Draws the part area of the stage as it is at present, a band of rows at a time, each into
  // scratch (grown as needed) and handed to show with its place on the stage; the picture given
  // lives only until show returns.
  using BandShown = std::function<void(const QImage& picture, QPoint at)>;
  void Render(const QRect& area, std::vector<uint32_t>& scratch, const BandShown& show) const;

 signals:
  // The stage changed (Changed() says where), after a tick, a setting or an edit.
  void pictureChanged();
  void playingChanged(bool playing);

 private:
  void StepAndDraw();
  void Redraw();       // everything: settings changed, objects came or went
  void DrawChanges();  // only where objects were and are now
  void PlaySounds();
  std::vector<bool> ShownFlags() const;  // for each object of the list, whether it takes part
  // Draws the background and the objects of the stage inside r into buffer.
  void DrawPart(StageBuffer& buffer, const QRect& r, const std::vector<int>& order,
                const std::vector<bool>& shown) const;
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
  bool keepsPicture_ = true;
  QImage picture_;
  QRegion changed_;
  std::vector<QRect> changedPieces_;
  std::vector<QRect> drawnRects_;  // where each object shown stands on the stage now
  std::set<const ObSpriteData*> edited_;
  bool listChanged_ = false;
};

}  // namespace kel
