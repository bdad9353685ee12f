// The mask command: the frame under the active cell gets the mask of its image.
#include "document/edit_steps.h"
#include "editor/dialog.h"
#include "editor/edit_commands.h"
#include "model/mask.h"
#include "platform/prompt.h"

namespace kel {

std::unique_ptr<ObBmpImage> EditCommands::MakeBmpMask(const ObImage* image) {
  if (!image) return nullptr;
  return MakeMaskImage(*image);
}

void EditCommands::CmMakeMask() {
  if (!CheckObject()) return;
  if (!form_.CommitFields()) return;
  int col = 0, row = 0;
  form_.ActiveCell(col, row);
  ObSpriteData* sprite = Current();

  // A column beyond the last frame holds no image: the cursor simply moves on.
  if (sprite->FrameCount() < col) {
    form_.SetActiveCell(col + 1, row);
    return;
  }

  const QString failed = QStringLiteral("マスクの作成に失敗しました");
  const int frame = col - 1;
  const FrameSlot& slot = sprite->GetImage(int16_t(frame));
  if (slot.IsContinue()) {
    prompt_.MessageBox(&form_, QStringLiteral("連続アイコンには適用できません"), QString(), MB_OK);
    return;
  }
  if (!slot.IsImage()) {
    prompt_.MessageBox(&form_, failed, QString(), MB_OK);
    return;
  }
  std::unique_ptr<ObBmpImage> mask = MakeBmpMask(slot.Image());
  if (!mask) {
    prompt_.MessageBox(&form_, failed, QString(), MB_OK);
    return;
  }
  mask->MakePalette();
  mask->DIBtoDDB(form_.DC());

  // A frame read from a file may hold the continue marker in its mask slot alone: the mask
  // replaces the marker, and the frame's picture stays where it is.
  auto* step = new EditStep(doc_, QStringLiteral("マスクの生成"), sprite, {col, row});
  step->Do(new SlotOp(doc_, sprite, frame, true, FrameSlot(std::move(mask)), step));
  doc_.Push(step);
  form_.SetActiveCell(col + 1, row);
}

}  // namespace kel
