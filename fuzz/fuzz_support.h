// What the fuzz targets share: a check that ends the run, and a scratch folder of their own.
#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace fuzz {

// An invariant the code under test promises: a broken one ends the run, so the input is kept.
inline void Require(bool condition) {
  if (!condition) std::abort();
}

// A new folder under the system's temporary folder, named after the target, removed at exit.
class ScratchFolder {
 public:
  explicit ScratchFolder(const char* target) {
    std::string pattern =
        std::filesystem::temp_directory_path() / (std::string(target) + ".XXXXXX");
    Require(::mkdtemp(pattern.data()) != nullptr);
    path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace fuzz
