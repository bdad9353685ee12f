// Valid object files read back into the model and are written out again byte for byte.
#include <gtest/gtest.h>

#include <cstring>

#include "files/object_file_helpers.h"
#include "support/kel_builder.h"
#include "support/sprite_setup.h"
#include "support/test_paths.h"

namespace kel::test {
namespace {

namespace b = build;

b::Object Named(std::string name) {
  b::Object o;
  o.nameField = std::move(name);
  return o;
}

struct RoundTripCase {
  const char* label;
  std::vector<b::Object> objects;
};

std::vector<RoundTripCase> RoundTripCases() {
  std::vector<RoundTripCase> cases;
  cases.push_back({"empty list", {}});
  cases.push_back({"object without frames", {Named("a")}});
  {
    b::Object o = Named("fields");
    o.reserved = 0x1200;  // the high byte is not part of the tag's terminator
    o.depth = 128;
    o.behave = 3;
    o.autoRepeat = 0;
    o.randomStart = 0;
    o.imageSizeX = 2000;
    o.imageSizeY = 1;
    o.positionX = -2000;
    o.positionY = 2000;
    o.speedX = -1000;
    o.speedY = 1000;
    cases.push_back({"every header field", {o}});
  }
  {
    b::Object o = Named("slots");
    o.frames.push_back(
        {b::Slot::Pic(b::ImageRecord(5, 3, 8, 0, 1)), b::Slot::Pic(b::ImageRecord(5, 3, 1, 0, 2))});
    o.frames.push_back({b::Slot::Cont(), b::Slot::Cont()});
    o.frames.push_back({});
    o.frames.push_back({b::Slot::Pic(b::ImageRecord(7, 2, 4, 0, 3)), {}});
    o.frames.push_back({{}, b::Slot::Pic(b::ImageRecord(3, 3, 24, 0, 4))});
    o.frames.push_back(
        {b::Slot::Pic(b::ImageRecord(2, 2, 16)), b::Slot::Pic(b::ImageRecord(2, 2, 32))});
    o.frames.push_back({b::Slot::Pic(b::ImageRecord(4, 4, 8, 20, 5)), b::Slot::Cont()});
    cases.push_back({"every slot kind and depth", {o}});
  }
  {
    b::Object o = Named("fixed");
    o.behave = 4;
    o.frames.resize(3);
    o.locations = {{1, 2}, {-3, -4}, {2000, -2000}};
    cases.push_back({"locations of a fixed-position object", {o}});
  }
  {
    b::Object o = Named("sound");
    o.sound = b::Sound{"C:\\WAVE\\ding.wav", "old", 2, std::string("RIFF\0\0\0\0WAVE", 12), {}};
    o.frames.resize(2);
    b::Object empty = Named("silent clip");
    empty.sound = b::Sound{};
    cases.push_back({"sound with data and an empty clip", {o, empty}});
  }
  {
    std::vector<b::Object> many;
    for (int i = 0; i < 5; ++i) {
      b::Object o = Named("obj" + std::to_string(i));
      o.frames.push_back({b::Slot::Pic(b::ImageRecord(i + 1, 2, 8, 0, uint8_t(i))), {}});
      many.push_back(o);
    }
    cases.push_back({"several objects in order", many});
  }
  {
    // 30 bytes of Shift-JIS text: the longest name the field stores.
    b::Object o = Named(std::string(15 * 2, '\0'));
    for (int i = 0; i < 15; ++i) o.nameField.replace(2 * size_t(i), 2, "\x83\x65");
    cases.push_back({"30-byte CP932 name", {o}});
  }
  return cases;
}

TEST(ObjectFileRoundTrip, ValidFilesReadAndWriteBackByteForByte) {
  for (const RoundTripCase& c : RoundTripCases()) {
    SCOPED_TRACE(c.label);
    const std::string bytes = b::File(c.objects);
    SpriteList list;
    const ObjectFileResult r = ReadBytes(bytes, list);
    ASSERT_TRUE(r.ok) << r.message;
    ASSERT_EQ(list.size(), c.objects.size());
    EXPECT_EQ(WriteBytes(list), bytes);

    SpriteList mapped;
    const ObjectFileResult m = ReadMapped(bytes, mapped);
    ASSERT_TRUE(m.ok) << m.message;
    EXPECT_EQ(WriteBytes(mapped), bytes);
  }
}

// Pictures read from a mapped file borrow its pages: they stay readable when the file is gone and
// nothing else holds the mapping, and a change made to one stays in memory.
TEST(ObjectFileRoundTrip, MappedPicturesOutliveTheFileAndKeepChangesToThemselves) {
  TempDir dir;
  b::Object o = Named("mapped");
  o.frames.push_back(
      {b::Slot::Pic(b::ImageRecord(5, 4, 8)), b::Slot::Pic(b::ImageRecord(5, 4, 1))});
  o.frames.push_back({b::Slot::Cont(), {}});
  const std::string bytes = b::File({o});
  const std::string path = (dir / "a.kel").string();
  WriteFileBytes(path, bytes);
  SpriteList list;
  {
    int error = 0;
    std::shared_ptr<MappedFile> file = MappedFile::Open(path, error);
    ASSERT_TRUE(file) << error;
    ASSERT_TRUE(ReadObjectFile(std::move(file), list).ok);
  }
  std::filesystem::remove(path);
  EXPECT_EQ(WriteBytes(list), bytes);

  const ObBmpImage* image = list[0]->ImageArray()[0].Image.Image();
  ASSERT_NE(image, nullptr);
  uint8_t* pixels = const_cast<uint8_t*>(image->Dib()->Bits());
  pixels[0] ^= 0xFF;
  std::string changed = bytes;
  // The file header, the object header, the slot marker and the record's file header come first.
  const size_t firstPixel = 34 + 79 + 4 + 14 + size_t(pixels - image->Dib()->Data());
  changed[firstPixel] = char(changed[firstPixel] ^ 0xFF);
  EXPECT_EQ(WriteBytes(list), changed);

  // The file itself is untouched by a change made through a mapping.
  WriteFileBytes(path, bytes);
  SpriteList again;
  ASSERT_TRUE(ReadMapped(bytes, again).ok);
  EXPECT_EQ(WriteBytes(again), bytes);
}

TEST(ObjectFileRoundTrip, FieldsAndSlotsReadAsStored) {
  const std::vector<RoundTripCase> cases = RoundTripCases();
  const b::Object& fields = cases[2].objects[0];
  SpriteList list;
  ASSERT_TRUE(ReadBytes(b::File({fields}), list).ok);
  const ObSpriteData& s = *list[0];
  EXPECT_EQ(s.Name(), "fields");
  EXPECT_EQ(s.Reserved(), 0x1200);
  EXPECT_EQ(s.Params().Depth, 128);
  EXPECT_EQ(s.Params().Behave, 3);
  EXPECT_EQ(s.Params().AutoRepeat, 0);
  EXPECT_EQ(s.Params().RandomStart, 0);
  EXPECT_EQ(s.Params().ImageSizeX, 2000);
  EXPECT_EQ(s.Params().ImageSizeY, 1);
  EXPECT_EQ(s.Params().PositionX, -2000);
  EXPECT_EQ(s.Params().PositionY, 2000);
  EXPECT_EQ(s.Params().SpeedX, -1000);
  EXPECT_EQ(s.Params().SpeedY, 1000);
  EXPECT_EQ(s.NumFrames(), 0);
  EXPECT_EQ(s.Sound(), nullptr);

  const b::Object& slots = cases[3].objects[0];
  list.clear();
  ASSERT_TRUE(ReadBytes(b::File({slots}), list).ok);
  const ObSpriteData& t = *list[0];
  ASSERT_EQ(t.NumFrames(), slots.frames.size());
  ASSERT_EQ(t.FrameCount(), int(slots.frames.size()));
  for (size_t f = 0; f < slots.frames.size(); ++f) {
    SCOPED_TRACE("frame " + std::to_string(f + 1));
    const std::pair<const b::Slot*, const FrameSlot*> pairs[] = {
        {&slots.frames[f].image, &t.ImageArray()[f].Image},
        {&slots.frames[f].mask, &t.ImageArray()[f].Mask}};
    for (const auto& [want, got] : pairs) {
      EXPECT_EQ(got->IsEmpty(), want->kind == b::Slot::Empty);
      EXPECT_EQ(got->IsContinue(), want->kind == b::Slot::Continue);
      ASSERT_EQ(got->IsImage(), want->kind == b::Slot::Image);
      if (!got->IsImage()) continue;
      // The image holds exactly the DIB of the record: everything after the 14-byte header.
      const PackedDib* dib = got->Image()->Dib();
      ASSERT_NE(dib, nullptr);
      ASSERT_EQ(dib->Size(), want->record.size() - 14);
      EXPECT_EQ(0, std::memcmp(dib->Data(), want->record.data() + 14, dib->Size()));
    }
  }
  // Frame 7 holds a colour table of 20 entries (biClrUsed), not 256.
  EXPECT_EQ(t.ImageArray()[6].Image.Image()->NumColors(), 20u);
  EXPECT_EQ(t.ImageArray()[0].Image.Image()->Width(), 5);
  EXPECT_EQ(t.ImageArray()[0].Image.Image()->Height(), 3);
  EXPECT_EQ(t.ImageArray()[0].Image.Image()->LineBytes(), 8);
}

TEST(ObjectFileRoundTrip, LocationsAndSoundReadAsStored) {
  const std::vector<RoundTripCase> cases = RoundTripCases();
  SpriteList list;
  ASSERT_TRUE(ReadBytes(b::File(cases[4].objects), list).ok);
  EXPECT_EQ(list[0]->Locations(), (std::vector<TPoint>{{1, 2}, {-3, -4}, {2000, -2000}}));

  list.clear();
  ASSERT_TRUE(ReadBytes(b::File(cases[5].objects), list).ok);
  const ObSound* snd = list[0]->Sound();
  ASSERT_NE(snd, nullptr);
  EXPECT_STREQ(snd->FileName.data(), "C:\\WAVE\\ding.wav");
  EXPECT_EQ(std::string(snd->FileName.data() + 17, 3), "old");  // all 256 bytes are kept
  EXPECT_EQ(snd->Frame, 2);
  ASSERT_EQ(snd->Size, 12);
  ASSERT_NE(snd->WaveData(), nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(snd->WaveData()), 12),
            std::string("RIFF\0\0\0\0WAVE", 12));
  // Two zero bytes follow the wave data.
  EXPECT_EQ(snd->WaveData()[12], 0);
  EXPECT_EQ(snd->WaveData()[13], 0);

  // An empty clip: a block of just the two zero bytes.
  const ObSound* empty = list[1]->Sound();
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->Size, 0);
  ASSERT_NE(empty->WaveData(), nullptr);
  EXPECT_EQ(empty->WaveData()[0], 0);
  EXPECT_EQ(empty->WaveData()[1], 0);
}

TEST(ObjectFileRoundTrip, ContinueMarkerInOneSlotOnlyIsKept) {
  // The editor always marks both slots, but nothing in such a frame is unsafe: it reads as
  // stored and writes back unchanged.
  b::Object o = Named("half");
  o.frames.push_back(
      {b::Slot::Pic(b::ImageRecord(2, 2, 8)), b::Slot::Pic(b::ImageRecord(2, 2, 1))});
  o.frames.push_back({b::Slot::Cont(), {}});
  o.frames.push_back({b::Slot::Pic(b::ImageRecord(2, 2, 8)), b::Slot::Cont()});
  const std::string bytes = b::File({o});
  SpriteList list;
  ASSERT_TRUE(ReadBytes(bytes, list).ok);
  EXPECT_TRUE(list[0]->ImageArray()[1].Image.IsContinue());
  EXPECT_TRUE(list[0]->ImageArray()[1].Mask.IsEmpty());
  EXPECT_TRUE(list[0]->ImageArray()[2].Mask.IsContinue());
  EXPECT_EQ(WriteBytes(list), bytes);
}

TEST(ObjectFileRoundTrip, AnyImageMarkerReadsAndIsWrittenAsOne) {
  b::Object o = Named("m");
  o.frames.push_back({b::Slot::Pic(b::ImageRecord(2, 2, 8), 0x12345678),
                      b::Slot::Pic(b::ImageRecord(2, 2, 1), 0xFFFFFFFE)});
  SpriteList list;
  ASSERT_TRUE(ReadBytes(b::File({o}), list).ok);
  ASSERT_TRUE(list[0]->ImageArray()[0].Image.IsImage());
  ASSERT_TRUE(list[0]->ImageArray()[0].Mask.IsImage());
  o.frames[0].image.marker = 1;
  o.frames[0].mask.marker = 1;
  EXPECT_EQ(WriteBytes(list), b::File({o}));
}

TEST(ObjectFileRoundTrip, NonZeroSoundFlagMeansOne) {
  b::Object o = Named("flag");
  o.sound = b::Sound{"x.wav", {}, 0, "abc", {}};
  o.soundFlag = 7;
  SpriteList list;
  ASSERT_TRUE(ReadBytes(b::File({o}), list).ok);
  ASSERT_NE(list[0]->Sound(), nullptr);
  EXPECT_EQ(list[0]->Sound()->Size, 3);
  o.soundFlag.reset();
  EXPECT_EQ(WriteBytes(list), b::File({o}));
}

TEST(ObjectFileRoundTrip, LocationsOfOtherBehavioursAreReadButNotWritten) {
  b::Object o = Named("bounce");
  o.behave = 1;
  o.frames.resize(2);
  o.locations = {{5, 6}, {7, 8}};
  SpriteList list;
  ASSERT_TRUE(ReadBytes(b::File({o}), list).ok);
  EXPECT_EQ(list[0]->Locations().size(), 2u);
  o.locations.clear();
  EXPECT_EQ(WriteBytes(list), b::File({o}));
}

TEST(ObjectFileRoundTrip, ReadingReplacesTheWholeList) {
  SpriteList list;
  list.push_back(std::make_unique<ObSpriteData>());
  SetName(*list[0], "old");
  ASSERT_TRUE(ReadBytes(b::File({Named("n1"), Named("n2")}), list).ok);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0]->Name(), "n1");
  EXPECT_EQ(list[1]->Name(), "n2");
}

TEST(ObjectFileRoundTrip, PathFormsReadWhatTheStreamFormWrote) {
  TempDir dir;
  SpriteList list;
  b::Object o = Named("disk");
  o.frames.push_back({b::Slot::Pic(b::ImageRecord(3, 3, 8)), b::Slot::Cont()});
  const std::string bytes = b::File({o});
  WriteFileBytes(dir / "a.kel", bytes);
  ASSERT_TRUE(ReadObjectFile((dir / "a.kel").string(), list).ok);
  EXPECT_EQ(WriteBytes(list), bytes);

  const ObjectFileResult missing = ReadObjectFile((dir / "none.kel").string(), list);
  EXPECT_FALSE(missing.ok);
  EXPECT_NE(missing.message.find("none.kel"), std::string::npos) << missing.message;
  EXPECT_EQ(list.size(), 1u);
}

TEST(ObjectRecordPathForms, WriteAndReadOneBareRecord) {
  TempDir dir;
  b::Object o = Named("bare");
  o.behave = 4;
  o.frames.push_back({b::Slot::Pic(b::ImageRecord(3, 3, 4)), {}});
  o.locations = {{9, 9}};
  SpriteList list;
  ASSERT_TRUE(ReadBytes(b::File({o}), list).ok);
  const std::string path = (dir / "one.spd").string();
  ASSERT_EQ(list[0]->Write(path.c_str()), 1);
  EXPECT_EQ(ReadFileBytes(path), b::ObjectRecord(o));  // no file header, no count

  ObSpriteData back;
  ASSERT_EQ(back.Read(path.c_str()), 1);
  EXPECT_EQ(back.Name(), "bare");
  EXPECT_EQ(back.Locations(), (std::vector<TPoint>{{9, 9}}));
  EXPECT_EQ(back.Read((dir / "missing.spd").string().c_str()), 0);
}

}  // namespace
}  // namespace kel::test
