// Saving that fails on the way to the disk: no folder, a read-only folder, a full disk (a file
// size limit). The old file stays whole, the user is told which file and why, the document stays
// modified and keeps its name.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QGuiApplication>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app/app_fixture.h"
#include "app/file_saver.h"
#include "app/frame_window.h"

namespace kel::test {
namespace {

namespace fs = std::filesystem;

int FilesIn(const fs::path& dir) {
  int n = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) ++n;
  return n;
}

// Whether this process can still create a file in a folder whose write bits are off (it can
// as root).
bool WritesDespitePermissions(const fs::path& dir) {
  const fs::path probe = dir / "probe";
  std::ofstream out(probe);
  const bool wrote = out.is_open();
  out.close();
  fs::remove(probe);
  return wrote;
}

// ---- FileSaver

TEST(FileSaver, ReplacesTheFileWhole) {
  TempDir dir;
  const fs::path target = dir / "a.kel";
  WriteFileBytes(target, "old contents");
  FileSaver saver;
  EXPECT_TRUE(saver.Save(Q(target), [](std::ostream& out) {
    out << "new";
    out.write(std::string(300000, 'x').data(), 300000);  // a block larger than the buffer
    out << "end";
    return true;
  }));
  EXPECT_EQ(ReadFileBytes(target), "new" + std::string(300000, 'x') + "end");
  EXPECT_EQ(FilesIn(dir.Path()), 1);
  EXPECT_TRUE(saver.Error().isEmpty());
}

TEST(FileSaver, AFailedWriteLeavesTheOldFileAndNoTemporary) {
  TempDir dir;
  const fs::path target = dir / "a.kel";
  WriteFileBytes(target, "old contents");
  FileSaver saver;
  EXPECT_FALSE(saver.Save(Q(target), [](std::ostream& out) {
    out << "half of it";
    return false;
  }));
  EXPECT_EQ(ReadFileBytes(target), "old contents");
  EXPECT_EQ(FilesIn(dir.Path()), 1);
  EXPECT_FALSE(saver.Error().isEmpty());
}

TEST(FileSaver, ATargetThatCannotBeMadeIsReported) {
  TempDir dir;
  WriteFileBytes(dir / "plain", "x");
  const struct {
    const char* what;
    fs::path path;
  } cases[] = {
      {"missing folder", dir / "missing" / "a.kel"},
      {"folder is a file", dir / "plain" / "a.kel"},
      {"target is a folder", dir.Path()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FileSaver saver;
    bool called = false;
    EXPECT_FALSE(saver.Save(Q(c.path), [&](std::ostream& out) {
      called = true;
      out << "data";
      return true;
    }));
    EXPECT_FALSE(saver.Error().isEmpty());
  }
  EXPECT_EQ(ReadFileBytes(dir / "plain"), "x");
}

// ---- the commands

// A folder whose write bits are off. Root writes there all the same, so the save runs in a
// child that has given up root for an ordinary user.
TEST_F(AppTest, SaveIntoAFolderThatCannotBeWrittenIsReported) {
  Load({"a"}, 1);
  const fs::path locked = dir / "locked";
  fs::create_directory(locked);
  const fs::path target = locked / "doc.kel";
  WriteKel(target, {"old"});
  fs::permissions(dir.Path(),
                  fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                              fs::perms::group_exec | fs::perms::others_read |
                              fs::perms::others_exec);
  app->CurrentFileName = Q(target);
  const int code = InChild([&] {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return 100;
    if (WritesDespitePermissions(locked)) return 101;
    int result = 0;
    if (app->CmFileSave()) result |= 1;
    if (NamesInFile(target) != std::vector<std::string>{"old"}) result |= 2;
    if (Dialog().Modified != 1) result |= 4;
    if (prompt.Messages().size() != 1 || !prompt.Messages()[0].text.contains(Q(target)))
      result |= 8;
    return result;
  });
  fs::permissions(locked, fs::perms::owner_all);
  EXPECT_EQ(code, 0) << "1 saved, 2 old file changed, 4 no longer modified, 8 no message, "
                        "100 cannot become another user, 101 still writes";
  EXPECT_EQ(NamesInFile(target), std::vector<std::string>{"old"});
}

// Save As to a place that cannot be written keeps the old caption and name (and Modified).
TEST_F(AppTest, SaveAsThatFailsKeepsTheNameAndTheCaption) {
  Load({"a"}, 1);
  WriteFileBytes(dir / "plain", "x");
  const struct {
    const char* what;
    fs::path path;
    const char* reason;
  } cases[] = {
      {"missing folder", dir / "missing" / "new.kel", "ファイルまたはフォルダーが見つかりません"},
      {"folder is a file", dir / "plain" / "new.kel", "パスの途中がフォルダーではありません"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    prompt.Answer(Q(c.path));
    EXPECT_FALSE(app->CmFileSaveAs());
    EXPECT_EQ(Caption(), QStringLiteral("オブジェクトエディタ - loaded.kel -"));
    EXPECT_EQ(app->CurrentFileName, Q(dir / "loaded.kel"));
    EXPECT_EQ(Dialog().Modified, 1);
    ASSERT_EQ(prompt.Messages().size(), 1u);
    const QString text = prompt.Messages()[0].text;
    EXPECT_TRUE(text.contains(Q(c.path))) << text.toStdString();
    // The name, then the system's reason on its own line.
    EXPECT_TRUE(text.contains(QLatin1Char('\n'))) << text.toStdString();
    EXPECT_EQ(text.section(QLatin1Char('\n'), 1).trimmed(), QString::fromUtf8(c.reason));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    prompt.ClearHistory();
  }
}

// A full disk, made with a file size limit in a child process: the write fails part way. The
// old file must stay whole and the document modified. The child reports through its exit code.
TEST_F(AppTest, SaveOntoAFullDiskLeavesTheOldFileWhole) {
  Load({"a"}, 1);
  // Enough pictures that the new file is far larger than the limit.
  app->SpriteList.push_back(MakeSprite("big", 8, 64, 64));
  const fs::path target = dir / "loaded.kel";
  const std::string before = ReadFileBytes(target);
  ASSERT_LT(before.size(), 8192u);

  const int code = InChild([&] {
    // Without ignoring SIGXFSZ the limit would kill the process instead of failing the write.
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{16384, 16384};
    setrlimit(RLIMIT_FSIZE, &limit);
    int result = 0;
    if (app->CmFileSave()) result |= 1;
    if (ReadFileBytes(target) != before) result |= 2;
    if (Dialog().Modified != 1) result |= 4;
    if (prompt.Messages().size() != 1 || !prompt.Messages()[0].text.contains(Q(target)))
      result |= 8;
    if (FilesIn(dir.Path()) != 1) result |= 16;
    return result;
  });
  EXPECT_EQ(code, 0) << "1 saved, 2 old file changed, 4 no longer modified, 8 no message, "
                        "16 leftovers, -1 killed";
  // Without the limit the same save succeeds.
  EXPECT_TRUE(app->CmFileSave());
  EXPECT_EQ(NamesInFile(target), (std::vector<std::string>{"a", "big"}));
}

}  // namespace
}  // namespace kel::test
