// The bounded record reader and the record readers' stream forms.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <vector>

#include "files/object_file_helpers.h"
#include "model/record_io.h"
#include "support/kel_builder.h"

namespace kel::test {
namespace {

namespace b = build;

TEST(RecordReader, KnowsWhatASeekableStreamHolds) {
  std::istringstream in("0123456789");
  in.seekg(3);
  RecordReader r(in);
  EXPECT_TRUE(r.Sized());
  EXPECT_EQ(r.Remaining(), 7u);
  char buf[4] = {};
  ASSERT_TRUE(r.ReadBytes(buf, 4, "x"));
  EXPECT_EQ(std::string(buf, 4), "3456");
  EXPECT_EQ(r.Offset(), 4u);
  EXPECT_EQ(r.Remaining(), 3u);
  EXPECT_FALSE(r.AtEnd());
}

// Over a mapped file the reader copies what it reads and lends blocks where they stand; a
// stream reader lends nothing, and neither lends past the end.
TEST(RecordReader, LendsBlocksOfAMappedFileOnly) {
  TempDir dir;
  WriteFileBytes(dir / "a.bin", "0123456789");
  int error = 0;
  std::shared_ptr<MappedFile> file = MappedFile::Open((dir / "a.bin").string(), error);
  ASSERT_TRUE(file);
  RecordReader r(file);
  EXPECT_TRUE(r.Sized());
  EXPECT_EQ(r.Remaining(), 10u);
  char buf[3] = {};
  ASSERT_TRUE(r.ReadBytes(buf, 3, "x"));
  EXPECT_EQ(std::string(buf, 3), "012");
  ASSERT_TRUE(r.Skip(4, "x"));
  EXPECT_EQ(r.Offset(), 7u);
  const std::shared_ptr<uint8_t[]> lent = r.Lend(2, 8);
  ASSERT_TRUE(lent);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(lent.get()), 8), "23456789");
  EXPECT_EQ(r.Offset(), 7u);
  EXPECT_FALSE(r.Lend(3, 8));
  EXPECT_FALSE(r.Skip(4, "末尾"));
  EXPECT_NE(r.Error().find("末尾の途中でファイルが終わっています"), std::string::npos) << r.Error();

  std::istringstream in("0123456789");
  EXPECT_FALSE(RecordReader(in).Lend(0, 1));

  // No mapping at all is a file that cannot be read, and the list stays as it was.
  SpriteList list;
  list.push_back(std::make_unique<ObSpriteData>());
  const ObjectFileResult none = ReadObjectFile(std::shared_ptr<MappedFile>(), list);
  EXPECT_FALSE(none.ok);
  EXPECT_NE(none.message.find("ファイルを読み込めません"), std::string::npos) << none.message;
  EXPECT_EQ(list.size(), 1u);
}

TEST(RecordReader, FailureSticksAndNamesPlaceAndOffset) {
  std::istringstream in("0123456789");
  in.seekg(2);
  RecordReader r(in);
  char buf[16];
  ASSERT_TRUE(r.ReadBytes(buf, 5, "a"));
  r.SetPlace("オブジェクト 2 のサウンド");
  EXPECT_FALSE(r.ReadBytes(buf, 4, "波形データ"));
  // Offsets count from the start of the stream, where the field began.
  EXPECT_EQ(r.Error(),
            "オブジェクト 2 のサウンド: 波形データの途中でファイルが終わっています (オフセット 7)");
  // Nothing was consumed by the refused read, and nothing more is read after it.
  EXPECT_EQ(r.Offset(), 5u);
  EXPECT_FALSE(r.ReadBytes(buf, 1, "b"));
  EXPECT_FALSE(r.Fail("later"));
  EXPECT_NE(r.Error().find("波形データ"), std::string::npos);
}

TEST(RecordReader, FailAtNamesTheGivenOffset) {
  std::istringstream in("abcdef");
  RecordReader r(in);
  char buf[6];
  ASSERT_TRUE(r.ReadBytes(buf, 6, "x"));
  EXPECT_FALSE(r.FailAt(2, "bad"));
  EXPECT_EQ(r.Error(), "bad (オフセット 2)");
  EXPECT_FALSE(r.Ok());
}

TEST(RecordReader, LimitBoundsTheRemainingBytes) {
  std::istringstream in("0123456789");
  RecordReader r(in, 4);
  EXPECT_EQ(r.Remaining(), 4u);
  char buf[5];
  EXPECT_FALSE(r.ReadBytes(buf, 5, "x"));
  // The limit never extends what the stream holds.
  std::istringstream shorter("01");
  RecordReader s(shorter, 100);
  EXPECT_EQ(s.Remaining(), 2u);
}

TEST(RecordReader, StreamThatCannotSeek) {
  PipeBuf buf("abcdefgh");
  std::istream in(&buf);
  RecordReader r(in);
  EXPECT_FALSE(r.Sized());
  char out[8];
  ASSERT_TRUE(r.ReadBytes(out, 3, "x"));
  ASSERT_TRUE(r.Skip(2, "gap"));
  ASSERT_TRUE(r.ReadBytes(out, 2, "y"));
  EXPECT_EQ(std::string(out, 2), "fg");
  EXPECT_FALSE(r.AtEnd());
  EXPECT_FALSE(r.ReadBytes(out, 4, "z"));
  EXPECT_EQ(r.Error(), "zの途中でファイルが終わっています (オフセット 7)");

  PipeBuf limited("abcdefgh");
  std::istream lin(&limited);
  RecordReader l(lin, 5);
  EXPECT_TRUE(l.Sized());
  EXPECT_EQ(l.Remaining(), 5u);
}

// A stream of unknown size may promise far more than it holds: a block is taken in steps as the
// bytes arrive, and its storage is asked for only once they all have.
TEST(RecordReader, ABlockFromAStreamOfUnknownSizeIsTakenAsItArrives) {
  const struct {
    size_t promised;
    size_t held;
    bool ok;
  } cases[] = {{5, 8, true},
               {(size_t(1) << 20) + 7, (size_t(1) << 20) + 7, true},
               {size_t(800) << 20, 300, false},
               {(size_t(3) << 20), (size_t(2) << 20), false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.promised);
    PipeBuf buf(std::string(c.held, 'w'));
    std::istream in(&buf);
    RecordReader r(in);
    std::vector<uint8_t> storage;
    const bool ok = r.ReadBlock(c.promised, "波形データ", [&](size_t n) {
      storage.resize(n);
      return storage.data();
    });
    EXPECT_EQ(ok, c.ok);
    EXPECT_EQ(storage.size(), c.ok ? c.promised : 0u) << "no storage for bytes that never came";
    if (!c.ok)
      EXPECT_NE(r.Error().find("波形データの途中でファイルが終わっています"), std::string::npos);
  }
}

TEST(RecordReader, SkipOnASeekableStream) {
  std::istringstream in("0123456789");
  RecordReader r(in);
  ASSERT_TRUE(r.Skip(8, "gap"));
  char c[2];
  ASSERT_TRUE(r.ReadBytes(c, 2, "x"));
  EXPECT_EQ(std::string(c, 2), "89");
  EXPECT_TRUE(r.AtEnd());
  EXPECT_FALSE(r.Skip(1, "more"));
  EXPECT_EQ(r.Error(), "moreの途中でファイルが終わっています (オフセット 10)");
}

TEST(RecordReader, FailedStreamIsNotRead) {
  std::istringstream in("abc");
  in.setstate(std::ios::failbit);
  RecordReader r(in);
  EXPECT_FALSE(r.Ok());
  char c;
  EXPECT_FALSE(r.ReadBytes(&c, 1, "x"));
}

TEST(ImageRecordStream, ReadsOneRecordAndStopsAfterIt) {
  const std::string rec = b::ImageRecord(5, 4, 8, 0, 7);
  std::istringstream in(rec + "next", std::ios::binary);
  ObBmpImage img;
  ASSERT_TRUE(img.Read(in));
  EXPECT_EQ(in.tellg(), std::streampos(rec.size()));
  EXPECT_EQ(img.Width(), 5);
  EXPECT_EQ(img.Height(), 4);
  EXPECT_EQ(img.LineBytes(), 8);
  EXPECT_EQ(img.NumColors(), 256u);
  ASSERT_NE(img.GetBits(), nullptr);
  EXPECT_EQ(0, std::memcmp(img.GetBits(), rec.data() + 54 + 1024, 32));
}

TEST(ImageRecordStream, WrongTypeWordConsumesOnlyTheFileHeader) {
  std::string rec = b::ImageRecord(5, 4, 8);
  rec[0] = 'X';
  std::istringstream in(rec, std::ios::binary);
  ObBmpImage img;
  EXPECT_FALSE(img.Read(in));
  EXPECT_FALSE(img.HasDib());
  in.clear();
  EXPECT_EQ(in.tellg(), std::streampos(14));
}

TEST(ImageRecordStream, RefusedRecordsLeaveTheImageEmpty) {
  struct Case {
    const char* label;
    std::string bytes;
  };
  std::string core = b::ImageRecord(4, 4, 8);
  b::SetLe(core, b::kAtBiSize, 12, 4);
  const Case cases[] = {
      {"core header", core},
      {"cut pixels", b::ImageRecord(4, 4, 8).substr(0, 100)},
      {"empty stream", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    std::istringstream in(c.bytes, std::ios::binary);
    ObBmpImage img;
    EXPECT_FALSE(img.Read(in));
    EXPECT_FALSE(img.HasDib());
    EXPECT_TRUE(in.fail());  // the stream stands inside a record: no further reads in step
  }
  std::istringstream bad(b::ImageRecord(1, 1, 1));
  bad.setstate(std::ios::failbit);
  ObBmpImage img;
  EXPECT_FALSE(img.Read(bad));
}

TEST(ImageRecordStream, ReadingGivesTheImageARecordOfItsOwn) {
  std::istringstream first(b::ImageRecord(2, 2, 8, 0, 1), std::ios::binary);
  ObBmpImage a;
  ASSERT_TRUE(a.Read(first));
  ObImage shared(a);
  std::istringstream second(b::ImageRecord(3, 3, 24, 0, 2), std::ios::binary);
  ASSERT_TRUE(a.Read(second));
  EXPECT_EQ(a.Width(), 3);
  EXPECT_EQ(shared.Width(), 2);  // the image that shared the old picture keeps it
  EXPECT_NE(a.GetImageData(), shared.GetImageData());
}

TEST(SoundRecordStream, ReadsOneRecord) {
  const std::string rec = b::SoundRecord({"x.wav", {}, 4, "RIFFwave", {}});
  std::istringstream in(rec + "after", std::ios::binary);
  ObSound snd;
  ASSERT_EQ(snd.Read(in), 1);
  EXPECT_EQ(in.tellg(), std::streampos(rec.size()));
  EXPECT_STREQ(snd.FileName.data(), "x.wav");
  EXPECT_EQ(snd.Frame, 4);
  EXPECT_EQ(snd.Size, 8);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(snd.WaveData()), 10),
            std::string("RIFFwave\0\0", 10));
}

TEST(SoundRecordStream, RefusedRecordsLeaveTheClipAsItWas) {
  const std::string cases[] = {
      b::SoundRecord({"n.wav", {}, 1, "RIFF", -1}),
      b::SoundRecord({"n.wav", {}, 1, "RIFF", 5}),
      b::SoundRecord({"n.wav", {}, 1, "", {}}).substr(0, 261),
  };
  for (const std::string& bytes : cases) {
    std::istringstream in(bytes, std::ios::binary);
    ObSound snd;
    EXPECT_EQ(snd.Read(in), 0);
    EXPECT_EQ(snd.Size, 0);
    EXPECT_EQ(snd.WaveData(), nullptr);
    EXPECT_EQ(snd.FileName[0], '\0');
  }
}

TEST(RecordStream, EveryRecordKindFailsTheStreamItStopsInside) {
  b::Object object;
  object.nameField = "o";
  object.frames = {{b::Slot::Pic(b::ImageRecord(2, 2, 8)), {}}};
  const std::string sprite = b::ObjectRecord(object);
  const std::string sound = b::SoundRecord({"n.wav", {}, 1, "RIFF", {}});
  const std::string image = b::ImageRecord(2, 2, 8);
  struct Case {
    const char* what;
    std::string bytes;
    int (*read)(std::istream&);
  };
  auto readImage = [](std::istream& in) { return int(ObBmpImage().Read(in)); };
  auto readSound = [](std::istream& in) { return ObSound().Read(in); };
  auto readSprite = [](std::istream& in) { return ObSpriteData().Read(in); };
  const Case cases[] = {
      {"image", image, readImage},
      {"sound", sound, readSound},
      {"object", sprite, readSprite},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::istringstream whole(c.bytes + "next", std::ios::binary);
    EXPECT_EQ(c.read(whole), 1);
    EXPECT_FALSE(whole.fail());
    EXPECT_EQ(whole.tellg(), std::streampos(c.bytes.size()));
    std::istringstream cut(c.bytes.substr(0, c.bytes.size() - 1), std::ios::binary);
    EXPECT_EQ(c.read(cut), 0);
    EXPECT_TRUE(cut.fail());
    std::istringstream failed(c.bytes, std::ios::binary);
    failed.setstate(std::ios::failbit);
    EXPECT_EQ(c.read(failed), 0);
    failed.clear();
    EXPECT_EQ(failed.tellg(), std::streampos(0));  // nothing was read
  }
}

}  // namespace
}  // namespace kel::test
