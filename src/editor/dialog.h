// ObKELDialog: the editor's working surface, a form over the document. It shows the document's
// current object — the name drop-down, the parameter fields and check boxes, the behaviour
// drop-down and the frame grid — and follows the document's signals. What the user types goes
// into the document as an undo step when the field is left (or a grid cell's editor closes);
// no control holds a value the document does not have once it is left.
//
// The operations are spread over one file per concern:
//   dialog.cpp      construction, layout from the template, the document's signals
//   display.cpp     showing the current object in the controls and the grid
//   validation.cpp  the parameter fields and grid cells: checks and committing them as steps
//   palette.cpp     realizing the shown object's palette
// The commands that act on the form's object and cell are EditCommands (edit_commands.h).
#pragma once

#include <QMargins>
#include <QString>
#include <QWidget>
#include <array>
#include <memory>
#include <string>

#include "document/document.h"
#include "model/image.h"
#include "model/sprite.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace kel {

class DisplayDevice;
class PromptPort;
class TSpread;
class TUpDown;
struct LogPalette;

class ObKELDialog : public QWidget {
  Q_OBJECT
 public:
  // The template's control ids.
  enum ControlId {
    IDC_BEHAVE = 101,
    IDC_BEHAVE_GROUP = 102,
    IDC_RANDOM = 105,
    IDC_POSX = 106,
    IDC_POSY = 107,
    IDC_DEPTH_UPDOWN = 108,
    IDC_SPEEDX = 109,
    IDC_SPEEDY = 110,
    IDC_START_GROUP = 112,
    IDC_OBJECT = 113,
    IDC_SPREAD = 118,
    IDC_AUTOREPEAT = 124,
    IDC_DEPTH = 125,
    IDC_SIZEX = 126,
    IDC_SIZEY = 127,
    IDC_FRAMES = 129,
  };
  static constexpr int kWidthDu = 278;
  static constexpr int kHeightDu = 178;
  static constexpr int kGridRows = 5;
  static constexpr int kGridCols = 128;
  static constexpr int kMaxDepth = 128;
  static constexpr int kMaxFrames = 128;
  // The least height of a picture row when the rows are fitted to the grid.
  static constexpr int kMinPictureRowPx = 16;
  // Grid rows (the document's frame-grid layout).
  static constexpr int kRowImage = kel::kRowImage, kRowMask = kel::kRowMask,
                       kRowSound = kel::kRowSound, kRowX = kel::kRowX, kRowY = kel::kRowY;

  // The parameter fields, in the order of their checks.
  enum Field { kDepth, kPosX, kPosY, kSpeedX, kSpeedY, kSizeX, kSizeY, kFrames, kFieldCount };

  // doc: the document shown (outlives the dialog).
  ObKELDialog(Document& doc, PromptPort& prompt, QWidget* parent = nullptr);
  ~ObKELDialog() override;

  Document& Doc() const { return doc_; }
  // The object shown, null when the document has none.
  ObSpriteData* CurrentSprite() const { return doc_.Current(); }

  // --- set-up (dialog.cpp)
  // The grid's frame, the drop-downs' entries and the document's current object shown (the
  // empty form without one).
  void InitWindow();

  // --- display (display.cpp): the views of the document.
  // Shows the object in every control and plays its sound; the active cell goes to (1, 1).
  void DispSpriteData(ObSpriteData* sprite);
  void MakeSpriteDataDDB();
  void ClearSpread();
  // The current object's pictures, frame columns and frame count; the sound name and the
  // locations.
  void SetBitmapToSpread();
  void SetPointToSpread();
  void ShowSoundName();
  void ShowParams();
  void SetImageToCell(long col, long row, const ObImage* image);
  // The image and mask cells of column col (1 to kGridCols) show frame col - 1 of the shown
  // object as it is now: its pictures, the continue icon, or nothing.
  void ShowFrameCells(int col);

  // --- fields and cells (validation.cpp)
  static int CheckValue(const QString& text, int min, int max);
  // Every field against its range (the frame count against the grid's 128 frames unless it is
  // the count the object has): false after the field's message, with its text selected.
  int CheckEdit();
  // The number a field or grid cell holds: the atol rule, full-width digits and signs read as
  // their ASCII forms (a Japanese input method types them).
  static int32_t FieldNumber(const QString& text);
  // The field's text goes into the document as an edit when it differs from what the object
  // has. false when it is refused (its message shown, its text selected).
  bool CommitField(Field field);
  // The field being typed in, if any, goes into the document (CommitField). false when refused.
  bool CommitFields();
  // What was typed and not yet committed is dropped: every field shows the object's value.
  void DiscardTyping();
  // The number typed or pasted into a location cell goes into the document; false, after a
  // message, when the cell cannot take one. The cell then shows what the object has.
  bool CommitLocation(int col, int row, const QString& text);
  // The shown object is fit to be left or saved: its fields committed, at least one frame, every
  // field in range. false after the message.
  int SaveSpriteData();
  // As SaveSpriteData, for saving the file: true with no object; otherwise after a refusal the
  // message "オブジェクトの設定の保存に失敗しました" too.
  bool Save();
  void BehaveCombo();
  void RandomCheck();
  void AutoRepeatCheck();
  // The user chose another object in the name drop-down.
  void RedrawDialogParam();
  // Shows object index with cell active (none when cell.col is 0), after the checks of leaving
  // the object shown; false when it cannot be left (the message has been shown).
  bool ShowObjectAt(int index, GridCell cell);

  // --- the grid's active cell
  void ActiveCell(int& col, int& row) const;
  void SetActiveCell(int col, int row);

  // --- palette (palette.cpp)
  bool SelectRealizePalette();
  // active: 0 inactive, 1 active, 2 click-active.
  void EvActivate(unsigned active, bool minimized, QWidget* other);
  bool EvQueryNewPalette();
  bool UpdatePalette(const LogPalette* palette, bool forceRepaint);
  // The palette the dialog last realized in the foreground (null before any).
  const LogPalette* RealizedPalette() const { return foreground_.get(); }

  // The display the dialog draws on: pictures get their display bitmaps made for it, on any
  // thread (it keeps no state).
  DisplayDevice& DC() { return *dc_; }
  PromptPort& Prompt() { return prompt_; }

  // Message box of the dialog's errors: caption "エラー", information icon, OK.
  void ShowError(const QString& text);

  QSize sizeHint() const override;
  QLineEdit* FieldEdit(Field field) const;

  // Controls (owned by the dialog as their Qt parent).
  QComboBox* ObjectCombo = nullptr;
  QComboBox* BehaveTypeCombo = nullptr;
  QCheckBox* RandomCheckBox = nullptr;
  TUpDown* DepthUpDown = nullptr;
  QLineEdit* DepthEdit = nullptr;
  QLineEdit* PosXEdit = nullptr;
  QLineEdit* PosYEdit = nullptr;
  QLineEdit* SpeedXEdit = nullptr;
  QLineEdit* SpeedYEdit = nullptr;
  QLineEdit* SizeXEdit = nullptr;
  QLineEdit* SizeYEdit = nullptr;
  QLineEdit* FramesEdit = nullptr;
  QCheckBox* AutoRepeatCheckBox = nullptr;
  TSpread* Spread = nullptr;
  std::unique_ptr<ObBmpImage> ContIconImage;  // the picture shown for a continue frame

 signals:
  // The dialog realized its palette on activation: other windows showing pictures should
  // realize theirs again. changer is the dialog.
  void PaletteChanged(QWidget* changer);

 protected:
  bool event(QEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void CreateControls();
  // The picture rows share the grid's height left by the header, the text rows and the scroll
  // bar.
  void FitRows();
  void ConnectDocument();
  void LoadContIcon();
  void FillObjectCombo();
  // The drop-down lists the objects' names again, with the shown one selected.
  void ShowObjectNames();
  void EnableRandomFor(int behave);
  void WriteField(Field field, long long value);
  void ClearFields();
  // Green background for the columns of the object's first count frames, rows 1 to 5.
  void MarkFrameColumns(int count);
  // A step that changes the current object's parameters to p (mergeField: see ParamsOp).
  void PushParams(const ObSpriteParams& p, const QString& text, int mergeField);
  // A click on a check box: the flag it shows, as a step named text.
  void CheckBoxEdit(QCheckBox* box, int32_t ObSpriteParams::*flag, const QString& text);
  // Repaints of the grid held while several changes come in; the outermost release repaints.
  void HoldGrid();
  void ReleaseGrid();
  // What a batch of document changes left to show, done when the batch ends.
  void Refresh();

  Document& doc_;
  PromptPort& prompt_;
  std::unique_ptr<DisplayDevice> dc_;
  std::shared_ptr<const LogPalette> foreground_;
  QSize sizePx_;
  QMargins gridMargins_;                    // the grid's distance from the form's edges
  std::array<QString, kFieldCount> shown_;  // each field's text as the object has it
  bool committing_ = false;
  int gridHeld_ = 0;
  struct Pending {
    bool display = false;  // another object: everything, and its sound
    bool names = false;
    bool params = false;
    bool frames = false;
    bool locations = false;
    bool sound = false;
    std::vector<int> columns;
    GridCell cell;  // to be made active last, when col > 0
  } pending_;
};

}  // namespace kel
