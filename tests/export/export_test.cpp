// Animations written out and read back with Qt's own readers: frames as they play, pixels,
// transparency, timing and looping for WebP and GIF; the sheet's picture and frame list; the
// objects that cannot be exported.
#include "export/export.h"

#include <gtest/gtest.h>

#include <webp/demux.h>

#include <QImage>
#include <QImageReader>
#include <vector>

#include "export/file_name.h"
#include "export/played_frames.h"
#include "model/save_file.h"
#include "support/dib_builder.h"
#include "support/sprite_setup.h"
#include "support/test_paths.h"

namespace kel {
namespace {

using test::MakeDib;

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;
constexpr QRgb kClear = 0;  // a transparent pixel as Qt reads it (ARGB 0)

std::unique_ptr<ObBmpImage> Picture(int w, int h, int bits, std::vector<uint32_t> colors,
                                    std::function<uint32_t(int, int)> pixel) {
  return std::make_unique<ObBmpImage>(
      MakeDib({.width = w, .height = h, .bits = bits, .colors = std::move(colors)}, pixel));
}

// A 1-bit mask from rows of '1' (white: background) and '0' (black: sprite).
std::unique_ptr<ObBmpImage> Mask(const std::vector<std::string>& rows) {
  return Picture(int(rows[0].size()), int(rows.size()), 1, {0x000000, kWhite},
                 [&](int x, int y) { return rows[size_t(y)][size_t(x)] == '1' ? 1u : 0u; });
}

// Four frames: a 3 x 2 true-colour picture whose mask leaves (0, 0) out; a continue frame; a
// 2 x 1 8-bit picture without a mask; an empty frame. The canvas is the largest picture, 3 x 2.
void FillSample(ObSpriteData& s, bool loops) {
  test::EditParams(s, [&](ObSpriteParams& p) { p.AutoRepeat = loops ? 1 : 0; });
  s.AddImage(
      Picture(3, 2, 24, {}, [](int x, int y) { return y == 0 ? (x == 2 ? kBlue : kRed) : kGreen; }),
      0, 0);
  s.AddImage(Mask({"100", "000"}), 0, 1);
  s.AddImage(ContinueMark, 1, 0);
  s.AddImage(ContinueMark, 1, 1);
  s.AddImage(Picture(2, 1, 8, {kBlue, kWhite}, [](int x, int) { return uint32_t(x); }), 2, 0);
  s.SetNumFrames(4);
}

// Each played frame as rows of ARGB pixels, top row first.
using Frame = std::vector<std::vector<QRgb>>;
const QRgb R = qRgb(255, 0, 0), G = qRgb(0, 255, 0), B = qRgb(0, 0, 255), W = qRgb(255, 255, 255);
const std::vector<Frame> kSampleFrames = {
    {{kClear, R, B}, {G, G, G}},
    {{kClear, R, B}, {G, G, G}},
    {{B, W, kClear}, {kClear, kClear, kClear}},
    {{kClear, kClear, kClear}, {kClear, kClear, kClear}},
};

Frame Pixels(const QImage& image) {
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  Frame rows(size_t(argb.height()));
  for (int y = 0; y < argb.height(); ++y)
    for (int x = 0; x < argb.width(); ++x) {
      const QRgb p = argb.pixel(x, y);
      rows[size_t(y)].push_back(qAlpha(p) == 0 ? kClear : p);
    }
  return rows;
}

ExportProblem Export(const ObSpriteData& s, const std::string& path, ExportFormat format) {
  return ExportObject(s, path, format,
                      [](const std::string& p, const std::function<bool(std::ostream&)>& write) {
                        return SaveFile(p, write).ok;
                      });
}

struct Played {
  std::vector<Frame> frames;
  std::vector<int> delays;
  int loopCount = 0;
};

Played ReadBack(const std::string& path) {
  QImageReader reader(QString::fromStdString(path));
  Played played;
  played.loopCount = reader.loopCount();
  QImage image;
  while (reader.read(&image)) {
    played.frames.push_back(Pixels(image));
    played.delays.push_back(reader.nextImageDelay());
  }
  return played;
}

// The frames as libwebp's own animation decoder composes them. Qt 6.4's WebP reader does not
// clear a frame's area when the frame asks for it (dispose to background), so a transparent
// pixel after an opaque one reads back opaque there; the timing and looping it reads are right.
std::vector<Frame> WebpFrames(const std::string& path) {
  const std::string bytes = test::ReadFileBytes(path);
  const WebPData data{reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()};
  WebPAnimDecoderOptions options;
  WebPAnimDecoderOptionsInit(&options);
  options.color_mode = MODE_RGBA;
  WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
  std::vector<Frame> frames;
  if (!decoder) return frames;
  WebPAnimInfo info;
  WebPAnimDecoderGetInfo(decoder, &info);
  while (WebPAnimDecoderHasMoreFrames(decoder)) {
    uint8_t* rgba = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(decoder, &rgba, &timestamp)) break;
    const QImage canvas(rgba, int(info.canvas_width), int(info.canvas_height),
                        QImage::Format_RGBA8888);
    frames.push_back(Pixels(canvas));
  }
  WebPAnimDecoderDelete(decoder);
  return frames;
}

struct AnimationCase {
  const char* name;
  ExportFormat format;
  bool loops;
  std::vector<Frame> frames;  // as the file holds them
  std::vector<int> delays;
  int loopCount;  // as Qt reports it: -1 for ever, 0 played once
};

class AnimationReadBack : public ::testing::TestWithParam<AnimationCase> {};

TEST_P(AnimationReadBack, FramesPixelsTimingAndLooping) {
  const AnimationCase& c = GetParam();
  ObSpriteData s;
  FillSample(s, c.loops);
  test::TempDir dir;
  const std::string path = (dir / (std::string("out.") + ExportExtension(c.format))).string();
  ASSERT_EQ(Export(s, path, c.format), ExportProblem::kNone);
  const Played played = ReadBack(path);
  EXPECT_EQ(c.format == ExportFormat::kWebp ? WebpFrames(path) : played.frames, c.frames);
  EXPECT_EQ(played.delays, c.delays);
  EXPECT_EQ(played.loopCount, c.loopCount);
}

// libwebp's encoder folds the continue frame into the duration of the frame before it.
INSTANTIATE_TEST_SUITE_P(
    Formats, AnimationReadBack,
    ::testing::Values(
        AnimationCase{
            "GifLooping", ExportFormat::kGif, true, kSampleFrames, {100, 100, 100, 100}, -1},
        AnimationCase{"GifOnce", ExportFormat::kGif, false, kSampleFrames, {100, 100, 100, 100}, 0},
        AnimationCase{"WebpLooping",
                      ExportFormat::kWebp,
                      true,
                      {kSampleFrames[0], kSampleFrames[2], kSampleFrames[3]},
                      {200, 100, 100},
                      -1},
        AnimationCase{"WebpOnce",
                      ExportFormat::kWebp,
                      false,
                      {kSampleFrames[0], kSampleFrames[2], kSampleFrames[3]},
                      {200, 100, 100},
                      0}),
    [](const auto& info) { return info.param.name; });

TEST(GifExport, ManyColoursAreQuantisedAndTransparencyKept) {
  // 32 x 32 pixels of 1024 colours; the mask leaves out the left half of the top row.
  ObSpriteData s;
  const auto colour = [](int x, int y) {
    return uint32_t(x * 8) << 16 | uint32_t(y * 8) << 8 | 0x40;
  };
  s.AddImage(Picture(32, 32, 24, {}, colour), 0, 0);
  std::vector<std::string> mask(32, std::string(32, '0'));
  mask[0] = std::string(16, '1') + std::string(16, '0');
  s.AddImage(Mask(mask), 0, 1);
  test::TempDir dir;
  const std::string path = (dir / "many.gif").string();
  ASSERT_EQ(Export(s, path, ExportFormat::kGif), ExportProblem::kNone);
  const Played played = ReadBack(path);
  ASSERT_EQ(played.frames.size(), 1u);
  const Frame& f = played.frames[0];
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const QRgb p = f[size_t(y)][size_t(x)];
      if (y == 0 && x < 16) {
        EXPECT_EQ(p, kClear) << x << "," << y;
        continue;
      }
      const uint32_t want = colour(x, y);
      ASSERT_EQ(qAlpha(p), 255) << x << "," << y;
      EXPECT_NEAR(qRed(p), int(want >> 16), 24) << x << "," << y;
      EXPECT_NEAR(qGreen(p), int(want >> 8 & 0xFF), 24) << x << "," << y;
      EXPECT_NEAR(qBlue(p), int(want & 0xFF), 24) << x << "," << y;
    }
}

// As many colours as a GIF palette holds, the transparent entry counted, are kept exactly.
TEST(GifExport, AsManyColoursAsThePaletteHoldsAreKeptExactly) {
  const auto colour = [](int x, int y) {  // 256 colours, one for each pixel
    return uint32_t(x * 16 + y) << 16 | uint32_t(y * 16) << 8 | uint32_t(x * 7);
  };
  for (const bool masked : {false, true}) {
    SCOPED_TRACE(masked ? "255 colours and transparency" : "256 colours");
    ObSpriteData s;
    s.AddImage(Picture(16, 16, 24, {}, colour), 0, 0);
    Frame want(16);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) want[size_t(y)].push_back(0xFF000000u | colour(x, y));
    if (masked) {
      std::vector<std::string> mask(16, std::string(16, '0'));
      mask[0][0] = '1';
      s.AddImage(Mask(mask), 0, 1);
      want[0][0] = kClear;
    }
    test::TempDir dir;
    const std::string path = (dir / "exact.gif").string();
    ASSERT_EQ(Export(s, path, ExportFormat::kGif), ExportProblem::kNone);
    const Played played = ReadBack(path);
    ASSERT_EQ(played.frames.size(), 1u);
    EXPECT_EQ(played.frames[0], want);
  }
}

// 32 x 32 pictures: the first shown twice; the second, shifted in colour, then its picture again
// with a mask of its own. With blocks of 1 pixel they have 2048 colours (quantised), with blocks
// of 4, 128 (kept exactly). marks: the repeats are continue frames, else copies.
void FillRepeats(ObSpriteData& s, int block, bool marks) {
  const auto picture = [block](int f) {
    return Picture(32, 32, 24, {}, [&](int x, int y) {
      return uint32_t(x / block * 8 + f) << 16 | uint32_t(y / block * 8) << 8 | uint32_t(f * 9);
    });
  };
  const auto mask = [](bool left) {
    return Mask(std::vector<std::string>(
        32, left ? "11" + std::string(30, '0') : std::string(30, '0') + "11"));
  };
  for (int16_t f : {0, 2}) {
    s.AddImage(picture(f), f, 0);
    s.AddImage(mask(false), f, 1);
    if (marks)
      s.AddImage(ContinueMark, int16_t(f + 1), 0);
    else
      s.AddImage(picture(f), int16_t(f + 1), 0);
  }
  if (marks)
    s.AddImage(ContinueMark, 1, 1);
  else
    s.AddImage(mask(false), 1, 1);
  s.AddImage(mask(true), 3, 1);
}

// A continue frame is written from the frame it continues without drawing it again: the file is
// the one its copies make.
TEST(AnimationExport, ContinueFramesAreWrittenAsTheirCopiesAre) {
  for (const auto& [format, name] :
       {std::pair{ExportFormat::kGif, "out.gif"}, std::pair{ExportFormat::kWebp, "out.webp"}}) {
    for (int block : {1, 4}) {
      test::TempDir dir;
      std::string bytes[2];
      for (bool marks : {false, true}) {
        ObSpriteData s;
        FillRepeats(s, block, marks);
        const std::string path = (dir / name).string();
        ASSERT_EQ(Export(s, path, format), ExportProblem::kNone);
        bytes[marks] = test::ReadFileBytes(path);
      }
      EXPECT_FALSE(bytes[0].empty());
      EXPECT_TRUE(bytes[0] == bytes[1]) << name << ", blocks of " << block;
    }
  }
}

TEST(SheetExport, PictureAndFrameListInReadingOrder) {
  ObSpriteData s;
  FillSample(s, true);
  s.SetNumFrames(5);  // five frames on three columns: the second row has an unused cell
  test::TempDir dir;
  const std::string path = (dir / "walk.png").string();
  ASSERT_EQ(Export(s, path, ExportFormat::kSheet), ExportProblem::kNone);
  EXPECT_EQ(test::ReadFileBytes(dir / "walk.json"),
            "{\"frames\":["
            "{\"x\":0,\"y\":0,\"w\":3,\"h\":2,\"duration\":100},"
            "{\"x\":3,\"y\":0,\"w\":3,\"h\":2,\"duration\":100},"
            "{\"x\":6,\"y\":0,\"w\":3,\"h\":2,\"duration\":100},"
            "{\"x\":0,\"y\":2,\"w\":3,\"h\":2,\"duration\":100},"
            "{\"x\":3,\"y\":2,\"w\":3,\"h\":2,\"duration\":100}]}\n");
  const QImage sheet(QString::fromStdString(path));
  ASSERT_EQ(sheet.size(), QSize(9, 4));
  for (int i = 0; i < 6; ++i) {
    const Frame& want = i < 4 ? kSampleFrames[size_t(i)] : kSampleFrames[3];
    EXPECT_EQ(Pixels(sheet.copy(i % 3 * 3, i / 3 * 2, 3, 2)), want) << "cell " << i;
  }
}

TEST(PlayedFramesTest, CanvasIsTheImageSizeWhenSet) {
  // Image size 2 x 1 cuts the 3 x 2 picture; 4 x 3 leaves a transparent border.
  for (const auto& [size, want] : std::vector<std::pair<std::pair<int, int>, Frame>>{
           {{2, 1}, {{kClear, R}}},
           {{4, 3}, {{kClear, R, B, kClear}, {G, G, G, kClear}, {kClear, kClear, kClear, kClear}}},
           {{0, 5}, kSampleFrames[0]}}) {
    ObSpriteData s;
    FillSample(s, true);
    test::EditParams(s, [&](ObSpriteParams& p) {
      p.ImageSizeX = int16_t(size.first);
      p.ImageSizeY = int16_t(size.second);
    });
    const PlayedFrames frames(s);
    QImage image(frames.Width(), frames.Height(), QImage::Format_RGBA8888);
    frames.Render(0, image.bits(), size_t(image.bytesPerLine()));
    EXPECT_EQ(Pixels(image), want) << size.first << " x " << size.second;
  }
}

TEST(PlayedFramesTest, MaskSmallerThanPictureLeavesTheRestShown) {
  ObSpriteData s;
  s.AddImage(Picture(3, 1, 24, {}, [](int, int) { return kRed; }), 0, 0);
  s.AddImage(Mask({"10"}), 0, 1);
  const PlayedFrames frames(s);
  QImage image(3, 1, QImage::Format_RGBA8888);
  frames.Render(0, image.bits(), size_t(image.bytesPerLine()));
  EXPECT_EQ(Pixels(image), (Frame{{kClear, R, R}}));
}

struct RefusalCase {
  const char* name;
  std::function<void(ObSpriteData&)> fill;
  ExportFormat format;
  ExportProblem problem;
};

class ExportRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(ExportRefusal, NothingIsWritten) {
  ObSpriteData s;
  GetParam().fill(s);
  test::TempDir dir;
  EXPECT_EQ(Export(s, (dir / "out").string(), GetParam().format), GetParam().problem);
  EXPECT_TRUE(test::NamesIn(dir.Path()).empty());
}

void Sized(ObSpriteData& s, int w, int h, int frames) {
  s.AddImage(Picture(1, 1, 24, {}, [](int, int) { return kRed; }), 0, 0);
  s.SetNumFrames(uint16_t(frames));
  test::EditParams(s, [&](ObSpriteParams& p) {
    p.ImageSizeX = int16_t(w);
    p.ImageSizeY = int16_t(h);
  });
}

INSTANTIATE_TEST_SUITE_P(
    Objects, ExportRefusal,
    ::testing::Values(RefusalCase{"NoFrames", [](ObSpriteData&) {}, ExportFormat::kGif,
                                  ExportProblem::kNoPicture},
                      RefusalCase{"OnlyMasksAndContinues",
                                  [](ObSpriteData& s) {
                                    s.AddImage(Mask({"0"}), 0, 1);
                                    s.AddImage(ContinueMark, 1, 0);
                                    s.AddImage(ContinueMark, 1, 1);
                                  },
                                  ExportFormat::kWebp, ExportProblem::kNoPicture},
                      RefusalCase{"WebpWiderThanItHolds",
                                  [](ObSpriteData& s) { Sized(s, 16384, 1, 1); },
                                  ExportFormat::kWebp, ExportProblem::kTooLarge},
                      RefusalCase{"SheetWiderThanItHolds",
                                  [](ObSpriteData& s) { Sized(s, 16384, 1, 17); },
                                  ExportFormat::kSheet, ExportProblem::kTooLarge}),
    [](const auto& info) { return info.param.name; });

// The largest pictures each format holds, one pixel short of those refused above.
TEST(ExportAtTheLimits, PicturesAsLargeAsTheFormatHoldsAreWritten) {
  const struct {
    const char* name;
    int w, frames;
    ExportFormat format;
  } cases[] = {
      {"WebP 16383 wide", 16383, 1, ExportFormat::kWebp},
      {"sheet of 3 columns, 65535 wide", 21845, 9, ExportFormat::kSheet},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ObSpriteData s;
    Sized(s, c.w, 1, c.frames);
    test::TempDir dir;
    EXPECT_EQ(Export(s, (dir / "out").string(), c.format), ExportProblem::kNone);
  }
}

TEST(ExportSave, AFailedSaveIsReportedAndLeavesNothing) {
  ObSpriteData s;
  FillSample(s, true);
  test::TempDir dir;
  EXPECT_EQ(Export(s, (dir / "missing" / "out.gif").string(), ExportFormat::kGif),
            ExportProblem::kSave);
  EXPECT_TRUE(test::NamesIn(dir.Path()).empty());
}

TEST(ExportFormat, ChosenByExtension) {
  const std::vector<std::pair<std::string, std::optional<ExportFormat>>> cases = {
      {"a.webp", ExportFormat::kWebp},     {"a.GIF", ExportFormat::kGif},
      {"dir/a.Png", ExportFormat::kSheet}, {"a.bmp", std::nullopt},
      {"a.gif/x", std::nullopt},           {"gif", std::nullopt},
  };
  for (const auto& [path, want] : cases) EXPECT_EQ(ExportFormatOf(path), want) << path;
  EXPECT_EQ(SheetJsonPath("d.x/walk.png"), "d.x/walk.json");
  EXPECT_EQ(SheetJsonPath("d.x/walk"), "d.x/walk.json");
}

TEST(ExportFileStemTest, NamesBecomeFileNames) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"\xC3\xBD\xC4\x97\xAC", "ﾃｽﾄ流"},  // CP932 to UTF-8
      {"a/b\\c:d*e?f\"g<h>i|j", "a_b_c_d_e_f_g_h_i_j"},
      {"tab\there", "tab_here"},
      {"walk. .", "walk"},
      {"..", ""},
      {"", ""},
      {"ok\x82", "ok\xEF\xBF\xBD"},  // a lone lead byte: U+FFFD
  };
  for (const auto& [name, want] : cases) EXPECT_EQ(ExportFileStem(name), want) << name;
}

}  // namespace
}  // namespace kel
