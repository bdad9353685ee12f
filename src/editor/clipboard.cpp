// Cut, copy and paste on the frame grid's active cell, through the system clipboard. Image and
// mask cells exchange pictures (our own bitmaps byte for byte, other programs' images and
// drawings converted to the stored form); the location cells exchange their number as text;
// the sound row and continue frames are refused with a message.
#include <cstring>
#include <optional>

#include "editor/clipboard.h"
#include "editor/dialog.h"
#include "editor/edit_commands.h"
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

}  // namespace

std::shared_ptr<PackedDib> CopyDibToGlobal(const PackedDib& dib) {
  if (!IsStoredDib(dib)) return nullptr;
  const size_t n = size_t(StoredDibBytes(dib.Header()));
  auto copy = PackedDib::AllocateForOverwrite(n);
  std::memcpy(copy->Data(), dib.Data(), n);
  return copy;
}

bool EditCommands::CopyActiveCell() {
  if (!CheckObject()) return false;
  int col = 0, row = 0;
  form_.ActiveCell(col, row);
  if (col < 1 || col > Current()->FrameCount()) return false;

  // Whatever was on the clipboard goes first: a copy that fails leaves it empty rather than
  // holding something other than the cell.
  Clipboard clipboard;
  clipboard.Empty();

  switch (row) {
    case kRowImage:
    case kRowMask: {
      const int16_t frame = int16_t(col - 1);
      const FrameSlot& slot =
          row == kRowImage ? Current()->GetImage(frame) : Current()->GetMask(frame);
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
      return clipboard.PutText(form_.Spread->SSGetData(col, row));
    default:
      return false;
  }
}

void EditCommands::CmEditCopy() {
  // Copying changes nothing in the document: Modified stays as it is, so no save-changes
  // question comes up for a copy alone.
  CopyActiveCell();
}

void EditCommands::CmEditCut() {
  if (!CheckObject()) return;
  int col = 0, row = 0;
  form_.ActiveCell(col, row);

  // What is being typed goes in first; a refusal has shown its message, and the cut goes on.
  form_.CommitFields();
  // A changed frame count may have moved the active cell: the cut is of the cell the user chose.
  form_.SetActiveCell(col, row);

  if (col < 1 || col > Current()->FrameCount()) return;
  if (row != kRowImage && row != kRowMask) return;
  // Only a picture that is on the clipboard may leave its cell: a copy that failed (a continue
  // frame, no DIB, an empty cell, a clipboard that did not take it) would otherwise lose it.
  if (!CopyActiveCell()) return;
  CmEditDelete();
}

void EditCommands::CmEditPaste() {
  if (!CheckObject()) return;
  int col = 0, row = 0;
  form_.ActiveCell(col, row);
  if (col < 1 || col > kGridCols) return;
  // What is being typed is an edit of its own, before this one (a refusal stops the command).
  if (!form_.CommitFields()) return;

  switch (row) {
    case kRowImage:
    case kRowMask: {
      // A drawing is rendered as large as the dialog's client area.
      const ClipboardPicture picture = Clipboard().Picture(form_.rect().size());
      if (!picture.dib) {
        QString text = QString::fromUtf8(kDibFromClipboard);
        if (!picture.error.empty())
          text += QStringLiteral("\n\n") + QString::fromStdString(picture.error);
        ShowError(text);
        return;
      }
      // A column beyond the last frame grows the frame list to it; the frames between stay
      // empty. Another program's picture that can be transparent brings its mask along, as a
      // picture file does.
      PutPictures(col, row, {{picture.dib, picture.mask, {}}}, QStringLiteral("貼り付け"));
      return;
    }
    case kRowSound:
      ShowError(QString::fromUtf8(kSoundPaste));
      return;
    case kRowX:
    case kRowY: {
      // No text, or a blank one, holds no number: nothing changes.
      const std::optional<QString> text = Clipboard().Text();
      if (!text || text->trimmed().isEmpty()) return;
      // As if typed into the cell: the same checks, the same step.
      form_.CommitLocation(col, row, *text);
      return;
    }
    default:
      return;
  }
}

}  // namespace kel
