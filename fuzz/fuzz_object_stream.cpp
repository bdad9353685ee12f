// Fuzz target: any bytes read as an object file from a stream that cannot seek (a pipe), where
// the reader cannot learn the file's size before it reads. It must still refuse a file whole,
// with a message, without allocating by sizes the bytes do not back, and accept exactly what the
// seekable reader accepts, with the same objects.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <istream>
#include <sstream>
#include <streambuf>
#include <string>

#include "files/object_file.h"
#include "fuzz_support.h"

namespace {

using fuzz::Require;

// The bytes as a pipe gives them: in pieces, with no position and no way back.
class PipeBuf final : public std::streambuf {
 public:
  PipeBuf(const uint8_t* data, size_t size) : data_(data), size_(size) {}

 protected:
  int_type underflow() override {
    if (at_ >= size_) return traits_type::eof();
    const size_t n = std::min(size_ - at_, sizeof piece_);
    std::copy(data_ + at_, data_ + at_ + n, piece_);
    at_ += n;
    setg(piece_, piece_, piece_ + n);
    return traits_type::to_int_type(piece_[0]);
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
  char piece_[512];
};

std::string Written(const kel::SpriteList& list) {
  std::ostringstream out;
  Require(kel::WriteObjectFile(out, list));
  return out.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PipeBuf pipe(data, size);
  std::istream in(&pipe);
  Require(in.tellg() == std::istream::pos_type(-1));  // it really cannot tell where it is
  kel::SpriteList piped;
  const kel::ObjectFileResult p = kel::ReadObjectFile(in, piped);
  if (!p.ok) Require(!p.message.empty() && piped.empty());

  std::istringstream seekable(std::string(reinterpret_cast<const char*>(data), size));
  kel::SpriteList read;
  const kel::ObjectFileResult s = kel::ReadObjectFile(seekable, read);
  Require(p.ok == s.ok);
  if (p.ok) Require(Written(piped) == Written(read));
  return 0;
}
