// The steps of the history. Every edit is one EditStep: either a single operation below or a
// group of them (the operations as its children, undone in reverse order). Each operation
// exchanges a part of an object with what it holds, or has an exact inverse, so undo and redo
// move pictures between the document and the step and never copy them.
//
// A step knows the object and grid cell it changed; undoing or redoing it from the history shows
// that object and makes that cell active. (When it is first carried out, the command that made it
// decides what to show.)
#pragma once

#include <QUndoCommand>
#include <memory>
#include <string>
#include <vector>

#include "document/document.h"

namespace kel {

class EditStep : public QUndoCommand {
 public:
  // A group (or a step whose operation is its own): text names it in the history.
  EditStep(Document& doc, const QString& text, ObSpriteData* sprite, GridCell cell = {},
           QUndoCommand* parent = nullptr);
  void redo() override;
  void undo() override;

  ObSpriteData* Sprite() const { return sprite_; }
  Document& Doc() const { return doc_; }
  void SetCell(GridCell cell) { cell_ = cell; }

  // Carries out child (made with this step as its parent) at once, so the next child is made
  // against the object as it now is. The step is then pushed already done: its first redo only
  // shows the object and cell.
  void Do(EditStep* child);
  bool HasChildren() const { return childCount() > 0; }

 protected:
  // The step's own operation, if any: isRedo tells which way.
  virtual void Apply(bool isRedo) { (void)isRedo; }
  // The object to show after undo (isRedo false) or redo.
  virtual const ObSpriteData* Shown(bool isRedo) const {
    (void)isRedo;
    return sprite_;
  }

  Document& doc_;
  ObSpriteData* sprite_;
  GridCell cell_;

 private:
  bool top_;  // a step of the history, not a part of one
  bool done_ = false;
  bool pushed_ = false;  // carried out once: later redos come from the history
};

// The frame-list rules of every edit, each carried out at once into step (EditStep::Do):
// A fixed-position object has a location for each frame, as its rows show: frames without one
// get (0, 0).
void FillLocations(EditStep* step);
// The frame list becomes count frames long; a fixed-position object's frames cut off take their
// locations along, and new frames get theirs.
void ResizeFrames(EditStep* step, int count);

// The parameters as one value. Field edits merge: the same field of the same object edited
// again straight after is one step (mergeField, 0 for a step that never merges).
class ParamsOp : public EditStep {
 public:
  ParamsOp(Document& doc, ObSpriteData* sprite, const ObSpriteParams& params, int mergeField = 0,
           QUndoCommand* parent = nullptr, const QString& text = {});
  int id() const override { return mergeField_ ? kMergeBase + mergeField_ : -1; }
  bool mergeWith(const QUndoCommand* other) override;

 private:
  static constexpr int kMergeBase = 1000;
  void Apply(bool) override;
  ObSpriteParams params_;
  int mergeField_;
};

// One slot of a frame that exists: the picture (or marker, or nothing) given goes in, and what
// was there waits in the step.
class SlotOp : public EditStep {
 public:
  SlotOp(Document& doc, ObSpriteData* sprite, int frame, bool mask, FrameSlot slot,
         QUndoCommand* parent);

 private:
  void Apply(bool) override;
  int frame_;
  bool mask_;
  FrameSlot slot_;
};

// The frame count: frames cut off wait in the step; new frames are empty.
class FrameCountOp : public EditStep {
 public:
  FrameCountOp(Document& doc, ObSpriteData* sprite, int count, QUndoCommand* parent = nullptr,
               const QString& text = {});

 private:
  void Apply(bool isRedo) override;
  int before_;
  int after_;
  std::vector<ObSpriteData::ImagePair> cut_;
};

// Deleting one frame, with its location and a sound at it.
class TakeFrameOp : public EditStep {
 public:
  TakeFrameOp(Document& doc, ObSpriteData* sprite, int frame, QUndoCommand* parent = nullptr,
              const QString& text = {});

 private:
  void Apply(bool isRedo) override;
  int frame_;
  ObSpriteData::TakenFrame taken_;
};

class SoundOp : public EditStep {
 public:
  SoundOp(Document& doc, ObSpriteData* sprite, std::unique_ptr<ObSound> sound,
          QUndoCommand* parent);

 private:
  void Apply(bool) override;
  std::unique_ptr<ObSound> sound_;
};

class LocationsOp : public EditStep {
 public:
  LocationsOp(Document& doc, ObSpriteData* sprite, std::vector<TPoint> locations,
              QUndoCommand* parent = nullptr, const QString& text = {});

 private:
  void Apply(bool) override;
  std::vector<TPoint> locations_;
};

class NameOp : public EditStep {
 public:
  NameOp(Document& doc, ObSpriteData* sprite, std::string name, QUndoCommand* parent = nullptr,
         const QString& text = {});

 private:
  void Apply(bool) override;
  std::string name_;
};

// A new object at index of the list (its step holds it while undone).
class InsertObjectOp : public EditStep {
 public:
  InsertObjectOp(Document& doc, int index, std::unique_ptr<ObSpriteData> sprite,
                 QUndoCommand* parent = nullptr, const QString& text = {});

 private:
  void Apply(bool isRedo) override;
  const ObSpriteData* Shown(bool isRedo) const override { return isRedo ? sprite_ : before_; }
  int index_;
  std::unique_ptr<ObSpriteData> held_;
  const ObSpriteData* before_;  // the object shown when it was made
};

// The object at index leaves the list (its step holds it until undone).
class RemoveObjectOp : public EditStep {
 public:
  RemoveObjectOp(Document& doc, int index, QUndoCommand* parent = nullptr,
                 const QString& text = {});

 private:
  void Apply(bool isRedo) override;
  int index_;
  std::unique_ptr<ObSpriteData> held_;
};

// Everything but the name goes back to what a new object has.
class ClearObjectOp : public EditStep {
 public:
  ClearObjectOp(Document& doc, ObSpriteData* sprite, QUndoCommand* parent = nullptr,
                const QString& text = {});

 private:
  void Apply(bool) override;
  ObSpriteData other_;
};

}  // namespace kel
