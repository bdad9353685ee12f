// Argument splitting and usage complaints shared by the commands.
#include <algorithm>
#include <ostream>

#include "commands.h"

namespace keltool {

bool SplitArgs(const Args& args, const std::vector<std::string>& allowed, const char* command,
               std::vector<std::string>& options, std::vector<std::string>& operands, bool& help,
               std::ostream& err) {
  help = false;
  bool optionsEnd = false;
  for (const std::string& a : args) {
    if (optionsEnd || a.empty() || a[0] != '-' || a == "-") {
      operands.push_back(a);
    } else if (a == "--") {
      optionsEnd = true;
    } else if (a == "--help" || a == "-h") {
      help = true;
    } else if (std::find(allowed.begin(), allowed.end(), a) != allowed.end()) {
      options.push_back(a);
    } else {
      UsageError(command, "unknown option '" + a + "'", err);
      return false;
    }
  }
  return true;
}

int UsageError(const char* command, const std::string& message, std::ostream& err) {
  err << "keltool: " << message << "\n";
  if (command)
    err << "Try 'keltool " << command << " --help'.\n";
  else
    err << "Try 'keltool --help'.\n";
  return kExitUsage;
}

}  // namespace keltool
