// keltool export, run as the real program: which object, which format, the files --all names,
// and the refusals that write nothing. The pictures' contents are read back in test_export.
#include <gtest/gtest.h>

#include <filesystem>

#include "run_tool.h"
#include "support/kel_builder.h"
#include "support/test_paths.h"

namespace kel::test {
namespace {

namespace fs = std::filesystem;
namespace build = kel::test::build;
using build::ImageRecord;
using build::Slot;

build::Object Object(std::string name, bool picture) {
  build::Object o;
  o.nameField = std::move(name);
  if (picture)
    o.frames = {{Slot::Pic(ImageRecord(4, 3, 24, 0, 1)), Slot::Pic(ImageRecord(4, 3, 1, 0, 2))},
                {Slot::Cont(), Slot::Cont()}};
  else
    o.frames = {{{}, Slot::Pic(ImageRecord(4, 3, 1, 0, 2))}};
  return o;
}

// "ﾃｽﾄ流" in CP932; a name with a slash; an empty name; the first name again; no picture.
std::string SampleFile() {
  return build::File({Object("\xC3\xBD\xC4\x97\xAC", true), Object("a/b", true), Object("", true),
                      Object("\xC3\xBD\xC4\x97\xAC", true), Object("blank", false)});
}

struct ExportFiles {
  TempDir dir;
  std::string kel = (dir / "in.kel").string();
  ExportFiles() { WriteFileBytes(kel, SampleFile()); }
};

struct FormatCase {
  std::string object, out;
  std::string magic;  // the file's first bytes
  size_t magicAt = 0;
};

TEST(KeltoolExport, WritesTheObjectNamedOrNumberedInTheFormatOfTheExtension) {
  ExportFiles s;
  const FormatCase cases[] = {
      {"ﾃｽﾄ流", "kana.gif", "GIF89a"},
      {"1", "second.WEBP", "WEBP", 8},
      {"a/b", "sheet.png", "\x89PNG\r\n\x1A\n"},
  };
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.out);
    const ToolRun r = RunKeltool({"export", s.kel, c.object, (s.dir / c.out).string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, (s.dir / c.out).string() + ": 2 frames exported\n");
    EXPECT_EQ(ReadFileBytes(s.dir / c.out).substr(c.magicAt, c.magic.size()), c.magic);
  }
  EXPECT_EQ(ReadFileBytes(s.dir / "sheet.json"),
            "{\"frames\":[{\"x\":0,\"y\":0,\"w\":4,\"h\":3,\"duration\":100},"
            "{\"x\":4,\"y\":0,\"w\":4,\"h\":3,\"duration\":100}]}\n");
}

TEST(KeltoolExport, AllNamesEachFileAfterItsObject) {
  ExportFiles s;
  const fs::path out = s.dir / "out" / "deeper";
  const ToolRun r = RunKeltool({"export", "--all", "--format=png", s.kel, out.string()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(NamesIn(out), (std::set<std::string>{"ﾃｽﾄ流.png", "ﾃｽﾄ流.json", "a_b.png", "a_b.json",
                                                 "object002.png", "object002.json", "ﾃｽﾄ流-2.png",
                                                 "ﾃｽﾄ流-2.json"}));
  EXPECT_NE(r.out.find("object 4 \"blank\" has no picture, skipped"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("4 objects exported to " + out.string()), std::string::npos) << r.out;
}

TEST(KeltoolExport, RefusalsWriteNothing) {
  ExportFiles s;
  WriteFileBytes(s.dir / "bad.kel", "KE--1.01");
  const std::string bad = (s.dir / "bad.kel").string();
  const std::string out = (s.dir / "x.gif").string();
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string message;
  } cases[] = {
      {{"export", s.kel, "ﾃｽﾄ流"}, 2, "export needs FILE.kel, OBJECT and OUT"},
      {{"export", "--all", s.kel}, 2, "export --all needs FILE.kel and DIR"},
      {{"export", "--format=gif", s.kel, "1", out}, 2, "--format goes with --all"},
      {{"export", "--format=bmp", "--all", s.kel, out}, 2, "unknown option '--format=bmp'"},
      {{"export", s.kel, "1", (s.dir / "x.bmp").string()}, 2, "OUT must end in .webp, .gif"},
      {{"export", s.kel, "nobody", out}, 2, "no object named \"nobody\""},
      {{"export", s.kel, "5", out}, 2, "no object named \"5\""},
      {{"export", s.kel, "blank", out}, 2, "no frame of the object shows a picture"},
      {{"export", bad, "1", out}, 1, bad + ": "},
      {{"export", s.kel, "1", (s.dir / "no" / "x.gif").string()}, 2, "cannot write"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const ToolRun r = RunKeltool(c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  EXPECT_EQ(NamesIn(s.dir.Path()), (std::set<std::string>{"in.kel", "bad.kel"}));
}

}  // namespace
}  // namespace kel::test
