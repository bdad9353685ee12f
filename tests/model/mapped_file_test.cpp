// Files mapped into memory, and what happens when one is cut short while a tool works on it.
#include "model/mapped_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <set>

#include "model/save_calls.h"
#include "model/save_file.h"
#include "support/test_paths.h"

namespace kel {
namespace {

namespace fs = std::filesystem;
using test::NamesIn;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

TEST(MappedFileTest, MapsTheWholeFileAndChangesStayInMemory) {
  TempDir dir;
  std::string bytes(3 * 4096 + 17, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = char(i * 7 + i / 4096);
  WriteFileBytes(dir / "a.bin", bytes);
  int error = -1;
  std::shared_ptr<MappedFile> file = MappedFile::Open((dir / "a.bin").string(), error);
  ASSERT_TRUE(file) << std::strerror(error);
  EXPECT_EQ(error, 0);
  ASSERT_EQ(file->Size(), bytes.size());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(file->Bytes()), file->Size()), bytes);
  file->Bytes()[5000] ^= 0xFF;
  EXPECT_EQ(ReadFileBytes(dir / "a.bin"), bytes);
}

// A copy read whole keeps the bytes it read whatever happens to the file after (rewritten in
// place, cut short), and holds only what there was when the file ended sooner than said.
TEST(MappedFileTest, ACopyKeepsItsBytesWhateverHappensToTheFile) {
  TempDir dir;
  std::string bytes(5 * 4096 + 3, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = char(i * 13 + 1);
  WriteFileBytes(dir / "a.bin", bytes);
  for (const size_t said : {bytes.size(), bytes.size() + 4096}) {
    const int fd = ::open((dir / "a.bin").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    int error = -1;
    std::shared_ptr<MappedFile> copy = MappedFile::Read(fd, said, error);
    ::close(fd);
    ASSERT_TRUE(copy) << std::strerror(error);
    ASSERT_EQ(copy->Size(), bytes.size());
    std::filesystem::resize_file(dir / "a.bin", 10);  // cut short in place
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(copy->Bytes()), copy->Size()), bytes);
    WriteFileBytes(dir / "a.bin", bytes);
  }
}

// The kernel's files report size 0 and make their content as they are read: it is read whole.
TEST(MappedFileTest, AFileThatReportsSizeZeroIsReadToItsEnd) {
  int error = -1;
  std::shared_ptr<MappedFile> file = MappedFile::Open("/proc/self/status", error);
  ASSERT_TRUE(file) << std::strerror(error);
  const std::string text(reinterpret_cast<const char*>(file->Bytes()), file->Size());
  EXPECT_EQ(text.rfind("Name:", 0), 0u) << text;
  EXPECT_EQ(text.back(), '\n');
}

TEST(MappedFileTest, EmptyFilesMapAsNothingAndOtherThingsAreRefusedWithTheReason) {
  TempDir dir;
  WriteFileBytes(dir / "empty.kel", "");
  int error = -1;
  std::shared_ptr<MappedFile> empty = MappedFile::Open((dir / "empty.kel").string(), error);
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->Size(), 0u);
  EXPECT_EQ(empty->Bytes(), nullptr);

  const struct {
    fs::path path;
    int reason;
  } refused[] = {{dir / "none.kel", ENOENT}, {dir.Path(), EISDIR}, {"/dev/null", EINVAL}};
  for (const auto& c : refused) {
    SCOPED_TRACE(c.path.string());
    EXPECT_FALSE(MappedFile::Open(c.path.string(), error));
    EXPECT_EQ(error, c.reason) << std::strerror(error);
  }
}

// A named pipe is no file to map: it is refused at once instead of waiting for a writer.
TEST(MappedFileDeathTest, ANamedPipeIsRefusedWithoutWaitingForAWriter) {
  TempDir dir;
  const fs::path pipe = dir / "pipe.kel";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0) << std::strerror(errno);
  EXPECT_EXIT(
      {
        ::alarm(5);  // ends a process left waiting
        int error = 0;
        const bool mapped = MappedFile::Open(pipe.string(), error) != nullptr;
        std::_Exit(!mapped && error == EINVAL ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

// Only a named temporary has anything to remove; an unnamed one goes with the process.
TEST(MappedFileTest, RemovingAnUnfinishedSaveTakesItsTemporaryAndTheSaveFails) {
  test::NamedTemporariesOnly named;
  TempDir dir;
  const fs::path target = dir / "out.kel";
  WriteFileBytes(target, "old contents");
  bool sawTemporary = false;
  std::string error;
  const bool saved = SaveFileAtomically(
      target.string(),
      [&](std::ostream& out) {
        out << "new contents";
        sawTemporary = NamesIn(dir.Path()).size() == 2;
        RemoveUnfinishedSave();
        return true;
      },
      error);
  EXPECT_TRUE(sawTemporary);
  EXPECT_FALSE(saved);
  EXPECT_EQ(error.rfind("cannot write " + target.string() + ": ", 0), 0u) << error;
  EXPECT_EQ(ReadFileBytes(target), "old contents");
  EXPECT_EQ(NamesIn(dir.Path()), std::set<std::string>{"out.kel"});
  RemoveUnfinishedSave();  // nothing under way: nothing happens
  EXPECT_EQ(NamesIn(dir.Path()), std::set<std::string>{"out.kel"});
}

// A save nested in another's writer ends first: the outer save, still under way, is removed all
// the same.
TEST(MappedFileTest, RemovingUnfinishedSavesTakesTheOuterOneAfterANestedSaveEnds) {
  test::NamedTemporariesOnly named;
  TempDir dir;
  const fs::path outerTarget = dir / "outer.kel";
  const fs::path innerTarget = dir / "inner.kel";
  WriteFileBytes(outerTarget, "old contents");
  std::string innerError, outerError;
  bool inner = false;
  const bool outer = SaveFileAtomically(
      outerTarget.string(),
      [&](std::ostream& out) {
        out << "new contents";
        inner = SaveFileAtomically(
            innerTarget.string(),
            [](std::ostream& in) {
              in << "inner";
              return true;
            },
            innerError);
        RemoveUnfinishedSave();
        return true;
      },
      outerError);
  EXPECT_TRUE(inner) << innerError;
  EXPECT_FALSE(outer);
  EXPECT_EQ(ReadFileBytes(outerTarget), "old contents");
  EXPECT_EQ(ReadFileBytes(innerTarget), "inner");
  EXPECT_EQ(NamesIn(dir.Path()), (std::set<std::string>{"inner.kel", "outer.kel"}));
}

// Another program truncates the input while a tool writes what it read from it: the tool ends
// with its message and status, the file it was replacing is as it was and no temporary is left.
TEST(MappedFileDeathTest, AFileCutShortUnderAToolEndsItCleanly) {
  TempDir dir;
  const fs::path input = dir / "in.kel";
  const fs::path target = dir / "out.kel";
  WriteFileBytes(input, std::string(4 * 4096, 'i'));
  WriteFileBytes(target, "old contents");
  EXPECT_EXIT(
      {
        ExitOnMappingFault("keltool: the input was cut short", 7);
        int error = 0;
        std::shared_ptr<MappedFile> file = MappedFile::Open(input.string(), error);
        if (!file) std::_Exit(100);
        std::string message;
        SaveFileAtomically(
            target.string(),
            [&](std::ostream& out) {
              out.write(reinterpret_cast<const char*>(file->Bytes()), 4096);
              if (::truncate(input.c_str(), 0) != 0) std::_Exit(101);
              const volatile uint8_t* gone = file->Bytes() + 3 * 4096;
              out.put(char(*gone));
              return true;
            },
            message);
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(7), "keltool: the input was cut short");
  EXPECT_EQ(ReadFileBytes(target), "old contents");
  EXPECT_EQ(NamesIn(dir.Path()), (std::set<std::string>{"in.kel", "out.kel"}));
}

// Bytes lent from a mapping that was cut short cannot be written: the save fails with EFAULT,
// which a tool reports as its input's fault, and the target stays.
TEST(MappedFileTest, LentBytesOfAFileCutShortFailTheSaveWithEFAULT) {
  TempDir dir;
  const fs::path input = dir / "in.kel";
  const fs::path target = dir / "out.kel";
  WriteFileBytes(input, std::string(3 * 4096, 'i'));
  WriteFileBytes(target, "old contents");
  int error = 0;
  std::shared_ptr<MappedFile> file = MappedFile::Open(input.string(), error);
  ASSERT_TRUE(file) << std::strerror(error);
  const SaveResult result = SaveFile(target.string(), [&](std::ostream& out) {
    WriteShared(out, file, file->Bytes(), file->Size());
    return ::truncate(input.c_str(), 0) == 0;
  });
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.problem, SaveProblem::kSystem);
  EXPECT_EQ(result.error, EFAULT) << result.message;
  EXPECT_EQ(ReadFileBytes(target), "old contents");
  EXPECT_EQ(NamesIn(dir.Path()), (std::set<std::string>{"in.kel", "out.kel"}));
}

}  // namespace
}  // namespace kel
