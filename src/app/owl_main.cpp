#include "app/owl_main.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <csignal>
#include <cstdio>

#include "app/kel_app.h"
#include "platform/prompt.h"
#include "platform/sdl_sound.h"
#include "platform/ui_setup.h"

namespace kel {

QString UsageText() {
  return QStringLiteral(
      "使用法: keledit [ファイル.kel]\n"
      "オブジェクトファイル (.kel) のアニメーションオブジェクトを編集します。\n"
      "  ファイル.kel  起動時に開くオブジェクトファイル (省略すると無題の新しいファイル)\n"
      "  -h, --help    この説明を表示します\n"
      "  --            これより後はオプションではなくファイル名です\n");
}

CommandLine ParseCommandLine(const QStringList& args) {
  CommandLine cl;
  QStringList files;
  bool options = true;
  for (const QString& arg : args) {
    if (options && arg == QLatin1String("--")) {
      options = false;
    } else if (options && (arg == QLatin1String("--help") || arg == QLatin1String("-h"))) {
      cl.kind = CommandLine::Help;
      return cl;
    } else if (options && arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
      cl.kind = CommandLine::Error;
      cl.message = QStringLiteral("不明なオプション '%1' です").arg(arg);
      return cl;
    } else {
      files << arg;
    }
  }
  if (files.size() > 1) {
    cl.kind = CommandLine::Error;
    cl.message = QStringLiteral("開けるオブジェクトファイルは 1 つだけです (%1 個指定されました)")
                     .arg(files.size());
    return cl;
  }
  if (!files.isEmpty()) {
    if (files.first().isEmpty()) {
      cl.kind = CommandLine::Error;
      cl.message = QStringLiteral("ファイル名が空です");
      return cl;
    }
    // Kept with its folder: the document's folder must not depend on where the program was
    // started (the paint program's pictures, for one, go beside the document).
    cl.file = QDir::cleanPath(QFileInfo(files.first()).absoluteFilePath());
  }
  return cl;
}

int OwlMain(int argc, char* argv[]) {
  // Read before the application exists, so --help and mistakes are answered without a display.
  // Qt sees none of the arguments: the program takes no options but its own.
  QStringList args;
  for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
  const CommandLine cl = ParseCommandLine(args);
  if (cl.kind == CommandLine::Help) {
    std::fputs(UsageText().toLocal8Bit().constData(), stdout);
    return 0;
  }
  if (cl.kind == CommandLine::Error) {
    std::fprintf(stderr, "keledit: %s\n%s", cl.message.toLocal8Bit().constData(),
                 UsageText().toLocal8Bit().constData());
    return 2;
  }

  // A file-size limit must end a save with a message, not end the program with the document.
  std::signal(SIGXFSZ, SIG_IGN);

  int qtArgc = 1;
  char* qtArgv[] = {argc > 0 ? argv[0] : const_cast<char*>("keledit"), nullptr};
  QApplication app(qtArgc, qtArgv);
  QCoreApplication::setApplicationName(QStringLiteral("keledit"));
  QCoreApplication::setApplicationVersion(QStringLiteral(KEL_VERSION));
  SetupApplicationUi(app);
  SdlSoundPort sound;
  InstallSoundPort(&sound);
  // A message without a caption of its own is titled with the program's title.
  QtPromptPort prompt(QString::fromUtf8(kelApp::kTitle));
  int result;
  {
    kelApp application(prompt);
    result = application.Run(cl.file);
  }
  InstallSoundPort(nullptr);
  return result;
}

}  // namespace kel
