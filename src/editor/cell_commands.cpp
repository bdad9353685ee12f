// The cell commands: they act on the frame grid's active cell. Reading a bitmap into an image or
// mask cell, a wave file into the sound row, marking a continue frame, deleting a frame, opening
// the animation preview, the clearing step of cut, and the grid's keys. Each change is one step
// of the document's history; the form shows it from the document's signals.
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "document/command_ids.h"
#include "document/edit_steps.h"
#include "editor/dialog.h"
#include "editor/edit_commands.h"
#include "grid/spread.h"
#include "model/text.h"
#include "model/wave_check.h"
#include "platform/busy_work.h"
#include "platform/picture_import.h"
#include "platform/prompt.h"
#include "preview/test_window.h"

namespace kel {

namespace {

// How far each new test window stands from the last one opened.
constexpr int kCascade = 24;

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

EditCommands::EditCommands(Document& doc, ObKELDialog& form, PromptPort& prompt, QObject* parent)
    : QObject(parent), doc_(doc), form_(form), prompt_(prompt) {
  connect(form_.Spread, &TSpread::KeyDown, this, &EditCommands::EvKeydown);
  connect(form_.Spread, &TSpread::DblClick, this,
          [this](int col, int row) { EvDblClick(col, row); });
}

EditCommands::~EditCommands() = default;

void EditCommands::ShowError(const QString& text) {
  form_.ShowError(text);
}

bool EditCommands::ActiveCellIn(int firstRow, int lastRow, int& col, int& row) {
  if (!CheckObject()) return false;
  form_.ActiveCell(col, row);
  if (row >= firstRow && row <= lastRow) return true;
  ShowWrongCell();
  return false;
}

void EditCommands::ShowWrongCell() {
  prompt_.MessageBox(form_.window(), QStringLiteral("選択ｾﾙが違っています"),
                     QStringLiteral("エラー"), MB_OK);
}

void EditCommands::CmImageRead() {
  int col = 0, row = 0;
  if (!ActiveCellIn(kRowImage, kRowMask, col, row)) return;
  // What is being typed is an edit of its own, before this one (a refusal stops the command).
  if (!form_.CommitFields()) return;
  FileDialogRequest req = CellFileRequest("", "bmp");
  req.filter = PictureFileFilter();
  const std::optional<QString> path = prompt_.OpenFileName(form_.window(), req);
  if (!path) return;  // cancelled

  std::string error;
  int dropped = 0;
  const int frames =
      ReadImage(col, row, QFile::encodeName(*path).constData(), &error, nullptr, &dropped);
  if (frames) {
    // The next read goes to the frame after the last one filled.
    form_.SetActiveCell(std::min(col + frames, int(kGridCols)), row);
    if (dropped) ShowFramesDropped(dropped);
    return;
  }
  prompt_.MessageBox(form_.window(),
                     QString::fromUtf8(kImageReadFailed) + QStringLiteral("\n\n") + *path +
                         QStringLiteral("\n") + QString::fromStdString(error),
                     QStringLiteral("エラー"), MB_OK);
}

void EditCommands::ShowFramesDropped(int dropped) {
  prompt_.MessageBox(
      form_.window(),
      QStringLiteral("フレームは %1 までのため、残りの %2 フレームは読み込みませんでした。")
          .arg(kMaxFrames)
          .arg(dropped),
      QString(), MB_OK | MB_ICONINFORMATION);
}

int EditCommands::ReadImage(long col, long row, const char* fileName, std::string* error,
                            EditStep* group, int* dropped) {
  if (!Current()) return 0;
  if (col < 1 || col > kGridCols) {
    if (error) *error = "フレーム " + std::to_string(col) + " はありません";
    return 0;
  }
  PictureFile read;
  // A large picture takes a moment: the window goes on painting meanwhile, with progress shown.
  const QFileInfo file(QFile::decodeName(fileName));
  RunBusy(form_.window(), QStringLiteral("画像を読み込んでいます...\n%1").arg(file.fileName()),
          file.size(), [&] { read = ReadPictureFile(file.filePath(), kGridCols - int(col) + 1); });
  if (read.frames.empty()) {
    if (error) *error = read.error;
    return 0;
  }
  if (dropped) *dropped = read.dropped;
  PutPictures(col, row, read.frames, PictureReadText(row), group);
  return int(read.frames.size());
}

QString EditCommands::PictureReadText(long row) {
  return row == kRowImage ? QStringLiteral("イメージの読み込み")
                          : QStringLiteral("マスクの読み込み");
}

void EditCommands::PutPictures(long col, long row, const std::vector<PictureDibs>& frames,
                               const QString& text, EditStep* group) {
  const DocumentBatch batch(doc_);
  EditStep* step = group ? group : new EditStep(doc_, text, Current(), {int(col), int(row)});
  for (const PictureDibs& frame : frames) {
    PutImage(col, row, std::make_unique<ObBmpImage>(frame.image), text, step);
    // A picture that can be transparent brings its mask to the frame's mask cell; read into the
    // mask cell, it is the mask itself.
    if (row == kRowImage && frame.mask)
      PutImage(col, kRowMask, std::make_unique<ObBmpImage>(frame.mask), text, step);
    ++col;
  }
  if (!group) doc_.Push(step);
}

void EditCommands::PutImage(long col, long row, std::unique_ptr<ObBmpImage> image,
                            const QString& text, EditStep* group) {
  ObSpriteData* sprite = Current();
  image->MakePalette();
  image->DIBtoDDB(form_.DC());

  const DocumentBatch batch(doc_);
  EditStep* step = group ? group : new EditStep(doc_, text, sprite, {int(col), int(row)});
  const int frame = int(col - 1);
  if (frame >= sprite->FrameCount()) ResizeFrames(step, frame + 1);
  // The image size only grows: the object's size must hold its largest picture.
  ObSpriteParams p = sprite->Params();
  p.ImageSizeX = int16_t(std::max<int>(uint16_t(p.ImageSizeX), image->Width()));
  p.ImageSizeY = int16_t(std::max<int>(uint16_t(p.ImageSizeY), image->Height()));
  if (!(p == sprite->Params())) step->Do(new ParamsOp(doc_, sprite, p, 0, step));
  FillSlot(step, frame, row != kRowImage, FrameSlot(std::move(image)));
  if (!group) doc_.Push(step);
}

void EditCommands::FillSlot(EditStep* step, int frame, bool mask, FrameSlot value) {
  ObSpriteData* sprite = step->Sprite();
  const FrameSlot& target =
      mask ? sprite->GetMask(int16_t(frame)) : sprite->GetImage(int16_t(frame));
  if (target.IsContinue() && !value.IsContinue())
    step->Do(new SlotOp(doc_, sprite, frame, !mask, FrameSlot(), step));
  step->Do(new SlotOp(doc_, sprite, frame, mask, std::move(value), step));
}

void EditCommands::CmSoundRead() {
  int col = 0, row = 0;
  if (!ActiveCellIn(kRowSound, kRowSound, col, row)) return;
  if (!form_.CommitFields()) return;
  const std::optional<QString> path =
      prompt_.OpenFileName(form_.window(), CellFileRequest("Wave File(*.wav)|*.wav|", "wav"));
  if (!path) return;  // cancelled
  SoundRead(col, *path);
}

bool EditCommands::SoundRead(int col, const QString& path) {
  auto readFailed = [&](const QString& why) {
    ShowError(QString::fromUtf8(kSoundReadFailed) + QStringLiteral("\n\n") + path +
              QStringLiteral("\n") + why);
    return false;
  };

  // The object file keeps the sound's path as CP932 bytes in a 256-byte field ending in a zero
  // byte: a path it cannot hold whole would not find the file again.
  const std::optional<std::string> stored = Utf8ToCp932(path.toStdString());
  if (!stored) {
    return readFailed(
        QStringLiteral("このパスはオブジェクトファイルに保存できない文字を含んでいます"));
  }
  if (stored->size() > ObSound::kFileNameSize - 1) {
    return readFailed(QStringLiteral("パスが長すぎます (%1 バイト、%2 バイトまで)")
                          .arg(stored->size())
                          .arg(ObSound::kFileNameSize - 1));
  }
  // The new clip is read before the old one goes, so a file that cannot be used changes
  // nothing.
  std::unique_ptr<ObSound> sound;
  // A large wave takes a moment: the window goes on painting meanwhile, with progress shown.
  RunBusy(form_.window(),
          QStringLiteral("サウンドを読み込んでいます...\n%1").arg(QFileInfo(path).fileName()),
          QFileInfo(path).size(), [&] { sound = std::make_unique<ObSound>(stored->c_str()); });
  if (const std::optional<QString> problem = WaveProblem(*sound)) return readFailed(*problem);
  sound->Frame = int16_t(col);

  // An object has one sound: the old one waits in the step.
  auto* step =
      new EditStep(doc_, QStringLiteral("サウンドの読み込み"), Current(), {col, kRowSound});
  step->Do(new SoundOp(doc_, Current(), std::move(sound), step));
  doc_.Push(step);
  if (Current()->Sound()) Current()->Sound()->Play();
  return true;
}

void EditCommands::CmContIcon() {
  int col = 0, row = 0;
  if (!ActiveCellIn(kRowImage, kRowMask, col, row)) return;
  // A continue frame shows the picture of the frame before it; the first frame has none.
  if (col <= 1) {
    ShowError(QStringLiteral("最初のフレームには連続アイコンを指定できません"));
    return;
  }
  if (!form_.CommitFields()) return;
  ObSpriteData* sprite = Current();
  const DocumentBatch batch(doc_);
  auto* step = new EditStep(doc_, QStringLiteral("連続アイコンの指定"), sprite, {col, row});
  const int frame = col - 1;
  if (frame >= sprite->FrameCount()) ResizeFrames(step, frame + 1);
  step->Do(new SlotOp(doc_, sprite, frame, false, FrameSlot(ContinueMark), step));
  step->Do(new SlotOp(doc_, sprite, frame, true, FrameSlot(ContinueMark), step));
  doc_.Push(step);
  form_.SetActiveCell(col + 1, row);
}

void EditCommands::CmDelButton() {
  if (!CheckObject()) return;
  // What is being typed goes in first; a refusal has shown its message, and the frame is
  // deleted all the same.
  form_.CommitFields();

  int col = 0, row = 0;
  form_.ActiveCell(col, row);
  if (col < 1 || col > Current()->FrameCount()) return;
  // The frame waits in the step with its location and a sound at it; the active cell stays in
  // the column, which now shows the frame after it.
  doc_.Push(new TakeFrameOp(doc_, Current(), col - 1, nullptr, QStringLiteral("フレームの削除")));
  form_.SetActiveCell(col, row);
}

void EditCommands::CmTstButton() {
  if (!CheckObject()) return;
  // The preview shows the object as stored: a refusal (reported) opens nothing.
  if (!form_.SaveSpriteData()) return;
  // A window of its own that goes with the form, or closes itself; several may be open, each a
  // step down and to the right of the last one, so none hides another.
  const QList<ObTestWindow*> open = form_.findChildren<ObTestWindow*>(Qt::FindDirectChildrenOnly);
  auto* preview = new ObTestWindow(&form_, QStringLiteral("テスト表示"), Current());
  for (auto last = open.crbegin(); last != open.crend(); ++last) {
    if (!(*last)->isVisible()) continue;
    preview->move((*last)->pos() + QPoint(kCascade, kCascade));
    break;
  }
  // It lets go of its object when the object leaves the document.
  connect(&doc_, &Document::objectRemoved, preview, [preview](ObSpriteData* gone) {
    if (preview->Sprite == gone) preview->SpriteGone();
  });
  // It shows what its object holds now, not the frames it had when it opened.
  const auto changed = [preview](ObSpriteData* sprite) {
    if (preview->Sprite == sprite) preview->SpriteChanged();
  };
  connect(&doc_, &Document::paramsChanged, preview, changed);
  connect(&doc_, &Document::framesChanged, preview, changed);
  connect(&doc_, &Document::slotsChanged, preview,
          [changed](ObSpriteData* sprite, int) { changed(sprite); });
  preview->Create();
  preview->TestStart();
}

void EditCommands::CmEditDelete() {
  if (!CheckObject()) return;
  int col = 0, row = 0;
  form_.ActiveCell(col, row);
  if (row != kRowImage && row != kRowMask) return;
  // A column past the last frame has no picture to empty; emptying it must not add frames.
  if (col < 1 || col > Current()->FrameCount()) return;
  auto* step = new EditStep(doc_, QStringLiteral("切り取り"), Current(), {col, row});
  FillSlot(step, col - 1, row != kRowImage, FrameSlot());
  doc_.Push(step);
}

void EditCommands::CmOk() {
  // Enter never ends the editor: it is the main window's client, not a dialog box to close.
}

int EditCommands::GridKeyCommand(int key, bool ctrl) {
  switch (key) {
    case Qt::Key_Delete:
      return ctrl ? CM_CLEAROBJECT : CM_DELFRAME;
    case Qt::Key_X:
      return ctrl ? CM_EDITCUT : 0;
    case Qt::Key_C:
      return ctrl ? CM_EDITCOPY : 0;
    case Qt::Key_V:
      return ctrl ? CM_EDITPASTE : 0;
    default:
      return 0;
  }
}

void EditCommands::EvKeydown(int key, bool ctrl) {
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
