// `keltool rewrite`: reads an object file and writes it again in this program's own form.
#include <cerrno>
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
  const kel::SaveResult saved =
      kel::SaveFile(operands[1], [&](std::ostream& o) { return kel::WriteObjectFile(o, list); });
  if (saved.ok) return kExitOk;
  // The pictures are written from IN's mapped pages: a page the system cannot read (IN was cut
  // short while the command ran) fails the write, and the fault is IN's, not OUT's.
  if (saved.problem == kel::SaveProblem::kSystem && saved.error == EFAULT) {
    err << "keltool: cannot read " << operands[0] << " to its end: " << kInputCutShort << "\n";
  } else {
    err << "keltool: " << saved.message << "\n";
  }
  return kExitUsage;
}

}  // namespace keltool
