// Switching between the objects of the list with the name drop-down, and the object commands:
// new, rename, delete and clear.
#include <QComboBox>
#include <QSignalBlocker>
#include <optional>
#include <string>

#include "editor/dialog.h"
#include "grid/spread.h"
#include "model/text.h"
#include "platform/prompt.h"
#include "preview/test_window.h"

namespace kel {

namespace {

// An object name is entered into a 12-byte buffer, terminator included: 11 CP932 bytes.
constexpr int kNameBytes = 11;

// The one place where a command gives an object its name. The name is the stored CP932 bytes.
void StoreName(ObSpriteData& sprite, std::string cp932) {
  sprite.Name = std::move(cp932);
}

// Asks for an object name until the user gives one that the object file can hold and no object
// of the list has yet, or cancels (nullopt). A refused name is reported and the input dialog
// comes back with the text as entered, so the user can correct it.
std::optional<std::string> AskObjectName(ObKELDialog& dialog, const QString& title,
                                         const QString& prompt, QString text) {
  for (;;) {
    const std::optional<QString> answer =
        dialog.Prompt().InputText(&dialog, title, prompt, text, kNameBytes);
    if (!answer) return std::nullopt;
    text = *answer;
    // The file stores the name as CP932 bytes ending at the first zero byte: a character CP932
    // has no code for, or a zero inside the name, would not come back as entered.
    const std::optional<std::string> bytes = Utf8ToCp932(text.toStdString());
    if (!bytes || bytes->find('\0') != std::string::npos) {
      dialog.ShowError(
          QStringLiteral("この名前はオブジェクトファイルに保存できない文字を含んでいます。"));
      continue;
    }
    // The input field keeps to the limit as the user types; this holds for any other source of
    // the text too.
    if (int(bytes->size()) > kNameBytes) {
      dialog.ShowError(QStringLiteral(
          "オブジェクト名が長すぎます。半角11文字（全角5文字）以内で入力してください。"));
      continue;
    }
    if (!dialog.CheckName(*bytes)) continue;  // a duplicate, already reported
    return bytes;
  }
}

}  // namespace

bool ObKELDialog::CheckObject() {
  if (CurrentSprite) return true;
  ShowError(QStringLiteral("オブジェクトがありません。"));
  return false;
}

void ObKELDialog::RedrawDialogParam() {
  if (!CurrentSprite) return;
  Modified = 1;
  if (!SaveSpriteData(CurrentSprite)) {
    // The present object stays: its stored values and its entry in the drop-down come back.
    GetSpriteData(CurrentIndex);
    DispSpriteData(CurrentSprite);
    return;
  }
  const int index = ObjectCombo->currentIndex();
  if (index < 0) return;
  CurrentIndex = index;
  GetSpriteData(CurrentIndex);
  DispSpriteData(CurrentSprite);
}

void ObKELDialog::CmNewObject() {
  Modified = 1;
  if (!SpriteList) return;
  // The object shown is stored first; while its fields are refused no other object can come.
  if (CurrentSprite && !SaveSpriteData(CurrentSprite)) return;

  std::optional<std::string> name =
      AskObjectName(*this, QStringLiteral("新規オブジェクト名の入力"),
                    QStringLiteral("オブジェクト名を入力してください。"), QString());
  if (!name) return;

  auto created = std::make_unique<ObSpriteData>();
  ObSpriteData* sprite = created.get();
  StoreName(*sprite, std::move(*name));
  AddSpriteData(std::move(created));
  CurrentIndex = int(SpriteList->size()) - 1;
  sprite->SetNumFrames(0);
  DispSpriteData(sprite);
  Spread->SSSetActiveCell(1, 1);
}

void ObKELDialog::CmRenameObject() {
  if (!CheckObject()) return;
  const QString current = QString::fromStdString(Cp932ToUtf8Lossy(CurrentSprite->Name));
  Modified = 1;

  // The object's own name is in the list too, so keeping it unchanged is refused as well.
  std::optional<std::string> name =
      AskObjectName(*this, QStringLiteral("オブジェクト名の変更"),
                    QStringLiteral("新しいオブジェクト名を入力してください。"), current);
  if (!name) return;

  StoreName(*CurrentSprite, std::move(*name));
  // Only the name changes: the fields and the grid keep what the user has entered and not yet
  // stored, which showing the object again would throw away.
  ShowObjectNames();
  Spread->SSSetActiveCell(1, 1);
}

void ObKELDialog::CmDeleteObject() {
  if (!CheckObject()) return;
  Modified = 1;
  const int count = int(SpriteList->size());
  {
    // Taking the entry out moves the drop-down's selection: that is no switch of the user's.
    const QSignalBlocker block(ObjectCombo);
    ObjectCombo->removeItem(CurrentIndex);
  }
  RemoveSpriteData(CurrentIndex);

  if (CurrentIndex == 0 && count == 1) {
    CurrentIndex = 0;
    InitWindow();  // nothing left to show
  } else if (CurrentIndex == count - 1) {
    --CurrentIndex;  // the last one went: its predecessor takes its place
  }
  GetSpriteData(CurrentIndex);
  DispSpriteData(CurrentSprite);
}

void ObKELDialog::CmClearObject() {
  if (!CheckObject()) return;
  Modified = 1;
  // Clear takes the name with everything else; the object keeps its name and its place.
  std::string name = CurrentSprite->Name;
  CurrentSprite->Clear();
  StoreName(*CurrentSprite, std::move(name));
  DispSpriteData(CurrentSprite);
}

void ObKELDialog::RemoveSpriteData(int index) {
  if (!SpriteList || index < 0 || size_t(index) >= SpriteList->size()) return;
  if ((*SpriteList)[size_t(index)].get() == CurrentSprite) CurrentSprite = nullptr;
  ObTestWindow::CloseFor((*SpriteList)[size_t(index)].get());  // its previews go first
  // The object goes with its frames, pictures, locations and sound clip; the clip stops the
  // sound it may be playing before its wave data goes.
  SpriteList->erase(SpriteList->begin() + index);
}

}  // namespace kel
