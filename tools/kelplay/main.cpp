// kelplay: plays the objects of an object file on the desktop, in a window (--stage), or draws
// the stage at one tick into a picture (--output) without any window.
#include <QApplication>
#include <QBuffer>
#include <QImageWriter>
#include <QMenu>
#include <QRandomGenerator>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <memory>

#include "document/document.h"
#include "files/object_file.h"
#include "model/save_file.h"
#include "platform/sdl_sound.h"
#include "platform/ui_setup.h"
#include "play_options.h"
#include "stage/desktop_window.h"
#include "stage/stage_player.h"
#include "stage/stage_view.h"

namespace kel {
namespace {

volatile std::sig_atomic_t stopAsked = 0;

void AskStop(int) {
  stopAsked = 1;
}

void Say(FILE* to, const QString& text) {
  std::fputs((QStringLiteral("kelplay: ") + text + QLatin1Char('\n')).toLocal8Bit().constData(),
             to);
}

// Reads the file; the objects not named in names are left out of the stage. Empty (with the
// message said) when the file or a name is wrong.
bool LoadObjects(const PlayOptions& o, Document& doc, StagePlayer*& player) {
  SpriteList list;
  const ObjectFileResult read = ReadObjectFile(o.file.toLocal8Bit().toStdString(), list);
  if (!read.ok) {
    Say(stderr, QString::fromStdString(read.message));
    return false;
  }
  doc.Reset(std::move(list), o.file);
  QStringList names;
  for (const auto& sprite : doc.Objects()) names << ObjectName(*sprite);
  for (const QString& name : o.objects) {
    if (!names.contains(name)) {
      Say(stderr, QStringLiteral("オブジェクト「%1」はファイルにありません").arg(name));
      return false;
    }
  }
  player = new StagePlayer(doc, &doc);
  if (!o.objects.isEmpty())
    for (size_t i = 0; i < doc.Objects().size(); ++i)
      player->SetShown(doc.Objects()[i].get(), o.objects.contains(names[qsizetype(i)]));
  return true;
}

int WritePicture(const PlayOptions& o, StagePlayer& player) {
  QByteArray format = QImageWriter::imageFormatsForMimeType("image/png").value(0, "png");
  const QString suffix = o.output.section(QLatin1Char('.'), -1).toLower();
  if (o.output.contains(QLatin1Char('.')) && suffix != QLatin1String("png")) {
    if (!QImageWriter::supportedImageFormats().contains(suffix.toLatin1())) {
      Say(stderr,
          QStringLiteral("画像の形式 '%1' には書き出せません (png をお使いください)").arg(suffix));
      return 2;
    }
    format = suffix.toLatin1();
  }
  player.Seek(o.tick);
  const QImage picture = player.Picture().convertToFormat(QImage::Format_RGB32);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!picture.save(&buffer, format.constData())) {
    Say(stderr, QStringLiteral("画像を作れません"));
    return 1;
  }
  std::string error;
  const bool ok = SaveFileAtomically(
      o.output.toLocal8Bit().toStdString(),
      [&](std::ostream& out) {
        out.write(bytes.constData(), bytes.size());
        return bool(out);
      },
      error);
  if (!ok) {
    Say(stderr, QStringLiteral("%1 を書き込めません: %2")
                    .arg(o.output, QString::fromLocal8Bit(error.c_str())));
    return 1;
  }
  return 0;
}

// Wayland gives a client no place on the screen of its own choosing: the desktop player runs
// through XWayland when the session has one. false (after the message) when neither works.
bool ChoosePlatform(const PlayOptions& o) {
  if (!o.output.isEmpty()) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return true;
  }
  if (o.stage || qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return true;
  const bool wayland =
      qgetenv("XDG_SESSION_TYPE") == "wayland" || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
  if (!wayland) return true;
  if (qEnvironmentVariableIsEmpty("DISPLAY")) {
    Say(stderr, QStringLiteral("Wayland のセッションではデスクトップの上に表示できません。"
                               "XWayland (環境変数 DISPLAY) がありません。"
                               "--stage を付けるとウィンドウの中で動かせます"));
    return false;
  }
  Say(stdout, QStringLiteral("Wayland のセッションなので XWayland で表示します"));
  qputenv("QT_QPA_PLATFORM", "xcb");
  return true;
}

int Play(int argc, char* argv[], const PlayOptions& o) {
  int qtArgc = 1;
  char* qtArgv[] = {argc > 0 ? argv[0] : const_cast<char*>("kelplay"), nullptr};
  QCoreApplication::setApplicationName(QStringLiteral("kelplay"));

  if (!o.output.isEmpty()) {
    QGuiApplication app(qtArgc, qtArgv);
    Document doc;
    StagePlayer* player = nullptr;
    if (!LoadObjects(o, doc, player)) return 1;
    player->SetStageSize(o.size.value_or(QSize(640, 480)));
    player->SetSeed(o.seed.value_or(0));
    return WritePicture(o, *player);
  }

  QApplication app(qtArgc, qtArgv);
  SetupApplicationUi(app);
  Document doc;
  StagePlayer* player = nullptr;
  if (!LoadObjects(o, doc, player)) return 1;
  const uint64_t seed = o.seed ? *o.seed : QRandomGenerator::global()->bounded(1u << 30);
  Say(stdout, QStringLiteral("シード %1").arg(seed));
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QRect screenRect = screen ? screen->geometry() : QRect(0, 0, 640, 480);
  player->SetSpeed(o.speed);
  SdlSoundPort sound;
  InstallSoundPort(&sound);

  std::unique_ptr<QWidget> window;
  if (o.stage) {
    player->SetStageSize(o.size.value_or(QSize(640, 480)));
    player->SetSeed(seed);
    auto* view = new StageView(*player);
    view->setWindowTitle(QStringLiteral("%1 - kelplay").arg(o.file.section(QLatin1Char('/'), -1)));
    window.reset(view);
    view->show();
  } else {
    // The window first: the player then keeps no picture of the whole screen of its own.
    auto* desktop = new DesktopWindow(*player, DesktopWindow::CompositorRuns());
    window.reset(desktop);
    player->SetStageSize(o.size.value_or(screenRect.size()));
    player->SetSeed(seed);
    desktop->Start(QRect(screenRect.topLeft(), player->StageSize()));
  }
  player->Seek(o.tick);
  player->Play();

  // The tray icon's menu ends it; without a tray, Ctrl+C or SIGTERM in the terminal.
  std::unique_ptr<QSystemTrayIcon> tray;
  std::unique_ptr<QMenu> menu;
  if (!o.stage && QSystemTrayIcon::isSystemTrayAvailable()) {
    menu = std::make_unique<QMenu>();
    menu->addAction(QStringLiteral("終了"), &app, &QCoreApplication::quit);
    tray = std::make_unique<QSystemTrayIcon>(QApplication::windowIcon());
    tray->setToolTip(QStringLiteral("kelplay - %1").arg(o.file));
    tray->setContextMenu(menu.get());
    tray->show();
  } else if (!o.stage) {
    Say(stdout, QStringLiteral("終了するには Ctrl+C を押してください"));
  }
  std::signal(SIGINT, AskStop);
  std::signal(SIGTERM, AskStop);
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, &app, [] {
    if (stopAsked) QCoreApplication::quit();
  });
  watch.start(100);
  const int result = app.exec();
  player->Pause();
  window.reset();
  InstallSoundPort(nullptr);
  return result;
}

}  // namespace
}  // namespace kel

int main(int argc, char* argv[]) {
  QStringList args;
  for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
  const kel::PlayOptions o = kel::ParsePlayOptions(args);
  if (o.kind == kel::PlayOptions::Help) {
    std::fputs(kel::PlayUsageText().toLocal8Bit().constData(), stdout);
    return 0;
  }
  if (o.kind == kel::PlayOptions::Error) {
    std::fprintf(stderr, "kelplay: %s\n%s", o.message.toLocal8Bit().constData(),
                 kel::PlayUsageText().toLocal8Bit().constData());
    return 2;
  }
  if (!kel::ChoosePlatform(o)) return 1;
  return kel::Play(argc, argv, o);
}
