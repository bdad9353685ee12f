// The command-line tool, run as the real program on object files built byte by byte.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <regex>
#include <set>
#include <sstream>

#include "json_value.h"
#include "run_tool.h"
#include "support/kel_builder.h"
#include "support/test_paths.h"

namespace kel::test {
namespace {

namespace fs = std::filesystem;
namespace build = kel::test::build;
using build::File;
using build::ImageRecord;
using build::Slot;

// "ﾃｽﾄ流" and "C:\snd\ﾎﾞﾝ.wav" in CP932.
const std::string kKanaName = "\xC3\xBD\xC4\x97\xAC";
const std::string kKanaNameUtf8 = "ﾃｽﾄ流";
const std::string kSoundPath = "C:\\snd\\\xCE\xDE\xDD.wav";
const std::string kSoundPathUtf8 = "C:\\snd\\ﾎﾞﾝ.wav";

std::string Wave(size_t n) {
  std::string w = "RIFF";
  while (w.size() < n) w += char(uint8_t(w.size() * 11));
  return w;
}

build::Sound Sound(std::string fileName, int16_t frame, std::string wave) {
  build::Sound snd;
  snd.fileName = std::move(fileName);
  snd.frame = frame;
  snd.wave = std::move(wave);
  return snd;
}

// The same objects with another marker before every picture.
std::vector<build::Object> WithMarker(std::vector<build::Object> objects, uint32_t marker) {
  for (build::Object& o : objects)
    for (build::Frame& f : o.frames) {
      f.image.marker = marker;
      f.mask.marker = marker;
    }
  return objects;
}

// Three objects covering every kind of slot, locations, a sound with and without data, a name
// that needs JSON escaping and one whose last byte does not decode.
std::vector<build::Object> Sample() {
  build::Object a;
  a.nameField = kKanaName;
  a.depth = 3;
  a.behave = 4;
  a.autoRepeat = 0;
  a.randomStart = 1;
  a.imageSizeX = 8;
  a.imageSizeY = 6;
  a.positionX = -5;
  a.positionY = 7;
  a.speedX = 2;
  a.speedY = -3;
  a.frames = {
      {Slot::Pic(ImageRecord(8, 6, 8, 0, 1)), Slot::Pic(ImageRecord(8, 6, 1, 0, 2))},
      {Slot::Cont(), Slot::Cont()},
      {Slot::Pic(ImageRecord(4, 4, 24, 0, 3)), {}},
      {{}, {}},
      {Slot::Pic(ImageRecord(8, 6, 4, 5, 4)), Slot::Pic(ImageRecord(8, 6, 1, 0, 5))},
  };
  a.locations = {{10, 20}, {30, -40}, {0, 0}, {1, 2}, {3, 4}};
  a.sound = Sound(kSoundPath, 2, Wave(40));

  build::Object b;
  b.nameField = "a\"b\\c\x01\t";
  b.frames = {{Slot::Pic(ImageRecord(2, 2, 8, 0, 6)), Slot::Pic(ImageRecord(2, 2, 1, 0, 7))}};
  b.sound = Sound("", 0, "");

  build::Object c;
  c.nameField = "bad\x81";
  c.behave = 1;
  return {a, b, c};
}

struct Files {
  TempDir dir;
  fs::path Put(const std::string& name, const std::string& bytes) {
    WriteFileBytes(dir / name, bytes);
    return dir / name;
  }
};

std::set<std::string> FilesUnder(const fs::path& root) {
  std::set<std::string> names;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file() || e.is_symlink())
      names.insert(e.path().lexically_relative(root).string());
  return names;
}

TEST(KeltoolTest, HelpAndVersionExitZero) {
  struct Case {
    std::vector<std::string> args;
    std::string expect;  // a line the help must hold
  } cases[] = {
      {{"--help"}, "Usage: keltool COMMAND"},
      {{"-h"}, "Usage: keltool COMMAND"},
      {{"help"}, "Usage: keltool COMMAND"},
      {{"info", "--help"}, "Usage: keltool info [--json] FILE.kel"},
      {{"help", "info"}, "Usage: keltool info [--json] FILE.kel"},
      {{"check", "-h"}, "Usage: keltool check [--lint] FILE.kel"},
      {{"rewrite", "--help"}, "Usage: keltool rewrite IN.kel OUT.kel"},
      {{"extract", "--help"}, "Usage: keltool extract FILE.kel DIR"},
      {{"extract", "a.kel", "--help"}, "Usage: keltool extract FILE.kel DIR"},
      {{"export", "--help"}, "Usage: keltool export FILE.kel OBJECT OUT"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + (c.args.size() > 1 ? " " + c.args[1] : ""));
    const ToolRun r = RunKeltool(c.args);
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find(c.expect), std::string::npos) << r.out;
    EXPECT_EQ(r.err, "");
  }
  const ToolRun general = RunKeltool({"--help"});
  for (const char* word : {"info", "check", "rewrite", "extract", "export", "Exit status"})
    EXPECT_NE(general.out.find(word), std::string::npos) << word;

  const ToolRun v = RunKeltool({"--version"});
  EXPECT_EQ(v.status, 0);
  EXPECT_TRUE(std::regex_match(v.out, std::regex("keltool [0-9]+\\.[0-9]+\\.[0-9]+\n"))) << v.out;
}

TEST(KeltoolTest, BadArgumentsAndUnreadableFilesExitTwo) {
  Files f;
  const std::string good = f.Put("good.kel", File(Sample())).string();
  const std::string missing = (f.dir / "missing.kel").string();
  const std::string folder = f.dir.Path().string();
  struct Case {
    std::vector<std::string> args;
    std::string message;  // part of the complaint
  } cases[] = {
      {{}, "Usage: keltool COMMAND"},
      {{"frob"}, "unknown command 'frob'"},
      {{"--frob"}, "unknown option '--frob'"},
      {{"help", "frob"}, "unknown command 'frob'"},
      {{"info"}, "info needs one FILE.kel"},
      {{"info", good, good}, "info needs one FILE.kel"},
      {{"info", "--xml", good}, "unknown option '--xml'"},
      {{"check"}, "check needs one FILE.kel"},
      {{"check", "--json", good}, "unknown option '--json'"},
      {{"rewrite", good}, "rewrite needs IN.kel and OUT.kel"},
      {{"extract", good}, "extract needs FILE.kel and DIR"},
      {{"check", missing}, "cannot open " + missing + ": No such file or directory"},
      {{"info", "--json", missing}, "cannot open " + missing},
      {{"check", folder}, "cannot open " + folder + ": it is a folder"},
      {{"check", "/dev/null"}, "cannot open /dev/null: not a regular file"},
      {{"rewrite", missing, (f.dir / "out.kel").string()}, "cannot open " + missing},
      {{"extract", missing, (f.dir / "x").string()}, "cannot open " + missing},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const ToolRun r = RunKeltool(c.args);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  EXPECT_FALSE(fs::exists(f.dir / "out.kel"));
  EXPECT_FALSE(fs::exists(f.dir / "x"));
}

TEST(KeltoolTest, CheckCountsTheObjectsOfAValidFile) {
  Files f;
  struct Case {
    std::vector<build::Object> objects;
    std::string says;
  } cases[] = {
      {{}, "valid object file, 0 objects"},
      {{Sample()[2]}, "valid object file, 1 object"},
      {Sample(), "valid object file, 3 objects"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.says);
    const fs::path p = f.Put("f.kel", File(c.objects));
    const ToolRun r = RunKeltool({"check", p.string()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, p.string() + ": " + c.says + "\n");
    EXPECT_EQ(r.err, "");
  }
}

TEST(KeltoolTest, CheckLintListsTheProblemsOneLineEachAndExitsOneWhenThereAreAny) {
  Files f;
  const fs::path clean = f.Put("clean.kel", File({Sample()[2]}));
  const ToolRun none = RunKeltool({"check", "--lint", clean.string()});
  EXPECT_EQ(none.status, 0);
  EXPECT_EQ(none.out, clean.string() + ": valid object file, 1 object\n");

  const fs::path p = f.Put("sample.kel", File(Sample()));
  const ToolRun r = RunKeltool({"check", "--lint", p.string()});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "");
  const std::string at = p.string() + ": ";
  const std::string lines[] = {
      at + "valid object file, 3 objects",
      at + "object 0 \"" + kKanaNameUtf8 + "\", frame 3, mask: イメージにマスクがありません",
      at + "object 1 \"a\\\"b\\\\c\\u0001\\t\", frame 1, image: イメージの大きさ 2×2 "
           "がイメージサイズ 0×0",
      at + "object 1 \"a\\\"b\\\\c\\u0001\\t\", frame 1, mask: マスクの大きさ 2×2",
      at + "object 1 \"a\\\"b\\\\c\\u0001\\t\", sound: サウンドにフレームが指定されていない",
  };
  std::istringstream out(r.out);
  std::string line;
  for (const std::string& expected : lines) {
    ASSERT_TRUE(std::getline(out, line));
    EXPECT_EQ(line.rfind(expected, 0), 0u) << line;
  }
  EXPECT_FALSE(std::getline(out, line)) << line;
}

TEST(KeltoolTest, CheckRefusesInvalidFilesWithTheReadersMessage) {
  const std::string good = File(Sample());
  const size_t firstRecord = 34 + 79 + 4;  // the first object's first image record
  const auto with = [&](size_t at, char c) {
    std::string s = good;
    s[at] = c;
    return s;
  };
  std::string moreObjects = good;
  moreObjects[32] = 4;
  std::string coreHeader = good;
  coreHeader[firstRecord + 14] = 12;
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty file", ""},
      {"header cut short", good.substr(0, 20)},
      {"count missing", good.substr(0, 33)},
      {"wrong magic", with(0, 'X')},
      {"magic not ended by a zero byte", with(8, '!')},
      {"count larger than the objects", moreObjects},
      {"wrong object tag", with(34, 'X')},
      {"wrong image type word", with(firstRecord, 'X')},
      {"image record cut short", good.substr(0, firstRecord + 60)},
      {"core header image", coreHeader},
      {"sound flag cut short", good.substr(0, good.size() - 1)},
  };
  Files f;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path p = f.Put("bad.kel", c.bytes);
    for (const char* command : {"check", "info"}) {
      const ToolRun r = RunKeltool({command, p.string()});
      EXPECT_EQ(r.status, 1) << command;
      EXPECT_EQ(r.out, "");
      const std::string prefix = "keltool: " + p.string() + ": ";
      ASSERT_EQ(r.err.compare(0, prefix.size(), prefix), 0) << r.err;
      EXPECT_GT(r.err.size(), prefix.size() + 2) << "the reader's message is missing";
    }
  }
}

TEST(KeltoolTest, CheckRefusesTheFileCutAnywhere) {
  // The format has no length fields to catch a short file early: every cut must still be found
  // by the reader (and never crash the tool or make it wait for more input).
  const std::string good = File(Sample());
  Files f;
  for (size_t cut = 0; cut < good.size(); cut += 13) {
    const fs::path p = f.Put("cut.kel", good.substr(0, cut));
    const ToolRun r = RunKeltool({"check", p.string()});
    EXPECT_EQ(r.status, 1) << "cut at " << cut << ": " << r.out << r.err;
  }
}

TEST(KeltoolTest, InfoTextNamesEveryObjectFrameLocationAndSound) {
  Files f;
  const fs::path p = f.Put("sample.kel", File(Sample()));
  const ToolRun r = RunKeltool({"info", p.string()});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string lines[] = {
      p.string() + ": 3 objects\n",
      "object 0: \"" + kKanaNameUtf8 + "\"\n",
      "  behave 4 (指定位置), depth 3, autoRepeat 0, randomStart 1\n",
      "  image size 8x6, position (-5, 7), speed (2, -3)\n",
      "  frames: 5\n",
      "    frame 1: image 8x6x8, mask 8x6x1\n",
      "    frame 2: continue\n",
      "    frame 3: image 4x4x24, mask empty\n",
      "    frame 4: image empty, mask empty\n",
      "    frame 5: image 8x6x4, mask 8x6x1\n",
      "  locations: 5\n",
      "    frame 2: (30, -40)\n",
      "  sound: \"C:\\\\snd\\\\ﾎﾞﾝ.wav\" at frame 2, 40 bytes\n",
      "object 1: \"a\\\"b\\\\c\\u0001\\t\"\n",
      "  sound: \"\" at frame 0, 0 bytes\n",
      "object 2: \"bad\xEF\xBF\xBD\"\n",
      "  behave 1 (ﾊﾞｳﾝﾄﾞ), depth 1, autoRepeat 1, randomStart 1\n",
      "  frames: 0\n",
      "  sound: none\n",
  };
  for (const std::string& line : lines) EXPECT_NE(r.out.find(line), std::string::npos) << line;
  EXPECT_EQ(r.err, "");
}

TEST(KeltoolTest, InfoJsonHasTheDocumentedShapeAndValues) {
  Files f;
  const fs::path p = f.Put("sample.kel", File(Sample()));
  const ToolRun r = RunKeltool({"info", "--json", p.string()});
  ASSERT_EQ(r.status, 0) << r.err;
  JsonValue doc;
  ASSERT_NO_THROW(doc = ParseJson(r.out)) << r.out;
  const JsonValue& objects = doc["objects"];
  ASSERT_EQ(objects.type, JsonValue::Array);
  ASSERT_EQ(objects.size(), 3u);

  const char* keys[] = {"name",       "depth",      "behave",    "autoRepeat", "randomStart",
                        "imageSizeX", "imageSizeY", "positionX", "positionY",  "speedX",
                        "speedY",     "frames",     "locations", "sound"};
  for (size_t n = 0; n < 3; ++n)
    for (const char* key : keys) EXPECT_NO_THROW((void)objects[n][key]) << n << " " << key;

  const JsonValue& a = objects[0];
  EXPECT_EQ(a["name"].Str(), kKanaNameUtf8);
  const std::pair<const char*, long long> numbers[] = {
      {"depth", 3},      {"behave", 4},     {"autoRepeat", 0}, {"randomStart", 1},
      {"imageSizeX", 8}, {"imageSizeY", 6}, {"positionX", -5}, {"positionY", 7},
      {"speedX", 2},     {"speedY", -3}};
  for (const auto& [key, value] : numbers) EXPECT_EQ(a[key].Int(), value) << key;

  struct Picture {
    int width, height, bits, colors;
  };
  const auto expectPicture = [](const JsonValue& v, Picture want) {
    ASSERT_EQ(v.type, JsonValue::Object);
    EXPECT_EQ(v["width"].Int(), want.width);
    EXPECT_EQ(v["height"].Int(), want.height);
    EXPECT_EQ(v["bitCount"].Int(), want.bits);
    EXPECT_EQ(v["colors"].Int(), want.colors);
  };
  const JsonValue& frames = a["frames"];
  ASSERT_EQ(frames.size(), 5u);
  expectPicture(frames[0]["image"], {8, 6, 8, 256});
  expectPicture(frames[0]["mask"], {8, 6, 1, 2});
  EXPECT_EQ(frames[1]["image"].Str(), "continue");
  EXPECT_EQ(frames[1]["mask"].Str(), "continue");
  expectPicture(frames[2]["image"], {4, 4, 24, 0});
  EXPECT_TRUE(frames[2]["mask"].IsNull());
  EXPECT_TRUE(frames[3]["image"].IsNull());
  EXPECT_TRUE(frames[3]["mask"].IsNull());
  expectPicture(frames[4]["image"], {8, 6, 4, 5});

  const JsonValue& locations = a["locations"];
  ASSERT_EQ(locations.size(), 5u);
  EXPECT_EQ(locations[1][0].Int(), 30);
  EXPECT_EQ(locations[1][1].Int(), -40);
  EXPECT_EQ(locations[4][0].Int(), 3);
  EXPECT_EQ(locations[4][1].Int(), 4);
  EXPECT_EQ(a["sound"]["fileName"].Str(), kSoundPathUtf8);
  EXPECT_EQ(a["sound"]["frame"].Int(), 2);
  EXPECT_EQ(a["sound"]["size"].Int(), 40);

  const JsonValue& b = objects[1];
  EXPECT_EQ(b["name"].Str(), "a\"b\\c\x01\t");
  EXPECT_EQ(b["locations"].size(), 0u);
  EXPECT_EQ(b["sound"]["fileName"].Str(), "");
  EXPECT_EQ(b["sound"]["size"].Int(), 0);

  const JsonValue& c = objects[2];
  EXPECT_EQ(c["name"].Str(), "bad\xEF\xBF\xBD");
  EXPECT_EQ(c["frames"].type, JsonValue::Array);
  EXPECT_EQ(c["frames"].size(), 0u);
  EXPECT_TRUE(c["sound"].IsNull());

  const ToolRun empty = RunKeltool({"info", "--json", f.Put("e.kel", File({})).string()});
  EXPECT_EQ(empty.status, 0);
  EXPECT_EQ(ParseJson(empty.out)["objects"].size(), 0u);
}

TEST(KeltoolTest, RewriteReproducesTheFileByteForByte) {
  Files f;
  struct Case {
    const char* what;
    std::vector<build::Object> objects;
  } cases[] = {
      {"no objects", {}},
      {"one object without frames", {Sample()[2]}},
      {"every kind of slot, locations and sounds", Sample()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string bytes = File(c.objects);
    const fs::path in = f.Put("in.kel", bytes);
    const fs::path out = f.dir / "out.kel";
    const ToolRun r = RunKeltool({"rewrite", in.string(), out.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(ReadFileBytes(out), bytes);
  }
  // Uninterpreted bytes come back in the writer's own form: header bytes 9-31 as zeros and the
  // writer's marker before each picture.
  std::string odd = File(WithMarker(Sample(), 0x12345678));
  for (size_t i = 9; i < 32; ++i) odd[i] = char(i);
  const ToolRun r =
      RunKeltool({"rewrite", f.Put("odd.kel", odd).string(), (f.dir / "even.kel").string()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFileBytes(f.dir / "even.kel"), File(Sample()));
}

TEST(KeltoolTest, RewriteReplacesTheTargetWholeAndKeepsItsLinkAndPermissions) {
  Files f;
  const std::string bytes = File(Sample());
  const fs::path in = f.Put("in.kel", bytes);

  // In place.
  ToolRun r = RunKeltool({"rewrite", in.string(), in.string()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFileBytes(in), bytes);

  // An existing target keeps its permissions.
  const fs::path out = f.Put("out.kel", "old contents");
  ASSERT_EQ(::chmod(out.c_str(), 0640), 0);
  r = RunKeltool({"rewrite", in.string(), out.string()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFileBytes(out), bytes);
  struct stat st;
  ASSERT_EQ(::stat(out.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);

  // A symbolic link stays a link; the file it names gets the bytes.
  fs::create_directory(f.dir / "real");
  const fs::path real = f.Put("real/target.kel", "old");
  const fs::path link = f.dir / "link.kel";
  fs::create_symlink(real, link);
  r = RunKeltool({"rewrite", in.string(), link.string()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadFileBytes(real), bytes);

  // No temporary file is left beside the targets.
  EXPECT_EQ(FilesUnder(f.dir.Path()),
            (std::set<std::string>{"in.kel", "out.kel", "real/target.kel", "link.kel"}));
}

TEST(KeltoolTest, RewriteLeavesTheTargetAloneWhenItCannotFinish) {
  Files f;
  const fs::path good = f.Put("good.kel", File(Sample()));
  const fs::path bad = f.Put("bad.kel", File(Sample()).substr(0, 200));
  const fs::path out = f.Put("out.kel", "keep me");
  fs::create_directory(f.dir / "folder.kel");
  struct Case {
    const char* what;
    fs::path in, out;
    int status;
    std::string message;
  } cases[] = {
      {"invalid input", bad, out, 1, "keltool: " + bad.string() + ": "},
      {"target in a missing folder", good, f.dir / "nowhere" / "out.kel", 2,
       "cannot write " + (f.dir / "nowhere" / "out.kel").string() + ": No such file or directory"},
      {"target is a folder", good, f.dir / "folder.kel", 2,
       "cannot write " + (f.dir / "folder.kel").string() + ": it is a folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ToolRun r = RunKeltool({"rewrite", c.in.string(), c.out.string()});
    EXPECT_EQ(r.status, c.status);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  EXPECT_EQ(ReadFileBytes(out), "keep me");
  EXPECT_EQ(FilesUnder(f.dir.Path()), (std::set<std::string>{"good.kel", "bad.kel", "out.kel"}));
}

TEST(KeltoolTest, ExtractWritesEveryPictureAndSoundWithTheRecordBytes) {
  Files f;
  const std::vector<build::Object> sample = Sample();
  const fs::path p = f.Put("sample.kel", File(sample));
  const fs::path out = f.dir / "out" / "deeper";
  const ToolRun r = RunKeltool({"extract", p.string(), out.string()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");

  std::map<std::string, std::string> expected;
  for (size_t n = 0; n < sample.size(); ++n) {
    char object[32];
    std::snprintf(object, sizeof object, "object%03zu/", n);
    for (size_t i = 0; i < sample[n].frames.size(); ++i) {
      char frame[32];
      std::snprintf(frame, sizeof frame, "frame%03zu", i + 1);
      const build::Frame& fb = sample[n].frames[i];
      if (fb.image.kind == Slot::Image)
        expected[object + std::string(frame) + "-image.bmp"] = fb.image.record;
      if (fb.mask.kind == Slot::Image)
        expected[object + std::string(frame) + "-mask.bmp"] = fb.mask.record;
    }
    if (sample[n].sound && !sample[n].sound->wave.empty())
      expected[object + std::string("sound.wav")] = sample[n].sound->wave;
  }
  ASSERT_EQ(expected.size(), 8u);  // 7 pictures and one sound with data
  std::set<std::string> names;
  for (const auto& [name, bytes] : expected) names.insert(name);
  EXPECT_EQ(FilesUnder(out), names);
  for (const auto& [name, bytes] : expected) EXPECT_EQ(ReadFileBytes(out / name), bytes) << name;
  EXPECT_NE(r.out.find("8 files"), std::string::npos) << r.out;
}

TEST(KeltoolTest, ExtractRefusesInvalidFilesAndUnwritableFolders) {
  Files f;
  const fs::path bad = f.Put("bad.kel", "KE--1.01");
  const ToolRun invalid = RunKeltool({"extract", bad.string(), (f.dir / "x").string()});
  EXPECT_EQ(invalid.status, 1);
  EXPECT_FALSE(fs::exists(f.dir / "x")) << "nothing is written for an invalid file";

  const fs::path good = f.Put("good.kel", File(Sample()));
  const fs::path plain = f.Put("plain", "not a folder");
  const ToolRun blocked = RunKeltool({"extract", good.string(), plain.string()});
  EXPECT_EQ(blocked.status, 2);
  EXPECT_NE(blocked.err.find("cannot create " + (plain / "object000").string()), std::string::npos)
      << blocked.err;
}

// A full disk, made with a file size limit that the tool inherits: the write fails with the
// system's reason and status 2 instead of the limit's signal ending the tool, the old target
// stays and no temporary is left; an extracted picture is there whole or not at all.
TEST(KeltoolTest, AFileSizeLimitIsAFailedWriteThatLeavesNothingHalfWritten) {
  Files f;
  const std::string bytes = File(Sample());
  ASSERT_GT(bytes.size(), 1024u);
  const fs::path in = f.Put("in.kel", bytes);
  const fs::path out = f.Put("out.kel", "keep me");
  const int code = InChild([&] {
    const rlimit limit{1024, 1024};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 100;
    int result = 0;
    const ToolRun rewrite = RunKeltool({"rewrite", in.string(), out.string()});
    if (rewrite.status != 2) result |= 1;
    if (rewrite.err != "keltool: cannot write " + out.string() + ": File too large\n") result |= 2;
    const ToolRun extract = RunKeltool({"extract", in.string(), (f.dir / "x").string()});
    if (extract.status != 2) result |= 4;
    return result;
  });
  EXPECT_EQ(code, 0) << "1 rewrite status, 2 rewrite message, 4 extract status, "
                        "100 no file size limit";
  EXPECT_EQ(ReadFileBytes(out), "keep me");
  // Every picture written is whole: each is one of the sample's records.
  std::set<std::string> records;
  for (const build::Object& o : Sample())
    for (const build::Frame& frame : o.frames)
      for (const Slot* slot : {&frame.image, &frame.mask})
        if (slot->kind == Slot::Image) records.insert(slot->record);
  for (const std::string& name : FilesUnder(f.dir / "x"))
    EXPECT_EQ(records.count(ReadFileBytes(f.dir / "x" / name)), 1u) << name;
  std::set<std::string> expected = {"in.kel", "out.kel"};
  for (const std::string& name : FilesUnder(f.dir / "x")) expected.insert("x/" + name);
  EXPECT_EQ(FilesUnder(f.dir.Path()), expected);
}

// Files already at the output paths are replaced, not written into: a hard link or a symbolic
// link there does not carry the bytes to another file.
TEST(KeltoolTest, ExtractReplacesWhatIsAtItsPathsWithoutWritingThrough) {
  Files f;
  const fs::path in = f.Put("in.kel", File(Sample()));
  const fs::path outside = f.Put("outside.bmp", "not the tool's");
  const fs::path object = f.dir / "x" / "object000";
  fs::create_directories(object);
  fs::create_symlink(outside, object / "frame001-image.bmp");
  fs::create_hard_link(outside, object / "frame001-mask.bmp");
  const ToolRun r = RunKeltool({"extract", in.string(), (f.dir / "x").string()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFileBytes(outside), "not the tool's");
  EXPECT_FALSE(fs::is_symlink(object / "frame001-image.bmp"));
  EXPECT_EQ(ReadFileBytes(object / "frame001-image.bmp"), Sample()[0].frames[0].image.record);
}

// The kernel's files report size 0 but have content: it is read, and found to be no object file,
// rather than called cut short.
TEST(KeltoolTest, AFileThatReportsSizeZeroIsRead) {
  const ToolRun r = RunKeltool({"check", "/proc/self/status"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("\"KE--1.00\" がありません"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace kel::test
