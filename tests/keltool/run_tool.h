// Runs the built keltool as a separate process and collects what it printed and its exit status.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kel::test {

struct ToolRun {
  int status = -1;  // the exit status; -1 when it did not exit normally (a crash)
  std::string out;
  std::string err;
};

std::filesystem::path KeltoolPath();
ToolRun RunKeltool(const std::vector<std::string>& args);

}  // namespace kel::test
