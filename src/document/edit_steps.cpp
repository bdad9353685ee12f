#include "document/edit_steps.h"

namespace kel {

EditStep::EditStep(Document& doc, const QString& text, ObSpriteData* sprite, GridCell cell,
                   QUndoCommand* parent)
    : QUndoCommand(text, parent), doc_(doc), sprite_(sprite), cell_(cell), top_(!parent) {}

void EditStep::Do(EditStep* child) {
  child->redo();
  done_ = true;
}

void EditStep::redo() {
  const DocumentBatch batch(doc_);
  if (done_) {
    done_ = false;  // carried out while it was made
  } else {
    Apply(true);
    QUndoCommand::redo();  // the children, in order
  }
  if (top_ && pushed_) doc_.Reveal(Shown(true), cell_);
  pushed_ = true;
}

void EditStep::undo() {
  const DocumentBatch batch(doc_);
  QUndoCommand::undo();  // the children, last first
  Apply(false);
  if (top_) doc_.Reveal(Shown(false), cell_);
}

void FillLocations(EditStep* step) {
  ObSpriteData* sprite = step->Sprite();
  if (sprite->Params().Behave != ObSpriteData::kFixedPosition ||
      sprite->Locations().size() >= size_t(sprite->FrameCount()))
    return;
  std::vector<TPoint> locations = sprite->Locations();
  locations.resize(size_t(sprite->FrameCount()));
  step->Do(new LocationsOp(step->Doc(), sprite, std::move(locations), step));
}

void ResizeFrames(EditStep* step, int count) {
  ObSpriteData* sprite = step->Sprite();
  if (count == sprite->FrameCount()) return;
  step->Do(new FrameCountOp(step->Doc(), sprite, count, step));
  if (sprite->Params().Behave == ObSpriteData::kFixedPosition &&
      sprite->Locations().size() > size_t(count)) {
    std::vector<TPoint> locations = sprite->Locations();
    locations.resize(size_t(count));
    step->Do(new LocationsOp(step->Doc(), sprite, std::move(locations), step));
  }
  FillLocations(step);
}

ParamsOp::ParamsOp(Document& doc, ObSpriteData* sprite, const ObSpriteParams& params,
                   int mergeField, QUndoCommand* parent, const QString& text)
    : EditStep(doc, text, sprite, {}, parent), params_(params), mergeField_(mergeField) {}

void ParamsOp::Apply(bool) {
  const ObSpriteParams now = sprite_->Params();
  doc_.SetParams(*sprite_, params_);
  params_ = now;
}

bool ParamsOp::mergeWith(const QUndoCommand* other) {
  const auto* next = dynamic_cast<const ParamsOp*>(other);
  if (!next || next->id() != id() || next->sprite_ != sprite_) return false;
  // This step keeps the values from before the first edit; the object already has the last.
  // Typed back to where it started, the step is no step at all.
  setObsolete(sprite_->Params() == params_);
  return true;
}

SlotOp::SlotOp(Document& doc, ObSpriteData* sprite, int frame, bool mask, FrameSlot slot,
               QUndoCommand* parent)
    : EditStep(doc, {}, sprite, {}, parent), frame_(frame), mask_(mask), slot_(std::move(slot)) {}

void SlotOp::Apply(bool) {
  doc_.SwapSlot(*sprite_, frame_, mask_, slot_);
}

FrameCountOp::FrameCountOp(Document& doc, ObSpriteData* sprite, int count, QUndoCommand* parent,
                           const QString& text)
    : EditStep(doc, text, sprite, {}, parent), before_(sprite->FrameCount()), after_(count) {}

void FrameCountOp::Apply(bool isRedo) {
  const int from = isRedo ? before_ : after_;
  const int to = isRedo ? after_ : before_;
  if (to < from) {
    // Cutting: on redo the frames wait here; on undo they are the empty frames added, and go.
    std::vector<ObSpriteData::ImagePair> cut = doc_.TakeFramesFrom(*sprite_, to);
    if (isRedo) cut_ = std::move(cut);
  } else if (to > from) {
    if (isRedo)
      doc_.AppendFrames(*sprite_, std::vector<ObSpriteData::ImagePair>(size_t(to - from)));
    else
      doc_.AppendFrames(*sprite_, std::move(cut_));
  }
}

TakeFrameOp::TakeFrameOp(Document& doc, ObSpriteData* sprite, int frame, QUndoCommand* parent,
                         const QString& text)
    : EditStep(doc, text, sprite, {frame + 1, kRowImage}, parent), frame_(frame) {}

void TakeFrameOp::Apply(bool isRedo) {
  if (isRedo)
    taken_ = doc_.TakeFrame(*sprite_, frame_);
  else
    doc_.InsertFrame(*sprite_, frame_, std::move(taken_));
}

SoundOp::SoundOp(Document& doc, ObSpriteData* sprite, std::unique_ptr<ObSound> sound,
                 QUndoCommand* parent)
    : EditStep(doc, {}, sprite, {}, parent), sound_(std::move(sound)) {}

void SoundOp::Apply(bool) {
  doc_.SwapSound(*sprite_, sound_);
}

LocationsOp::LocationsOp(Document& doc, ObSpriteData* sprite, std::vector<TPoint> locations,
                         QUndoCommand* parent, const QString& text)
    : EditStep(doc, text, sprite, {}, parent), locations_(std::move(locations)) {}

void LocationsOp::Apply(bool) {
  doc_.SwapLocations(*sprite_, locations_);
}

NameOp::NameOp(Document& doc, ObSpriteData* sprite, std::string name, QUndoCommand* parent,
               const QString& text)
    : EditStep(doc, text, sprite, {}, parent), name_(std::move(name)) {}

void NameOp::Apply(bool) {
  doc_.SwapName(*sprite_, name_);
}

InsertObjectOp::InsertObjectOp(Document& doc, int index, std::unique_ptr<ObSpriteData> sprite,
                               QUndoCommand* parent, const QString& text)
    : EditStep(doc, text, sprite.get(), {}, parent),
      index_(index),
      held_(std::move(sprite)),
      before_(doc.Current()) {}

void InsertObjectOp::Apply(bool isRedo) {
  if (isRedo)
    doc_.InsertObject(index_, std::move(held_));
  else
    held_ = doc_.TakeObject(index_);
}

RemoveObjectOp::RemoveObjectOp(Document& doc, int index, QUndoCommand* parent, const QString& text)
    : EditStep(doc, text, doc.Object(index), {}, parent), index_(index) {}

void RemoveObjectOp::Apply(bool isRedo) {
  if (isRedo)
    held_ = doc_.TakeObject(index_);
  else
    doc_.InsertObject(index_, std::move(held_));
}

ClearObjectOp::ClearObjectOp(Document& doc, ObSpriteData* sprite, QUndoCommand* parent,
                             const QString& text)
    : EditStep(doc, text, sprite, {1, kRowImage}, parent) {}

void ClearObjectOp::Apply(bool) {
  doc_.SwapContents(*sprite_, other_);
}

}  // namespace kel
