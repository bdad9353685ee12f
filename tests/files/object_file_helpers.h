// Reading and writing object files in memory for the tests of this folder.
#pragma once

#include <sstream>
#include <streambuf>
#include <string>

#include "files/object_file.h"
#include "model/mapped_file.h"
#include "support/test_paths.h"

namespace kel::test {

inline ObjectFileResult ReadBytes(const std::string& bytes, SpriteList& list) {
  std::istringstream in(bytes, std::ios::binary);
  return ReadObjectFile(in, list);
}

// The same bytes read as a mapped file on disk, as keltool reads them.
inline ObjectFileResult ReadMapped(const std::string& bytes, SpriteList& list) {
  TempDir dir;
  WriteFileBytes(dir / "mapped.kel", bytes);
  int error = 0;
  std::shared_ptr<MappedFile> file = MappedFile::Open((dir / "mapped.kel").string(), error);
  if (!file) return {false, "<cannot map: " + std::to_string(error) + ">"};
  return ReadObjectFile(std::move(file), list);
}

inline std::string WriteBytes(const SpriteList& list) {
  std::ostringstream out(std::ios::binary);
  if (!WriteObjectFile(out, list)) return "<write failed>";
  return out.str();
}

// A stream buffer that cannot seek, as a pipe's is: a reader cannot know the size in advance.
class PipeBuf : public std::streambuf {
 public:
  explicit PipeBuf(std::string bytes) : bytes_(std::move(bytes)) {
    setg(bytes_.data(), bytes_.data(), bytes_.data() + bytes_.size());
  }

 private:
  std::string bytes_;
};

// The offset a message names, or -1 when it names none.
inline long long OffsetIn(const std::string& message) {
  const std::string key = "(オフセット ";
  const size_t at = message.rfind(key);
  if (at == std::string::npos) return -1;
  return std::stoll(message.substr(at + key.size()));
}

}  // namespace kel::test
