// The mask command: the frame under the active cell gets the mask of its image.
#include "editor/dialog.h"
#include "grid/spread.h"
#include "model/mask.h"
#include "platform/prompt.h"

namespace kel {

std::unique_ptr<ObBmpImage> ObKELDialog::MakeBmpMask(const ObImage* image) {
  if (!image) return nullptr;
  return MakeMaskImage(*image);
}

void ObKELDialog::CmMakeMask() {
  if (!CheckObject()) return;
  int col = 0, row = 0;
  Spread->SSGetActiveCell(&col, &row);

  // A column beyond the last frame holds no image: the cursor simply moves on.
  if (CurrentSprite->FrameCount() < col) {
    Spread->SSSetActiveCell(col + 1, row);
    Modified = 1;
    return;
  }

  const QString failed = QStringLiteral("マスクの作成に失敗しました");
  const int16_t frame = int16_t(col - 1);
  const FrameSlot& slot = CurrentSprite->GetImage(frame);
  if (slot.IsContinue()) {
    Prompt().MessageBox(this, QStringLiteral("連続アイコンには適用できません"), QString(), MB_OK);
    return;
  }
  if (!slot.IsImage()) {
    Prompt().MessageBox(this, failed, QString(), MB_OK);
    return;
  }
  std::unique_ptr<ObBmpImage> mask = MakeBmpMask(slot.Image());
  if (!mask) {
    Prompt().MessageBox(this, failed, QString(), MB_OK);
    return;
  }
  mask->MakePalette();
  mask->DIBtoDDB(DC());

  // A frame read from a file may hold the continue marker in its mask slot alone. Filling that
  // slot ends the continuation and would empty the image slot with it, throwing away the very
  // picture the mask was made from: the picture is taken out first and put back after.
  std::unique_ptr<ObBmpImage> keep;
  if (CurrentSprite->GetMask(frame).IsContinue())
    keep = CurrentSprite->ImageArray[size_t(frame)].Image.Take();
  CurrentSprite->AddImage(FrameSlot(std::move(mask)), frame, 1);
  if (keep) CurrentSprite->AddImage(FrameSlot(std::move(keep)), frame, 0);
  SetBitmapToSpread();

  Spread->SSSetActiveCell(col + 1, row);
  Modified = 1;
}

}  // namespace kel
