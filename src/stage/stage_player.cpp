#include "stage/stage_player.h"

#include <QPainter>
#include <algorithm>
#include <vector>

#include "document/document.h"
#include "model/stage_render.h"

namespace kel {

namespace {

QRect ToQRect(const StageRect& r) {
  return r.Empty() ? QRect() : QRect(int(r.x), int(r.y), int(r.width), int(r.height));
}

}  // namespace

StagePlayer::StagePlayer(Document& doc, QObject* parent)
    : QObject(parent), doc_(doc), motion_(kel::StageSize{640, 480}, 0) {
  timer_.setTimerType(Qt::PreciseTimer);
  timer_.setInterval(kTickMs);
  connect(&timer_, &QTimer::timeout, this, &StagePlayer::StepAndDraw);

  const auto edited = [this](ObSpriteData* sprite) { ObjectEdited(sprite); };
  connect(&doc_, &Document::paramsChanged, this, edited);
  connect(&doc_, &Document::framesChanged, this, edited);
  connect(&doc_, &Document::locationsChanged, this, edited);
  connect(&doc_, &Document::soundChanged, this, edited);
  connect(&doc_, &Document::slotsChanged, this,
          [this](ObSpriteData* sprite, int) { ObjectEdited(sprite); });
  connect(&doc_, &Document::objectInserted, this, [this](int) { ListChanged(); });
  connect(&doc_, &Document::objectRemoved, this, [this](ObSpriteData*) { ListChanged(); });
  connect(&doc_, &Document::listReset, this, [this] {
    hidden_.clear();
    ListChanged();
  });
  connect(&doc_, &Document::batchFinished, this, &StagePlayer::Sync);
  Restart();
}

StagePlayer::~StagePlayer() = default;

void StagePlayer::SetStageSize(QSize size) {
  size = size.expandedTo({1, 1});
  motion_.Restart(doc_.Objects(), {size.width(), size.height()}, motion_.Seed());
  SetBackgroundImage(backgroundImage_);  // scaled again, and everything redrawn
}

void StagePlayer::SetSeed(uint64_t seed) {
  motion_.Restart(doc_.Objects(), motion_.Stage(), seed);
  Redraw();
}

void StagePlayer::SetSpeed(double factor) {
  speed_ = std::clamp(factor, 0.25, 4.0);
  timer_.setInterval(int(kTickMs / speed_ + 0.5));
}

void StagePlayer::SetBackground(QColor colour) {
  background_ = colour;
  SetBackgroundImage(backgroundImage_);
}

void StagePlayer::SetBackgroundImage(const QImage& image) {
  backgroundImage_ = image;
  backdrop_ = QImage();
  if (!image.isNull()) {
    backdrop_ = QImage(StageSize(), QImage::Format_ARGB32_Premultiplied);
    backdrop_.fill(seeThrough_ ? QColor(Qt::transparent) : background_);
    QPainter p(&backdrop_);
    p.drawImage(backdrop_.rect(), image);
  }
  Redraw();
}

void StagePlayer::SetSeeThrough(bool on) {
  seeThrough_ = on;
  SetBackgroundImage(backgroundImage_);
}

void StagePlayer::SetKeepsPicture(bool on) {
  keepsPicture_ = on;
  Redraw();
}

void StagePlayer::SetShown(const ObSpriteData* sprite, bool shown) {
  if (shown)
    hidden_.erase(sprite);
  else
    hidden_.insert(sprite);
  Redraw();
}

void StagePlayer::Play() {
  if (timer_.isActive()) return;
  timer_.start();
  emit playingChanged(true);
}

void StagePlayer::Pause() {
  if (!timer_.isActive()) return;
  timer_.stop();
  emit playingChanged(false);
}

void StagePlayer::StepOnce() {
  Pause();
  StepAndDraw();
}

void StagePlayer::Restart() {
  Seek(0);
  PlaySounds();
}

void StagePlayer::Seek(int64_t tick) {
  edited_.clear();
  listChanged_ = false;
  motion_.Seek(doc_.Objects(), tick);
  Redraw();
}

void StagePlayer::StepAndDraw() {
  Sync();
  motion_.Step(doc_.Objects());
  DrawChanges();
  PlaySounds();
}

void StagePlayer::PlaySounds() {
  const SpriteList& list = doc_.Objects();
  const auto& states = motion_.States();
  for (size_t i = 0; i < list.size() && i < states.size(); ++i)
    if (states[i].soundDue && Shown(list[i].get()) && list[i]->Sound()) list[i]->Sound()->Play();
}

void StagePlayer::ObjectEdited(ObSpriteData* sprite) {
  edited_.insert(sprite);
  if (!doc_.InBatch()) Sync();
}

void StagePlayer::ListChanged() {
  listChanged_ = true;
  // An object is taken out of the list after it is announced: the stage follows once it has
  // gone.
  if (!doc_.InBatch()) QTimer::singleShot(0, this, &StagePlayer::Sync);
}

void StagePlayer::Sync() {
  if (doc_.InBatch()) return;
  if (listChanged_) {
    edited_.clear();
    listChanged_ = false;
    // Objects left out that are no longer in the list (nor in the history's steps we can
    // see) keep their mark: undo brings the same object back.
    motion_.Seek(doc_.Objects(), motion_.Tick());
    Redraw();
    return;
  }
  if (edited_.empty()) return;
  for (const ObSpriteData* sprite : edited_)
    motion_.Recompute(doc_.Objects(), doc_.IndexOf(sprite));
  edited_.clear();
  Redraw();
}

void StagePlayer::Redraw() {
  const QSize size = StageSize();
  if (!keepsPicture_)
    picture_ = QImage();
  else if (picture_.size() != size)
    picture_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
  drawnRects_ = {QRect(QPoint(), size)};
  DrawChanges();
}

std::vector<bool> StagePlayer::ShownFlags() const {
  const SpriteList& list = doc_.Objects();
  std::vector<bool> shown(list.size());
  for (size_t i = 0; i < list.size(); ++i) shown[i] = Shown(list[i].get());
  return shown;
}

void StagePlayer::DrawChanges() {
  const SpriteList& list = doc_.Objects();
  const auto& states = motion_.States();
  const std::vector<bool> shown = ShownFlags();
  const QRect stage(QPoint(), StageSize());
  std::vector<QRect> rects = drawnRects_;  // where they were, and where they are
  drawnRects_.clear();
  for (size_t i = 0; i < list.size() && i < states.size(); ++i)
    if (shown[i]) drawnRects_.push_back(ToQRect(ObjectRect(*list[i], states[i])) & stage);
  rects.insert(rects.end(), drawnRects_.begin(), drawnRects_.end());
  changedPieces_ = DisjointCover(std::move(rects));
  changed_ = QRegion();
  for (const QRect& r : changedPieces_) changed_ += r;
  if (keepsPicture_) {
    StageBuffer buffer{reinterpret_cast<uint32_t*>(picture_.bits()), picture_.width(),
                       picture_.height(), int(picture_.bytesPerLine() / 4)};
    const std::vector<int> order = DrawOrder(list);
    for (const QRect& r : changedPieces_) DrawPart(buffer, r, order, shown);
  }
  emit pictureChanged();
}

void StagePlayer::DrawPart(StageBuffer& buffer, const QRect& r, const std::vector<int>& order,
                           const std::vector<bool>& shown) const {
  const StageRect clip{r.x(), r.y(), r.width(), r.height()};
  if (backdrop_.isNull()) {
    FillStage(buffer, seeThrough_ ? 0u : (0xFF000000u | (background_.rgb() & 0xFFFFFFu)), clip);
  } else {
    const StageRect part = clip.Intersected(buffer.Area());
    for (int64_t y = part.y; y < part.y + part.height; ++y)
      std::copy_n(reinterpret_cast<const uint32_t*>(backdrop_.constScanLine(int(y))) + part.x,
                  part.width, buffer.At(part.x, y));
  }
  DrawStage(buffer, doc_.Objects(), motion_.States(), order, shown, clip);
}

QRegion StagePlayer::InFewPieces(const QRegion& region) {
  return region.rectCount() > 16 ? QRegion(region.boundingRect()) : region;
}

std::vector<QRect> StagePlayer::DisjointCover(std::vector<QRect> rects) {
  std::erase_if(rects, [](const QRect& r) { return r.isEmpty(); });
  if (rects.size() > kMaxCoverRects) {
    QRect all;
    for (const QRect& r : rects) all |= r;
    return {all};
  }
  // Rectangles that overlap become their bounding rectangle, until none overlap.
  for (bool merged = true; merged;) {
    merged = false;
    for (size_t i = 0; i < rects.size(); ++i)
      for (size_t j = i + 1; j < rects.size(); ++j)
        if (rects[i].intersects(rects[j])) {
          rects[i] |= rects[j];
          rects.erase(rects.begin() + std::ptrdiff_t(j));
          j = i;  // the grown one may now meet those already passed
          merged = true;
        }
  }
  return rects;
}

void StagePlayer::Render(const QRect& area, std::vector<uint32_t>& scratch,
                         const BandShown& show) const {
  const QRect r = area & QRect(QPoint(), StageSize());
  if (r.isEmpty()) return;
  const std::vector<bool> shown = ShownFlags();
  const std::vector<int> order = DrawOrder(doc_.Objects());
  const int rows = std::clamp(kBandPixels / r.width(), 1, r.height());
  if (scratch.size() < size_t(r.width()) * size_t(rows))
    scratch.resize(size_t(r.width()) * size_t(rows));
  for (int y = r.top(); y <= r.bottom(); y += rows) {
    const QRect band(r.left(), y, r.width(), std::min(rows, r.bottom() + 1 - y));
    StageBuffer buffer{.pixels = scratch.data(),
                       .width = band.width(),
                       .height = band.height(),
                       .stride = band.width(),
                       .x0 = band.x(),
                       .y0 = band.y()};
    DrawPart(buffer, band, order, shown);
    const QImage picture(reinterpret_cast<const uchar*>(scratch.data()), band.width(),
                         band.height(), band.width() * 4, QImage::Format_ARGB32_Premultiplied);
    show(picture, band.topLeft());
  }
}

QRegion StagePlayer::OpaqueIn(const QImage& picture, QPoint at) {
  // Row by row, runs of pixels that are not see-through.
  QVector<QRect> runs;
  const int w = picture.width(), h = picture.height();
  for (int y = 0; y < h; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(picture.constScanLine(y));
    for (int x = 0; x < w;) {
      if (row[x] >> 24 == 0) {
        ++x;
        continue;
      }
      const int start = x;
      while (x < w && row[x] >> 24 != 0) ++x;
      runs.push_back(QRect(at.x() + start, at.y() + y, x - start, 1));
    }
  }
  QRegion region;
  region.setRects(runs.constData(), int(runs.size()));
  return region;
}

QRegion StagePlayer::Covered() const {
  QRegion covered;
  for (const QRect& r : drawnRects_) covered += r;
  return covered;
}

QRegion StagePlayer::OpaqueRegion() const {
  QRegion region;
  std::vector<uint32_t> scratch;
  for (const QRect& r : Covered()) {
    if (keepsPicture_)
      region += OpaqueIn(QImage(picture_.constScanLine(r.y()) + 4 * r.x(), r.width(), r.height(),
                                picture_.bytesPerLine(), picture_.format()),
                         r.topLeft());
    else
      Render(r, scratch,
             [&](const QImage& picture, QPoint at) { region += OpaqueIn(picture, at); });
  }
  return region;
}

}  // namespace kel
