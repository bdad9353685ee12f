// `keltool export`: an object's animation as an animated WebP or GIF, or a PNG sprite sheet with
// its JSON frame list; with --all, every object of the file into one folder.
#include <filesystem>
#include <ostream>
#include <set>

#include "commands.h"
#include "export/export.h"
#include "export/file_name.h"
#include "export/played_frames.h"
#include "json_text.h"
#include "model/save_file.h"
#include "model/text.h"

namespace keltool {

namespace fs = std::filesystem;

namespace {

constexpr char kHelp[] =
    "Usage: keltool export FILE.kel OBJECT OUT\n"
    "       keltool export --all [--format=FORMAT] FILE.kel DIR\n"
    "\n"
    "Writes an object's animation as the player shows it: continue frames repeat the\n"
    "picture before them, pixels outside the mask are transparent, every frame lasts\n"
    "100 ms, and an object that repeats automatically loops. The extension of OUT\n"
    "chooses the format:\n"
    "  .webp  animated WebP (lossless)\n"
    "  .gif   animated GIF (more than 256 colours are reduced to 256)\n"
    "  .png   PNG sprite sheet, every frame in reading order, with NAME.json beside it:\n"
    "         {\"frames\":[{\"x\":0,\"y\":0,\"w\":32,\"h\":32,\"duration\":100},...]}\n"
    "OBJECT is the object's name, or its number from 0 as 'keltool info' counts them.\n"
    "\n"
    "  --all            write every object into DIR (created when missing), each file\n"
    "                   named after its object; a name no file can have, or a name used\n"
    "                   before, gets objectNNN or NAME-2 instead; objects without any\n"
    "                   picture are skipped\n"
    "  --format=FORMAT  webp, gif (the default) or png, for --all\n"
    "\n"
    "Files already there are replaced, each written whole or not at all (with --all a\n"
    "link in their place is replaced, not followed).\n"
    "\n"
    "Exit status: 0 done, 1 not a valid object file, 2 bad arguments, unknown object,\n"
    "nothing to export, unreadable file or a file that cannot be written.\n";

// The object a command line names: its stored name (given in UTF-8), else its number.
const kel::ObSpriteData* FindObject(const kel::SpriteList& list, const std::string& which) {
  const std::optional<std::string> stored = kel::Utf8ToCp932(which);
  for (const auto& s : list)
    if (stored && s->Name() == *stored) return s.get();
  if (which.empty() || which.find_first_not_of("0123456789") != std::string::npos ||
      which.size() > 9)
    return nullptr;
  const size_t n = std::stoul(which);
  return n < list.size() ? list[n].get() : nullptr;
}

// Exports one object; false after saying why.
bool ExportOne(const kel::ObSpriteData& sprite, const std::string& path, kel::ExportFormat format,
               bool followLinks, std::ostream& err) {
  kel::SaveOptions options;
  options.followLinks = followLinks;
  std::string saveMessage;  // why the last file could not be written
  const kel::ExportSaver save = [&](const std::string& p,
                                    const std::function<bool(std::ostream&)>& write) {
    const kel::SaveResult saved = kel::SaveFile(p, write, options);
    saveMessage = saved.message;
    return saved.ok;
  };
  const kel::ExportProblem problem = kel::ExportObject(sprite, path, format, save);
  if (problem == kel::ExportProblem::kSave)
    err << "keltool: " << saveMessage << "\n";
  else if (problem != kel::ExportProblem::kNone)
    err << "keltool: cannot export " << JsonString(kel::Cp932ToUtf8Lossy(sprite.Name())) << " to "
        << path << ": " << kel::ExportProblemText(problem) << "\n";
  return problem == kel::ExportProblem::kNone;
}

int ExportAll(const std::string& file, const kel::SpriteList& list, const fs::path& dir,
              kel::ExportFormat format, std::ostream& out, std::ostream& err) {
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec) {
    err << "keltool: cannot create " << dir.string() << ": " << ec.message() << "\n";
    return kExitUsage;
  }
  std::set<std::string> taken;
  size_t written = 0;
  for (size_t n = 0; n < list.size(); ++n) {
    const kel::ObSpriteData& s = *list[n];
    std::string stem = kel::ExportFileStem(s.Name());
    if (stem.empty()) stem = Numbered("object%03zu", n);
    std::string unique = stem;
    for (size_t k = 2; !taken.insert(unique).second; ++k) unique = stem + "-" + std::to_string(k);
    const std::string path = (dir / (unique + "." + kel::ExportExtension(format))).string();
    if (!kel::PlayedFrames(s).HasPicture()) {
      out << file << ": object " << n << " " << JsonString(kel::Cp932ToUtf8Lossy(s.Name()))
          << " has no picture, skipped\n";
      continue;
    }
    if (!ExportOne(s, path, format, false, err)) return kExitUsage;
    ++written;
  }
  out << file << ": " << written << (written == 1 ? " object" : " objects") << " exported to "
      << dir.string() << "\n";
  return kExitOk;
}

}  // namespace

int RunExport(const Args& args, std::ostream& out, std::ostream& err) {
  std::vector<std::string> options, operands;
  bool help = false;
  if (!SplitArgs(args, {"--all", "--format=webp", "--format=gif", "--format=png"}, "export",
                 options, operands, help, err))
    return kExitUsage;
  if (help) {
    out << kHelp;
    return kExitOk;
  }
  bool all = false;
  std::optional<kel::ExportFormat> format;
  for (const std::string& o : options) {
    if (o == "--all")
      all = true;
    else
      format = kel::ExportFormatOf("." + o.substr(o.find('=') + 1));
  }
  if (all) {
    if (operands.size() != 2)
      return UsageError("export", "export --all needs FILE.kel and DIR", err);
  } else {
    if (format)
      return UsageError("export", "--format goes with --all; OUT's extension chooses", err);
    if (operands.size() != 3)
      return UsageError("export", "export needs FILE.kel, OBJECT and OUT", err);
    format = kel::ExportFormatOf(operands[2]);
    if (!format)
      return UsageError("export", "OUT must end in .webp, .gif or .png: " + operands[2], err);
  }
  kel::SpriteList list;
  const int status = LoadObjectFile(operands[0], list, err);
  if (status != kExitOk) return status;
  if (all)
    return ExportAll(operands[0], list, operands[1], format.value_or(kel::ExportFormat::kGif), out,
                     err);

  const kel::ObSpriteData* sprite = FindObject(list, operands[1]);
  if (!sprite) {
    err << "keltool: " << operands[0] << ": no object named " << JsonString(operands[1]) << "\n";
    return kExitUsage;
  }
  if (!ExportOne(*sprite, operands[2], *format, true, err)) return kExitUsage;
  out << operands[2] << ": " << sprite->FrameCount()
      << (sprite->FrameCount() == 1 ? " frame" : " frames") << " exported\n";
  return kExitOk;
}

}  // namespace keltool
