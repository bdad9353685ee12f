// The launch port: the Qt launcher finds the command's program on the PATH and runs it in the
// file's folder (a small shell script that records where and how it ran), and falls back to the
// desktop's default application (a recording opener here) when there is no such program; the
// scripted double answers as told.
#include "platform/launcher.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTest>
#include <filesystem>

#include "support/test_paths.h"
#include "test_app.h"

namespace kel {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::TempDir;
using test::TestApp;
using test::WriteFileBytes;

QString Native(const fs::path& p) {
  return QString::fromStdString(p.string());
}

// Writes its working folder and one argument a line to "ran.txt" in that folder; the file
// appears whole (renamed into place) so the test never reads it half-written.
const char kRecorder[] =
    "#!/bin/sh\n"
    "pwd > ran.part\n"
    "for a in \"$@\"; do printf '%s\\n' \"$a\" >> ran.part; done\n"
    "/bin/mv ran.part ran.txt\n";

void MakeProgram(const fs::path& p, const std::string& text, bool executable = true) {
  WriteFileBytes(p, text);
  fs::permissions(
      p, executable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
}

// The PATH holds only the given folder while the test runs.
class LauncherTest : public ::testing::Test {
 protected:
  LauncherTest() : oldPath_(qgetenv("PATH")) {
    TestApp();
    qputenv("PATH", QFile::encodeName(Native(bin.Path())));
  }
  ~LauncherTest() override { qputenv("PATH", oldPath_); }

  // What the recorder wrote, waiting for it to have run; empty when it never did.
  std::string Ran(const fs::path& folder) {
    const fs::path marker = folder / "ran.txt";
    if (!QTest::qWaitFor([&] { return fs::exists(marker); }, 5000)) return {};
    return ReadFileBytes(marker);
  }

  QtLaunchPort Port(bool opens = true) {
    return QtLaunchPort([this, opens](const QUrl& url) {
      opened << url;
      return opens;
    });
  }

  TempDir bin, work;
  QList<QUrl> opened;

 private:
  QByteArray oldPath_;
};

TEST_F(LauncherTest, AProgramOnThePathRunsInTheFilesFolderWithItsArguments) {
  MakeProgram(bin / "painter", kRecorder);
  const struct {
    const char* command;
    const char* args;  // one a line
  } cases[] = {
      {"painter pebbl000.bmp", "pebbl000.bmp\n"},
      {"  painter   a.bmp  b.bmp ", "a.bmp\nb.bmp\n"},
      {"painter \"two words.bmp\" x", "two words.bmp\nx\n"},
      {"painter", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    fs::remove(work / "ran.txt");
    QtLaunchPort port = Port();
    EXPECT_TRUE(port.Launch(QString::fromUtf8(c.command), Native(work.Path()),
                            Native(work / "pebbl000.bmp")));
    const std::string ran = Ran(work.Path());
    EXPECT_EQ(ran, QDir(Native(work.Path())).canonicalPath().toStdString() + "\n" + c.args);
  }
  EXPECT_TRUE(opened.isEmpty());
}

TEST_F(LauncherTest, WithoutTheProgramTheFileOpensInTheDefaultApplication) {
  // Beside the file but not on the PATH, or on the PATH but not executable: neither is run.
  MakeProgram(work / "PBRUSH", kRecorder);
  MakeProgram(bin / "painter", kRecorder, false);
  const struct {
    const char* command;
    bool opens;  // what the desktop answers
  } cases[] = {
      {"PBRUSH pebbl000.bmp", true},
      {"PBRUSH pebbl000.bmp", false},
      {"painter pebbl000.bmp", true},
      {"pbrush pebbl000.bmp", true},  // names are matched exactly
      {"", true},
  };
  const QString file = Native(work / "pebbl000.bmp");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    opened.clear();
    QtLaunchPort port = Port(c.opens);
    EXPECT_EQ(port.Launch(QString::fromUtf8(c.command), Native(work.Path()), file), c.opens);
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(file));
  }
  QTest::qWait(200);  // time enough for a wrongly started script to leave its mark
  EXPECT_FALSE(fs::exists(work / "ran.txt"));
  EXPECT_FALSE(fs::exists(bin / "ran.txt"));
}

TEST_F(LauncherTest, AProgramNamedWithAFolderIsTakenFromThere) {
  fs::create_directory(work / "tools");
  MakeProgram(work / "tools" / "painter", kRecorder);
  QtLaunchPort port = Port();
  EXPECT_TRUE(port.Launch(QStringLiteral("tools/painter p.bmp"), Native(work.Path()),
                          Native(work / "p.bmp")));
  EXPECT_EQ(Ran(work.Path()),
            QDir(Native(work.Path())).canonicalPath().toStdString() + "\np.bmp\n");
  EXPECT_EQ(QtLaunchPort::FindProgram(QStringLiteral("tools/missing"), Native(work.Path())),
            QString());
  EXPECT_TRUE(opened.isEmpty());
}

TEST(ScriptedLaunchPort, RecordsEveryRequestAndAnswersInOrder) {
  ScriptedLaunchPort port;
  port.Answer(false);
  EXPECT_FALSE(port.Launch(QStringLiteral("A 1"), QStringLiteral("/d"), QStringLiteral("/d/1")));
  EXPECT_TRUE(port.Launch(QStringLiteral("B 2"), QStringLiteral("/e"), QStringLiteral("/e/2")));
  EXPECT_EQ(port.CommandLines(), (QStringList{QStringLiteral("A 1"), QStringLiteral("B 2")}));
  ASSERT_EQ(port.Requests().size(), 2u);
  EXPECT_EQ(port.Requests()[1].folder, QStringLiteral("/e"));
  EXPECT_EQ(port.Requests()[1].file, QStringLiteral("/e/2"));
}

}  // namespace
}  // namespace kel
