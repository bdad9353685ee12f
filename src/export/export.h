// An object's animation written out for other programs: an animated WebP, an animated GIF, or a
// PNG sprite sheet with a JSON file of the frames beside it, chosen by the file's extension.
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

#include "model/sprite.h"

namespace kel {

class PlayedFrames;

enum class ExportFormat { kWebp, kGif, kSheet };

// The format a file name asks for by its extension (".webp", ".gif", ".png", in any case).
std::optional<ExportFormat> ExportFormatOf(const std::string& path);
// The extension of a format, without the dot.
const char* ExportExtension(ExportFormat format);
// Where the frame list of a sheet goes: NAME.json beside NAME.png.
std::string SheetJsonPath(const std::string& sheetPath);

enum class ExportProblem {
  kNone,
  kNoPicture,  // no frame of the object shows a picture
  kTooLarge,   // the canvas (or the sheet) is larger than the format holds
  kEncoder,    // the encoding library failed (out of memory)
  kSave,       // the saver failed; it has said why
};

// Writes a file whole or not at all: calls write with a stream on the new file and answers
// whether the file was written (the editor's and keltool's savers, each with its own wording).
using ExportSaver =
    std::function<bool(const std::string& path, const std::function<bool(std::ostream&)>& write)>;

// Writes the object's animation to path in format through save. A sheet writes its picture
// first, then its frame list: a failure leaves what was at either path before, or a picture
// without its new list. Nothing is written when the object cannot be exported.
ExportProblem ExportObject(const ObSpriteData& sprite, const std::string& path, ExportFormat format,
                           const ExportSaver& save);

// What went wrong, for the command line (English; the editor words it itself).
const char* ExportProblemText(ExportProblem problem);

// The largest canvas side each format holds.
inline constexpr int kMaxWebpSide = 16383;
inline constexpr int kMaxGifSide = 65535;
// The largest side of a sheet (so that readers with the usual limits take it).
inline constexpr int kMaxSheetSide = 65535;

// The encoders, each writing one file to out; false when the library failed. The canvas must
// fit the format (ExportObject checks it).
bool WriteWebp(const PlayedFrames& frames, std::ostream& out);
bool WriteGif(const PlayedFrames& frames, std::ostream& out);
bool WritePngSheet(const PlayedFrames& frames, std::ostream& out);
// The sheet's frame list: {"frames":[{"x":0,"y":0,"w":32,"h":32,"duration":100},…]}, one entry
// per frame as it plays.
std::string SheetJson(const PlayedFrames& frames);

// How frames are laid out on a sheet: reading order, as many columns as the square root of the
// frame count (rounded up), so the sheet stays near square.
struct SheetLayout {
  int columns = 0;
  int rows = 0;
  static SheetLayout For(int frameCount);
};

}  // namespace kel
