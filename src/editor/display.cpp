// Showing one object in the dialog's controls and storing the controls back into it.
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

int32_t NumberOf(const QLineEdit* edit) {
  return AtolRule(edit->text().toStdString());
}

// The parameters as the fields hold them, already cut to the widths the object stores.
struct FieldValues {
  int32_t behave;
  int32_t randomStart;
  int16_t depth;
  int32_t positionX, positionY, speedX, speedY;
  uint16_t imageSizeX, imageSizeY;
  uint16_t numFrames;
  int32_t autoRepeat;
};

// The one place where the checked fields go into the object.
void StoreFields(ObSpriteData& sprite, const FieldValues& v) {
  sprite.Behave = v.behave;
  sprite.RandomStart = v.randomStart;
  sprite.Depth = v.depth;
  sprite.PositionX = v.positionX;
  sprite.PositionY = v.positionY;
  sprite.SpeedX = v.speedX;
  sprite.SpeedY = v.speedY;
  sprite.ImageSizeX = int16_t(v.imageSizeX);
  sprite.ImageSizeY = int16_t(v.imageSizeY);
  sprite.SetNumFrames(v.numFrames);
  sprite.AutoRepeat = v.autoRepeat;
}

}  // namespace

void ObKELDialog::GetSpriteData(int index) {
  // The list may have been emptied or replaced: no preview may draw an object that went with it.
  ClosePreviewsOfGoneObjects();
  if (!SpriteList || SpriteList->empty()) {
    CurrentSprite = nullptr;
    return;
  }
  CurrentIndex = index;
  CurrentSprite =
      index >= 0 && size_t(index) < SpriteList->size() ? (*SpriteList)[index].get() : nullptr;
}

void ObKELDialog::DispSpriteData(ObSpriteData* sprite) {
  if (!sprite) return;
  CurrentSprite = sprite;

  ShowObjectNames();
  {
    const QSignalBlocker block(BehaveTypeCombo);
    BehaveTypeCombo->setCurrentIndex(sprite->Behave);
  }
  EnableRandomFor(sprite->Behave);
  RandomCheckBox->setChecked(sprite->RandomStart != 0);

  WriteField(DepthEdit, sprite->Depth);
  WriteField(PosXEdit, sprite->PositionX);
  WriteField(PosYEdit, sprite->PositionY);
  WriteField(SpeedXEdit, sprite->SpeedX);
  WriteField(SpeedYEdit, sprite->SpeedY);
  WriteField(SizeXEdit, uint16_t(sprite->ImageSizeX));
  WriteField(SizeYEdit, uint16_t(sprite->ImageSizeY));
  // NumFrames always equals the frame list's length (the model keeps it so); the field shows
  // the list's length.
  const int count = sprite->FrameCount();
  WriteField(FramesEdit, count);
  AutoRepeatCheckBox->setChecked(sprite->AutoRepeat != 0);

  ClearSpread();
  SetPointToSpread(count);
  Spread->SSSetActiveCell(1, 1);
  SetBitmapToSpread();

  Spread->SSClearDataRange(1, kRowSound, kGridCols, kRowSound);
  if (sprite->Sound) {
    const ObSound& sound = *sprite->Sound;
    const std::string_view path(
        sound.FileName.data(),
        std::find(sound.FileName.begin(), sound.FileName.end(), '\0') - sound.FileName.begin());
    // Decoded first: a CP932 trail byte can be 0x5C, which is no path separator.
    const std::string name = NamePart(Cp932ToUtf8Lossy(path));
    // Frame 0 means the sound has no frame yet; it must not overwrite the row's header.
    if (sound.Frame >= 1) Spread->SSSetData(sound.Frame, kRowSound, QString::fromStdString(name));
    sound.Play();
    SelectRealizePalette();
  }
}

int ObKELDialog::SaveSpriteData(ObSpriteData* sprite) {
  if (!sprite) return 0;
  if (sprite->FrameCount() == 0) {
    ShowError(QStringLiteral("イメージがありません.設定して下さい"));
    return 0;
  }
  if (!CheckEdit()) return 0;

  FieldValues v;
  const int behave = BehaveTypeCombo->currentIndex();
  // Without a selection (an object read with a behaviour this editor does not know) the
  // object keeps the behaviour it has.
  v.behave = behave >= 0 ? behave : sprite->Behave;
  v.randomStart = RandomCheckBox->isChecked() ? 1 : 0;
  v.depth = int16_t(NumberOf(DepthEdit));
  v.positionX = int16_t(NumberOf(PosXEdit));
  v.positionY = int16_t(NumberOf(PosYEdit));
  v.speedX = int16_t(NumberOf(SpeedXEdit));
  v.speedY = int16_t(NumberOf(SpeedYEdit));
  v.imageSizeX = uint16_t(NumberOf(SizeXEdit));
  v.imageSizeY = uint16_t(NumberOf(SizeYEdit));
  v.numFrames = uint16_t(NumberOf(FramesEdit));
  v.autoRepeat = AutoRepeatCheckBox->isChecked() ? 1 : 0;
  // A frame count typed and stored without leaving its field: the grid follows the frame list
  // as it does when the field is left, so it never shows frames that are gone.
  if (sprite == CurrentSprite && v.numFrames != sprite->FrameCount()) ResizeFrames(v.numFrames);
  StoreFields(*sprite, v);

  if (sprite->Behave == ObSpriteData::kFixedPosition) GetPointFromSpread();
  return 1;
}

bool ObKELDialog::Save() {
  // An empty document has no object to store, and saving it is how deleting the last object
  // reaches the file: it is written as a list of none.
  if (!CurrentSprite && SpriteList && SpriteList->empty()) return true;
  if (SaveSpriteData(CurrentSprite)) return true;
  ShowError(QStringLiteral("オブジェクトの設定の保存に失敗しました"));
  return false;
}

void ObKELDialog::AddSpriteData(std::unique_ptr<ObSpriteData> sprite) {
  if (sprite && SpriteList) SpriteList->push_back(std::move(sprite));
}

void ObKELDialog::MakeSpriteDataDDB() {
  if (!SpriteList) return;
  for (const auto& sprite : *SpriteList) sprite->MakeDDB(*dc_);
}

void ObKELDialog::ClearSpread() {
  Spread->SSSetBool(TSpread::kBoolRedraw, false);
  Spread->SSClearDataRange(1, 1, -1, -1);
  SetImageToCell(-1, kRowImage, nullptr);
  SetImageToCell(-1, kRowMask, nullptr);
  Spread->SSSetColorRange(1, 1, -1, -1, kEmptyColor, kDefaultColor);
  Spread->SSSetActiveCell(1, 1);
  Spread->SSSetBool(TSpread::kBoolRedraw, true);
}

void ObKELDialog::SetBitmapToSpread() {
  if (!CurrentSprite) return;
  Spread->SSSetBool(TSpread::kBoolRedraw, false);

  const int count = CurrentSprite->FrameCount();
  const int shown = std::min(count, kGridCols);  // the grid has no column beyond the last
  for (int col = 1; col <= shown; ++col) ShowFrameCells(col);
  WriteField(FramesEdit, count);
  MarkFrameColumns(count);

  Spread->SSSetBool(TSpread::kBoolRedraw, true);
  SelectRealizePalette();
}

void ObKELDialog::ShowFrameCells(int col) {
  const int16_t frame = int16_t(col - 1);
  auto pictureOf = [this](const FrameSlot& slot) -> const ObImage* {
    if (slot.IsContinue()) return ContIconImage.get();
    return slot.Image();  // null for an empty slot
  };
  SetImageToCell(col, kRowImage, pictureOf(CurrentSprite->GetImage(frame)));
  SetImageToCell(col, kRowMask, pictureOf(CurrentSprite->GetMask(frame)));
}

void ObKELDialog::MarkFrameColumns(int count) {
  const int shown = std::min(count, kGridCols);
  if (shown > 0) Spread->SSSetColorRange(1, 1, shown, kGridRows, kFrameColor, kDefaultColor);
}

void ObKELDialog::SetPointToSpread(int count) {
  if (!CurrentSprite) return;
  if (CurrentSprite->Behave != ObSpriteData::kFixedPosition) {
    Spread->SSClearDataRange(1, kRowX, -1, kRowY);
    return;
  }
  while (int(CurrentSprite->Locations.size()) < count) CurrentSprite->AddLocation(TPoint{});
  const int shown = std::min(count, kGridCols);
  for (int i = 0; i < shown; ++i) {
    const TPoint& p = CurrentSprite->Locations[size_t(i)];
    Spread->SSSetData(i + 1, kRowX, QString::number(p.X));
    Spread->SSSetData(i + 1, kRowY, QString::number(p.Y));
  }
}

void ObKELDialog::GetPointFromSpread(int) {
  if (!CurrentSprite) return;
  CurrentSprite->Locations.clear();
  const int count = CurrentSprite->FrameCount();
  for (int i = 0; i < count; ++i) {
    const QString x = Spread->SSGetData(i + 1, kRowX);
    const QString y = Spread->SSGetData(i + 1, kRowY);
    TPoint p;
    // A location needs both its numbers; with one cell empty the frame stays at (0, 0).
    if (!x.isEmpty() && !y.isEmpty())
      p = TPoint{AtolRule(x.toStdString()), AtolRule(y.toStdString())};
    CurrentSprite->AddLocation(p, int16_t(i));
  }
}

void ObKELDialog::SetImageToCell(long col, long row, const ObImage* image) {
  SS_CELLTYPE rec;
  // The grid only borrows the bitmap and palette: the image keeps them.
  TSpread::SSSetTypePictureHandle(&rec, 0x27, image ? image->Bitmap() : nullptr,
                                  image ? image->GetImageData()->Palette : nullptr, 0);
  Spread->SSSetCellType(int(col), int(row), rec);
}

}  // namespace kel
