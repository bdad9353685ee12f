// The cell commands: they act on the frame grid's active cell. Reading a bitmap into an image or
// mask cell, a wave file into the sound row, marking a continue frame, deleting a frame, opening
// the animation preview, the clearing step of cut, and the grid's keys.
//
// The dialog is not redisplayed from Qt's paint event: showing the object again on every repaint
// would throw away what the user typed into the fields and the grid, replay the sound each time
// and, since showing the object repaints, never stop. The commands refresh the grid themselves
// after each change, and DispSpriteData runs on the events that show another object.
#include <QFile>
#include <QLineEdit>
#include <QMetaObject>
#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "editor/dialog.h"
#include "grid/spread.h"
#include "model/text.h"
#include "model/wave_check.h"
#include "platform/prompt.h"
#include "preview/test_window.h"

namespace kel {

namespace {

// The commands the grid's keys stand for; the same ids as the menu's.
constexpr int kCmEditCut = 24322;
constexpr int kCmEditCopy = 24323;
constexpr int kCmEditPaste = 24324;
constexpr int kCmClearObject = 25103;
constexpr int kCmDelFrame = 25206;

const char kImageReadFailed[] = "ｲﾒｰｼﾞﾌｧｲﾙの読み込みに失敗しました";
const char kSoundReadFailed[] = "ｻｳﾝﾄﾞﾌｧｲﾙの読み込みに失敗しました";

// The file dialog of the cell commands: an existing file of the given kind, from the current
// folder, under the dialog's own title.
FileDialogRequest CellFileRequest(const char* filter, const char* defaultExt) {
  FileDialogRequest req;
  req.filter = QString::fromUtf8(filter);
  req.defaultExt = QString::fromUtf8(defaultExt);
  req.mustExist = true;
  return req;
}

int NumberOf(const QLineEdit* edit) {
  return AtolRule(edit->text().toStdString());
}

// Takes frame index out of the object with its pictures and its location; a sound at a later
// frame moves with its frame, a sound at this frame goes.
void DeleteFrame(ObSpriteData& sprite, int index) {
  sprite.ImageArray.erase(sprite.ImageArray.begin() + index);
  sprite.ExpandImageArray(sprite.FrameCount());  // keeps NumFrames equal to the list's length
  const int column = index + 1;
  if (sprite.Sound) {
    if (sprite.Sound->Frame == column) {
      sprite.Sound->DeleteSound();
      sprite.Sound.reset();
    } else if (sprite.Sound->Frame > column) {
      --sprite.Sound->Frame;
    }
  }
  if (size_t(index) < sprite.Locations.size())
    sprite.Locations.erase(sprite.Locations.begin() + index);
}

// Why the wave bytes are no sound the player can take, or nullopt when they are one.
std::optional<QString> WaveProblem(const ObSound& sound) {
  const uint8_t* data = sound.WaveData();
  if (!data || sound.Size <= 0)
    return sound.LoadError().empty() ? QStringLiteral("ファイルを読めません")
                                     : QString::fromStdString(sound.LoadError());
  // A wave file is a RIFF file of form type WAVE.
  if (sound.Size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0)
    return QStringLiteral("WAVE ファイルではありません");
  if (const std::string fault = WaveFault(data, size_t(sound.Size)); !fault.empty())
    return QStringLiteral("WAVE ファイルが壊れています (%1)").arg(QString::fromStdString(fault));
  return std::nullopt;
}

}  // namespace

bool ObKELDialog::ActiveCellIn(int firstRow, int lastRow, int& col, int& row) {
  if (!CheckObject()) return false;
  Spread->SSGetActiveCell(&col, &row);
  if (row >= firstRow && row <= lastRow) return true;
  ShowWrongCell();
  return false;
}

void ObKELDialog::ShowWrongCell() {
  prompt_.MessageBox(window(), QStringLiteral("選択ｾﾙが違っています"), QStringLiteral("エラー"),
                     MB_OK);
}

void ObKELDialog::CmImageRead() {
  int col = 0, row = 0;
  if (!ActiveCellIn(kRowImage, kRowMask, col, row)) return;
  const std::optional<QString> path =
      prompt_.OpenFileName(window(), CellFileRequest("Bitmap File(*.bmp)|*.bmp|", "bmp"));
  if (!path) return;  // cancelled

  std::string error;
  if (ReadImage(col, row, QFile::encodeName(*path).constData(), &error)) {
    // The next read goes to the next frame.
    Spread->SSSetActiveCell(col + 1, row);
    Modified = 1;
    return;
  }
  prompt_.MessageBox(window(),
                     QString::fromUtf8(kImageReadFailed) + QStringLiteral("\n\n") + *path +
                         QStringLiteral("\n") + QString::fromStdString(error),
                     QStringLiteral("エラー"), MB_OK);
}

int ObKELDialog::ReadImage(long col, long row, const char* fileName, std::string* error) {
  if (!CurrentSprite) return 0;
  if (col < 1 || col > kGridCols) {
    if (error) *error = "フレーム " + std::to_string(col) + " はありません";
    return 0;
  }
  auto image = std::make_unique<ObBmpImage>(fileName);
  if (!image->HasDib()) {
    if (error) *error = image->LoadError();
    return 0;
  }
  PutImage(col, row, std::move(image));
  return 1;
}

void ObKELDialog::PutImage(long col, long row, std::unique_ptr<ObBmpImage> image) {
  image->MakePalette();
  image->DIBtoDDB(DC());

  // The size fields only grow: the object's size must hold its largest picture.
  if (NumberOf(SizeXEdit) < image->Width()) WriteField(SizeXEdit, image->Width());
  if (NumberOf(SizeYEdit) < image->Height()) WriteField(SizeYEdit, image->Height());

  CurrentSprite->AddImage(FrameSlot(std::move(image)), int16_t(col - 1), row == kRowImage ? 0 : 1);

  Spread->SSSetBool(TSpread::kBoolRedraw, false);
  // Both cells of the column: a continue frame that gets a picture loses the marker in its
  // other slot too, and that cell must not go on showing the continue icon.
  ShowFrameCells(int(col));
  MarkFrameColumns(CurrentSprite->FrameCount());
  WriteField(FramesEdit, CurrentSprite->FrameCount());
  Spread->SSSetBool(TSpread::kBoolRedraw, true);
}

void ObKELDialog::CmSoundRead() {
  int col = 0, row = 0;
  if (!ActiveCellIn(kRowSound, kRowSound, col, row)) return;
  const std::optional<QString> path =
      prompt_.OpenFileName(window(), CellFileRequest("Wave File(*.wav)|*.wav|", "wav"));
  if (!path) return;  // cancelled
  auto readFailed = [&](const QString& why) {
    ShowError(QString::fromUtf8(kSoundReadFailed) + QStringLiteral("\n\n") + *path +
              QStringLiteral("\n") + why);
  };

  // The object file keeps the sound's path as CP932 bytes in a 256-byte field ending in a zero
  // byte: a path it cannot hold whole would not find the file again.
  const std::optional<std::string> stored = Utf8ToCp932(path->toStdString());
  if (!stored) {
    readFailed(QStringLiteral("このパスはオブジェクトファイルに保存できない文字を含んでいます"));
    return;
  }
  if (stored->size() > ObSound::kFileNameSize - 1) {
    readFailed(QStringLiteral("パスが長すぎます (%1 バイト、%2 バイトまで)")
                   .arg(stored->size())
                   .arg(ObSound::kFileNameSize - 1));
    return;
  }
  // The new clip is read before the old one goes, so a file that cannot be used changes
  // nothing.
  auto sound = std::make_unique<ObSound>(stored->c_str());
  if (const std::optional<QString> problem = WaveProblem(*sound)) {
    readFailed(*problem);
    return;
  }

  // An object has one sound: the old one's name leaves the row.
  Spread->SSClearDataRange(1, kRowSound, kGridCols, kRowSound);
  Spread->SSSetData(col, kRowSound, QString::fromStdString(NamePart(path->toStdString())));

  if (CurrentSprite->Sound) CurrentSprite->Sound->DeleteSound();
  CurrentSprite->Sound = std::move(sound);
  CurrentSprite->Sound->SetFileName(stored->c_str());
  CurrentSprite->Sound->Frame = int16_t(col);
  CurrentSprite->Sound->Play();
  Modified = 1;
}

void ObKELDialog::CmContIcon() {
  int col = 0, row = 0;
  if (!ActiveCellIn(kRowImage, kRowMask, col, row)) return;
  // A continue frame shows the picture of the frame before it; the first frame has none.
  if (col <= 1) {
    ShowError(QStringLiteral("最初のフレームには連続アイコンを指定できません"));
    return;
  }

  Spread->SSSetBool(TSpread::kBoolRedraw, false);
  const int16_t frame = int16_t(col - 1);
  CurrentSprite->AddImage(FrameSlot(ContinueMark), frame, 0);
  CurrentSprite->AddImage(FrameSlot(ContinueMark), frame, 1);
  SetBitmapToSpread();  // the pictures, the frame columns' colour and the frame count
  Spread->SSSetActiveCell(col + 1, row);
  Spread->SSSetBool(TSpread::kBoolRedraw, true);
  Modified = 1;
}

void ObKELDialog::CmDelButton() {
  if (!CheckObject()) return;
  // The fields go into the object first; a refusal has shown its message, and the frame is
  // deleted all the same.
  SaveSpriteData(CurrentSprite);

  int col = 0;
  Spread->SSGetActiveCell(&col, nullptr);
  if (col < 1 || col > CurrentSprite->FrameCount()) return;

  DeleteFrame(*CurrentSprite, col - 1);
  // The count is the frames that remain. (After a refused save the frame-count field may hold
  // anything, and its number less one is no count of frames.)
  WriteField(FramesEdit, CurrentSprite->FrameCount());

  DispSpriteData(CurrentSprite);
  Spread->SSSetData(0, kRowSound, QStringLiteral("ｻｳﾝﾄﾞ"));
  Modified = 1;
}

void ObKELDialog::CmTstButton() {
  if (!CheckObject()) return;
  // The preview shows the object as stored: the fields go in first, and a refusal (reported)
  // opens nothing.
  if (!SaveSpriteData(CurrentSprite)) return;
  // A window of its own that goes with the dialog, or closes itself; several may be open.
  auto* preview = new ObTestWindow(this, QStringLiteral("テスト表示"), CurrentSprite);
  preview->Create();
  preview->TestStart();
}

void ObKELDialog::ClosePreviewsOfGoneObjects() {
  for (ObTestWindow* preview : findChildren<ObTestWindow*>(Qt::FindDirectChildrenOnly)) {
    if (!preview->Sprite) continue;
    const bool inList =
        SpriteList && std::any_of(SpriteList->begin(), SpriteList->end(),
                                  [&](const auto& s) { return s.get() == preview->Sprite; });
    // Only the pointer is compared: the object it pointed to may be gone.
    if (!inList) preview->SpriteGone();
  }
}

void ObKELDialog::CmEditDelete() {
  if (!CheckObject()) return;
  int col = 0, row = 0;
  Spread->SSGetActiveCell(&col, &row);
  if (row != kRowImage && row != kRowMask) return;
  // A column past the last frame has no picture to empty; emptying it must not add frames.
  if (col < 1 || col > CurrentSprite->FrameCount()) return;
  CurrentSprite->AddImage(FrameSlot(), int16_t(col - 1), row == kRowImage ? 0 : 1);
  // Only this column's cells change. Showing the whole object again would put back the fields
  // and location cells the user has typed but not yet stored, move the active cell and play the
  // sound.
  ShowFrameCells(col);
  Modified = 1;
}

void ObKELDialog::CmOk() {
  // Enter never ends the editor: it is the main window's client, not a dialog box to close.
}

int ObKELDialog::GridKeyCommand(int key, bool ctrl) {
  switch (key) {
    case Qt::Key_Delete:
      return ctrl ? kCmClearObject : kCmDelFrame;
    case Qt::Key_X:
      return ctrl ? kCmEditCut : 0;
    case Qt::Key_C:
      return ctrl ? kCmEditCopy : 0;
    case Qt::Key_V:
      return ctrl ? kCmEditPaste : 0;
    default:
      return 0;
  }
}

void ObKELDialog::EvKeydown(int key, bool ctrl) {
  const int id = GridKeyCommand(key, ctrl);
  if (id == 0) return;
  // Posted: the command runs once the grid has finished with the key, and goes the way the
  // menu's would (the dialog's handler, else the application's).
  QMetaObject::invokeMethod(
      this,
      [this, id] {
        if (SendCommand) SendCommand(id);
      },
      Qt::QueuedConnection);
}

}  // namespace kel
