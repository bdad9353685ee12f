// The parameter fields: their checks before storing, and the responses while they are edited.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QStringList>

#include "editor/dialog.h"
#include "grid/spread.h"
#include "model/text.h"

namespace kel {

int ObKELDialog::CheckValue(const QString& text, int min, int max) {
  const int32_t value = AtolRule(text.toStdString());
  return value >= min && value <= max ? 1 : 0;
}

int ObKELDialog::CheckEdit() {
  struct Field {
    QLineEdit* edit;
    int min, max;
    const char* message;
  };
  const Field fields[] = {
      {DepthEdit, 0, kMaxDepth, "深さの入力値が不正です"},
      {PosXEdit, -2000, 2000, "位置Xの入力値が不正です"},
      {PosYEdit, -2000, 2000, "位置Yの入力値が不正です"},
      {SpeedXEdit, -1000, 1000, "速さXの入力値が不正です"},
      {SpeedYEdit, -1000, 1000, "速さYの入力値が不正です"},
      {SizeXEdit, 1, 2000, "イメージサイズXの入力値が不正です"},
      {SizeYEdit, 1, 2000, "イメージサイズYの入力値が不正です"},
      {FramesEdit, 1, kMaxFrames, "フレーム数の入力値が不正です"},
  };
  for (const Field& f : fields) {
    if (CheckValue(f.edit->text(), f.min, f.max)) continue;
    ShowError(QString::fromUtf8(f.message));
    f.edit->setFocus();
    f.edit->setSelection(0, int(f.edit->text().size()));
    return 0;
  }
  return 1;
}

void ObKELDialog::BehaveCombo() {
  if (!CurrentSprite) return;
  Modified = 1;
  const int index = BehaveTypeCombo->currentIndex();
  if (index < 0) return;
  EnableRandomFor(index);
  // The box shows what the object has stored; the behaviour itself is stored on saving.
  RandomCheckBox->setChecked(CurrentSprite->RandomStart != 0);
}

void ObKELDialog::RandomCheck() {
  Modified = 1;
}

void ObKELDialog::ChangeImagePair() {
  if (!CurrentSprite) return;
  const int32_t count = AtolRule(FramesEdit->text().toStdString());
  if (count < 0 || count > kMaxFrames) {
    // The grid holds 128 frames and saving refuses more: a larger count would only make frames
    // nobody can see or store. The list stays as it is and the field shows its length again.
    ShowError(QStringLiteral("フレーム数の入力値が不正です"));
    WriteField(FramesEdit, CurrentSprite->FrameCount());
    return;
  }
  Modified = 1;
  ResizeFrames(count);
}

void ObKELDialog::ResizeFrames(int count) {
  // Clearing the grid erases the sound name and the locations typed so far; they are put back
  // for the frames that remain, so that leaving the field does not lose them.
  QStringList sound, xs, ys;
  for (int c = 1; c <= kGridCols; ++c) {
    sound << Spread->SSGetData(c, kRowSound);
    xs << Spread->SSGetData(c, kRowX);
    ys << Spread->SSGetData(c, kRowY);
  }

  CurrentSprite->SetNumFrames(uint16_t(count));
  ClearSpread();
  SetBitmapToSpread();

  Spread->SSSetBool(TSpread::kBoolRedraw, false);
  for (int c = 1; c <= kGridCols; ++c) {
    if (!sound[c - 1].isEmpty()) Spread->SSSetData(c, kRowSound, sound[c - 1]);
    if (c > count) continue;
    if (!xs[c - 1].isEmpty()) Spread->SSSetData(c, kRowX, xs[c - 1]);
    if (!ys[c - 1].isEmpty()) Spread->SSSetData(c, kRowY, ys[c - 1]);
  }
  Spread->SSSetBool(TSpread::kBoolRedraw, true);
}

}  // namespace kel
