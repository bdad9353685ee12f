#include "export/export.h"

#include <algorithm>
#include <ostream>

#include "export/played_frames.h"

namespace kel {

namespace {

// Where the extension's dot is in path: the last dot of its file name, npos when there is none.
size_t ExtensionDot(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  return dot != std::string::npos && (slash == std::string::npos || dot > slash)
             ? dot
             : std::string::npos;
}

std::string LowerExtension(const std::string& path) {
  const size_t dot = ExtensionDot(path);
  if (dot == std::string::npos) return {};
  std::string ext = path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return char(c >= 'A' && c <= 'Z' ? c + 32 : c); });
  return ext;
}

bool Fits(const PlayedFrames& frames, ExportFormat format) {
  const int w = frames.Width(), h = frames.Height();
  switch (format) {
    case ExportFormat::kWebp:
      return w <= kMaxWebpSide && h <= kMaxWebpSide;
    case ExportFormat::kGif:
      return w <= kMaxGifSide && h <= kMaxGifSide;
    case ExportFormat::kSheet: {
      const SheetLayout layout = SheetLayout::For(frames.Count());
      return int64_t(layout.columns) * w <= kMaxSheetSide &&
             int64_t(layout.rows) * h <= kMaxSheetSide;
    }
  }
  return false;
}

}  // namespace

std::optional<ExportFormat> ExportFormatOf(const std::string& path) {
  const std::string ext = LowerExtension(path);
  for (ExportFormat f : {ExportFormat::kWebp, ExportFormat::kGif, ExportFormat::kSheet})
    if (ext == ExportExtension(f)) return f;
  return std::nullopt;
}

const char* ExportExtension(ExportFormat format) {
  switch (format) {
    case ExportFormat::kWebp:
      return "webp";
    case ExportFormat::kGif:
      return "gif";
    case ExportFormat::kSheet:
      return "png";
  }
  return "";
}

std::string SheetJsonPath(const std::string& sheetPath) {
  return sheetPath.substr(0, ExtensionDot(sheetPath)) + ".json";
}

ExportProblem ExportObject(const ObSpriteData& sprite, const std::string& path, ExportFormat format,
                           const ExportSaver& save) {
  const PlayedFrames frames(sprite);
  if (!frames.HasPicture()) return ExportProblem::kNoPicture;
  if (!Fits(frames, format)) return ExportProblem::kTooLarge;
  // The saver cannot tell an encoder that gave up from a disk that failed; this can.
  bool encoderFailed = false;
  const auto encode = [&](auto writer) {
    return [&, writer](std::ostream& out) {
      if (writer(frames, out)) return true;
      encoderFailed = bool(out);
      return false;
    };
  };
  bool saved = false;
  switch (format) {
    case ExportFormat::kWebp:
      saved = save(path, encode(WriteWebp));
      break;
    case ExportFormat::kGif:
      saved = save(path, encode(WriteGif));
      break;
    case ExportFormat::kSheet:
      saved = save(path, encode(WritePngSheet));
      if (saved) {
        const std::string json = SheetJson(frames);
        saved = save(SheetJsonPath(path), [&](std::ostream& out) {
          out.write(json.data(), std::streamsize(json.size()));
          return bool(out);
        });
      }
      break;
  }
  if (saved) return ExportProblem::kNone;
  return encoderFailed ? ExportProblem::kEncoder : ExportProblem::kSave;
}

const char* ExportProblemText(ExportProblem problem) {
  switch (problem) {
    case ExportProblem::kNone:
      return "";
    case ExportProblem::kNoPicture:
      return "no frame of the object shows a picture";
    case ExportProblem::kTooLarge:
      return "the pictures are too large for this format";
    case ExportProblem::kEncoder:
      return "the picture could not be encoded (out of memory?)";
    case ExportProblem::kSave:
      return "the file could not be written";
  }
  return "";
}

}  // namespace kel
