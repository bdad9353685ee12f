// keltool: inspect, check, rewrite, unpack and export object files from the command line.
#include <csignal>
#include <iostream>
#include <string>

#include "commands.h"
#include "model/mapped_file.h"

#ifndef KELTOOL_VERSION
#error "KELTOOL_VERSION comes from the build (the project's version)"
#endif

namespace {

constexpr char kUsage[] =
    "Usage: keltool COMMAND [ARGUMENTS]\n"
    "\n"
    "Inspects, checks, rewrites, unpacks and exports object files (.kel).\n"
    "\n"
    "Commands:\n"
    "  info [--json] FILE.kel   summary of the objects, frames, locations and sounds\n"
    "  check [--lint] FILE.kel  read the whole file and say whether it is valid;\n"
    "                           --lint: also what will look wrong in the player\n"
    "  rewrite IN.kel OUT.kel   read IN and write it again as OUT (replaced atomically)\n"
    "  extract FILE.kel DIR     write every picture and sound as a file under DIR\n"
    "  export FILE.kel OBJECT OUT\n"
    "                           write an object's animation as .webp, .gif or .png\n"
    "  export --all FILE.kel DIR  every object's animation into DIR\n"
    "  help [COMMAND]           this text, or the help of COMMAND\n"
    "\n"
    "Options:\n"
    "  -h, --help     this text (after a command: that command's help)\n"
    "      --version  the program's version\n"
    "\n"
    "Exit status:\n"
    "  0  done\n"
    "  1  the file is not a valid object file (check --lint: or it has problems)\n"
    "  2  bad arguments, or a file that cannot be read or written\n";

using Runner = int (*)(const keltool::Args&, std::ostream&, std::ostream&);

Runner FindCommand(const std::string& name) {
  if (name == "info") return keltool::RunInfo;
  if (name == "check") return keltool::RunCheck;
  if (name == "rewrite") return keltool::RunRewrite;
  if (name == "extract") return keltool::RunExtract;
  if (name == "export") return keltool::RunExport;
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  // Object files are read mapped (see LoadObjectFile); one that is cut short by another program
  // while a command runs, or a disk that fails under it, ends the command with this message.
  static const std::string mappingFault =
      std::string("keltool: an input file could not be read to its end: ") +
      keltool::kInputCutShort;
  kel::ExitOnMappingFault(mappingFault.c_str(), keltool::kExitUsage);
  // A write beyond the file size limit fails with EFBIG ("File too large") and is reported like
  // any other failed write, instead of the signal ending the command with its temporary left.
  std::signal(SIGXFSZ, SIG_IGN);
  const keltool::Args args(argv + 1, argv + argc);
  if (args.empty()) {
    std::cerr << kUsage;
    return keltool::kExitUsage;
  }
  const std::string& first = args[0];
  if (first == "--help" || first == "-h" || (first == "help" && args.size() == 1)) {
    std::cout << kUsage;
    return keltool::kExitOk;
  }
  if (first == "--version") {
    std::cout << "keltool " << KELTOOL_VERSION << "\n";
    return keltool::kExitOk;
  }
  if (first == "help") {
    if (args.size() > 2) return keltool::UsageError(nullptr, "help takes one COMMAND", std::cerr);
    const Runner run = FindCommand(args[1]);
    if (!run) return keltool::UsageError(nullptr, "unknown command '" + args[1] + "'", std::cerr);
    return run({"--help"}, std::cout, std::cerr);
  }
  const Runner run = FindCommand(first);
  if (!run) {
    const std::string what = first[0] == '-' ? "unknown option '" : "unknown command '";
    return keltool::UsageError(nullptr, what + first + "'", std::cerr);
  }
  const int status = run(keltool::Args(args.begin() + 1, args.end()), std::cout, std::cerr);
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "keltool: cannot write the output\n";
    return keltool::kExitUsage;
  }
  return status;
}
