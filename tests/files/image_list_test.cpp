// Image list files: which entries a list names for which slot, where their paths lead, and which
// files are no usable list.
#include "files/image_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_paths.h"

namespace kel::test {
namespace {

const std::filesystem::path kFolder = "/lists/walk";

// The entries at a glance: "I1=/lists/walk/a.bmp M1=..." in order.
std::string Entries(const std::vector<ImageListEntry>& entries) {
  std::string out;
  for (const ImageListEntry& e : entries) {
    if (!out.empty()) out += ' ';
    out += (e.mask ? "M" : "I") + std::to_string(e.frame) + "=" + e.path;
  }
  return out;
}

struct ListCase {
  const char* name;
  std::string text;
  int maxFrames;
  int32_t numFrames;
  const char* entries;
  const char* beyond;
};

TEST(ImageList, EntriesListedForEachSlot) {
  const ListCase cases[] = {
      {"images only", "[Image List]\nNumFrames=3\nI1=a.bmp\nI2=b.bmp\nI3=c.bmp\n", 128, 3,
       "I1=/lists/walk/a.bmp I2=/lists/walk/b.bmp I3=/lists/walk/c.bmp", ""},
      {"entry past the count ignored", "[Image List]\nNumFrames=2\nI1=a.bmp\nI2=b.bmp\nI3=c.bmp\n",
       128, 2, "I1=/lists/walk/a.bmp I2=/lists/walk/b.bmp", ""},
      {"image before mask, frame by frame",
       "[Image List]\nM2=m2.bmp\nI2=i2.bmp\nM1=m1.bmp\nNumFrames=2\n", 128, 2,
       "M1=/lists/walk/m1.bmp I2=/lists/walk/i2.bmp M2=/lists/walk/m2.bmp", ""},
      {"keys in other letter case", "[image list]\nnumframes=1\ni1=a.bmp\nm1=b.bmp\n", 128, 1,
       "I1=/lists/walk/a.bmp M1=/lists/walk/b.bmp", ""},
      {"missing and empty entries list nothing",
       "[Image List]\nNumFrames=3\nI1=\nM1=\"\"\nI2=  \nI3=c.bmp\n", 128, 3, "I3=/lists/walk/c.bmp",
       ""},
      {"quoted path keeps its blanks", "[Image List]\nNumFrames=1\nI1=\" a b.bmp \"\n", 128, 1,
       "I1=/lists/walk/ a b.bmp ", ""},
      {"other keys and sections ignored",
       "[Other]\nI1=x.bmp\n[Image List]\nNumFrames=1\nI01=y.bmp\nI1x=z.bmp\nI1=a.bmp\n", 128, 1,
       "I1=/lists/walk/a.bmp", ""},
      {"comment lines ignored", "[Image List]\nNumFrames=1\n;I1=x.bmp\nM1=m.bmp\n", 128, 1,
       "M1=/lists/walk/m.bmp", ""},
      {"count above the bound",
       "[Image List]\nNumFrames=5\nI1=a.bmp\nI3=c.bmp\nM4=d.bmp\ni5=e.bmp\nI6=f.bmp\n", 3, 5,
       "I1=/lists/walk/a.bmp I3=/lists/walk/c.bmp", "M4=/lists/walk/d.bmp I5=/lists/walk/e.bmp"},
      {"huge count, a few entries",
       "[Image List]\nNumFrames=4294967295\nI1=a.bmp\nM200=z.bmp\nI2147483647=y.bmp\n", 128,
       2147483647, "I1=/lists/walk/a.bmp", "M200=/lists/walk/z.bmp I2147483647=/lists/walk/y.bmp"},
      {"only entries past the bound", "[Image List]\nNumFrames=200\nI129=a.bmp\n", 128, 200, "",
       "I129=/lists/walk/a.bmp"},
      {"damaged UTF-8 after a mark", "\xEF\xBB\xBF[Image List]\nNumFrames=1\nI1=a\xFF.bmp\n", 128,
       1, "I1=/lists/walk/a\xEF\xBF\xBD.bmp", ""},
  };
  for (const ListCase& c : cases) {
    SCOPED_TRACE(c.name);
    const ImageListResult r = ParseImageList(c.text, kFolder, c.maxFrames);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.list.numFrames, c.numFrames);
    EXPECT_EQ(Entries(r.list.entries), c.entries);
    EXPECT_EQ(Entries(r.list.beyond), c.beyond);
  }
}

std::string Keys(const std::vector<ImageListEntry>& entries) {
  std::string out;
  for (const ImageListEntry& e : entries) out += (out.empty() ? "" : " ") + e.key;
  return out;
}

TEST(ImageList, EntriesKeepTheirKeysAsWritten) {
  const struct {
    const char* name;
    std::string text;
    int maxFrames;
    const char* entries;
    const char* beyond;
  } cases[] = {
      {"letter case as written", "[Image List]\nNumFrames=2\ni1=a.bmp\nM1=b.bmp\nm2=c.bmp\n", 128,
       "i1 M1 m2", ""},
      {"the same either side of the bound",
       "[Image List]\nNumFrames=3\ni1=a.bmp\nm2=b.bmp\ni3=c.bmp\nM3=d.bmp\n", 1, "i1", "m2 i3 M3"},
      {"the first of two spellings", "[Image List]\nNumFrames=1\ni1=a.bmp\nI1=b.bmp\n", 128, "i1",
       ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ImageListResult r = ParseImageList(c.text, kFolder, c.maxFrames);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(Keys(r.list.entries), c.entries);
    EXPECT_EQ(Keys(r.list.beyond), c.beyond);
  }
}

struct RefusedCase {
  const char* name;
  std::string text;
  const char* message;  // a part of the message
};

TEST(ImageList, FilesThatAreNoUsableList) {
  const RefusedCase cases[] = {
      {"empty file", "", "[Image List]"},
      {"no section", "NumFrames=2\nI1=a.bmp\n", "[Image List]"},
      {"other section", "[Images]\nNumFrames=2\nI1=a.bmp\n", "[Image List]"},
      {"no count", "[Image List]\nI1=a.bmp\n", "NumFrames"},
      {"empty count", "[Image List]\nNumFrames=\nI1=a.bmp\n", "NumFrames"},
      {"count of 0", "[Image List]\nNumFrames=0\nI1=a.bmp\n", "NumFrames が 0"},
      {"count not a number", "[Image List]\nNumFrames=two\nI1=a.bmp\n", "NumFrames が 0"},
      {"negative count", "[Image List]\nNumFrames=-1\nI1=a.bmp\n", "NumFrames が -1"},
      {"most negative count", "[Image List]\nNumFrames=-2147483648\nI1=a.bmp\n", "-2147483648"},
      {"no entries", "[Image List]\nNumFrames=3\nX1=a.bmp\n", "書かれていません"},
      {"only empty entries", "[Image List]\nNumFrames=2\nI1=\nM2=\n", "書かれていません"},
      {"count in a comment", "[Image List]\n;NumFrames=1\nI1=a.bmp\n", "NumFrames"},
      {"binary bytes", std::string("\0\x01\xFF\xFE[Image", 10), "[Image List]"},
  };
  for (const RefusedCase& c : cases) {
    SCOPED_TRACE(c.name);
    const ImageListResult r = ParseImageList(c.text, kFolder, 128);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find(c.message), std::string::npos) << r.message;
  }
}

struct PathCase {
  const char* name;
  const char* written;
  const char* folder;
  const char* resolved;
};

TEST(ImageList, PathsLeadFromTheListsFolder) {
  const PathCase cases[] = {
      {"name alone", "a.bmp", "/lists/walk", "/lists/walk/a.bmp"},
      {"subfolder with backslashes", "img\\frames\\a.bmp", "/lists/walk",
       "/lists/walk/img/frames/a.bmp"},
      {"parent folder", "..\\common\\a.bmp", "/lists/walk", "/lists/walk/../common/a.bmp"},
      {"absolute path as written", "/data/a.bmp", "/lists/walk", "/data/a.bmp"},
      {"rooted backslash path", "\\data\\a.bmp", "/lists/walk", "/data/a.bmp"},
      {"list in the current folder", "a.bmp", "", "a.bmp"},
      {"relative list folder", "a.bmp", "lists", "lists/a.bmp"},
      {"Japanese names", "画像\\表.bmp", "/lists/歩く", "/lists/歩く/画像/表.bmp"},
  };
  for (const PathCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ResolveListedPath(c.written, c.folder), c.resolved);
  }
}

TEST(ImageList, Cp932AndUtf8ListsGiveTheSamePaths) {
  // "画像\表.bmp": the CP932 form has a 0x5C inside 表, which is no folder separator.
  const std::string cp932 = "[Image List]\r\nNumFrames=1\r\nI1=\x89\xE6\x91\x9C\\\x95\x5C.bmp\r\n";
  const std::string utf8 = "[Image List]\nNumFrames=1\nI1=画像\\表.bmp\n";
  const std::string bom = "\xEF\xBB\xBF" + utf8;
  for (const std::string& text : {cp932, utf8, bom}) {
    const ImageListResult r = ParseImageList(text, kFolder, 128);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(Entries(r.list.entries), "I1=/lists/walk/画像/表.bmp");
  }
}

TEST(ImageList, ReadFromDiskTakesTheFilesFolder) {
  TempDir dir;
  WriteFileBytes(dir / "walk.lst", "[Image List]\r\nNumFrames=1\r\nI1=sub\\a.bmp\r\n");
  const ImageListResult r = ReadImageListFile(dir / "walk.lst", 128);
  ASSERT_TRUE(r.ok) << r.message;
  ASSERT_EQ(r.list.entries.size(), 1u);
  EXPECT_EQ(r.list.entries[0].path, (dir / "sub").string() + "/a.bmp");
}

// A list of the largest size taken is read; one byte more is too large (below).
TEST(ImageList, AListOfTheLargestSizeIsRead) {
  TempDir dir;
  std::string text = "[Image List]\nNumFrames=1\nI1=a.bmp\n";
  text.resize(size_t(kMaxImageListFileSize), ';');
  WriteFileBytes(dir / "full.lst", text);
  const ImageListResult r = ReadImageListFile(dir / "full.lst", 128);
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(r.list.entries.size(), 1u);
}

TEST(ImageList, APathThatDoesNotExistAsWrittenIsMatchedByLetterCase) {
  TempDir dir;
  const std::string root = dir.Path().string();
  std::filesystem::create_directories(dir / "img" / "Walk");
  WriteFileBytes(dir / "img" / "Walk" / "fr03.bmp", "BM");
  WriteFileBytes(dir / "img" / "twin.bmp", "BM");
  WriteFileBytes(dir / "img" / "TWIN.bmp", "BM");
  WriteFileBytes(dir / "img" / "Both.bmp", "BM");
  WriteFileBytes(dir / "img" / "both.bmp", "BM");
  const struct {
    const char* name;
    std::string written;
    std::string resolved;
  } cases[] = {
      {"as written", "img/Walk/fr03.bmp", "img/Walk/fr03.bmp"},
      {"every part in another case", "IMG\\WALK\\FR03.BMP", "img/Walk/fr03.bmp"},
      {"only the name", "img/Walk/Fr03.bmp", "img/Walk/fr03.bmp"},
      {"through a parent folder", "img\\..\\IMG\\walk\\fr03.bmp", "img/../img/Walk/fr03.bmp"},
      {"two names differ only in case", "img/Twin.bmp", "img/Twin.bmp"},
      {"one of two is the one written", "img/both.bmp", "img/both.bmp"},
      {"no such name in any case", "IMG/WALK/fr04.bmp", "IMG/WALK/fr04.bmp"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ResolveListedPath(c.written, dir.Path()), root + "/" + c.resolved);
  }
}

TEST(ImageList, FilesThatCannotBeRead) {
  TempDir dir;
  std::filesystem::create_directory(dir / "folder.lst");
  std::string big = "[Image List]\nNumFrames=1\nI1=a.bmp\n";
  big.resize(size_t(kMaxImageListFileSize) + 1, ';');
  WriteFileBytes(dir / "big.lst", big);
  const struct {
    const char* name;
    std::filesystem::path path;
    const char* message;
  } cases[] = {
      {"missing", dir / "none.lst", "開けません"},
      {"a folder", dir / "folder.lst", "開けません"},
      {"too large", dir / "big.lst", "大きすぎます"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ImageListResult r = ReadImageListFile(c.path, 128);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find(c.message), std::string::npos) << r.message;
  }
}

}  // namespace
}  // namespace kel::test
