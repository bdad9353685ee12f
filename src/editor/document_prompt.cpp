// The save-changes prompt that guards every command discarding the document, and the end of the
// program.
#include "editor/dialog.h"
#include "platform/prompt.h"

namespace kel {

bool ObKELDialog::CanClose() {
  return AbandonOk();
}

bool ObKELDialog::AbandonOk() {
  if (Modified == 0) return true;
  const QString name = DocumentName ? DocumentName() : QString();
  const QString text =
      name +
      QStringLiteral("\nこのオブジェクトファイルは変更されています\n\n変更結果を保存しますか？");
  switch (prompt_.MessageBox(window(), text, QStringLiteral("警告"),
                             MB_YESNOCANCEL | MB_ICONEXCLAMATION)) {
    case IDYES:
      // The Save command travels on to the application, which writes under the current name.
      // A save that was refused or failed keeps the document: the calling command must not
      // discard what could not be saved.
      return SendCommand && SendCommand(kCmFileSave);
    case IDNO:
      return true;
    default:  // Cancel, or the box closed
      return false;
  }
}

}  // namespace kel
