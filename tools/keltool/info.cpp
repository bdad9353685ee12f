// `keltool info`: what an object file holds, as readable text or as JSON.
#include <cstring>
#include <initializer_list>
#include <ostream>
#include <string>

#include "commands.h"
#include "json_text.h"
#include "model/image.h"
#include "model/text.h"

namespace keltool {

namespace {

using kel::FrameSlot;
using kel::ObSpriteData;

// Names and sound paths are stored as CP932 bytes; the output is UTF-8.
std::string Decoded(std::string_view cp932) {
  return kel::Cp932ToUtf8Lossy(cp932);
}

// The sound record keeps its whole 256-byte buffer; the path ends at the first NUL.
std::string_view SoundFileName(const kel::ObSound& sound) {
  const char* p = sound.FileName.data();
  return std::string_view(p, strnlen(p, sound.FileName.size()));
}

std::string BehaveText(int32_t behave) {
  if (behave < 0 || behave >= ObSpriteData::kBehaveCount) return "unknown";
  return ObSpriteData::BehaveName[behave];
}

std::string SlotText(const FrameSlot& slot) {
  if (slot.IsEmpty()) return "empty";
  if (slot.IsContinue()) return "continue";
  const kel::ObBmpImage* img = slot.Image();
  std::string text = std::to_string(img->Width());
  text.append("x").append(std::to_string(img->Height()));
  text.append("x").append(std::to_string(img->BitCount()));
  return text;
}

void WriteText(const std::string& path, const kel::SpriteList& list, std::ostream& out) {
  out << path << ": " << list.size() << (list.size() == 1 ? " object" : " objects") << "\n";
  for (size_t n = 0; n < list.size(); ++n) {
    const ObSpriteData& s = *list[n];
    const kel::ObSpriteParams p = s.Params();
    out << "\nobject " << n << ": " << JsonString(Decoded(s.Name())) << "\n";
    out << "  behave " << p.Behave << " (" << BehaveText(p.Behave) << "), depth " << p.Depth
        << ", autoRepeat " << p.AutoRepeat << ", randomStart " << p.RandomStart << "\n";
    out << "  image size " << p.ImageSizeX << "x" << p.ImageSizeY << ", position (" << p.PositionX
        << ", " << p.PositionY << "), speed (" << p.SpeedX << ", " << p.SpeedY << ")\n";
    out << "  frames: " << s.FrameCount() << "\n";
    for (int i = 0; i < s.FrameCount(); ++i) {
      const auto& pair = s.ImageArray()[size_t(i)];
      out << "    frame " << i + 1 << ": ";
      if (pair.Image.IsContinue() && pair.Mask.IsContinue())
        out << "continue\n";
      else
        out << "image " << SlotText(pair.Image) << ", mask " << SlotText(pair.Mask) << "\n";
    }
    out << "  locations: " << s.Locations().size() << "\n";
    for (size_t k = 0; k < s.Locations().size(); ++k)
      out << "    frame " << k + 1 << ": (" << s.Locations()[k].X << ", " << s.Locations()[k].Y
          << ")\n";
    if (!s.Sound()) {
      out << "  sound: none\n";
    } else {
      out << "  sound: " << JsonString(Decoded(SoundFileName(*s.Sound()))) << " at frame "
          << s.Sound()->Frame << ", " << s.Sound()->Size << " bytes\n";
    }
  }
}

// Appends the pieces to j (plain appends: no temporaries for each piece).
void Cat(std::string& j, std::initializer_list<std::string_view> pieces) {
  for (std::string_view p : pieces) j.append(p);
}

void SlotJson(std::string& j, const FrameSlot& slot) {
  if (slot.IsEmpty()) return Cat(j, {"null"});
  if (slot.IsContinue()) return Cat(j, {"\"continue\""});
  const kel::ObBmpImage* img = slot.Image();
  Cat(j, {"{\"width\":", std::to_string(img->Width()), ",\"height\":",
          std::to_string(img->Height()), ",\"bitCount\":", std::to_string(img->BitCount()),
          ",\"colors\":", std::to_string(img->NumColors()), "}"});
}

void WriteJson(const kel::SpriteList& list, std::ostream& out) {
  std::string j = "{\"objects\":[";
  for (size_t n = 0; n < list.size(); ++n) {
    const ObSpriteData& s = *list[n];
    const kel::ObSpriteParams p = s.Params();
    if (n) j += ',';
    Cat(j, {"{\"name\":", JsonString(Decoded(s.Name()))});
    const auto field = [&](const char* key, long long value) {
      Cat(j, {",\"", key, "\":", std::to_string(value)});
    };
    field("depth", p.Depth);
    field("behave", p.Behave);
    field("autoRepeat", p.AutoRepeat);
    field("randomStart", p.RandomStart);
    field("imageSizeX", p.ImageSizeX);
    field("imageSizeY", p.ImageSizeY);
    field("positionX", p.PositionX);
    field("positionY", p.PositionY);
    field("speedX", p.SpeedX);
    field("speedY", p.SpeedY);
    j += ",\"frames\":[";
    for (int i = 0; i < s.FrameCount(); ++i) {
      const auto& pair = s.ImageArray()[size_t(i)];
      Cat(j, {i ? "," : "", "{\"image\":"});
      SlotJson(j, pair.Image);
      j += ",\"mask\":";
      SlotJson(j, pair.Mask);
      j += '}';
    }
    j += "],\"locations\":[";
    for (size_t k = 0; k < s.Locations().size(); ++k) {
      Cat(j, {k ? "," : "", "[", std::to_string(s.Locations()[k].X), ",",
              std::to_string(s.Locations()[k].Y), "]"});
    }
    j += "],\"sound\":";
    if (!s.Sound()) {
      j += "null";
    } else {
      Cat(j, {"{\"fileName\":", JsonString(Decoded(SoundFileName(*s.Sound()))),
              ",\"frame\":", std::to_string(s.Sound()->Frame),
              ",\"size\":", std::to_string(s.Sound()->Size), "}"});
    }
    j += '}';
    out << j;  // one object at a time keeps the text small for large files
    j.clear();
  }
  out << j << "]}\n";
}

}  // namespace

int RunInfo(const Args& args, std::ostream& out, std::ostream& err) {
  std::vector<std::string> options, operands;
  bool help = false;
  if (!SplitArgs(args, {"--json"}, "info", options, operands, help, err)) return kExitUsage;
  if (help) {
    out << "Usage: keltool info [--json] FILE.kel\n"
           "\n"
           "Summarises an object file: every object's name and parameters, each frame's\n"
           "image and mask (empty, continue, or width x height x bits), the locations\n"
           "and the sound.\n"
           "\n"
           "  --json   one JSON document instead of text (UTF-8; names decoded from CP932)\n"
           "\n"
           "Exit status: 0 done, 1 not a valid object file, 2 bad arguments or unreadable "
           "file.\n";
    return kExitOk;
  }
  if (operands.size() != 1) return UsageError("info", "info needs one FILE.kel", err);
  kel::SpriteList list;
  const int status = LoadObjectFile(operands[0], list, err);
  if (status != kExitOk) return status;
  if (options.empty())
    WriteText(operands[0], list, out);
  else
    WriteJson(list, out);
  return kExitOk;
}

}  // namespace keltool
