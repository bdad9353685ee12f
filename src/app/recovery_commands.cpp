// The application's side of recovery: the copies of unsaved changes it keeps, and the question
// at start about those a program that died left behind.
#include <QDir>
#include <QLocale>
#include <QStatusBar>

#include "app/frame_window.h"
#include "app/kel_app.h"
#include "app/recovery.h"
#include "platform/prompt.h"

namespace kel {

void kelApp::StartRecovery(const QString& folder) {
  recovery_ = std::make_unique<Recovery>(doc_, folder);
  connect(recovery_.get(), &Recovery::failed, this, [this](const QString& message) {
    if (frame_ && frame_->StatusBar) frame_->StatusBar->showMessage(message, 10000);
  });
}

bool kelApp::OfferRecovery() {
  if (!recovery_) return false;
  for (const Recovery::Orphan& orphan : recovery_->FindOrphans()) {
    const QString file = orphan.original.isEmpty() ? QStringLiteral("無題のオブジェクトファイル")
                                                   : QDir::toNativeSeparators(orphan.original);
    const QString text =
        QStringLiteral(
            "前回、プログラムが正しく終了しませんでした。\n"
            "保存されていない変更が残っています。\n\n%1\n(%2 の時点)\n\n"
            "変更を復元しますか？\n\n"
            "「いいえ」: この変更を破棄します\n"
            "「キャンセル」: 次回の起動時にもう一度確認します")
            .arg(file, QLocale(QLocale::Japanese)
                           .toString(orphan.saved, QStringLiteral("yyyy/MM/dd HH:mm:ss")));
    switch (prompt_.MessageBox(frame_.get(), text, QStringLiteral("変更の復元"),
                               MB_YESNOCANCEL | MB_ICONQUESTION)) {
      case IDYES: {
        // What is shown now may have changes of its own.
        if (!CanClose()) return false;
        SpriteList read;
        const ObjectFileResult result = ReadList(orphan.copy, read);
        if (!result.ok) {
          // A copy the editor cannot read is of no use to it, and would be offered for ever.
          prompt_.MessageBox(frame_.get(),
                             QStringLiteral("変更を復元できませんでした。控えは削除します。\n%1")
                                 .arg(QString::fromStdString(result.message)),
                             QString(), MB_OK | MB_ICONEXCLAMATION);
          Recovery::Remove(orphan);
          continue;
        }
        doc_.Reset(std::move(read), orphan.original);
        doc_.MarkUnsaved();
        // A copy of our own before the old one goes.
        recovery_->SaveNow();
        Recovery::Remove(orphan);
        return true;
      }
      case IDNO:
        Recovery::Remove(orphan);
        break;
      default:  // kept for the next start
        break;
    }
  }
  return false;
}

}  // namespace kel
