// Where tests find committed fixtures and the built programs, and a fresh temporary folder.
#pragma once

#include <filesystem>
#include <functional>
#include <set>
#include <string>

namespace kel::test {

std::filesystem::path DataDir();    // tests/data
std::filesystem::path BinaryDir();  // the build folder
// A new empty folder under the system's temporary folder, removed when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

std::string ReadFileBytes(const std::filesystem::path& p);
// The names of everything in dir (links by their own names, not followed).
std::set<std::string> NamesIn(const std::filesystem::path& dir);
void WriteFileBytes(const std::filesystem::path& p, const std::string& bytes);

// Runs f in a child process (for limits and signals that must not touch the test program) and
// returns its exit code; -1 when it ended by a signal, -2 when no child could be made.
int InChild(const std::function<int()>& f);

}  // namespace kel::test
