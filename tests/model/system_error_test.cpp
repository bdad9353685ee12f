// The system's reasons in Japanese, and the check made before a chosen file is read.
#include "model/system_error.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <set>

#include "support/test_paths.h"

namespace kel {
namespace {

TEST(SystemErrorTest, EveryReasonAUserMeetsHasItsOwnJapaneseText) {
  const int numbers[] = {ENOENT, EACCES, EPERM,  EISDIR, ENOTDIR, ENOSPC,       EDQUOT,
                         EROFS,  EEXIST, ELOOP,  EMFILE, ENFILE,  ENAMETOOLONG, EFBIG,
                         EIO,    EBUSY,  EINVAL, ENXIO,  EXDEV,   ENOMEM,       ETXTBSY};
  std::set<std::string> texts;
  for (int n : numbers) {
    SCOPED_TRACE(std::strerror(n));
    const std::string text = SystemErrorText(n);
    EXPECT_EQ(text.find("システムエラー"), std::string::npos) << text;
    EXPECT_TRUE(texts.insert(text).second) << "shared by two numbers: " << text;
  }
  EXPECT_EQ(SystemErrorText(EACCES), "アクセスが拒否されました (権限がありません)");
  EXPECT_EQ(SystemErrorText(EHWPOISON).rfind("システムエラー (番号 ", 0), 0u);
}

TEST(SystemErrorTest, OnlyARegularFileIsOpenedForReading) {
  test::TempDir dir;
  test::WriteFileBytes(dir / "a.bmp", "12345");
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
  const struct {
    std::string path;
    const char* problem;  // nullptr: none
  } cases[] = {
      {(dir / "a.bmp").string(), nullptr},
      {(dir / "missing.bmp").string(), "ファイルまたはフォルダーが見つかりません"},
      {(dir / "a.bmp" / "b.bmp").string(), "パスの途中がフォルダーではありません"},
      {dir.Path().string(), "フォルダーです"},
      {(dir / "pipe").string(), "通常のファイルではありません"},
      {"/dev/zero", "通常のファイルではありません"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    uint64_t size = 0;
    const std::optional<std::string> problem = RegularFileProblem(c.path, &size);
    if (!c.problem) {
      EXPECT_FALSE(problem) << *problem;
      EXPECT_EQ(size, 5u);
    } else {
      ASSERT_TRUE(problem);
      EXPECT_EQ(problem->rfind(c.problem, 0), 0u) << *problem;
    }
  }
}

TEST(SystemErrorTest, FoldersOfTheKernelsOwnFileSystemsAreNoPlaceForDocuments) {
  test::TempDir dir;
  const struct {
    std::string folder;
    std::optional<std::string> kind;
  } cases[] = {
      {"/proc", "proc"},
      {"/proc/self", "proc"},
      {"/sys", "sysfs"},
      {dir.Path().string(), std::nullopt},
      {(dir / "missing").string(), std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder);
    EXPECT_EQ(PseudoFileSystemOf(c.folder), c.kind);
  }
}

}  // namespace
}  // namespace kel
