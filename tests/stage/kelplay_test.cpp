// kelplay: its command line, and --output drawing the stage at a tick where the model puts the
// objects, without any window.
#include <gtest/gtest.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <fstream>
#include <initializer_list>

#include "files/object_file.h"
#include "model/motion.h"
#include "play_options.h"
#include "support/dib_builder.h"
#include "support/sprite_setup.h"

namespace kel {
namespace {

struct PlayRun {
  int status;
  QString out, err;
};

PlayRun Kelplay(const QStringList& args) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QStringLiteral("QT_QPA_PLATFORM"));  // --output needs no display of any kind
  env.remove(QStringLiteral("DISPLAY"));
  env.remove(QStringLiteral("WAYLAND_DISPLAY"));
  p.setProcessEnvironment(env);
  p.start(QStringLiteral(KEL_BINARY_DIR "/tools/kelplay/kelplay"), args);
  p.waitForFinished(20000);
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
          QString::fromLocal8Bit(p.readAllStandardOutput()),
          QString::fromLocal8Bit(p.readAllStandardError())};
}

// A 6 x 5 picture in colour rgb with a mask keeping all of it (or all but a see-through hole of
// 2 x 2), moving at (vx, vy) from (x, y).
std::unique_ptr<ObSpriteData> Mover(const char* name, uint32_t rgb, int behave, int x, int y,
                                    int vx, int vy, bool holed = false) {
  auto o = std::make_unique<ObSpriteData>();
  test::SetName(*o, name);
  o->AddImage(
      std::make_unique<ObBmpImage>(test::MakeDib({6, 5, 24}, [rgb](int, int) { return rgb; })), 0,
      0);
  const auto hole = [holed](int px, int py) { return holed && px / 2 == 1 && py / 2 == 1; };
  o->AddImage(
      std::make_unique<ObBmpImage>(test::MakeDib(
          {6, 5, 1, {0, 0xFFFFFF}}, [&](int px, int py) { return hole(px, py) ? 1u : 0u; })),
      0, 1);
  test::EditParams(*o, [&](ObSpriteParams& p) {
    p.Behave = behave;
    p.RandomStart = 1;
    p.ImageSizeX = 6;
    p.ImageSizeY = 5;
    p.PositionX = x;
    p.PositionY = y;
    p.SpeedX = vx;
    p.SpeedY = vy;
  });
  return o;
}

TEST(KelplayTest, OutputDrawsTheStageAtTheTickWhereTheModelSays) {
  QTemporaryDir dir;
  SpriteList list;
  list.push_back(Mover("walk", 0xFF0000, 3, 0, 0, 3, -2));    // a random start and walk
  list.push_back(Mover("bounce", 0x00FF00, 1, 40, 5, 7, 4));  // from a random start
  const std::string file = dir.filePath(QStringLiteral("two.kel")).toStdString();
  {
    std::ofstream out(file, std::ios::binary);
    ASSERT_TRUE(WriteObjectFile(out, list));
  }
  const QString png = dir.filePath(QStringLiteral("stage.png"));
  const PlayRun run =
      Kelplay({QString::fromStdString(file), QStringLiteral("--size"), QStringLiteral("120x90"),
               QStringLiteral("--tick"), QStringLiteral("37"), QStringLiteral("--seed"),
               QStringLiteral("11"), QStringLiteral("--output"), png});
  ASSERT_EQ(run.status, 0) << run.err.toStdString();
  const QImage picture(png);
  ASSERT_EQ(picture.size(), QSize(120, 90));
  const StageSize stage{120, 90};
  const uint32_t colours[] = {0xFFFF0000, 0xFF00FF00};
  int covered = 0;
  for (int i = 0; i < 2; ++i) {
    const MotionState s = MotionAt(*list[size_t(i)], i, stage, 11, 37);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 6; ++x) {
        const int px = int(s.x) + x, py = int(s.y) + y;
        if (px < 0 || py < 0 || px >= 120 || py >= 90) continue;
        ++covered;
        // Object 1 is later, so in front where they meet.
        const bool front = i == 1 || picture.pixel(px, py) != colours[1];
        if (front) {
          EXPECT_EQ(picture.pixel(px, py), colours[i]) << i << " " << px << "," << py;
        }
      }
  }
  EXPECT_GT(covered, 0);
  // Everything else is the default black background.
  int black = 0;
  for (int y = 0; y < 90; ++y)
    for (int x = 0; x < 120; ++x) black += picture.pixel(x, y) == 0xFF000000u;
  EXPECT_EQ(black, 120 * 90 - covered);

  // --objects leaves the others out.
  const PlayRun one = Kelplay({QString::fromStdString(file), QStringLiteral("--objects"),
                               QStringLiteral("bounce"), QStringLiteral("--output"), png});
  ASSERT_EQ(one.status, 0) << one.err.toStdString();
  const QImage only(png);
  EXPECT_EQ(only.size(), QSize(640, 480));
  bool red = false;
  for (int y = 0; y < only.height(); ++y)
    for (int x = 0; x < only.width(); ++x) red = red || only.pixel(x, y) == 0xFFFF0000u;
  EXPECT_FALSE(red);
}

// Whether the programs a test on a real X server (Xvfb) needs are installed.
bool HasTools(std::initializer_list<const char*> tools) {
  for (const char* tool : tools)
    if (QProcess::execute(
            QStringLiteral("sh"),
            {QStringLiteral("-c"),
             QStringLiteral("command -v %1 >/dev/null").arg(QString::fromLatin1(tool))}) != 0)
      return false;
  return true;
}

// Runs kelplay with args on an Xvfb screen of 800 x 600 whose root window shows root, and
// captures the screen (or the window named title) once a window of that name shows, with the
// program's memory map beside it (shot.maps). Null when nothing was captured.
QImage CaptureOnX(const QTemporaryDir& dir, const QStringList& args, const QString& title,
                  const QString& root, bool wholeScreen) {
  const QString shot = dir.filePath(QStringLiteral("shot.png"));
  const QString script = QStringLiteral(
      "unset QT_QPA_PLATFORM; display -window root \"$KEL_ROOT\"; "
      "SDL_AUDIODRIVER=dummy \"$0\" \"$@\" & pid=$!; "
      "wid=$(timeout 20 xdotool search --sync --onlyvisible --name \"$KEL_TITLE\" | head -n 1); "
      "[ -n \"$wid\" ] && sleep 0.3 && import -window \"${KEL_WINDOW:-$wid}\" \"$KEL_SHOT\" && "
      "cat /proc/$pid/maps > \"$KEL_SHOT.maps\"; kill $pid");
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("KEL_SHOT"), shot);
  env.insert(QStringLiteral("KEL_ROOT"), root);
  env.insert(QStringLiteral("KEL_TITLE"), title);
  if (wholeScreen) env.insert(QStringLiteral("KEL_WINDOW"), QStringLiteral("root"));
  p.setProcessEnvironment(env);
  p.start(QStringLiteral("timeout"),
          QStringList{QStringLiteral("60"), QStringLiteral("xvfb-run"), QStringLiteral("-a"),
                      QStringLiteral("-s"), QStringLiteral("-screen 0 800x600x24"),
                      QStringLiteral("sh"), QStringLiteral("-c"), script,
                      QStringLiteral(KEL_BINARY_DIR "/tools/kelplay/kelplay")} +
              args);
  p.waitForFinished(70000);
  return QImage(shot);
}

// Whether shown (its top left) is --output's picture at one of the ticks from first to last,
// with the stage's black background seen as background.
bool ShowsATick(const QTemporaryDir& dir, const QImage& shown, const QStringList& args, int first,
                int last, QRgb background) {
  for (int tick = first; tick <= last; ++tick) {
    const QString png = dir.filePath(QStringLiteral("t%1.png").arg(tick));
    if (Kelplay(args + QStringList{QStringLiteral("--tick"), QString::number(tick),
                                   QStringLiteral("--output"), png})
            .status != 0)
      return false;
    const QImage drawn(png);
    bool same = shown.width() >= drawn.width() && shown.height() >= drawn.height();
    for (int y = 0; same && y < drawn.height(); ++y)
      for (int x = 0; same && x < drawn.width(); ++x) {
        const QRgb want = drawn.pixel(x, y) == 0xFF000000u ? background : drawn.pixel(x, y);
        same = (want & 0xFFFFFFu) == (shown.pixel(x, y) & 0xFFFFFFu);
      }
    if (same) return true;
  }
  return false;
}

class KelplayOnXTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HasTools({"xvfb-run", "xdotool", "import", "display"}))
      GTEST_SKIP() << "Xvfb, xdotool or ImageMagick is not installed";
    SpriteList list;
    list.push_back(Mover("walk", 0xFF0000, 3, 0, 0, 3, -2, /*holed=*/true));
    list.push_back(Mover("bounce", 0x00FF00, 1, 40, 5, 7, 4));
    file = dir.filePath(QStringLiteral("two.kel"));
    std::ofstream out(file.toStdString(), std::ios::binary);
    ASSERT_TRUE(WriteObjectFile(out, list));
    QImage root(800, 600, QImage::Format_RGB32);
    root.fill(kRoot);
    root.save(dir.filePath(QStringLiteral("root.png")));
  }

  static constexpr QRgb kRoot = 0xFF204060;
  QTemporaryDir dir;
  QString file;
};

// The stage window shows what --output draws: the window's pixels equal the picture of one of
// the ticks it can have reached when it is captured (a quarter speed: a tick every 400 ms).
TEST_F(KelplayOnXTest, StageWindowShowsTheModelsPicture) {
  const QStringList common = {file, QStringLiteral("--size"), QStringLiteral("120x90"),
                              QStringLiteral("--seed"), QStringLiteral("11")};
  const QImage window = CaptureOnX(
      dir,
      common + QStringList{QStringLiteral("--stage"), QStringLiteral("--tick"),
                           QStringLiteral("37"), QStringLiteral("--speed"), QStringLiteral("0.25")},
      QStringLiteral("two\\.kel"), dir.filePath(QStringLiteral("root.png")), false);
  ASSERT_FALSE(window.isNull()) << "no window was captured";
  EXPECT_TRUE(ShowsATick(dir, window, common, 37, 45, 0xFF000000u));
}

// On the desktop the objects' pixels stand over the screen, and everything else of the stage
// (around them and through the hole) shows what lies below.
TEST_F(KelplayOnXTest, DesktopShowsTheObjectsOverTheScreen) {
  const QStringList common = {file, QStringLiteral("--size"), QStringLiteral("120x90"),
                              QStringLiteral("--seed"), QStringLiteral("11")};
  const QImage screen =
      CaptureOnX(dir,
                 common + QStringList{QStringLiteral("--tick"), QStringLiteral("37"),
                                      QStringLiteral("--speed"), QStringLiteral("0.25")},
                 QStringLiteral("^kelplay$"), dir.filePath(QStringLiteral("root.png")), true);
  ASSERT_FALSE(screen.isNull()) << "nothing was captured";
  EXPECT_TRUE(ShowsATick(dir, screen, common, 37, 45, kRoot));
  // The pixels went straight to the window through the player's own shared-memory band, not
  // through a backing store of the whole screen (where the system gives shared memory at all).
  const int shm = shmget(IPC_PRIVATE, 4096, IPC_CREAT | 0600);
  if (shm < 0) GTEST_SKIP() << "no shared memory here";
  shmctl(shm, IPC_RMID, nullptr);
  QFile maps(dir.filePath(QStringLiteral("shot.png.maps")));
  ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
  EXPECT_TRUE(maps.readAll().contains("/SYSV"));
}

TEST(KelplayTest, MistakesAreNamedAndChangeNothing) {
  QTemporaryDir dir;
  const QString kel = dir.filePath(QStringLiteral("one.kel"));
  {
    SpriteList list;
    list.push_back(Mover("a", 0xFF, 0, 0, 0, 1, 1));
    std::ofstream out(kel.toStdString(), std::ios::binary);
    ASSERT_TRUE(WriteObjectFile(out, list));
  }
  const QString png = dir.filePath(QStringLiteral("out.png"));
  struct Case {
    QStringList args;
    int status;
    const char* says;
  } cases[] = {
      {{kel, "--objects", "b", "--output", png}, 1, "オブジェクト「b」はファイルにありません"},
      {{dir.filePath("missing.kel"), "--output", png}, 1, "missing.kel"},
      {{kel, "--output", dir.filePath("no/such/folder/x.png")}, 1, "を書き込めません"},
      {{kel, "--output", dir.filePath("x.xyz")}, 2, "画像の形式 'xyz' には書き出せません"},
  };
  for (const Case& c : cases) {
    const PlayRun run = Kelplay(c.args);
    EXPECT_EQ(run.status, c.status) << c.says;
    EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.says))) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(png)) << c.says;
  }
}

TEST(KelplayTest, CommandLine) {
  struct Case {
    QStringList args;
    const char* error;  // "" when accepted
  } cases[] = {
      {{"a.kel", "--stage", "--seed", "18446744073709551615", "--speed", "0.25", "--size",
        "16384x1", "--tick", "864000", "--objects", "x,y"},
       ""},
      {{}, "オブジェクトファイルを指定してください"},
      {{"a.kel", "b.kel"}, "オブジェクトファイルは 1 つだけ指定できます"},
      {{"a.kel", "--seed", "-1"}, "シード '-1' は 0 以上の整数ではありません"},
      {{"a.kel", "--speed", "4.5"}, "速さ '4.5' は 0.25 から 4 の数ではありません"},
      {{"a.kel", "--speed", "0.2"}, "速さ '0.2' は 0.25 から 4 の数ではありません"},
      {{"a.kel", "--size", "0x10"}, "大きさ '0x10' は"},
      {{"a.kel", "--size", "16385x10"}, "大きさ '16385x10' は"},
      {{"a.kel", "--size", "640*480"}, "大きさ '640*480' は"},
      {{"a.kel", "--tick", "864001"}, "ティック '864001' は"},
      {{"a.kel", "--objects", "a,,b"}, "--objects に空の名前があります"},
      {{"a.kel", "--tick"}, "--tick の値がありません"},
      {{"a.kel", "--fast"}, "不明なオプション '--fast' です"},
      {{"a.kel", "--stage", "--output", "x.png"}, "--stage と --output は一緒に使えません"},
      {{"--", "--stage"}, ""},
  };
  for (const Case& c : cases) {
    const PlayOptions o = ParsePlayOptions(c.args);
    SCOPED_TRACE(c.args.join(' ').toStdString());
    if (*c.error == 0) {
      EXPECT_EQ(o.kind, PlayOptions::Play) << o.message.toStdString();
    } else {
      EXPECT_EQ(o.kind, PlayOptions::Error);
      EXPECT_TRUE(o.message.startsWith(QString::fromUtf8(c.error))) << o.message.toStdString();
    }
  }
  const PlayOptions o = ParsePlayOptions({"a.kel", "--size", "800x600", "--speed", "2"});
  EXPECT_EQ(o.size, QSize(800, 600));
  EXPECT_EQ(o.speed, 2.0);
  EXPECT_EQ(ParsePlayOptions({"--", "--stage"}).file, QStringLiteral("--stage"));
  EXPECT_EQ(ParsePlayOptions({"a.kel", "-h"}).kind, PlayOptions::Help);
}

}  // namespace
}  // namespace kel
