// Reading an object file by its path, as the editor does: only regular files, never waiting on a
// pipe, and with the file's size known before any field of it is believed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "files/object_file_helpers.h"
#include "model/system_error.h"
#include "support/kel_builder.h"

namespace kel::test {
namespace {

namespace fs = std::filesystem;
namespace b = build;

std::string Contains(const std::string& text, const std::string& part) {
  return text.find(part) == std::string::npos ? text : part;
}

// Special files are refused at once with what they are, in the reader's words; a file that is
// not there gives the system's reason, also as a number for the editor to word.
TEST(ReadObjectFilePath, OnlyRegularFilesAreRead) {
  TempDir dir;
  const fs::path pipe = dir / "pipe.kel";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  fs::create_directory(dir / "folder.kel");
  const struct {
    const char* what;
    fs::path path;
    std::string reason;
    int openError;
  } cases[] = {
      {"named pipe", pipe, "通常のファイルではありません", 0},
      {"device", "/dev/null", "通常のファイルではありません", 0},
      {"folder", dir / "folder.kel", "フォルダーです", 0},
      {"missing", dir / "none.kel", SystemErrorText(ENOENT), ENOENT},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    // In a child with an alarm: a reader left waiting on the pipe ends instead of hanging.
    const int code = InChild([&] {
      ::alarm(5);
      SpriteList list;
      const std::string expected = "ファイル \"" + c.path.string() + "\" を開けません: " + c.reason;
      int result = 0;
      const ObjectFileResult read = ReadObjectFile(c.path.string(), list);
      if (read.ok || read.message != expected || read.openError != c.openError) result |= 1;
      const ObjectFileResult add =
          AddReadObjectFile(c.path.string(), list, [](const std::string&) { return true; });
      if (add.ok || add.message != expected || add.openError != c.openError) result |= 2;
      return result;
    });
    EXPECT_EQ(code, 0) << "1 read, 2 add, -1 killed waiting";
  }
}

// A size field beyond the file is refused by comparing it with what the file holds, before
// anything is allocated for it (a stream of unknown length would allocate first).
TEST(ReadObjectFilePath, SizesAreCheckedAgainstTheFile) {
  TempDir dir;
  b::Object o;
  o.sound = b::Sound{"a.wav", {}, 1, "RIFF", 0x7FFFFFFF};
  WriteFileBytes(dir / "a.kel", b::File({o}));
  SpriteList list;
  const ObjectFileResult r = ReadObjectFile((dir / "a.kel").string(), list);
  EXPECT_FALSE(r.ok);
  const std::string part = "波形データの大きさ 2147483647 バイトがファイルの残り (4 バイト)";
  EXPECT_EQ(Contains(r.message, part), part);
}

// The kernel's files report size 0 and are read to their end: this one is no object file.
TEST(ReadObjectFilePath, AFileThatReportsSizeZeroIsRead) {
  SpriteList list;
  const ObjectFileResult r = ReadObjectFile("/proc/self/status", list);
  EXPECT_FALSE(r.ok);
  const std::string part = "識別子 \"KE--1.00\" がありません";
  EXPECT_EQ(Contains(r.message, part), part);
}

// A file that is no object file is refused at its first bytes, however large it is: nothing is
// read or made room for beyond them (a sparse file of a terabyte).
TEST(ReadObjectFilePath, ALargeFileThatIsNoObjectFileIsRefusedAtItsStart) {
  TempDir dir;
  WriteFileBytes(dir / "movie.kel", "RIFF....AVI ");
  std::filesystem::resize_file(dir / "movie.kel", uint64_t(1) << 40);
  SpriteList list;
  const ObjectFileResult r = ReadObjectFile((dir / "movie.kel").string(), list);
  EXPECT_FALSE(r.ok);
  const std::string part = "識別子 \"KE--1.00\" がありません";
  EXPECT_EQ(Contains(r.message, part), part);
}

}  // namespace
}  // namespace kel::test
