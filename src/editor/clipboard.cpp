// Cut, copy and paste on the frame grid's active cell, through the system clipboard. Image and
// mask cells exchange pictures (our own bitmaps byte for byte, other programs' images and
// drawings converted to the stored form); the location cells exchange their number as text;
// the sound row and continue frames are refused with a message.
#include <QComboBox>
#include <QLineEdit>
#include <cstring>
#include <optional>

#include "editor/clipboard.h"
#include "editor/dialog.h"
#include "grid/spread.h"
#include "model/text.h"
#include "platform/clipboard.h"

namespace kel {

namespace {

const char kNoDib[] = "DIBが取得できません";
const char kNoHandle[] = "メモリハンドルが取得できません";
const char kContinueCopy[] = "連続アイコンはコピーできません";
const char kSoundCopy[] = "サウンドのコピーできません．ロードし直して下さい．";
const char kSoundPaste[] = "サウンドの貼付けはできません．ロードし直して下さい．";
const char kDibFromClipboard[] = "クリップボードからのDIBの生成に失敗しました．";
const char kBeyondFrames[] = "フレーム数を超えています．";

}  // namespace

std::shared_ptr<PackedDib> CopyDibToGlobal(const PackedDib& dib) {
  if (!IsStoredDib(dib)) return nullptr;
  const size_t n = size_t(StoredDibBytes(dib.Header()));
  auto copy = PackedDib::AllocateForOverwrite(n);
  std::memcpy(copy->Data(), dib.Data(), n);
  return copy;
}

bool ObKELDialog::CopyActiveCell() {
  if (!CheckObject()) return false;
  int col = 0, row = 0;
  Spread->SSGetActiveCell(&col, &row);
  if (col < 1 || col > CurrentSprite->FrameCount()) return false;

  // Whatever was on the clipboard goes first: a copy that fails leaves it empty rather than
  // holding something other than the cell.
  Clipboard clipboard;
  clipboard.Empty();

  switch (row) {
    case kRowImage:
    case kRowMask: {
      const int16_t frame = int16_t(col - 1);
      const FrameSlot& slot =
          row == kRowImage ? CurrentSprite->GetImage(frame) : CurrentSprite->GetMask(frame);
      if (slot.IsEmpty()) return false;
      if (slot.IsContinue()) {
        ShowError(QString::fromUtf8(kContinueCopy));
        return false;
      }
      const ObBmpImage* image = slot.Image();
      // A picture cut out of the display has no DIB; one whose DIB is not whole (its block
      // shorter than its header promises) cannot be copied either.
      std::shared_ptr<PackedDib> bytes = image->HasDib() ? CopyDibToGlobal(*image->Dib()) : nullptr;
      if (!bytes) {
        ShowError(QString::fromUtf8(kNoDib));
        return false;
      }
      if (!clipboard.PutPicture(*bytes)) {
        ShowError(QString::fromUtf8(kNoHandle));
        return false;
      }
      return true;
    }
    case kRowSound:
      ShowError(QString::fromUtf8(kSoundCopy));
      return false;
    case kRowX:
    case kRowY:
      return clipboard.PutText(Spread->SSGetData(col, row));
    default:
      return false;
  }
}

void ObKELDialog::CmEditCopy() {
  // Copying changes nothing in the document: Modified stays as it is, so no save-changes
  // question comes up for a copy alone.
  CopyActiveCell();
}

void ObKELDialog::CmEditCut() {
  if (!CheckObject()) return;
  int col = 0, row = 0;
  Spread->SSGetActiveCell(&col, &row);

  // The fields go into the object first; a refusal has shown its message, and the cut goes on.
  SaveSpriteData(CurrentSprite);
  // Storing a changed frame count redraws the grid, which puts the active cell back at the
  // first one: the cut is of the cell the user chose.
  Spread->SSSetActiveCell(col, row);

  if (col < 1 || col > CurrentSprite->FrameCount()) return;
  if (row != kRowImage && row != kRowMask) return;
  // Only a picture that is on the clipboard may leave its cell: a copy that failed (a continue
  // frame, no DIB, an empty cell, a clipboard that did not take it) would otherwise lose it.
  if (!CopyActiveCell()) return;
  CmEditDelete();
}

void ObKELDialog::CmEditPaste() {
  if (!CheckObject()) return;
  int col = 0, row = 0;
  Spread->SSGetActiveCell(&col, &row);
  if (col < 1 || col > kGridCols) return;

  switch (row) {
    case kRowImage:
    case kRowMask: {
      // A drawing is rendered as large as the dialog's client area.
      const ClipboardPicture picture = Clipboard().Picture(rect().size());
      if (!picture.dib) {
        QString text = QString::fromUtf8(kDibFromClipboard);
        if (!picture.error.empty())
          text += QStringLiteral("\n\n") + QString::fromStdString(picture.error);
        ShowError(text);
        return;
      }
      // A column beyond the last frame grows the frame list to it; the frames between stay
      // empty.
      PutImage(col, row, std::make_unique<ObBmpImage>(picture.dib));
      Modified = 1;
      return;
    }
    case kRowSound:
      ShowError(QString::fromUtf8(kSoundPaste));
      return;
    case kRowX:
    case kRowY: {
      if (col > CurrentSprite->FrameCount()) {
        ShowError(QString::fromUtf8(kBeyondFrames));
        return;
      }
      // No text, or a blank one, holds no number: nothing changes.
      const std::optional<QString> text = Clipboard().Text();
      if (!text || text->trimmed().isEmpty()) return;
      // Only a fixed-position object has locations: the grid shows none for the other
      // behaviours and saving keeps none of them. The behaviour is the one the drop-down shows,
      // the one saving stores.
      const int behave = BehaveTypeCombo->currentIndex() >= 0 ? BehaveTypeCombo->currentIndex()
                                                              : CurrentSprite->Behave;
      if (behave != ObSpriteData::kFixedPosition) return;
      // Every frame of a fixed-position object has a location, as the grid shows them; frames
      // added since the object was shown get theirs here, at (0, 0) as saving would store them.
      const int16_t frame = int16_t(col - 1);
      while (int(CurrentSprite->Locations.size()) < CurrentSprite->FrameCount())
        CurrentSprite->AddLocation(TPoint{});
      TPoint p = CurrentSprite->Locations[size_t(frame)];
      const int32_t value = AtolRule(text->toStdString());
      (row == kRowX ? p.X : p.Y) = value;
      CurrentSprite->SetLocation(p, frame);
      // Saving reads the locations back from the grid: the cell must hold the new number.
      Spread->SSSetData(col, row, QString::number(value));
      Modified = 1;
      return;
    }
    default:
      return;
  }
}

}  // namespace kel
