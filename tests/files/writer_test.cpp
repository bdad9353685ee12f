// Object files written from objects built in memory: sizes, names, counts and slots as the
// format lays them out.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "files/object_file_helpers.h"
#include "model/le.h"
#include "support/kel_builder.h"
#include "support/sprite_setup.h"
#include "support/test_paths.h"

namespace kel::test {
namespace {

namespace b = build;

// An image holding the DIB of a bitmap record (everything after its 14-byte header).
std::unique_ptr<ObBmpImage> ImageOf(const std::string& record) {
  auto dib = PackedDib::Allocate(record.size() - 14);
  std::memcpy(dib->Data(), record.data() + 14, dib->Size());
  return std::make_unique<ObBmpImage>(std::shared_ptr<const PackedDib>(std::move(dib)));
}

std::unique_ptr<ObSpriteData> Object(std::string name) {
  auto s = std::make_unique<ObSpriteData>();
  SetName(*s, std::move(name));
  return s;
}

TEST(ObjectFileWriter, SizesOfTheSmallestFiles) {
  SpriteList list;
  EXPECT_EQ(WriteBytes(list), b::FileHeader(0));
  EXPECT_EQ(WriteBytes(list).size(), 34u);

  list.push_back(Object("a"));
  EXPECT_EQ(WriteBytes(list).size(), 117u);  // 34 + 79 + the sound flag
  for (uint16_t n = 1; n <= 3; ++n) {
    list[0]->SetNumFrames(n);
    EXPECT_EQ(WriteBytes(list).size(), 117u + 8u * n);
  }
}

TEST(ObjectFileWriter, HeaderFieldsAtTheirOffsets) {
  SpriteList list;
  list.push_back(Object("hdr"));
  ObSpriteData& s = *list[0];
  EditParams(s, [&](ObSpriteParams& p) {
    p.Depth = 7;
    p.Behave = 2;
    p.AutoRepeat = 0;
    p.RandomStart = 1;
    p.ImageSizeX = 640;
    p.ImageSizeY = 480;
    p.PositionX = -12;
    p.PositionY = 34;
    p.SpeedX = -5;
    p.SpeedY = 6;
  });
  s.SetNumFrames(1);
  b::Object o;
  o.nameField = "hdr";
  o.depth = 7;
  o.behave = 2;
  o.autoRepeat = 0;
  o.randomStart = 1;
  o.imageSizeX = 640;
  o.imageSizeY = 480;
  o.positionX = -12;
  o.positionY = 34;
  o.speedX = -5;
  o.speedY = 6;
  o.frames.resize(1);
  EXPECT_EQ(WriteBytes(list), b::File({o}));
}

struct NameCase {
  const char* label;
  std::string name;
  std::string stored;
};

TEST(ObjectFileWriter, NamesAreStoredUpToThirtyBytes) {
  const std::string te = "\x83\x65";  // a double-byte Shift-JIS character
  std::string fifteen;
  for (int i = 0; i < 15; ++i) fifteen += te;
  const NameCase cases[] = {
      {"30 bytes", std::string(30, 'x'), std::string(30, 'x')},
      {"31 bytes", std::string(30, 'y') + "z", std::string(30, 'y')},
      {"40 bytes", std::string(40, 'q'), std::string(30, 'q')},
      {"30 bytes of CP932", fifteen, fifteen},
      {"CP932 character across byte 30", "a" + fifteen, "a" + fifteen.substr(0, 28)},
      {"ASCII then CP932 ending at 30", std::string(28, 'a') + te, std::string(28, 'a') + te},
      {"ASCII then CP932 across byte 30", std::string(29, 'a') + te, std::string(29, 'a')},
      // A lead byte that ends the name has no second byte to lose: the name fits as it is.
      {"lone lead byte at byte 30", std::string(29, 'a') + "\x83", std::string(29, 'a') + "\x83"},
      // 0xFB, the lead byte of 髙, is near the top of the lead-byte range.
      {"ASCII then 髙 across byte 30", std::string(29, 'a') + "\xFB\xFC", std::string(29, 'a')},
      // 0x81 is a lead byte and also a valid second byte: only walking from the start tells.
      {"lead-range second bytes", "A" + std::string(30, '\x81'), "A" + std::string(28, '\x81')},
      {"empty", "", ""},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(c.label);
    SpriteList list;
    list.push_back(Object(c.name));
    const std::string bytes = WriteBytes(list);
    b::Object o;
    o.nameField = c.stored;
    EXPECT_EQ(bytes, b::File({o}));
    SpriteList back;
    ASSERT_TRUE(ReadBytes(bytes, back).ok);
    EXPECT_EQ(back[0]->Name(), c.stored);
  }
}

// The count is an int16: 32767 objects are the most a file can say it holds.
TEST(ObjectFileWriter, AtMost32767Objects) {
  SpriteList list;
  for (int i = 0; i < 32767; ++i) list.push_back(std::make_unique<ObSpriteData>());
  std::ostringstream out(std::ios::binary);
  EXPECT_TRUE(WriteObjectFile(out, list));
  EXPECT_EQ(le::I16(reinterpret_cast<const uint8_t*>(out.str().data()) + 32), 32767);
  list.push_back(std::make_unique<ObSpriteData>());
  std::ostringstream refused(std::ios::binary);
  EXPECT_FALSE(WriteObjectFile(refused, list));
}

// The frame and location counts are 16 bits: 65535 of each are the most an object holds.
TEST(ObjectFileWriter, AsManyFramesAndLocationsAsTheCountsHold) {
  SpriteList list;
  list.push_back(Object("many"));
  EditParams(*list[0], [](ObSpriteParams& p) { p.Behave = ObSpriteData::kFixedPosition; });
  list[0]->SetNumFrames(0xFFFF);
  SetLocations(*list[0], std::vector<TPoint>(0xFFFF, TPoint{1, 2}));
  const std::string bytes = WriteBytes(list);
  EXPECT_EQ(bytes.size(), 117u + 8u * 0xFFFF + 8u * 0xFFFF);
  SpriteList back;
  ASSERT_TRUE(ReadBytes(bytes, back).ok);
  EXPECT_EQ(back[0]->FrameCount(), 0xFFFF);
  EXPECT_EQ(back[0]->Locations().size(), 0xFFFFu);
}

TEST(ObjectFileWriter, LocationsOnlyForFixedPosition) {
  for (int32_t behave = 0; behave < ObSpriteData::kBehaveCount; ++behave) {
    SCOPED_TRACE("behaviour " + std::to_string(behave));
    SpriteList list;
    list.push_back(Object("loc"));
    EditParams(*list[0], [&](ObSpriteParams& p) { p.Behave = behave; });
    list[0]->SetNumFrames(2);
    SetLocations(*list[0], {{10, 20}, {-30, -40}});
    const std::string bytes = WriteBytes(list);
    b::Object o;
    o.nameField = "loc";
    o.behave = behave;
    o.frames.resize(2);
    if (behave == ObSpriteData::kFixedPosition) o.locations = {{10, 20}, {-30, -40}};
    EXPECT_EQ(bytes, b::File({o}));
    SpriteList back;
    ASSERT_TRUE(ReadBytes(bytes, back).ok);
    EXPECT_EQ(back[0]->Locations().size(), behave == ObSpriteData::kFixedPosition ? 2u : 0u);
  }
}

TEST(ObjectFileWriter, NoSoundVersusAnEmptyClip) {
  SpriteList list;
  list.push_back(Object("s"));
  const std::string none = WriteBytes(list);
  ASSERT_EQ(none.size(), 117u);
  EXPECT_EQ(le::U32(reinterpret_cast<const uint8_t*>(none.data()) + 113), 0u);

  SetSound(*list[0], std::make_unique<ObSound>());
  const std::string empty = WriteBytes(list);
  ASSERT_EQ(empty.size(), 117u + 262u);
  const auto* p = reinterpret_cast<const uint8_t*>(empty.data());
  EXPECT_EQ(le::U32(p + 113), 1u);
  EXPECT_EQ(le::I32(p + 117 + 258), 0);  // Size 0, and nothing follows

  SpriteList back;
  ASSERT_TRUE(ReadBytes(empty, back).ok);
  ASSERT_NE(back[0]->Sound(), nullptr);
  EXPECT_EQ(back[0]->Sound()->Size, 0);
}

TEST(ObjectFileWriter, SlotsAsMarkersAndRecords) {
  const std::string pic = b::ImageRecord(4, 2, 8, 0, 9);
  const std::string mask = b::ImageRecord(4, 2, 1, 0, 3);
  SpriteList list;
  list.push_back(Object("slots"));
  ObSpriteData& s = *list[0];
  s.AddImage(FrameSlot(ImageOf(pic)), 0, 0);
  s.AddImage(FrameSlot(ImageOf(mask)), 0, 1);
  s.AddImage(FrameSlot(ContinueMark), 1, 0);
  s.AddImage(FrameSlot(ContinueMark), 1, 1);
  s.SetNumFrames(3);
  b::Object o;
  o.nameField = "slots";
  o.frames = {{b::Slot::Pic(pic), b::Slot::Pic(mask)}, {b::Slot::Cont(), b::Slot::Cont()}, {}};
  EXPECT_EQ(WriteBytes(list), b::File({o}));
}

TEST(ObjectFileWriter, ImageWithoutBitmapIsWrittenAsEmptySlot) {
  SpriteList list;
  list.push_back(Object("nodib"));
  list[0]->AddImage(FrameSlot(std::make_unique<ObBmpImage>()), 0, 0);
  list[0]->AddImage(FrameSlot(ImageOf(b::ImageRecord(2, 2, 1))), 0, 1);
  const std::string bytes = WriteBytes(list);
  b::Object o;
  o.nameField = "nodib";
  o.frames = {{{}, b::Slot::Pic(b::ImageRecord(2, 2, 1))}};
  EXPECT_EQ(bytes, b::File({o}));
  SpriteList back;
  ASSERT_TRUE(ReadBytes(bytes, back).ok);
  EXPECT_TRUE(back[0]->ImageArray()[0].Image.IsEmpty());
}

TEST(ObjectFileWriter, ImageRecordHeaderFollowsTheSizeFormula) {
  // A 16-colour 32 x 32 picture: 54 + 64 + 32 x 16 bytes, pixels at 118.
  auto img = ImageOf(b::ImageRecord(32, 32, 4));
  std::ostringstream out(std::ios::binary);
  ASSERT_TRUE(img->Write(out));
  const std::string rec = out.str();
  ASSERT_EQ(rec.size(), 630u);
  const auto* p = reinterpret_cast<const uint8_t*>(rec.data());
  EXPECT_EQ(le::U16(p), 0x4D42);
  EXPECT_EQ(le::U32(p + 2), 630u);
  EXPECT_EQ(le::U32(p + 6), 0u);
  EXPECT_EQ(le::U32(p + 10), 118u);
  EXPECT_EQ(rec, b::ImageRecord(32, 32, 4));

  // 24 bits without biClrUsed: no colour table, rows at 54.
  auto rgb = ImageOf(b::ImageRecord(3, 2, 24));
  std::ostringstream out24(std::ios::binary);
  ASSERT_TRUE(rgb->Write(out24));
  EXPECT_EQ(le::U32(reinterpret_cast<const uint8_t*>(out24.str().data()) + 10), 54u);
  EXPECT_EQ(out24.str(), b::ImageRecord(3, 2, 24));
}

TEST(ObjectFileWriter, ImageWriteRefusesWhatItCannotStore) {
  std::ostringstream out(std::ios::binary);
  ObBmpImage empty;
  EXPECT_FALSE(empty.Write(out));
  EXPECT_TRUE(out.str().empty());

  // A header the record cannot describe (compressed rows): nothing is written, and the object
  // that holds it cannot be saved rather than leave a marker without its record.
  std::string rec = b::ImageRecord(4, 4, 8);
  b::SetLe(rec, b::kAtBiCompression, 1, 4);
  auto rle = ImageOf(rec);
  EXPECT_FALSE(rle->Write(out));
  EXPECT_TRUE(out.str().empty());

  SpriteList list;
  list.push_back(Object("rle"));
  list[0]->AddImage(FrameSlot(std::move(rle)), 0, 0);
  std::ostringstream file(std::ios::binary);
  EXPECT_FALSE(WriteObjectFile(file, list));
}

TEST(ObjectFileWriter, FailingStreamIsReported) {
  SpriteList list;
  list.push_back(Object("x"));
  std::ostringstream bad(std::ios::binary);
  bad.setstate(std::ios::badbit);
  EXPECT_FALSE(WriteObjectFile(bad, list));

  // A stream that fails part way (a full disk): the write reports it.
  struct Full : std::streambuf {
    int room = 100;
    int_type overflow(int_type c) override { return room-- > 0 ? c : traits_type::eof(); }
  } full;
  std::ostream out(&full);
  list[0]->SetNumFrames(40);
  EXPECT_FALSE(WriteObjectFile(out, list));
}

TEST(SoundRecordWriter, AllNameBytesFrameSizeAndData) {
  ObSound snd;
  snd.SetFileName("C:\\a.wav");
  std::memcpy(snd.FileName.data() + 100, "junk", 4);  // bytes after the terminator are kept
  snd.Frame = 3;
  std::ostringstream none(std::ios::binary);
  ASSERT_EQ(snd.Write(none), 1);
  b::Sound want{"C:\\a.wav", {}, 3, {}, {}};
  std::string expect = b::SoundRecord(want);
  expect.replace(100, 4, "junk");
  EXPECT_EQ(none.str(), expect);

  // With the wave file's bytes, as loaded from disk.
  TempDir dir;
  const std::string wave = std::string("RIFF\x04\0\0\0WAVE", 12) + std::string(50, '\x7f');
  WriteFileBytes(dir / "w.wav", wave);
  ObSound loaded((dir / "w.wav").string().c_str());
  loaded.Frame = -1;
  std::ostringstream full(std::ios::binary);
  ASSERT_EQ(loaded.Write(full), 1);
  b::Sound withData{(dir / "w.wav").string(), {}, -1, wave, {}};
  EXPECT_EQ(full.str(), b::SoundRecord(withData));

  // Name without a terminator inside its 256 bytes: the reader would refuse it.
  std::memset(snd.FileName.data(), 'n', ObSound::kFileNameSize);
  std::ostringstream refused(std::ios::binary);
  EXPECT_EQ(snd.Write(refused), 0);

  // The longest name that ends inside its buffer, 255 bytes, is written and read back.
  snd.FileName.back() = '\0';
  std::ostringstream longest(std::ios::binary);
  ASSERT_EQ(snd.Write(longest), 1);
  std::istringstream in(longest.str());
  ObSound back;
  ASSERT_EQ(back.Read(in), 1);
  EXPECT_EQ(std::string(back.FileName.data()), std::string(255, 'n'));
}

}  // namespace
}  // namespace kel::test
