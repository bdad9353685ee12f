// The object commands: new, rename, delete and clear, and the checks of object names. Object
// names are the objects' keys in the file: every name of the list must be unique. Names are
// compared as stored bytes, so names differing only in letter case are distinct.
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

#include "document/edit_steps.h"
#include "editor/dialog.h"
#include "editor/edit_commands.h"
#include "model/text.h"
#include "platform/prompt.h"

namespace kel {

namespace {

// An object name is entered into a 12-byte buffer, terminator included: 11 CP932 bytes.
constexpr int kNameBytes = 11;

// Asks for an object name until the user gives one that the object file can hold and no object
// of the list has yet, or cancels (nullopt). A refused name is reported and the input dialog
// comes back with the text as entered, so the user can correct it.
std::optional<std::string> AskObjectName(EditCommands& commands, const QString& title,
                                         const QString& prompt, QString text) {
  for (;;) {
    const std::optional<QString> answer =
        commands.Form().Prompt().InputText(&commands.Form(), title, prompt, text, kNameBytes);
    if (!answer) return std::nullopt;
    text = *answer;
    // The file stores the name as CP932 bytes ending at the first zero byte: a character CP932
    // has no code for, or a zero inside the name, would not come back as entered.
    const std::optional<std::string> bytes = Utf8ToCp932(text.toStdString());
    if (!bytes || bytes->find('\0') != std::string::npos) {
      commands.Form().ShowError(
          QStringLiteral("この名前はオブジェクトファイルに保存できない文字を含んでいます。"));
      continue;
    }
    // The input field keeps to the limit as the user types; this holds for any other source of
    // the text too.
    if (int(bytes->size()) > kNameBytes) {
      commands.Form().ShowError(QStringLiteral(
          "オブジェクト名が長すぎます。半角11文字（全角5文字）以内で入力してください。"));
      continue;
    }
    if (!commands.CheckName(*bytes)) continue;  // a duplicate, already reported
    return bytes;
  }
}

}  // namespace

bool EditCommands::CheckObject() {
  if (Current()) return true;
  ShowError(QStringLiteral("オブジェクトがありません。"));
  return false;
}

void EditCommands::CmNewObject() {
  // The object shown must be fit to leave first; while it is refused no other object comes.
  if (Current() && !form_.SaveSpriteData()) return;

  std::optional<std::string> name =
      AskObjectName(*this, QStringLiteral("新規オブジェクト名の入力"),
                    QStringLiteral("オブジェクト名を入力してください。"), QString());
  if (!name) return;

  auto created = std::make_unique<ObSpriteData>();
  created->SwapName(*name);
  doc_.Push(new InsertObjectOp(doc_, doc_.Count(), std::move(created), nullptr,
                               QStringLiteral("オブジェクトの新規作成")));
  doc_.SetCurrent(doc_.Count() - 1);
  form_.SetActiveCell(1, 1);
}

void EditCommands::CmRenameObject() {
  if (!CheckObject()) return;
  if (!form_.CommitFields()) return;
  const QString current = ObjectName(*Current());

  // The object's own name is in the list too, so keeping it unchanged is refused as well.
  std::optional<std::string> name =
      AskObjectName(*this, QStringLiteral("オブジェクト名の変更"),
                    QStringLiteral("新しいオブジェクト名を入力してください。"), current);
  if (!name) return;
  doc_.Push(new NameOp(doc_, Current(), std::move(*name), nullptr,
                       QStringLiteral("オブジェクト名の変更")));
}

void EditCommands::CmDeleteObject() {
  if (!CheckObject()) return;
  // The object waits in the step: undoing the delete brings it back whole, with its place.
  doc_.Push(
      new RemoveObjectOp(doc_, doc_.CurrentIndex(), nullptr, QStringLiteral("オブジェクトの削除")));
}

void EditCommands::CmClearObject() {
  if (!CheckObject()) return;
  // Clear takes everything but the name; the object keeps its name and its place. What was
  // typed into the fields goes with the rest.
  form_.DiscardTyping();
  doc_.Push(new ClearObjectOp(doc_, Current(), nullptr, QStringLiteral("オブジェクトのクリア")));
}

int EditCommands::CheckName(const std::string& name) {
  for (const auto& sprite : doc_.Objects()) {
    if (sprite->Name() == name) {
      ShowError(QStringLiteral("重複するオブジェクト名があります"));
      return 0;
    }
  }
  return 1;
}

int EditCommands::CheckRepeatedName() const {
  std::unordered_set<std::string_view> seen;
  seen.reserve(doc_.Objects().size());
  for (const auto& sprite : doc_.Objects())
    if (!seen.insert(sprite->Name()).second) return 0;
  return 1;
}

}  // namespace kel
