// Appending an object file: names are checked one by one, in file order, against the list as it
// grows; the objects before a refused name stay appended.
#include <gtest/gtest.h>

#include <algorithm>

#include "files/object_file_helpers.h"
#include "support/kel_builder.h"
#include "support/test_paths.h"

namespace kel::test {
namespace {

namespace b = build;

std::string FileOf(const std::vector<std::string>& names) {
  std::vector<b::Object> objects;
  for (const std::string& n : names) {
    b::Object o;
    o.nameField = n;
    o.frames.push_back({b::Slot::Pic(b::ImageRecord(2, 2, 8)), {}});
    objects.push_back(o);
  }
  return b::File(objects);
}

std::vector<std::string> Names(const SpriteList& list) {
  std::vector<std::string> v;
  for (const auto& s : list) v.push_back(s->Name());
  return v;
}

// The editor's rule: a name equal (byte for byte) to one already in the list is refused.
struct NameCheck {
  SpriteList* list;
  std::vector<std::string> asked;
  bool operator()(const std::string& name) {
    asked.push_back(name);
    return std::none_of(list->begin(), list->end(),
                        [&](const auto& s) { return s->Name() == name; });
  }
};

ObjectFileResult Append(const std::string& bytes, SpriteList& list, NameCheck& check) {
  std::istringstream in(bytes, std::ios::binary);
  return AddReadObjectFile(in, list, std::ref(check));
}

TEST(AddReadObjectFile, AppendsAfterTheObjectsThere) {
  SpriteList list;
  NameCheck check{&list, {}};
  ASSERT_TRUE(Append(FileOf({"a", "b"}), list, check).ok);
  ASSERT_TRUE(Append(FileOf({"c"}), list, check).ok);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(check.asked, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_TRUE(list[2]->ImageArray()[0].Image.IsImage());
}

TEST(AddReadObjectFile, SameFileTwiceAppendsNothingTheSecondTime) {
  SpriteList list;
  NameCheck check{&list, {}};
  const std::string file = FileOf({"a", "b", "c"});
  ASSERT_TRUE(Append(file, list, check).ok);
  const ObjectFileResult r = Append(file, list, check);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.message.find("オブジェクト 1 の名前 \"a\""), std::string::npos) << r.message;
  EXPECT_EQ(Names(list), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(AddReadObjectFile, DuplicateThirdNameKeepsTheFirstTwo) {
  SpriteList list;
  NameCheck check{&list, {}};
  ASSERT_TRUE(Append(FileOf({"x"}), list, check).ok);
  const ObjectFileResult r = Append(FileOf({"p", "q", "x", "r"}), list, check);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.message.find("オブジェクト 3"), std::string::npos) << r.message;
  EXPECT_EQ(Names(list), (std::vector<std::string>{"x", "p", "q"}));
  // The object after the refused one is never asked about.
  EXPECT_EQ(check.asked, (std::vector<std::string>{"x", "p", "q", "x"}));
}

TEST(AddReadObjectFile, NamesInsideOneFileAreCheckedAgainstEachOther) {
  SpriteList list;
  NameCheck check{&list, {}};
  const ObjectFileResult r = Append(FileOf({"twin", "other", "twin"}), list, check);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"twin", "other"}));
}

TEST(AddReadObjectFile, NamesCompareCaseSensitivelyAndAsBytes) {
  SpriteList list;
  NameCheck check{&list, {}};
  ASSERT_TRUE(Append(FileOf({"Name", "\x83\x65\x83\x58\x83\x67"}), list, check).ok);
  EXPECT_TRUE(Append(FileOf({"name", "\x83\x65\x83\x58"}), list, check).ok);
  EXPECT_EQ(list.size(), 4u);
  const ObjectFileResult r = Append(FileOf({"\x83\x65\x83\x58\x83\x67"}), list, check);
  EXPECT_FALSE(r.ok);
  // The message shows a stored Shift-JIS name as readable text.
  EXPECT_NE(r.message.find("テスト"), std::string::npos) << r.message;
}

TEST(AddReadObjectFile, PathForm) {
  TempDir dir;
  WriteFileBytes(dir / "a.kel", FileOf({"a"}));
  SpriteList list;
  NameCheck check{&list, {}};
  ASSERT_TRUE(AddReadObjectFile((dir / "a.kel").string(), list, std::ref(check)).ok);
  EXPECT_FALSE(AddReadObjectFile((dir / "a.kel").string(), list, std::ref(check)).ok);
  const ObjectFileResult missing =
      AddReadObjectFile((dir / "gone.kel").string(), list, std::ref(check));
  EXPECT_FALSE(missing.ok);
  EXPECT_NE(missing.message.find("gone.kel"), std::string::npos);
  EXPECT_EQ(list.size(), 1u);
}

}  // namespace
}  // namespace kel::test
