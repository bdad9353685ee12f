// Profile (INI) text read as the desktop's profile functions read it: name matching, trimming,
// quotes, comments, defaults, numbers and the text encodings a file may come in.
#include "files/profile.h"

#include <gtest/gtest.h>

#include <string>

namespace kel::test {
namespace {

struct LookupCase {
  const char* name;
  const char* text;
  const char* section;
  const char* key;
  const char* expected;  // nullptr: not found
};

TEST(Profile, FindsValuesByTheProfileRules) {
  const LookupCase cases[] = {
      {"plain", "[S]\nk=v\n", "S", "k", "v"},
      {"key in other letter case", "[S]\nNumFrames=3\n", "S", "numframes", "3"},
      {"section in other letter case", "[Image List]\nk=v\n", "IMAGE list", "k", "v"},
      {"blanks around the header name", "[  S \t]\nk=v\n", "S", "k", "v"},
      {"blanks around key and value", "[S]\n  k \t=  a b \t\n", "S", "k", "a b"},
      {"indented header", "   [S]\nk=v\n", "S", "k", "v"},
      {"double quotes removed", "[S]\nk=\"  a  \"\n", "S", "k", "  a  "},
      {"single quotes removed", "[S]\nk='x y'\n", "S", "k", "x y"},
      {"unmatched quotes kept", "[S]\nk=\"a'\n", "S", "k", "\"a'"},
      {"lone quote kept", "[S]\nk=\"\n", "S", "k", "\""},
      {"quote only at start kept", "[S]\nk=\"a\n", "S", "k", "\"a"},
      {"empty quotes give empty", "[S]\nk=\"\"\n", "S", "k", ""},
      {"comment line", "[S]\n;k=v\n", "S", "k", nullptr},
      {"indented comment line", "[S]\n  ; k=v\n", "S", "k", nullptr},
      {"semicolon inside a value kept", "[S]\nk=a;b\n", "S", "k", "a;b"},
      {"equals sign inside a value kept", "[S]\nk=a=b\n", "S", "k", "a=b"},
      {"line without equals is an empty key", "[S]\nk\n", "S", "k", ""},
      {"first of two keys wins", "[S]\nk=1\nK=2\n", "S", "k", "1"},
      {"first of two sections wins", "[S]\nk=1\n[s]\nk=2\nj=3\n", "S", "k", "1"},
      {"second section adds nothing", "[S]\nk=1\n[s]\nj=3\n", "S", "j", nullptr},
      {"key of another section", "[A]\nk=1\n[B]\nj=2\n", "B", "k", nullptr},
      {"lines before any section", "k=v\n[S]\n", "S", "k", nullptr},
      {"header without bracket ignored, keys stay in the section", "[S]\n[T\nk=v\n", "S", "k", "v"},
      {"header to the last bracket", "[a]b]\nk=v\n", "a]b", "k", "v"},
      {"CRLF lines", "[S]\r\nk=v\r\nj=w\r\n", "S", "j", "w"},
      {"CR lines", "[S]\rk=v\rj=w", "S", "j", "w"},
      {"no newline at the end", "[S]\nk=v", "S", "k", "v"},
      {"letters of the name must be the same", "[S]\nk1=v\n", "S", "k 1", nullptr},
      {"missing section", "[S]\nk=v\n", "T", "k", nullptr},
      {"non-ASCII key matched exactly", "[S]\nフレーム=v\n", "S", "フレーム", "v"},
  };
  for (const LookupCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Profile p(c.text);
    const std::optional<std::string> v = p.Find(c.section, c.key);
    if (c.expected) {
      ASSERT_TRUE(v.has_value());
      EXPECT_EQ(*v, c.expected);
    } else {
      EXPECT_FALSE(v.has_value()) << *v;
    }
  }
}

TEST(Profile, NameMatchingFoldsOnlyAsciiLetters) {
  EXPECT_TRUE(ProfileNameEqual("Image List", "iMAGE lIST"));
  EXPECT_FALSE(ProfileNameEqual("I1", "I10"));
  EXPECT_FALSE(ProfileNameEqual("[", "{"));  // 0x5B and 0x7B differ by the case bit
  EXPECT_FALSE(ProfileNameEqual("@", "`"));
  EXPECT_FALSE(ProfileNameEqual("ａ", "Ａ"));  // full-width letters are other characters
}

TEST(Profile, DefaultsForMissingKeysAndEmptyNumbers) {
  const Profile p("[S]\nempty=\nblank=   \nn= 12 \n");
  EXPECT_EQ(p.GetString("S", "none", "dflt"), "dflt");
  EXPECT_EQ(p.GetString("T", "n", "dflt"), "dflt");
  EXPECT_EQ(p.GetString("S", "empty", "dflt"), "") << "an empty value is a value";
  EXPECT_EQ(p.GetInt("S", "none", 7), 7);
  EXPECT_EQ(p.GetInt("S", "empty", 7), 7);
  EXPECT_EQ(p.GetInt("S", "blank", 7), 7);
  EXPECT_EQ(p.GetInt("S", "n", 7), 12);
  EXPECT_FALSE(p.HasSection("T"));
  EXPECT_TRUE(p.HasSection("s"));
}

struct NumberCase {
  const char* value;
  int32_t expected;
};

TEST(Profile, NumbersAreReadAsWritten) {
  const NumberCase cases[] = {
      {"3", 3},
      {"+3", 3},
      {"-3", -3},
      {"0", 0},
      {"007", 7},
      {"12abc", 12},
      {"abc", 0},
      {"- 3", 0},
      {"3 4", 3},
      {"\"5\"", 5},  // the quotes go before the number is read
      {"4294967295", 2147483647},
      {"-4294967295", -2147483647 - 1},
      {"99999999999999999999", 2147483647},
  };
  for (const NumberCase& c : cases) {
    SCOPED_TRACE(c.value);
    const Profile p(std::string("[S]\nn=") + c.value + "\n");
    EXPECT_EQ(p.GetInt("S", "n", 99), c.expected);
  }
}

TEST(Profile, KeysInFileOrderOncePerName) {
  const Profile p("[S]\nb=1\n;c=2\na=3\nB=4\n[T]\nd=5\n[s]\ne=6\n");
  EXPECT_EQ(p.Keys("s"), (std::vector<std::string>{"b", "a"}));
  EXPECT_EQ(p.Keys("none"), std::vector<std::string>());
}

struct EncodingCase {
  const char* name;
  std::string bytes;
  std::string utf8;
};

TEST(Profile, TextEncodings) {
  // "画像" in CP932 and UTF-8; "表" ends in 0x5C in CP932.
  const std::string gazouSjis = "\x89\xE6\x91\x9C";
  const std::string gazou = "画像";
  const EncodingCase cases[] = {
      {"ASCII", "I1=a.bmp", "I1=a.bmp"},
      {"CP932", "I1=" + gazouSjis + ".bmp", "I1=" + gazou + ".bmp"},
      {"CP932 with 0x5C as second byte", "I1=\x95\x5C\\a.bmp", "I1=表\\a.bmp"},
      {"CP932 half-width katakana", "I1=\xB2\xD2\xB0\xBC\xDE.bmp", "I1=ｲﾒｰｼﾞ.bmp"},
      {"UTF-8 without a mark", "I1=" + gazou + ".bmp", "I1=" + gazou + ".bmp"},
      {"UTF-8 with a mark", "\xEF\xBB\xBFI1=" + gazou, "I1=" + gazou},
      {"UTF-16LE with a mark", std::string("\xFF\xFEI\0=\0\x3B\x75\xCF\x50", 10), "I=" + gazou},
      {"UTF-16BE with a mark", std::string("\xFE\xFF\0I\0=\x75\x3B\x50\xCF", 10), "I=" + gazou},
      {"UTF-16LE surrogate pair", std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), "\xF0\x9F\x98\x80"},
      {"UTF-16LE lone surrogate and odd byte",
       std::string("\xFF\xFE\x3D\xD8"
                   "a\0b",
                   7),
       "\xEF\xBF\xBD"
       "a\xEF\xBF\xBD"},
      {"undecodable CP932 byte", "a\x80z", "a\xEF\xBF\xBDz"},
      // A mark says UTF-8 even where the text is damaged: what no character holds is U+FFFD,
      // and the whole characters around it stay.
      {"UTF-8 mark, then a byte no UTF-8 holds",
       "\xEF\xBB\xBF"
       "a\xFFz",
       "a\xEF\xBF\xBDz"},
      {"UTF-8 mark, then a character cut short", "\xEF\xBB\xBF\xE7\x94z",
       "\xEF\xBF\xBD\xEF\xBF\xBDz"},
      {"UTF-8 mark, then a lead byte at the end",
       "\xEF\xBB\xBF"
       "a\xE7",
       "a\xEF\xBF\xBD"},
      {"UTF-8 mark, whole character after a damaged one", "\xEF\xBB\xBF\xC3" + gazou,
       "\xEF\xBF\xBD" + gazou},
      {"UTF-8 mark, four-byte character after a damaged one", "\xEF\xBB\xBF\xC3\xF0\x9F\x98\x80",
       "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
  };
  for (const EncodingCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ProfileTextToUtf8(c.bytes), c.utf8);
  }
}

}  // namespace
}  // namespace kel::test
