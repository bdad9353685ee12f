// Opening an object file for the commands: a file that cannot be read is a usage error (exit 2),
// a file that reads but breaks the format is an invalid file (exit 1).
#include <cstring>
#include <filesystem>
#include <ostream>

#include "commands.h"
#include "files/object_file.h"
#include "json_text.h"
#include "model/mapped_file.h"
#include "model/problems.h"
#include "model/text.h"

namespace keltool {

namespace fs = std::filesystem;

int LoadObjectFile(const std::string& path, kel::SpriteList& list, std::ostream& err) {
  std::error_code ec;
  const fs::file_status st = fs::status(path, ec);
  if (ec) {
    err << "keltool: cannot open " << path << ": " << ec.message() << "\n";
    return kExitUsage;
  }
  // Only regular files: a folder reads as nothing, and a pipe or a device could never end.
  if (fs::is_directory(st)) {
    err << "keltool: cannot open " << path << ": it is a folder\n";
    return kExitUsage;
  }
  if (!fs::is_regular_file(st)) {
    err << "keltool: cannot open " << path << ": not a regular file\n";
    return kExitUsage;
  }
  // Mapped, not copied: the pictures borrow the file's pages for as long as the command runs.
  int error = 0;
  std::shared_ptr<kel::MappedFile> file = kel::MappedFile::Open(path, error);
  if (!file) {
    err << "keltool: cannot open " << path << ": " << std::strerror(error) << "\n";
    return kExitUsage;
  }
  const kel::ObjectFileResult result = kel::ReadObjectFile(std::move(file), list);
  if (!result.ok) {
    err << "keltool: " << path << ": " << result.message << "\n";
    return kExitInvalidFile;
  }
  return kExitOk;
}

namespace {

const char* RowWord(kel::ProblemRow row) {
  switch (row) {
    case kel::ProblemRow::Image:
      return "image";
    case kel::ProblemRow::Mask:
      return "mask";
    case kel::ProblemRow::Sound:
      return "sound";
    case kel::ProblemRow::Location:
      return "location";
    case kel::ProblemRow::Object:
      break;
  }
  return "";
}

// One line a problem: where (object from 0 as info counts them, its name, frame from 1 and the
// row) and the check's own message.
void WriteProblem(const std::string& path, const kel::SpriteList& list, const kel::Problem& p,
                  std::ostream& out) {
  out << path << ": object " << p.object << " "
      << JsonString(kel::Cp932ToUtf8Lossy(list[size_t(p.object)]->Name()));
  if (p.frame > 0) out << ", frame " << p.frame;
  if (p.row != kel::ProblemRow::Object) out << ", " << RowWord(p.row);
  out << ": " << p.message << "\n";
}

}  // namespace

int RunCheck(const Args& args, std::ostream& out, std::ostream& err) {
  std::vector<std::string> options, operands;
  bool help = false;
  if (!SplitArgs(args, {"--lint"}, "check", options, operands, help, err)) return kExitUsage;
  if (help) {
    out << "Usage: keltool check [--lint] FILE.kel\n"
           "\n"
           "Reads the whole object file and says whether it is valid.\n"
           "Valid: prints the number of objects and exits 0.\n"
           "Invalid: prints what is wrong and where, and exits 1.\n"
           "A file that cannot be read: exits 2.\n"
           "\n"
           "  --lint   also list what will look wrong in the player though the file is valid,\n"
           "           one line each (object from 0, frame from 1, row: message), and exit 1\n"
           "           when there is any: a mask whose size differs from its image, an image\n"
           "           without a mask, a sound at a frame past the last, a continue mark in\n"
           "           frame 1, a picture larger than the image size, a fixed-position object\n"
           "           with fewer locations than frames, a name used twice\n";
    return kExitOk;
  }
  if (operands.size() != 1) return UsageError("check", "check needs one FILE.kel", err);
  kel::SpriteList list;
  const int status = LoadObjectFile(operands[0], list, err);
  if (status != kExitOk) return status;
  out << operands[0] << ": valid object file, " << list.size()
      << (list.size() == 1 ? " object" : " objects") << "\n";
  if (options.empty()) return kExitOk;
  const std::vector<kel::Problem> problems = kel::FindProblems(list);
  for (const kel::Problem& p : problems) WriteProblem(operands[0], list, p, out);
  return problems.empty() ? kExitOk : kExitInvalidFile;
}

}  // namespace keltool
