#include "support/test_paths.h"

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace kel::test {

std::filesystem::path DataDir() {
  return KEL_TEST_DATA;
}
std::filesystem::path BinaryDir() {
  return KEL_BINARY_DIR;
}

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "keltest-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("cannot make a temporary folder");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  // A test may have made the folder read-only; give write access back before removing.
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

std::string ReadFileBytes(const std::filesystem::path& p) {
  // In one read as far as the file's size goes (tests compare files of tens of megabytes), then
  // whatever follows (a file that reports no size, or grew).
  std::ifstream in(p, std::ios::binary | std::ios::ate);
  const std::streamoff size = in ? std::streamoff(in.tellg()) : 0;
  std::string bytes(size_t(std::max<std::streamoff>(size, 0)), '\0');
  in.seekg(0);
  in.read(bytes.data(), std::streamsize(bytes.size()));
  bytes.resize(size_t(in.gcount()));
  in.clear();
  bytes.append(std::istreambuf_iterator<char>(in), {});
  return bytes;
}

std::set<std::string> NamesIn(const std::filesystem::path& dir) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    names.insert(e.path().filename().string());
  return names;
}

void WriteFileBytes(const std::filesystem::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
}

int InChild(const std::function<int()>& f) {
  const pid_t child = fork();
  if (child < 0) return -2;
  if (child == 0) _exit(f());
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace kel::test
