// The shared atomic file writer: the target is replaced whole or not at all, through links, with
// its permissions, and a failure says which file and why.
#include "model/save_file.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "model/save_calls.h"
#include "support/test_paths.h"

namespace kel {
namespace {

namespace fs = std::filesystem;
using test::InChild;
using test::NamesIn;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

using Writer = std::function<bool(std::ostream&)>;

Writer Bytes(const std::string& bytes) {
  return [bytes](std::ostream& out) {
    out.write(bytes.data(), std::streamsize(bytes.size()));
    return true;
  };
}

std::string Expected(const std::string& path, const std::string& reason) {
  std::string s = "cannot write ";
  s += path;
  s += ": ";
  s += reason;
  return s;
}

// Bytes that differ from one position to the next, so that a piece written twice, left out or
// put in the wrong place shows.
std::string Pattern(size_t n, unsigned seed) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = char((i * 131 + seed * 7 + i / 251) & 0xFF);
  return s;
}

TEST(SaveFileTest, WritesANewFileOrReplacesTheOldOneWhole) {
  // Picture-sized pieces fill the buffer several times over, a block larger than the buffer
  // goes straight to the file between them, and the whole is large enough to be sent on to the
  // disk in steps while it is written.
  std::vector<std::string> pieces;
  for (unsigned i = 0; i < 40; ++i) pieces.push_back(Pattern(66000 + i, i));
  const std::string big = Pattern(1500000, 99);
  const Writer writer = [&](std::ostream& out) {
    out << "head";
    for (size_t i = 0; i < pieces.size(); ++i) {
      out.write(pieces[i].data(), std::streamsize(pieces[i].size()));
      if (i == 20) out.write(big.data(), std::streamsize(big.size()));
    }
    out << "tail";
    return true;
  };
  std::string expected = "head";
  for (size_t i = 0; i < pieces.size(); ++i) {
    expected += pieces[i];
    if (i == 20) expected += big;
  }
  expected += "tail";
  const struct {
    const char* what;
    std::optional<std::string> old;
  } cases[] = {{"new file", std::nullopt},
               {"shorter old file", "old"},
               {"longer old file", std::string(400000, 'o')}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const fs::path target = dir / "a.kel";
    if (c.old) WriteFileBytes(target, *c.old);
    std::string error;
    EXPECT_TRUE(SaveFileAtomically(target.string(), writer, error)) << error;
    EXPECT_TRUE(ReadFileBytes(target) == expected) << "the saved bytes differ";
    EXPECT_EQ(NamesIn(dir.Path()), std::set<std::string>{"a.kel"});
  }
}

// Lent blocks are written from where they stand, in order with the bytes around them, even once
// their owner has let go of them; so many in a row that the stream writes them in several goes.
TEST(SaveFileTest, LentBlocksComeOutInOrderWithTheCopiedBytes) {
  std::string expected;
  const Writer writer = [&](std::ostream& out) {
    for (unsigned i = 0; i < 1200; ++i) {
      auto block = std::make_shared<std::string>(Pattern(100 + 900 * (i % 7), i));
      const std::string small = std::to_string(i) + ";";
      out << small;
      WriteShared(out, block, block->data(), block->size());
      expected += small + *block;
      if (i == 600) {
        const std::string big = Pattern(1100000, i);
        out.write(big.data(), std::streamsize(big.size()));
        expected += big;
      }
    }
    out << "end";
    expected += "end";
    return true;
  };
  TempDir dir;
  std::string error;
  ASSERT_TRUE(SaveFileAtomically((dir / "a.kel").string(), writer, error)) << error;
  EXPECT_TRUE(ReadFileBytes(dir / "a.kel") == expected) << "the saved bytes differ";

  // Any other stream takes the bytes at once.
  std::ostringstream other;
  const auto block = std::make_shared<std::string>("lent");
  WriteShared(other, block, block->data(), block->size());
  block->assign("gone");
  EXPECT_EQ(other.str(), "lent");
}

TEST(SaveFileTest, AFailedWriteLeavesTheOldFileWholeAndNoTemporary) {
  const struct {
    const char* what;
    Writer writer;
  } cases[] = {
      {"writer gives up part way",
       [](std::ostream& out) {
         out << "half of it";
         return false;
       }},
      {"stream goes bad",
       [](std::ostream& out) {
         out << "half of it";
         out.setstate(std::ios::badbit);
         return true;
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const fs::path target = dir / "a.kel";
    WriteFileBytes(target, "old contents");
    std::string error;
    EXPECT_FALSE(SaveFileAtomically(target.string(), c.writer, error));
    EXPECT_EQ(error, Expected(target.string(), "write failed"));
    EXPECT_EQ(ReadFileBytes(target), "old contents");
    EXPECT_EQ(NamesIn(dir.Path()), std::set<std::string>{"a.kel"});
  }
}

TEST(SaveFileTest, AWriterThatThrowsLeavesTheOldFileWholeAndNoTemporary) {
  TempDir dir;
  const fs::path target = dir / "a.kel";
  WriteFileBytes(target, "old contents");
  std::string error;
  EXPECT_THROW(SaveFileAtomically(
                   target.string(),
                   [](std::ostream& out) -> bool {
                     out << std::string(100000, 'x');
                     throw std::runtime_error("out of memory");
                   },
                   error),
               std::runtime_error);
  EXPECT_EQ(ReadFileBytes(target), "old contents");
  EXPECT_EQ(NamesIn(dir.Path()), std::set<std::string>{"a.kel"});
}

TEST(SaveFileTest, ATargetThatCannotBeReplacedIsRefusedWithTheReason) {
  TempDir dir;
  WriteFileBytes(dir / "plain", "x");
  fs::create_directory(dir / "folder.kel");
  ASSERT_EQ(::mkfifo((dir / "pipe.kel").c_str(), 0600), 0);
  fs::create_symlink("loop.kel", dir / "loop.kel");
  const std::set<std::string> before = NamesIn(dir.Path());
  const struct {
    const char* what;
    fs::path path;
    std::string reason;
  } cases[] = {
      {"missing folder", dir / "missing" / "a.kel", std::strerror(ENOENT)},
      {"folder is a file", dir / "plain" / "a.kel", std::strerror(ENOTDIR)},
      {"target is a folder", dir / "folder.kel", "it is a folder"},
      {"target is a pipe", dir / "pipe.kel", "it is not a regular file"},
      {"link that leads to itself", dir / "loop.kel", std::strerror(ELOOP)},
      {"empty name", "", std::strerror(ENOENT)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    bool called = false;
    std::string error;
    EXPECT_FALSE(SaveFileAtomically(
        c.path.string(),
        [&](std::ostream& out) {
          called = true;
          out << "data";
          return true;
        },
        error));
    EXPECT_EQ(error, Expected(c.path.string(), c.reason));
    EXPECT_FALSE(called);
  }
  EXPECT_EQ(NamesIn(dir.Path()), before);
  EXPECT_EQ(ReadFileBytes(dir / "plain"), "x");
  EXPECT_TRUE(fs::is_fifo(dir / "pipe.kel"));
  EXPECT_TRUE(fs::is_symlink(dir / "loop.kel"));
}

TEST(SaveFileTest, ASymbolicLinkStaysALinkAndTheFileItNamesIsReplaced) {
  const struct {
    const char* what;
    fs::path link;  // relative to the test folder, as is every target below
    fs::path linkTo;
    fs::path file;  // the file that gets the bytes
    const char* old;
  } cases[] = {
      {"absolute link", "link.kel", "", "real/target.kel", "old"},
      {"relative link", "link.kel", "real/target.kel", "real/target.kel", "old"},
      {"link in another folder", "real/link.kel", "../other/target.kel", "other/target.kel", "old"},
      {"link to a file not made yet", "link.kel", "real/new.kel", "real/new.kel", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    fs::create_directory(dir / "real");
    fs::create_directory(dir / "other");
    if (c.old) WriteFileBytes(dir.Path() / c.file, c.old);
    const fs::path linkTo = c.linkTo.empty() ? dir.Path() / c.file : c.linkTo;
    const fs::path link = dir.Path() / c.link;
    fs::create_symlink(linkTo, link);
    std::string error;
    EXPECT_TRUE(SaveFileAtomically(link.string(), Bytes("new contents"), error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), linkTo);
    EXPECT_EQ(ReadFileBytes(dir.Path() / c.file), "new contents");
  }
  // A link to a link: both stay.
  TempDir dir;
  WriteFileBytes(dir / "target.kel", "old");
  fs::create_symlink("target.kel", dir / "middle.kel");
  fs::create_symlink("middle.kel", dir / "outer.kel");
  std::string error;
  EXPECT_TRUE(SaveFileAtomically((dir / "outer.kel").string(), Bytes("new"), error)) << error;
  EXPECT_TRUE(fs::is_symlink(dir / "outer.kel"));
  EXPECT_TRUE(fs::is_symlink(dir / "middle.kel"));
  EXPECT_EQ(ReadFileBytes(dir / "target.kel"), "new");
  EXPECT_EQ(NamesIn(dir.Path()), (std::set<std::string>{"target.kel", "middle.kel", "outer.kel"}));
}

// A chain of links is followed as far as the system follows one, and no further.
TEST(SaveFileTest, AChainOfLinksIsFollowedAsFarAsTheSystemFollowsOne) {
  const struct {
    int links;
    bool saved;
  } cases[] = {{40, true}, {41, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.links);
    TempDir dir;
    WriteFileBytes(dir / "target.kel", "old");
    for (int i = 0; i < c.links; ++i) {
      const std::string next = i + 1 < c.links ? "link" + std::to_string(i + 1) : "target.kel";
      fs::create_symlink(next, dir / ("link" + std::to_string(i)));
    }
    const fs::path first = dir / "link0";
    std::string error;
    EXPECT_EQ(SaveFileAtomically(first.string(), Bytes("new"), error), c.saved) << error;
    EXPECT_EQ(error, c.saved ? "" : Expected(first.string(), std::strerror(ELOOP)));
    EXPECT_EQ(ReadFileBytes(dir / "target.kel"), c.saved ? "new" : "old");
  }
}

mode_t ModeOf(const fs::path& p) {
  struct stat st;
  if (::stat(p.c_str(), &st) != 0) return 0;
  return st.st_mode & 07777;
}

TEST(SaveFileTest, AnExistingTargetKeepsItsPermissionsAndANewOneFollowsTheUmask) {
  for (const mode_t mode : {0600, 0640, 0755, 0444, 0666}) {
    SCOPED_TRACE(mode);
    TempDir dir;
    const fs::path target = dir / "a.kel";
    WriteFileBytes(target, "old");
    ASSERT_EQ(::chmod(target.c_str(), mode), 0);
    std::string error;
    EXPECT_TRUE(SaveFileAtomically(target.string(), Bytes("new"), error)) << error;
    EXPECT_EQ(ReadFileBytes(target), "new");
    EXPECT_EQ(ModeOf(target), mode);
  }
  for (const mode_t mask : {022, 027, 077}) {
    SCOPED_TRACE(mask);
    TempDir dir;
    const fs::path target = dir / "a.kel";
    const mode_t saved = ::umask(mask);
    std::string error;
    const bool ok = SaveFileAtomically(target.string(), Bytes("new"), error);
    ::umask(saved);
    EXPECT_TRUE(ok) << error;
    EXPECT_EQ(ModeOf(target), 0666 & ~mask);
  }
}

// While a save writes, its file has no name where the file system allows that; elsewhere each of
// two saves of one file at once has a hidden temporary of its own beside it.
TEST(SaveFileTest, TwoSavesOfOneFileAtOnceUseTwoTemporaries) {
  for (const bool named : {false, true}) {
    SCOPED_TRACE(named ? "named temporaries" : "unnamed temporaries");
    std::optional<test::NamedTemporariesOnly> only;
    if (named) only.emplace();
    TempDir dir;
    const fs::path target = dir / "a.kel";
    WriteFileBytes(target, "old");
    std::set<std::string> duringInner;
    std::string innerError, outerError;
    const bool outer = SaveFileAtomically(
        target.string(),
        [&](std::ostream& out) {
          out << "outer";
          return SaveFileAtomically(
              target.string(),
              [&](std::ostream& in) {
                in << "inner";
                duringInner = NamesIn(dir.Path());
                return true;
              },
              innerError);
        },
        outerError);
    EXPECT_TRUE(outer) << outerError;
    EXPECT_EQ(innerError, "");
    // The old file, and a hidden temporary beside it for each save that has a named one.
    ASSERT_EQ(duringInner.size(), named ? 3u : 1u);
    EXPECT_EQ(duringInner.count("a.kel"), 1u);
    for (const std::string& name : duringInner)
      EXPECT_TRUE(name == "a.kel" || name.rfind(".a.kel.", 0) == 0) << name;
    // The save that finished last wins.
    EXPECT_EQ(ReadFileBytes(target), "outer");
    EXPECT_EQ(NamesIn(dir.Path()), std::set<std::string>{"a.kel"});
  }
}

// A save killed while it writes leaves the old file and, with an unnamed temporary, nothing else.
TEST(SaveFileTest, ASaveKilledPartWayLeavesNoTemporary) {
  TempDir dir;
  const fs::path target = dir / "a.kel";
  WriteFileBytes(target, "old");
  const int code = InChild([&] {
    std::string error;
    SaveFileAtomically(
        target.string(),
        [](std::ostream& out) {
          out << std::string(3 << 20, 'x');
          out.flush();
          ::raise(SIGKILL);
          return true;
        },
        error);
    return 0;
  });
  EXPECT_EQ(code, -1);
  EXPECT_EQ(ReadFileBytes(target), "old");
  EXPECT_EQ(NamesIn(dir.Path()), std::set<std::string>{"a.kel"});
}

// The calls that make a replaced file safe, in their order: the new file reaches the disk before
// it is renamed over the old one, and the folder after, so that the rename itself is kept. A new
// file replaces nothing and is not flushed.
std::vector<std::string> g_calls;

TEST(SaveFileTest, ReplacingAFileFlushesItBeforeTheRename) {
  const SaveCalls saved = CurrentSaveCalls();
  CurrentSaveCalls().fsync = [](int fd) {
    g_calls.push_back("fsync");
    return ::fsync(fd);
  };
  CurrentSaveCalls().rename = [](const char* from, const char* to) {
    g_calls.push_back("rename");
    return ::rename(from, to);
  };
  for (const bool named : {false, true}) {
    SCOPED_TRACE(named ? "named temporaries" : "unnamed temporaries");
    std::optional<test::NamedTemporariesOnly> only;
    if (named) only.emplace();
    const struct {
      const char* what;
      bool exists;
      std::vector<std::string> calls;
    } cases[] = {{"replacing a file", true, {"fsync", "rename", "fsync"}},
                 {"a new file", false, {"rename"}}};
    for (const auto& c : cases) {
      SCOPED_TRACE(c.what);
      TempDir dir;
      if (c.exists) WriteFileBytes(dir / "a.kel", "old");
      g_calls.clear();
      std::string error;
      EXPECT_TRUE(SaveFileAtomically((dir / "a.kel").string(), Bytes("new"), error)) << error;
      EXPECT_EQ(g_calls, c.calls);
      EXPECT_EQ(ReadFileBytes(dir / "a.kel"), "new");
    }
  }
  CurrentSaveCalls() = saved;
}

// A flush or a rename the system refuses fails the save with the system's reason: the old file
// stays whole and no temporary is left, whichever kind of temporary was written.
TEST(SaveFileTest, AFlushOrRenameTheSystemRefusesLeavesTheOldFileWhole) {
  const SaveCalls saved = CurrentSaveCalls();
  const struct {
    const char* what;
    int (*fsync)(int);
    int (*rename)(const char*, const char*);
    int error;
  } cases[] = {
      {"the flush fails", [](int) { return errno = EIO, -1; }, ::rename, EIO},
      {"the rename fails", ::fsync, [](const char*, const char*) { return errno = EXDEV, -1; },
       EXDEV},
  };
  for (const bool named : {false, true}) {
    SCOPED_TRACE(named ? "named temporaries" : "unnamed temporaries");
    std::optional<test::NamedTemporariesOnly> only;
    if (named) only.emplace();
    for (const auto& c : cases) {
      SCOPED_TRACE(c.what);
      CurrentSaveCalls().fsync = c.fsync;
      CurrentSaveCalls().rename = c.rename;
      TempDir dir;
      const fs::path target = dir / "a.kel";
      WriteFileBytes(target, "old contents");
      const SaveResult result = SaveFile(target.string(), Bytes("new contents"));
      EXPECT_FALSE(result.ok);
      EXPECT_EQ(result.problem, SaveProblem::kSystem);
      EXPECT_EQ(result.message, Expected(target.string(), std::strerror(c.error)));
      EXPECT_EQ(ReadFileBytes(target), "old contents");
      EXPECT_EQ(NamesIn(dir.Path()), std::set<std::string>{"a.kel"});
    }
  }
  CurrentSaveCalls() = saved;
}

// What a failed save reports besides its message, for a caller that words it in its own language.
TEST(SaveFileTest, AFailureSaysWhichKindItIs) {
  TempDir dir;
  fs::create_directory(dir / "folder.kel");
  ASSERT_EQ(::mkfifo((dir / "pipe.kel").c_str(), 0600), 0);
  const struct {
    const char* what;
    fs::path path;
    Writer writer;
    SaveProblem problem;
    int error;
  } cases[] = {
      {"a folder", dir / "folder.kel", Bytes("x"), SaveProblem::kSystem, EISDIR},
      {"a missing folder", dir / "none" / "a.kel", Bytes("x"), SaveProblem::kSystem, ENOENT},
      {"a pipe", dir / "pipe.kel", Bytes("x"), SaveProblem::kNotRegular, 0},
      {"the writer gives up", dir / "a.kel", [](std::ostream&) { return false; },
       SaveProblem::kGaveUp, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const SaveResult result = SaveFile(c.path.string(), c.writer);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.problem, c.problem);
    EXPECT_EQ(result.error, c.error);
  }
}

// A tool writing into a folder of its own replaces a link found there instead of writing
// through it to wherever it leads.
TEST(SaveFileTest, NotFollowingLinksReplacesTheLinkItself) {
  TempDir dir;
  fs::create_directory(dir / "out");
  WriteFileBytes(dir / "elsewhere.bmp", "not yours");
  fs::create_symlink(dir / "elsewhere.bmp", dir / "out" / "a.bmp");
  fs::create_symlink(dir / "missing.bmp", dir / "out" / "b.bmp");
  SaveOptions options;
  options.followLinks = false;
  for (const char* name : {"a.bmp", "b.bmp"}) {
    SCOPED_TRACE(name);
    const SaveResult result = SaveFile((dir / "out" / name).string(), Bytes("picture"), options);
    EXPECT_TRUE(result.ok) << result.message;
    EXPECT_FALSE(fs::is_symlink(dir / "out" / name));
    EXPECT_EQ(ReadFileBytes(dir / "out" / name), "picture");
  }
  EXPECT_EQ(ReadFileBytes(dir / "elsewhere.bmp"), "not yours");
  EXPECT_FALSE(fs::exists(dir / "missing.bmp"));
}

TEST(SaveFileTest, ANameAsLongAsTheFileSystemTakesIsStillSaved) {
  test::NamedTemporariesOnly named;  // to see the temporary's name while it is written
  std::string japanese;
  for (int i = 0; i < 85; ++i) japanese += "\xE3\x81\x82";  // 85 x U+3042: 255 bytes
  const struct {
    const char* what;
    std::string name;
    std::string kept;  // the part of the name the temporary carries
  } cases[] = {
      {"255 ASCII bytes", std::string(251, 'n') + ".kel", std::string(247, 'n')},
      // 247 bytes would end inside a character.
      {"85 three-byte characters", japanese, japanese.substr(0, 246)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const fs::path target = dir / c.name;
    WriteFileBytes(target, "old");
    ASSERT_EQ(ReadFileBytes(target), "old");
    std::set<std::string> during;
    std::string error;
    EXPECT_TRUE(SaveFileAtomically(
        target.string(),
        [&](std::ostream& out) {
          during = NamesIn(dir.Path());
          out << "new";
          return true;
        },
        error))
        << error;
    during.erase(c.name);
    ASSERT_EQ(during.size(), 1u);
    const std::string temp = *during.begin();
    EXPECT_EQ(temp.substr(0, temp.size() - 7), "." + c.kept);
    EXPECT_EQ(ReadFileBytes(target), "new");
    EXPECT_EQ(NamesIn(dir.Path()), std::set<std::string>{c.name});
  }
}

// A folder whose write bits are off. Root writes there all the same, so the save runs in a child
// that has given up root for an ordinary user. The child reports through its exit code.
TEST(SaveFileTest, AFolderThatCannotBeWrittenIsReportedWithTheReason) {
  TempDir dir;
  const fs::path locked = dir / "locked";
  fs::create_directory(locked);
  const fs::path target = locked / "a.kel";
  WriteFileBytes(target, "old contents");
  fs::permissions(dir.Path(), fs::perms::owner_all | fs::perms::others_exec);
  fs::permissions(target, fs::perms::owner_read | fs::perms::others_read);
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                              fs::perms::others_exec);
  const int code = InChild([&] {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return 100;
    int result = 0;
    std::string error;
    if (SaveFileAtomically(target.string(), Bytes("new"), error)) result |= 1;
    if (error != Expected(target.string(), std::strerror(EACCES))) result |= 2;
    if (ReadFileBytes(target) != "old contents") result |= 4;
    if (NamesIn(locked) != std::set<std::string>{"a.kel"}) result |= 8;
    return result;
  });
  fs::permissions(locked, fs::perms::owner_all);
  EXPECT_EQ(code, 0) << "1 saved, 2 wrong message, 4 old file changed, 8 leftovers, "
                        "100 cannot become another user";
  EXPECT_EQ(ReadFileBytes(target), "old contents");
}

// A full disk, made with a file size limit in a child process: the write fails part way and the
// message gives the system's reason for it.
TEST(SaveFileTest, AWriteThatFailsPartWayIsReportedWithTheReason) {
  TempDir dir;
  const fs::path target = dir / "a.kel";
  WriteFileBytes(target, "old contents");
  const int code = InChild([&] {
    // Without ignoring SIGXFSZ the limit would kill the process instead of failing the write.
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{16384, 16384};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 100;
    int result = 0;
    // Bytes copied into the stream, and bytes lent to it.
    const auto block = std::make_shared<const std::string>(300000, 'x');
    const Writer writers[] = {Bytes(*block), [&](std::ostream& out) {
                                for (size_t at = 0; at < block->size(); at += 30000)
                                  WriteShared(out, block, block->data() + at, 30000);
                                return true;
                              }};
    for (const Writer& writer : writers) {
      std::string error;
      if (SaveFileAtomically(target.string(), writer, error)) result |= 1;
      if (error != Expected(target.string(), std::strerror(EFBIG))) result |= 2;
      if (ReadFileBytes(target) != "old contents") result |= 4;
      if (NamesIn(dir.Path()) != std::set<std::string>{"a.kel"}) result |= 8;
    }
    return result;
  });
  EXPECT_EQ(code, 0) << "1 saved, 2 wrong message, 4 old file changed, 8 leftovers, "
                        "100 no file size limit, -1 killed";
  // Without the limit the same save succeeds.
  std::string error;
  EXPECT_TRUE(SaveFileAtomically(target.string(), Bytes(std::string(300000, 'x')), error)) << error;
  EXPECT_EQ(ReadFileBytes(target), std::string(300000, 'x'));
}

}  // namespace
}  // namespace kel
