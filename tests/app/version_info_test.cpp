// ProjectRCVersion over the program's version block and over blocks made for the test: the
// translation entry names the string table, and every value that is missing is answered false.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/version_info.h"

namespace kel {
namespace {

VersionBlock Block(std::vector<uint32_t> translation, std::string table,
                   std::vector<std::pair<std::string, std::string>> values) {
  VersionBlock b;
  b.Translation = std::move(translation);
  b.Strings.push_back({std::move(table), std::move(values)});
  return b;
}

const std::vector<std::pair<std::string, std::string>> kAllValues = {
    {"ProductName", "Name"},
    {"ProductVersion", "2.5"},
    {"LegalCopyright", "(C) someone"},
    {"SpecialBuild", "private"}};

struct Read {
  std::optional<std::string> name, version, copyright, debug;
};

Read ReadAll(const VersionBlock* block) {
  ProjectRCVersion v(block);
  Read r;
  const char* p = nullptr;
  if (v.GetProductName(p)) r.name = p;
  if (v.GetProductVersion(p)) r.version = p;
  if (v.GetCopyright(p)) r.copyright = p;
  if (v.GetDebug(p)) r.debug = p;
  return r;
}

TEST(ProjectRCVersionTest, TheProgramsBlockCarriesTheProjectVersionAndNoSpecialBuild) {
  const Read r = ReadAll(&ProgramVersion());
  EXPECT_EQ(r.name, "keledit");
  EXPECT_EQ(r.version, KEL_VERSION);
  ASSERT_TRUE(r.copyright);
  EXPECT_NE(r.copyright->find("Copyright"), std::string::npos);
  EXPECT_FALSE(r.debug);
  // Reading it does not change the program's block: the swap is made in the reader's copy.
  EXPECT_EQ(ProgramVersion().Translation, std::vector<uint32_t>{0x04E40409u});
}

TEST(ProjectRCVersionTest, WhatEachBlockAnswers) {
  using V = std::vector<std::pair<std::string, std::string>>;
  const std::optional<std::string> none;
  const struct {
    const char* what;
    std::optional<VersionBlock> block;  // none: the module has no version information
    Read expected;
  } cases[] = {
      {"no version information", std::nullopt, {}},
      {"no translation table", Block({}, "040904E4", kAllValues), {}},
      {"every value",
       Block({0x04E40409u}, "040904E4", kAllValues),
       {"Name", "2.5", "(C) someone", "private"}},
      // The table's name is the translation entry with its halves swapped, in any letter case.
      {"lower-case table name",
       Block({0x04E40409u}, "040904e4", kAllValues),
       {"Name", "2.5", "(C) someone", "private"}},
      {"Japanese, Unicode",
       Block({0x04B00411u}, "041104B0", kAllValues),
       {"Name", "2.5", "(C) someone", "private"}},
      // A table named with the halves as stored is not the one the entry names.
      {"table named unswapped", Block({0x04E40409u}, "04E40409", kAllValues), {}},
      {"only the first entry counts",
       Block({0x04B00411u, 0x04E40409u}, "040904E4", kAllValues),
       {}},
      {"no copyright",
       Block({0x04E40409u}, "040904E4", V{kAllValues[0], kAllValues[1]}),
       {"Name", "2.5", none, none}},
      {"no product name",
       Block({0x04E40409u}, "040904E4", V{kAllValues[1], kAllValues[2]}),
       {none, "2.5", "(C) someone", none}},
      {"names in other letter case",
       Block({0x04E40409u}, "040904E4", V{{"productname", "n"}, {"PRODUCTVERSION", "1"}}),
       {"n", "1", none, none}},
      {"empty values are values",
       Block({0x04E40409u}, "040904E4", V{{"ProductName", ""}, {"LegalCopyright", ""}}),
       {"", none, "", none}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Read r = ReadAll(c.block ? &*c.block : nullptr);
    EXPECT_EQ(r.name, c.expected.name);
    EXPECT_EQ(r.version, c.expected.version);
    EXPECT_EQ(r.copyright, c.expected.copyright);
    EXPECT_EQ(r.debug, c.expected.debug);
  }
}

// The entry is swapped once, when the reader is made: reading many values keeps finding them.
TEST(ProjectRCVersionTest, RepeatedReadsFindTheSameTable) {
  const VersionBlock block = Block({0x04E40409u}, "040904E4", kAllValues);
  ProjectRCVersion v(&block);
  for (int i = 0; i < 4; ++i) {
    const char* p = nullptr;
    ASSERT_TRUE(v.GetProductName(p)) << i;
    EXPECT_STREQ(p, "Name");
    ASSERT_TRUE(v.GetCopyright(p)) << i;
  }
}

// A missing value leaves the caller's pointer as it was; found values live with the reader.
TEST(ProjectRCVersionTest, AMissingValueLeavesThePointerAlone) {
  const char* const mark = "unchanged";
  const VersionBlock block = Block({0x04E40409u}, "040904E4", {{"ProductName", "N"}});
  for (const VersionBlock* b : {static_cast<const VersionBlock*>(nullptr), &block}) {
    ProjectRCVersion v(b);
    const char* p = mark;
    EXPECT_FALSE(v.GetCopyright(p));
    EXPECT_EQ(p, mark);
    EXPECT_FALSE(v.GetDebug(p));
    EXPECT_EQ(p, mark);
  }
}

}  // namespace
}  // namespace kel
