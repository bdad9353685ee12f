// Document: the one source of truth of the editor. It owns the object list, the file name, the
// object shown and the undo history, and signals every kind of change so that the views (the
// form, the grid, the name drop-down, the caption, the previews) follow it. Edits reach the
// objects only as undo steps (edit_steps.h), which call the operations below.
#pragma once

#include <QObject>
#include <QString>
#include <QUndoStack>
#include <memory>
#include <string>
#include <vector>

#include "model/sprite.h"

namespace kel {

// A cell of the frame grid: column c shows frame c - 1; rows as below. Column 0 is no frame.
// An object's name as the user reads it: the stored CP932 bytes in UTF-8, bytes that are no
// CP932 shown as best they can be.
QString ObjectName(const ObSpriteData& sprite);

struct GridCell {
  int col = 0;
  int row = 0;
};
inline constexpr int kRowImage = 1, kRowMask = 2, kRowSound = 3, kRowX = 4, kRowY = 5;

class Document : public QObject {
  Q_OBJECT
 public:
  static constexpr char kUntitled[] = "untitled.kel";
  // How many steps the history keeps; older ones are dropped.
  static constexpr int kUndoLimit = 1000;

  explicit Document(QObject* parent = nullptr);
  ~Document() override;

  const SpriteList& Objects() const { return objects_; }
  int Count() const { return int(objects_.size()); }
  ObSpriteData* Object(int index) const;          // null outside the list
  int IndexOf(const ObSpriteData* sprite) const;  // -1 when not in the list

  // The object shown: null when the list is empty.
  ObSpriteData* Current() const { return Object(current_); }
  int CurrentIndex() const { return current_; }
  // Shows another object (no edit, no step); nothing happens outside the list.
  void SetCurrent(int index);

  // Where Save writes; "untitled.kel" (a bare name) until the document has a file.
  const QString& FileName() const { return fileName_; }
  bool Untitled() const { return untitled_; }
  void SetFileName(const QString& path);

  // New and Open: the list is replaced, the first object shown, the history emptied and the
  // document clean. An empty path leaves the document untitled.
  void Reset(SpriteList objects, const QString& path);

  QUndoStack& History() { return history_; }
  // Pushes an edit as one step of the history (it is carried out by the push).
  void Push(QUndoCommand* step);
  // The document differs from the file it was read from or last saved to.
  bool Modified() const { return !history_.isClean(); }
  void MarkSaved() { history_.setClean(); }
  // The document differs from every file, whatever the history says (work brought back from a
  // copy of unsaved changes): only a save makes it clean again.
  void MarkUnsaved() { history_.resetClean(); }

  // --- the model's reversible operations with their signals; only edit steps call these.
  void InsertObject(int index, std::unique_ptr<ObSpriteData> sprite);
  std::unique_ptr<ObSpriteData> TakeObject(int index);
  void SwapName(ObSpriteData& sprite, std::string& name);
  void SetParams(ObSpriteData& sprite, const ObSpriteParams& params);
  void SwapSlot(ObSpriteData& sprite, int frame, bool mask, FrameSlot& slot);
  ObSpriteData::TakenFrame TakeFrame(ObSpriteData& sprite, int frame);
  void InsertFrame(ObSpriteData& sprite, int frame, ObSpriteData::TakenFrame taken);
  std::vector<ObSpriteData::ImagePair> TakeFramesFrom(ObSpriteData& sprite, int count);
  void AppendFrames(ObSpriteData& sprite, std::vector<ObSpriteData::ImagePair> frames);
  void SwapSound(ObSpriteData& sprite, std::unique_ptr<ObSound>& sound);
  void SwapLocations(ObSpriteData& sprite, std::vector<TPoint>& locations);
  void SwapContents(ObSpriteData& sprite, ObSpriteData& other);

  // Undo and redo show the object an edit changed and make its cell active.
  void Reveal(const ObSpriteData* sprite, GridCell cell);

  // Many changes in a row (a whole image list, an undo of one): views may hold their repaint
  // until the outermost batch ends.
  void BeginBatch();
  void EndBatch();
  bool InBatch() const { return batch_ > 0; }

 signals:
  void objectInserted(int index);
  // The object left the list (it lives on in the history, or is about to be destroyed): views
  // that show it let go of it.
  void objectRemoved(kel::ObSpriteData* sprite);
  void objectRenamed(kel::ObSpriteData* sprite);
  void listReset();
  void currentChanged(kel::ObSpriteData* sprite);
  void paramsChanged(kel::ObSpriteData* sprite);
  void slotsChanged(kel::ObSpriteData* sprite, int frame);
  // Frames came or went (count, order): every frame of the object may show something else.
  void framesChanged(kel::ObSpriteData* sprite);
  void locationsChanged(kel::ObSpriteData* sprite);
  void soundChanged(kel::ObSpriteData* sprite);
  void fileNameChanged(const QString& path);
  void modifiedChanged(bool modified);
  void cellRevealed(kel::GridCell cell);
  void batchStarted();
  void batchFinished();

 private:
  void Removing(ObSpriteData* sprite);

  SpriteList objects_;
  int current_ = -1;
  QString fileName_ = QString::fromLatin1(kUntitled);
  bool untitled_ = true;
  QUndoStack history_;
  int batch_ = 0;
};

// Holds a batch open for its scope.
class DocumentBatch {
 public:
  explicit DocumentBatch(Document& doc) : doc_(doc) { doc_.BeginBatch(); }
  ~DocumentBatch() { doc_.EndBatch(); }
  DocumentBatch(const DocumentBatch&) = delete;
  DocumentBatch& operator=(const DocumentBatch&) = delete;

 private:
  Document& doc_;
};

}  // namespace kel
