#include "document/document.h"

#include <algorithm>

#include "model/text.h"

namespace kel {

QString ObjectName(const ObSpriteData& sprite) {
  return QString::fromStdString(Cp932ToUtf8Lossy(sprite.Name()));
}

Document::Document(QObject* parent) : QObject(parent) {
  objects_.reserve(33);
  history_.setUndoLimit(kUndoLimit);
  connect(&history_, &QUndoStack::cleanChanged, this,
          [this](bool clean) { emit modifiedChanged(!clean); });
}

Document::~Document() {
  // The steps may hold objects and pictures; they go before the list, as nothing in them points
  // into it once it is gone.
  history_.clear();
}

ObSpriteData* Document::Object(int index) const {
  return index >= 0 && index < Count() ? objects_[size_t(index)].get() : nullptr;
}

int Document::IndexOf(const ObSpriteData* sprite) const {
  for (int i = 0; i < Count(); ++i)
    if (objects_[size_t(i)].get() == sprite) return i;
  return -1;
}

void Document::SetCurrent(int index) {
  if (index < 0 || index >= Count() || index == current_) return;
  current_ = index;
  emit currentChanged(Current());
}

void Document::SetFileName(const QString& path) {
  fileName_ = path.isEmpty() ? QString::fromLatin1(kUntitled) : path;
  untitled_ = path.isEmpty();
  emit fileNameChanged(fileName_);
}

void Document::Reset(SpriteList objects, const QString& path) {
  // The history may hold objects that are no longer in the list, and steps that point at the
  // ones that are: it goes first. The views show the new list once.
  const DocumentBatch batch(*this);
  history_.clear();
  for (const auto& sprite : objects_) Removing(sprite.get());
  objects_ = std::move(objects);
  objects_.reserve(33);
  current_ = objects_.empty() ? -1 : 0;
  SetFileName(path);
  emit listReset();
  emit currentChanged(Current());
  history_.resetClean();
  history_.setClean();
}

void Document::Push(QUndoCommand* step) {
  history_.push(step);
}

void Document::InsertObject(int index, std::unique_ptr<ObSpriteData> sprite) {
  index = std::clamp(index, 0, Count());
  objects_.insert(objects_.begin() + index, std::move(sprite));
  const bool wasEmpty = current_ < 0;
  if (!wasEmpty && index <= current_) ++current_;
  emit objectInserted(index);
  if (wasEmpty) {
    current_ = index;
    emit currentChanged(Current());
  }
}

std::unique_ptr<ObSpriteData> Document::TakeObject(int index) {
  if (index < 0 || index >= Count()) return nullptr;
  std::unique_ptr<ObSpriteData> sprite = std::move(objects_[size_t(index)]);
  objects_.erase(objects_.begin() + index);
  Removing(sprite.get());
  const bool wasCurrent = index == current_;
  // The object after the one that went takes its place; after the last one, its predecessor.
  if (index < current_ || current_ >= Count()) --current_;
  if (wasCurrent) emit currentChanged(Current());
  return sprite;
}

void Document::Removing(ObSpriteData* sprite) {
  // Its sound is heard no more: the object waits in the history, silent.
  if (sprite->Sound()) ObSound::Stop();
  emit objectRemoved(sprite);
}

void Document::SwapName(ObSpriteData& sprite, std::string& name) {
  sprite.SwapName(name);
  emit objectRenamed(&sprite);
}

void Document::SetParams(ObSpriteData& sprite, const ObSpriteParams& params) {
  sprite.SetParams(params);
  emit paramsChanged(&sprite);
}

void Document::SwapSlot(ObSpriteData& sprite, int frame, bool mask, FrameSlot& slot) {
  sprite.SwapSlot(int16_t(frame), mask, slot);
  emit slotsChanged(&sprite, frame);
}

ObSpriteData::TakenFrame Document::TakeFrame(ObSpriteData& sprite, int frame) {
  ObSpriteData::TakenFrame taken = sprite.TakeFrame(int16_t(frame));
  emit framesChanged(&sprite);
  return taken;
}

void Document::InsertFrame(ObSpriteData& sprite, int frame, ObSpriteData::TakenFrame taken) {
  sprite.InsertFrame(int16_t(frame), std::move(taken));
  emit framesChanged(&sprite);
}

std::vector<ObSpriteData::ImagePair> Document::TakeFramesFrom(ObSpriteData& sprite, int count) {
  std::vector<ObSpriteData::ImagePair> taken = sprite.TakeFramesFrom(count);
  emit framesChanged(&sprite);
  return taken;
}

void Document::AppendFrames(ObSpriteData& sprite, std::vector<ObSpriteData::ImagePair> frames) {
  sprite.AppendFrames(std::move(frames));
  emit framesChanged(&sprite);
}

void Document::SwapSound(ObSpriteData& sprite, std::unique_ptr<ObSound>& sound) {
  if (sprite.Sound()) ObSound::Stop();
  sprite.SwapSound(sound);
  emit soundChanged(&sprite);
}

void Document::SwapLocations(ObSpriteData& sprite, std::vector<TPoint>& locations) {
  sprite.SwapLocations(locations);
  emit locationsChanged(&sprite);
}

void Document::SwapContents(ObSpriteData& sprite, ObSpriteData& other) {
  if (sprite.Sound()) ObSound::Stop();
  sprite.SwapContents(other);
  emit paramsChanged(&sprite);
  emit framesChanged(&sprite);
  emit locationsChanged(&sprite);
  emit soundChanged(&sprite);
}

void Document::Reveal(const ObSpriteData* sprite, GridCell cell) {
  const int index = IndexOf(sprite);
  if (index < 0) return;
  SetCurrent(index);
  if (cell.col > 0 && cell.row > 0) emit cellRevealed(cell);
}

void Document::BeginBatch() {
  if (batch_++ == 0) emit batchStarted();
}

void Document::EndBatch() {
  if (batch_ > 0 && --batch_ == 0) emit batchFinished();
}

}  // namespace kel
