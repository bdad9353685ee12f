// Files that break the format: each is refused with its own reason and place, the caller's list
// stays as it was, and no cut of a valid file is taken for a whole one.
#include <gtest/gtest.h>

#include <functional>

#include "files/object_file_helpers.h"
#include "support/kel_builder.h"
#include "support/sprite_setup.h"

namespace kel::test {
namespace {

namespace b = build;

constexpr size_t kObject1 = 34;             // the first object record
constexpr size_t kFrames1 = kObject1 + 79;  // its first slot marker
constexpr size_t kImage1 = kFrames1 + 4;    // the image record of frame 1

b::Object OneImage(std::string record = b::ImageRecord(4, 3, 8)) {
  b::Object o;
  o.nameField = "obj";
  o.frames.push_back({b::Slot::Pic(std::move(record)), {}});
  return o;
}

std::string WithImage(const std::function<void(std::string&)>& change) {
  std::string rec = b::ImageRecord(4, 3, 8);
  change(rec);
  return b::File({OneImage(rec)});
}

struct BadFile {
  const char* label;
  std::string bytes;
  std::vector<std::string> says;  // parts the message must hold
  long long offset;               // the offset it must name
};

// Files shorter than the header: one that is not an object file is told by its first bytes;
// one that starts as an object file should and then ends has ended early.
std::vector<BadFile> ShortFiles() {
  const std::vector<std::string> missing = {"\"KE--1.00\" がありません"};
  const std::vector<std::string> ends = {"ファイルの見出しの途中でファイルが終わっています"};
  return {
      {"short text", "hello", missing, 0},
      {"short, wrong first byte", "X", missing, 0},
      {"short, another version", "KE--2.00", missing, 0},
      {"short, magic not terminated", "KE--1.00X", missing, 0},
      {"short, magic terminated by a space", "KE--1.00 " + std::string(10, '\0'), missing, 0},
      {"first byte of the magic only", "K", ends, 0},
      {"magic cut short", "KE--1.", ends, 0},
      {"magic without its terminator", "KE--1.00", ends, 0},
      {"magic and terminator only", std::string("KE--1.00", 9), ends, 0},
      {"header one byte short", std::string("KE--1.00", 9) + std::string(22, '\0'), ends, 0},
  };
}

std::vector<BadFile> BadFiles() {
  std::vector<BadFile> v;
  const std::string valid = b::File({OneImage()});
  {
    std::string s = valid;
    s[7] = '1';
    v.push_back({"wrong magic", s, {"\"KE--1.00\" がありません"}, 0});
  }
  {
    std::string s = valid;
    s[8] = 'X';
    v.push_back({"byte 8 not zero", s, {"\"KE--1.00\" がありません"}, 0});
  }
  v.push_back({"shorter than the header",
               valid.substr(0, 20),
               {"ファイルの見出しの途中でファイルが終わっています"},
               0});
  v.push_back({"empty file", "", {"ファイルの見出しの途中でファイルが終わっています"}, 0});
  for (const BadFile& f : ShortFiles()) v.push_back(f);
  v.push_back({"header without count",
               valid.substr(0, 33),
               {"オブジェクトの数の途中でファイルが終わっています"},
               32});
  {
    std::string s = valid;
    b::SetLe(s, 32, uint16_t(-3), 2);
    v.push_back({"negative count", s, {"オブジェクトの数が負の値です (-3)"}, 32});
  }
  {
    std::string s = valid;
    b::SetLe(s, 32, 3, 2);
    v.push_back({"count beyond the objects",
                 s,
                 {"オブジェクトの数は 3 ですが、ファイルには 1 個しかありません"},
                 (long long)valid.size()});
  }
  {
    b::Object o = OneImage();
    o.tag = "SPE";
    v.push_back(
        {"wrong tag", b::File({o}), {"オブジェクト 1: ", "\"SPD\" がありません"}, kObject1});
  }
  {
    b::Object o = OneImage();
    o.reserved = 1;  // the tag is no longer "SPD" followed by its terminator
    v.push_back({"tag not terminated", b::File({o}), {"\"SPD\" がありません"}, kObject1});
  }
  {
    b::Object o;
    o.nameField = "second";
    o.tag = "XYZ";
    v.push_back({"wrong tag of the second object",
                 b::File({OneImage(), o}),
                 {"オブジェクト 2: "},
                 (long long)valid.size()});
  }
  {
    b::Object o = OneImage();
    o.behave = 5;
    v.push_back({"behaviour out of range", b::File({o}), {"動作の番号 5"}, kObject1 + 39});
  }
  v.push_back({"image type word",
               WithImage([](std::string& r) { r[1] = 'X'; }),
               {"オブジェクト 1 のフレーム 1 のイメージ: ", "\"BM\" ではありません (0x5842)"},
               kImage1});
  v.push_back({"record size below the header",
               WithImage([](std::string& r) { b::SetLe(r, b::kAtRecordSize, 53, 4); }),
               {"レコードの大きさ 53 バイトがヘッダー (54 バイト) より小さいです"},
               kImage1 + 2});
  v.push_back({"4 GB record size in a small file",
               WithImage([](std::string& r) { b::SetLe(r, b::kAtRecordSize, 0xFFFFFFFF, 4); }),
               {"レコードの大きさ 4294967295 バイトがファイルの残り", "を超えています"},
               kImage1 + 2});
  {
    // Four more bytes than the header accounts for, and four more in the file.
    std::string rec = b::ImageRecord(4, 3, 8);
    b::SetLe(rec, b::kAtRecordSize, rec.size() + 4, 4);
    rec += "pad!";
    b::Object o;
    o.nameField = "o";
    o.frames = {{}, {b::Slot::Cont(), b::Slot::Cont()}, {{}, b::Slot::Pic(rec)}};
    v.push_back({"colour and row sizes disagree with the record size",
                 b::File({o}),
                 {"オブジェクト 1 のフレーム 3 のマスク: ", "合いません"},
                 kFrames1 + 8 + 8 + 4 + 4 + 2});
  }
  v.push_back({"colour count disagrees",
               WithImage([](std::string& r) { b::SetLe(r, b::kAtBiClrUsed, 255, 4); }),
               {"色数 (255)", "合いません"},
               kImage1 + 2});
  v.push_back({"core header",
               WithImage([](std::string& r) { b::SetLe(r, b::kAtBiSize, 12, 4); }),
               {"古い形式の情報ヘッダー (12 バイト)"},
               kImage1 + 14});
  v.push_back({"larger info header",
               WithImage([](std::string& r) { b::SetLe(r, b::kAtBiSize, 108, 4); }),
               {"情報ヘッダーの大きさ 108 バイト"},
               kImage1 + 14});
  v.push_back({"compressed rows",
               WithImage([](std::string& r) { b::SetLe(r, b::kAtBiCompression, 1, 4); }),
               {"圧縮形式 1"},
               kImage1 + 30});
  v.push_back({"bit count 2",
               WithImage([](std::string& r) { b::SetLe(r, b::kAtBiBitCount, 2, 2); }),
               {"ビット数 2 は正しくありません"},
               kImage1 + 28});
  v.push_back({"top-down rows",
               WithImage([](std::string& r) { b::SetLe(r, b::kAtBiHeight, uint32_t(-3), 4); }),
               {"高さが負の値 (-3)"},
               kImage1 + 22});
  v.push_back({"height beyond 16 bits",
               WithImage([](std::string& r) { b::SetLe(r, b::kAtBiHeight, 0x10003, 4); }),
               {"高さ 65539 が 65535 を超えています"},
               kImage1 + 22});
  v.push_back({"width beyond 16 bits",
               WithImage([](std::string& r) { b::SetLe(r, b::kAtBiWidth, 70000, 4); }),
               {"幅 70000 は範囲外です"},
               kImage1 + 18});
  // 20000 pixels of 32 bits: 80000 bytes a row, which the 16-bit LineBytes would cut to 14464.
  v.push_back({"row longer than LineBytes holds",
               b::File({OneImage(b::ImageRecord(20000, 0, 32))}),
               {"1 行の大きさ 80000 バイト"},
               kImage1 + 18});
  {
    b::Object o = OneImage();
    o.sound = b::Sound{"a.wav", {}, 1, "RIFF", -5};
    v.push_back({"negative sound size",
                 b::File({o}),
                 {"オブジェクト 1 のサウンド: ", "波形データの大きさが負の値です (-5)"},
                 (long long)valid.size() + 258});
  }
  {
    b::Object o = OneImage();
    o.sound = b::Sound{"a.wav", {}, 1, "RIFF", 0x7FFFFFFF};
    v.push_back({"sound size beyond the end",
                 b::File({o}),
                 {"波形データの大きさ 2147483647 バイトがファイルの残り (4 バイト)"},
                 (long long)valid.size() + 258});
  }
  {
    b::Object o = OneImage();
    o.sound = b::Sound{std::string(256, 'n'), {}, 1, "RIFF", {}};
    v.push_back({"sound name without terminator",
                 b::File({o}),
                 {"ファイル名が 256 バイトの中で終わっていません"},
                 (long long)valid.size()});
  }
  {
    b::Object o = OneImage();
    o.numFrames = 60000;
    v.push_back({"frame count running past the end",
                 b::File({o}),
                 {"フレーム数 60000 がファイルの残り"},
                 kObject1 + 59});
  }
  {
    b::Object o = OneImage();
    o.behave = 4;
    o.numLocations = 400;
    o.locations = {{1, 1}};
    v.push_back({"location count running past the end",
                 b::File({o}),
                 {"オブジェクト 1 の位置: ", "位置の数 400 がファイルの残り"},
                 kObject1 + 77});
  }
  {
    b::Object o = OneImage();
    o.numFrames = 2;  // frame 2's image marker is the sound flag, and then the file ends
    v.push_back(
        {"frames running into the end",
         b::File({o}),
         {"オブジェクト 1 のフレーム 2 のマスク: ", "スロットの印の途中でファイルが終わっています"},
         (long long)valid.size()});
  }
  v.push_back({"data after the last object",
               valid + "x",
               {"最後のオブジェクトの後に余分なデータがあります"},
               (long long)valid.size()});
  v.push_back({"a zero byte after the last object",
               valid + std::string(1, '\0'),
               {"余分なデータ"},
               (long long)valid.size()});
  return v;
}

TEST(MalformedObjectFile, EachIsRefusedWithItsReasonAndPlace) {
  for (const BadFile& c : BadFiles()) {
    SCOPED_TRACE(c.label);
    SpriteList list;
    list.push_back(std::make_unique<ObSpriteData>());
    SetName(*list[0], "keep");
    ObSpriteData* kept = list[0].get();
    const ObjectFileResult r = ReadBytes(c.bytes, list);
    EXPECT_FALSE(r.ok);
    for (const std::string& part : c.says) {
      EXPECT_NE(r.message.find(part), std::string::npos) << r.message << "\nwants: " << part;
    }
    EXPECT_EQ(OffsetIn(r.message), c.offset) << r.message;
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].get(), kept);
    EXPECT_EQ(list[0]->Name(), "keep");

    // Appending refuses the same file with the same message and appends nothing.
    int asked = 0;
    std::istringstream in(c.bytes, std::ios::binary);
    const ObjectFileResult a = AddReadObjectFile(in, list, [&](const std::string&) {
      ++asked;
      return true;
    });
    EXPECT_FALSE(a.ok);
    EXPECT_EQ(a.message, r.message);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(list.size(), 1u);

    // Read mapped, the file is refused in the same words.
    const ObjectFileResult m = ReadMapped(c.bytes, list);
    EXPECT_FALSE(m.ok);
    EXPECT_EQ(m.message, r.message);
    EXPECT_EQ(list[0].get(), kept);
  }
}

// A small file with every kind of entry: pictures, masks, continue and empty slots, locations
// and a sound.
std::string SmallCompleteFile() {
  b::Object o;
  o.nameField = "complete";
  o.behave = 4;
  o.frames.push_back(
      {b::Slot::Pic(b::ImageRecord(3, 2, 4)), b::Slot::Pic(b::ImageRecord(3, 2, 1))});
  o.frames.push_back({b::Slot::Cont(), b::Slot::Cont()});
  o.frames.push_back({});
  o.locations = {{1, 2}, {3, 4}, {5, 6}};
  o.sound = b::Sound{"s.wav", {}, 2, "RIFFdata", {}};
  b::Object p;
  p.nameField = "second";
  p.frames.push_back({b::Slot::Pic(b::ImageRecord(2, 2, 24)), {}});
  return b::File({o, p});
}

TEST(MalformedObjectFile, EveryCutOfAValidFileIsRefused) {
  const std::string whole = SmallCompleteFile();
  SpriteList list;
  ASSERT_TRUE(ReadBytes(whole, list).ok);
  ASSERT_EQ(list.size(), 2u);
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    SpriteList keep;
    keep.push_back(std::make_unique<ObSpriteData>());
    const ObjectFileResult r = ReadBytes(whole.substr(0, cut), keep);
    ASSERT_FALSE(r.ok);
    // The message points at a field the cut file holds the start of, or at its end.
    const long long at = OffsetIn(r.message);
    EXPECT_GE(at, 0) << r.message;
    EXPECT_LE(at, (long long)cut) << r.message;
    EXPECT_EQ(keep.size(), 1u);
    // A mapped read never touches a byte past the cut (the sanitizer build would see it) and
    // says the same.
    EXPECT_EQ(ReadMapped(whole.substr(0, cut), keep).message, r.message);
    EXPECT_EQ(keep.size(), 1u);
  }
}

TEST(MalformedObjectFile, EveryCutIsRefusedFromAStreamThatCannotSeek) {
  const std::string whole = SmallCompleteFile();
  for (size_t cut = 0; cut <= whole.size(); ++cut) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    PipeBuf buf(whole.substr(0, cut));
    std::istream in(&buf);
    SpriteList list;
    const ObjectFileResult r = ReadObjectFile(in, list);
    EXPECT_EQ(r.ok, cut == whole.size()) << r.message;
    if (!r.ok) {
      EXPECT_LE(OffsetIn(r.message), (long long)cut) << r.message;
      EXPECT_TRUE(list.empty());
    } else {
      EXPECT_EQ(list.size(), 2u);
    }
  }
}

TEST(MalformedObjectFile, ShortFilesFromAStreamThatCannotSeek) {
  for (const BadFile& c : ShortFiles()) {
    SCOPED_TRACE(c.label);
    PipeBuf buf(c.bytes);
    std::istream in(&buf);
    SpriteList list;
    const ObjectFileResult r = ReadObjectFile(in, list);
    EXPECT_FALSE(r.ok);
    for (const std::string& part : c.says)
      EXPECT_NE(r.message.find(part), std::string::npos) << r.message << "\nwants: " << part;
    EXPECT_EQ(OffsetIn(r.message), c.offset) << r.message;
    EXPECT_TRUE(list.empty());
  }
}

TEST(MalformedObjectFile, TrailingDataFromAStreamThatCannotSeek) {
  PipeBuf buf(SmallCompleteFile() + "zz");
  std::istream in(&buf);
  SpriteList list;
  const ObjectFileResult r = ReadObjectFile(in, list);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.message.find("余分なデータ"), std::string::npos) << r.message;
}

TEST(MalformedObjectFile, HugeSizesFromAStreamThatCannotSeekFailAtTheEnd) {
  // Without a known size the reader cannot refuse a size in advance; it still ends cleanly.
  const std::string bytes =
      WithImage([](std::string& r) { b::SetLe(r, b::kAtRecordSize, 0x7FFFFFFF, 4); });
  PipeBuf buf(bytes);
  std::istream in(&buf);
  SpriteList list;
  const ObjectFileResult r = ReadObjectFile(in, list);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.message.find("合いません"), std::string::npos) << r.message;
}

}  // namespace
}  // namespace kel::test
