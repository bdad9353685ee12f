// Showing the document's current object in the dialog's controls and the grid. These are views:
// they run when the document signals a change (Refresh) and never change the document.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <algorithm>

#include "editor/dialog.h"
#include "grid/spread.h"
#include "model/display.h"
#include "model/text.h"

namespace kel {

namespace {

constexpr COLORREF kFrameColor = RGB(0, 128, 0);  // columns of existing frames
constexpr COLORREF kEmptyColor = RGB(255, 255, 255);

}  // namespace

void ObKELDialog::Refresh() {
  if (doc_.InBatch()) return;  // all at once when the batch ends
  Pending p = std::move(pending_);
  pending_ = {};
  if (p.names) ShowObjectNames();
  if (p.display) DispSpriteData(CurrentSprite());
  if (p.display || !CurrentSprite()) {
    if (p.cell.col > 0) SetActiveCell(p.cell.col, p.cell.row);
    return;
  }
  HoldGrid();
  if (p.params) ShowParams();
  if (p.frames) {
    SetBitmapToSpread();
  } else {
    std::sort(p.columns.begin(), p.columns.end());
    p.columns.erase(std::unique(p.columns.begin(), p.columns.end()), p.columns.end());
    for (int col : p.columns)
      if (col >= 1 && col <= kGridCols) ShowFrameCells(col);
  }
  if (p.frames || p.params || p.locations) SetPointToSpread();
  if (p.frames || p.sound) ShowSoundName();
  if (p.cell.col > 0) SetActiveCell(p.cell.col, p.cell.row);
  ReleaseGrid();
}

void ObKELDialog::DispSpriteData(ObSpriteData* sprite) {
  ShowObjectNames();
  HoldGrid();
  ClearSpread();
  if (!sprite) {
    // The empty form: nothing to edit.
    ClearFields();
    {
      const QSignalBlocker block(BehaveTypeCombo);
      BehaveTypeCombo->setCurrentIndex(0);
    }
    EnableRandomFor(0);
    RandomCheckBox->setChecked(true);
    AutoRepeatCheckBox->setChecked(true);
    ReleaseGrid();
    return;
  }
  ClearFields();  // nothing typed for the object before stays
  ShowParams();
  SetPointToSpread();
  SetActiveCell(1, 1);
  SetBitmapToSpread();
  ShowSoundName();
  ReleaseGrid();
  if (sprite->Sound()) sprite->Sound()->Play();
  SelectRealizePalette();
}

void ObKELDialog::ShowParams() {
  const ObSpriteData* sprite = CurrentSprite();
  if (!sprite) return;
  const ObSpriteParams p = sprite->Params();
  {
    const QSignalBlocker block(BehaveTypeCombo);
    // A behaviour the drop-down does not have shows no entry; the object keeps it.
    BehaveTypeCombo->setCurrentIndex(
        p.Behave >= 0 && p.Behave < ObSpriteData::kBehaveCount ? p.Behave : -1);
  }
  EnableRandomFor(p.Behave);
  RandomCheckBox->setChecked(p.RandomStart != 0);
  AutoRepeatCheckBox->setChecked(p.AutoRepeat != 0);
  const long long values[kFieldCount] = {
      p.Depth, p.PositionX, p.PositionY, p.SpeedX, p.SpeedY, uint16_t(p.ImageSizeX),
      uint16_t(p.ImageSizeY),
      // NumFrames always equals the frame list's length (the model keeps it so).
      sprite->FrameCount()};
  for (int f = 0; f < kFieldCount; ++f) {
    // A field the user is typing in keeps the text while what it edits stays as it was: the
    // text goes in when the field is left.
    QLineEdit* edit = FieldEdit(Field(f));
    const QString text = QString::number(values[f]);
    if (edit->text() != shown_[size_t(f)] && text == shown_[size_t(f)]) continue;
    WriteField(Field(f), values[f]);
  }
}

void ObKELDialog::ShowSoundName() {
  Spread->SSClearDataRange(1, kRowSound, kGridCols, kRowSound);
  const ObSpriteData* sprite = CurrentSprite();
  if (!sprite || !sprite->Sound()) return;
  const ObSound& sound = *sprite->Sound();
  const std::string_view path(
      sound.FileName.data(),
      std::find(sound.FileName.begin(), sound.FileName.end(), '\0') - sound.FileName.begin());
  // Decoded first: a CP932 trail byte can be 0x5C, which is no path separator.
  const std::string name = NamePart(Cp932ToUtf8Lossy(path));
  // Frame 0 means the sound has no frame yet; it must not overwrite the row's header.
  if (sound.Frame >= 1) Spread->SSSetData(sound.Frame, kRowSound, QString::fromStdString(name));
}

void ObKELDialog::MakeSpriteDataDDB() {
  for (const auto& sprite : doc_.Objects()) sprite->MakeDDB(*dc_);
}

void ObKELDialog::ClearSpread() {
  HoldGrid();
  Spread->SSClearDataRange(1, 1, -1, -1);
  SetImageToCell(-1, kRowImage, nullptr);
  SetImageToCell(-1, kRowMask, nullptr);
  Spread->SSSetColorRange(1, 1, -1, -1, kEmptyColor, kDefaultColor);
  Spread->SSSetActiveCell(1, 1);
  ReleaseGrid();
}

void ObKELDialog::SetBitmapToSpread() {
  const ObSpriteData* sprite = CurrentSprite();
  if (!sprite) return;
  HoldGrid();
  const int count = sprite->FrameCount();
  // Every column: frames that went leave their cells empty.
  for (int col = 1; col <= kGridCols; ++col) ShowFrameCells(col);
  WriteField(kFrames, count);
  Spread->SSSetColorRange(1, 1, -1, -1, kEmptyColor, kDefaultColor);
  MarkFrameColumns(count);
  ReleaseGrid();
  SelectRealizePalette();
}

void ObKELDialog::ShowFrameCells(int col) {
  const ObSpriteData* sprite = CurrentSprite();
  if (!sprite) return;
  const int16_t frame = int16_t(col - 1);
  auto pictureOf = [this](const FrameSlot& slot) -> const ObImage* {
    if (slot.IsContinue()) return ContIconImage.get();
    return slot.Image();  // null for an empty slot
  };
  SetImageToCell(col, kRowImage, pictureOf(sprite->GetImage(frame)));
  SetImageToCell(col, kRowMask, pictureOf(sprite->GetMask(frame)));
}

void ObKELDialog::MarkFrameColumns(int count) {
  const int shown = std::min(count, kGridCols);
  if (shown > 0) Spread->SSSetColorRange(1, 1, shown, kGridRows, kFrameColor, kDefaultColor);
}

void ObKELDialog::SetPointToSpread() {
  HoldGrid();
  Spread->SSClearDataRange(1, kRowX, -1, kRowY);
  const ObSpriteData* sprite = CurrentSprite();
  // Only a fixed-position object has locations: the rows show what the file will hold.
  if (sprite && sprite->Params().Behave == ObSpriteData::kFixedPosition) {
    const int shown = std::min({sprite->FrameCount(), kGridCols, int(sprite->Locations().size())});
    for (int i = 0; i < shown; ++i) {
      const TPoint& p = sprite->Locations()[size_t(i)];
      Spread->SSSetData(i + 1, kRowX, QString::number(p.X));
      Spread->SSSetData(i + 1, kRowY, QString::number(p.Y));
    }
  }
  ReleaseGrid();
}

void ObKELDialog::SetImageToCell(long col, long row, const ObImage* image) {
  SS_CELLTYPE rec;
  // The grid only borrows the bitmap and palette: the image keeps them.
  TSpread::SSSetTypePictureHandle(&rec, 0x27, image ? image->Bitmap() : nullptr,
                                  image ? image->GetImageData()->Palette : nullptr, 0);
  Spread->SSSetCellType(int(col), int(row), rec);
}

void ObKELDialog::ActiveCell(int& col, int& row) const {
  Spread->SSGetActiveCell(&col, &row);
}

void ObKELDialog::SetActiveCell(int col, int row) {
  Spread->SSSetActiveCell(std::clamp(col, 1, kGridCols), std::clamp(row, 1, kGridRows));
}

}  // namespace kel
