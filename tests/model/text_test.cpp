// The shared text rules: the atol number rule, CP932 conversion, the name part of a path.
#include "model/text.h"

#include <gtest/gtest.h>

#include <climits>

namespace kel {
namespace {

TEST(AtolRuleTest, ReadsNumbersTheWayAtolDoes) {
  struct Case {
    const char* text;
    int32_t value;
  } cases[] = {
      {"", 0},
      {"42", 42},
      {"  42", 42},
      {"\t\n\v\f\r 9", 9},
      {"-17x", -17},
      {"+5", 5},
      {"007", 7},
      {"12 34", 12},
      {"1e3", 1},
      {"0x10", 0},
      {"-", 0},
      {"+-3", 0},
      {"abc", 0},
      {" - 4", 0},
      {"\xEF\xBC\x91", 0},  // a full-width digit is not a digit
      {"2147483647", INT_MAX},
      {"-2147483648", INT_MIN},
      {"2147483648", INT_MAX},
      {"-2147483649", INT_MIN},
      {"99999999999999999999999", INT_MAX},
      {"-99999999999999999999999", INT_MIN},
  };
  for (const Case& c : cases) EXPECT_EQ(AtolRule(c.text), c.value) << '"' << c.text << '"';
}

TEST(AtolRuleTest, StopsAtTheEndOfTheViewNotAtATerminator) {
  const std::string_view text("123456", 3);
  EXPECT_EQ(AtolRule(text), 123);
}

TEST(Cp932Test, RoundTripsWindowsJapaneseText) {
  struct Case {
    const char* name;
    std::string cp932;
    std::string utf8;
  } cases[] = {
      {"ASCII with a backslash", "C:\\wave\\a.wav", "C:\\wave\\a.wav"},
      {"wave dash", "\x81\x60", "～"},
      {"circled one", "\x87\x40", "①"},
      {"ladder-high taka", "\xFB\xFC", "髙"},
      {"half-width katakana", "\xCA\xDE\xB3\xDD\xC4\xDE", "ﾊﾞｳﾝﾄﾞ"},
      {"trail byte 0x5C", "\x95\x5C\x8E\xA6", "表示"},
      {"full-width digits", "\x82\x50\x82\x4F", "１０"},
      {"kanji and kana", "\x97\xAC\x82\xEA", "流れ"},
      {"empty", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Cp932ToUtf8(c.cp932), c.utf8);
    EXPECT_EQ(Utf8ToCp932(c.utf8), c.cp932);
  }
}

TEST(Cp932Test, SomeCharactersConvertOneWayOnly) {
  // Unicode has two characters for each of these; CP932 only one.
  EXPECT_EQ(Utf8ToCp932("〜"), "\x81\x60");  // U+301C
  EXPECT_EQ(Cp932ToUtf8("\x81\x60"), "～");  // U+FF5E
  EXPECT_EQ(Utf8ToCp932("−"), "\x81\x7C");
  EXPECT_EQ(Utf8ToCp932("¥"), "\\");
}

TEST(Cp932Test, RefusesWhatIsNotText) {
  EXPECT_EQ(Cp932ToUtf8("\x82"), std::nullopt);              // a lone lead byte
  EXPECT_EQ(Cp932ToUtf8("ab\x82"), std::nullopt);            // ... at the end of text
  EXPECT_EQ(Cp932ToUtf8("\x80"), std::nullopt);              // no character at all
  EXPECT_EQ(Utf8ToCp932("\xF0\x9F\x98\x80"), std::nullopt);  // no CP932 character for it
  EXPECT_EQ(Utf8ToCp932("\xE3\x81"), std::nullopt);          // cut UTF-8
  EXPECT_EQ(Utf8ToCp932("\xFF"), std::nullopt);
}

TEST(Cp932Test, LossyConversionMarksOnlyTheBadBytes) {
  EXPECT_EQ(Cp932ToUtf8Lossy("ab\x82"), "ab\xEF\xBF\xBD");
  EXPECT_EQ(Cp932ToUtf8Lossy("\x80\x97\xAC\x82\xEA"), "\xEF\xBF\xBD流れ");
  EXPECT_EQ(Cp932ToUtf8Lossy("\xCA\xDE"), "ﾊﾞ");
  EXPECT_EQ(Cp932ToUtf8Lossy(""), "");
}

TEST(Cp932Test, LongTextConvertsWhole) {
  std::string cp932, utf8;
  for (int i = 0; i < 3000; ++i) {
    cp932 +=
        "\x97\xAC\x82\xEA"
        "a";
    utf8 += "流れa";
  }
  EXPECT_EQ(Cp932ToUtf8(cp932), utf8);
  EXPECT_EQ(Utf8ToCp932(utf8), cp932);
}

TEST(NamePartTest, KeepsTheNameWithoutDriveDirectoryOrExtension) {
  struct Case {
    std::string path;
    std::string name;
  } cases[] = {
      {"C:\\sounds\\bell.wav", "bell"},
      {"/home/user/sounds/bell.wav", "bell"},
      {"mixed/dir\\bell.WAV", "bell"},
      {"bell", "bell"},
      {"archive.tar.wav", "archive.tar"},
      {"dir.d/bell", "bell"},
      {"dir/.wav", ""},
      {"C:bell.wav", "bell"},
      {"ab:c", "ab:c"},  // a colon after the drive letter's place is part of the name
      {"", ""},
      {"dir/", ""},
      {"C:\\\x95\x5C\\\x95\x5C.wav", "\x95\x5C"},  // CP932 表: its second byte is a backslash
      {"C:\\\x9F\x5C.wav", "\x9F\x5C"},            // 0x9F ends the first range of lead bytes
      {":bell.wav", ":bell"},                      // no drive letter before the colon
      {"/tmp/音/効果.wav", "効果"},
  };
  for (const Case& c : cases) EXPECT_EQ(NamePart(c.path), c.name) << c.path;
}

TEST(TextTest, AppendUtf8WritesEachLengthAtItsBoundaries) {
  const struct {
    uint32_t cp;
    std::string bytes;
  } cases[] = {
      {0x41, "A"},
      {0x7F, "\x7F"},
      {0x80, "\xC2\x80"},
      {0x7FF, "\xDF\xBF"},
      {0x800, "\xE0\xA0\x80"},
      {0x8868, "\xE8\xA1\xA8"},  // 表
      {0xFFFD, "\xEF\xBF\xBD"},
      {0x10000, "\xF0\x90\x80\x80"},
      {0x10FFFF, "\xF4\x8F\xBF\xBF"},
  };
  for (const auto& c : cases) {
    std::string out = "x";
    AppendUtf8(out, c.cp);
    EXPECT_EQ(out, "x" + c.bytes) << std::hex << c.cp;
    EXPECT_TRUE(IsValidUtf8(out)) << std::hex << c.cp;
  }
}

TEST(TextTest, IsValidUtf8TakesOnlyTheShortestFormOfEachCharacter) {
  const struct {
    const char* bytes;
    bool valid;
  } cases[] = {
      {"", true},
      {"plain", true},
      {"\xE8\xA1\xA8", true},       // 表
      {"\xED\x9F\xBF", true},       // U+D7FF, the last before the surrogates
      {"\xEE\x80\x80", true},       // U+E000, the first after them
      {"\xF4\x8F\xBF\xBF", true},   // U+10FFFF
      {"\xC0\xAF", false},          // '/' in two bytes
      {"\xE0\x80\xAF", false},      // '/' in three bytes
      {"\xE0\x9F\xBF", false},      // U+07FF in three bytes
      {"\xF0\x8F\xBF\xBF", false},  // U+FFFF in four bytes
      {"\xED\xA0\x80", false},      // a UTF-16 surrogate
      {"\xED\xBF\xBF", false},
      {"\xF4\x90\x80\x80", false},  // above U+10FFFF
      {"\xF5\x80\x80\x80", false},
      {"\xE8\xA1", false},  // cut short
      {"\x80", false},      // a trail byte alone
  };
  for (const auto& c : cases) EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << c.bytes;
  // Cut short where the byte after the view would complete the character.
  EXPECT_FALSE(IsValidUtf8(std::string_view("\xE8\xA1\xA8", 2)));
}

}  // namespace
}  // namespace kel
