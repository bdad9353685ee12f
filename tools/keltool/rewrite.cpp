// `keltool rewrite`: reads an object file and writes it again in this program's own form.
#include <ostream>

#include "commands.h"
#include "files/object_file.h"
#include "model/save_file.h"

namespace keltool {

int RunRewrite(const Args& args, std::ostream& out, std::ostream& err) {
  std::vector<std::string> options, operands;
  bool help = false;
  if (!SplitArgs(args, {}, "rewrite", options, operands, help, err)) return kExitUsage;
  if (help) {
    out << "Usage: keltool rewrite IN.kel OUT.kel\n"
           "\n"
           "Reads IN whole and writes its objects to OUT. OUT is written as a new file\n"
           "beside it and renamed into place, so an existing OUT is never left half\n"
           "written. IN and OUT may be the same file.\n"
           "\n"
           "Exit status: 0 done, 1 IN is not a valid object file (OUT untouched),\n"
           "2 bad arguments, IN unreadable or OUT cannot be written.\n";
    return kExitOk;
  }
  if (operands.size() != 2) return UsageError("rewrite", "rewrite needs IN.kel and OUT.kel", err);
  kel::SpriteList list;
  const int status = LoadObjectFile(operands[0], list, err);
  if (status != kExitOk) return status;
  std::string error;
  const bool saved = kel::SaveFileAtomically(
      operands[1], [&](std::ostream& o) { return kel::WriteObjectFile(o, list); }, error);
  if (!saved) {
    err << "keltool: " << error << "\n";
    return kExitUsage;
  }
  return kExitOk;
}

}  // namespace keltool
