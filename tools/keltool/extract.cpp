// `keltool extract`: every picture of an object file as a bitmap file, every sound as a wave
// file, in one folder per object.
#include <filesystem>
#include <ostream>

#include "commands.h"
#include "model/image.h"

namespace keltool {

namespace fs = std::filesystem;

namespace {

// The picture as the object file's image record holds it: a complete bitmap file.
bool ExtractSlot(const kel::FrameSlot& slot, const fs::path& p, size_t& files, std::ostream& err) {
  if (!slot.IsImage() || !slot.Image()->HasDib()) return true;
  const kel::ObBmpImage* img = slot.Image();
  if (!WriteOut(
          p.string(), [&](std::ostream& o) { return img->WriteDIB(o); }, err))
    return false;
  ++files;
  return true;
}

}  // namespace

int RunExtract(const Args& args, std::ostream& out, std::ostream& err) {
  std::vector<std::string> options, operands;
  bool help = false;
  if (!SplitArgs(args, {}, "extract", options, operands, help, err)) return kExitUsage;
  if (help) {
    out << "Usage: keltool extract FILE.kel DIR\n"
           "\n"
           "Writes the pictures and sounds of an object file as separate files:\n"
           "  DIR/objectNNN/frameMMM-image.bmp   the image of frame MMM (from 001)\n"
           "  DIR/objectNNN/frameMMM-mask.bmp    its mask\n"
           "  DIR/objectNNN/sound.wav            the object's wave data, when it has any\n"
           "NNN counts the objects from 000 in file order. Each bitmap holds exactly the\n"
           "bytes of the file's image record. Empty and continue slots give no file.\n"
           "DIR is created when missing; files already there are replaced, each written\n"
           "whole or not at all (a link in their place is replaced, not followed).\n"
           "\n"
           "Exit status: 0 done, 1 not a valid object file, 2 bad arguments, unreadable\n"
           "file or a file that cannot be written.\n";
    return kExitOk;
  }
  if (operands.size() != 2) return UsageError("extract", "extract needs FILE.kel and DIR", err);
  kel::SpriteList list;
  const int status = LoadObjectFile(operands[0], list, err);
  if (status != kExitOk) return status;

  const fs::path dir = operands[1];
  size_t files = 0;
  for (size_t n = 0; n < list.size(); ++n) {
    const kel::ObSpriteData& s = *list[n];
    const fs::path objectDir = dir / Numbered("object%03zu", n);
    std::error_code ec;
    fs::create_directories(objectDir, ec);
    if (ec) {
      err << "keltool: cannot create " << objectDir.string() << ": " << ec.message() << "\n";
      return kExitUsage;
    }
    for (size_t i = 0; i < s.ImageArray().size(); ++i) {
      const std::string frame = Numbered("frame%03zu", i + 1);
      if (!ExtractSlot(s.ImageArray()[i].Image, objectDir / (frame + "-image.bmp"), files, err) ||
          !ExtractSlot(s.ImageArray()[i].Mask, objectDir / (frame + "-mask.bmp"), files, err))
        return kExitUsage;
    }
    if (s.Sound() && s.Sound()->Size > 0 && s.Sound()->WaveData()) {
      const kel::ObSound& sound = *s.Sound();
      const auto write = [&](std::ostream& o) {
        o.write(reinterpret_cast<const char*>(sound.WaveData()), std::streamsize(sound.Size));
        return bool(o);
      };
      if (!WriteOut((objectDir / "sound.wav").string(), write, err)) return kExitUsage;
      ++files;
    }
  }
  out << operands[0] << ": " << files << (files == 1 ? " file" : " files") << " written to "
      << dir.string() << "\n";
  return kExitOk;
}

}  // namespace keltool
