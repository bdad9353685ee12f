#include "platform/ui_setup.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

// The resource initialiser has to be named from the global namespace. Calling it is what links
// the pictures in: they live in a static library, whose unreferenced objects the linker drops.
static void InitKelResources() {
  Q_INIT_RESOURCE(resources);
}

namespace kel {

void RegisterResources() {
  static const bool done = (InitKelResources(), true);
  (void)done;
}

QString JapaneseUiFontFamily() {
  const QStringList all = QFontDatabase::families();
  for (const QString& preferred : {QStringLiteral("IPAGothic"), QStringLiteral("IPAゴシック")})
    if (all.contains(preferred)) return preferred;
  // Otherwise any family that writes Japanese; a fixed-pitch one keeps the dialog proportions
  // closest to what the layouts were made for.
  const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
  for (const QString& family : japanese)
    if (QFontDatabase::isFixedPitch(family)) return family;
  return japanese.isEmpty() ? QString() : japanese.first();
}

void SetupApplicationUi(QApplication& app) {
  RegisterResources();

  // Qt's own texts (standard buttons, file dialogs, the overwrite question) in Japanese. Installed
  // once, however often set-up runs.
  static const QString kTranslatorName = QStringLiteral("kel-qtbase-ja");
  if (!app.findChild<QTranslator*>(kTranslatorName, Qt::FindDirectChildrenOnly)) {
    auto* translator = new QTranslator(&app);
    translator->setObjectName(kTranslatorName);
    if (translator->load(QStringLiteral("qtbase_ja"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
      QCoreApplication::installTranslator(translator);
    else
      delete translator;
  }
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));

  const QString family = JapaneseUiFontFamily();
  if (!family.isEmpty()) {
    QFont font(family);
    font.setPixelSize(kUiFontPixelSize);
    font.setStyleHint(QFont::TypeWriter);
    QApplication::setFont(font);
  }

  QIcon icon;
  for (int size : {16, 32, 48, 64, 128, 256})
    icon.addFile(QStringLiteral(":/icons/keledit-%1.png").arg(size), QSize(size, size));
  QApplication::setWindowIcon(icon);
}

}  // namespace kel
