#include "model/record_io.h"

#include <algorithm>
#include <cstring>
#include <istream>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "model/mapped_file.h"

namespace kel {

namespace {

constexpr uint64_t kUnknown = std::numeric_limits<uint64_t>::max();

// The bytes from the stream's position to its end, or kUnknown when the stream cannot seek.
// The position is left where it was.
uint64_t StreamRemaining(std::istream& in, uint64_t& position) {
  const std::istream::pos_type here = in.tellg();
  if (here == std::istream::pos_type(-1)) {
    in.clear(in.rdstate() & ~std::ios::failbit);
    return kUnknown;
  }
  position = uint64_t(std::streamoff(here));
  in.seekg(0, std::ios::end);
  const std::istream::pos_type end = in.tellg();
  in.clear(in.rdstate() & ~(std::ios::failbit | std::ios::eofbit));
  in.seekg(here);
  if (end == std::istream::pos_type(-1) || in.fail()) {
    in.clear(in.rdstate() & ~std::ios::failbit);
    in.seekg(here);
    return kUnknown;
  }
  const std::streamoff e = end, h = here;
  return e > h ? uint64_t(e - h) : 0;
}

}  // namespace

RecordReader::RecordReader(std::istream& in) : in_(&in), remaining_(kUnknown) {
  if (in_->fail()) {
    Fail("ファイルを読み込めません");
    remaining_ = 0;
    return;
  }
  remaining_ = StreamRemaining(*in_, base_);
  sized_ = remaining_ != kUnknown;
}

RecordReader::RecordReader(std::istream& in, uint64_t limit) : RecordReader(in) {
  if (Ok()) {
    remaining_ = std::min(remaining_, limit);
    sized_ = true;
  }
}

RecordReader::RecordReader(std::shared_ptr<MappedFile> file)
    : file_(std::move(file)), sized_(true), remaining_(file_ ? file_->Size() : 0) {
  if (!file_) Fail("ファイルを読み込めません");
}

bool RecordReader::ReadBlock(size_t n, const char* what,
                             const std::function<uint8_t*(size_t)>& place) {
  if (!Ok()) return false;
  constexpr size_t kStep = size_t(1) << 20;
  try {
    if (sized_ || n <= kStep) return ReadBytes(place(n), n, what);
    std::vector<uint8_t> arrived;
    while (arrived.size() < n) {
      const size_t at = arrived.size();
      const size_t step = std::min(kStep, n - at);
      arrived.resize(at + step);
      if (!ReadBytes(arrived.data() + at, step, what)) return false;
    }
    std::memcpy(place(n), arrived.data(), n);
    return true;
  } catch (const std::bad_alloc&) {
    return Fail("メモリが足りません (" + std::to_string(n) + " バイトの" + what + ")");
  }
}

bool RecordReader::ReadBytes(void* dst, size_t n, const char* what) {
  if (!Ok()) return false;
  if (n == 0) return true;
  if (sized_ && n > remaining_) {
    return Fail(std::string(what) + "の途中でファイルが終わっています");
  }
  if (file_) {
    std::memcpy(dst, file_->Bytes() + offset_, n);
    offset_ += n;
    remaining_ -= n;
    return true;
  }
  // Straight into the caller's storage: large blocks pass the stream buffer by.
  in_->read(static_cast<char*>(dst), std::streamsize(n));
  const uint64_t got = uint64_t(in_->gcount());
  if (got != n) {
    const bool ended = in_->eof();
    in_->clear(in_->rdstate() & ~(std::ios::failbit | std::ios::eofbit));
    // The message names where the field began, not how far the stream got.
    Fail(std::string(what) + (ended ? "の途中でファイルが終わっています" : "を読み込めません"));
    offset_ += got;
    if (sized_) remaining_ -= std::min(remaining_, got);
    return false;
  }
  offset_ += n;
  if (sized_) remaining_ -= n;
  return true;
}

bool RecordReader::Skip(uint64_t n, const char* what) {
  if (!Ok()) return false;
  if (n == 0) return true;
  if (sized_) {
    if (n > remaining_) return Fail(std::string(what) + "の途中でファイルが終わっています");
    if (in_) {
      in_->seekg(std::streamoff(n), std::ios::cur);
      if (in_->fail()) {
        in_->clear(in_->rdstate() & ~std::ios::failbit);
        return Fail(std::string(what) + "を読み込めません");
      }
    }
    offset_ += n;
    remaining_ -= n;
    return true;
  }
  char scratch[4096];
  while (n > 0) {
    const size_t step = size_t(std::min<uint64_t>(n, sizeof scratch));
    if (!ReadBytes(scratch, step, what)) return false;
    n -= step;
  }
  return true;
}

bool RecordReader::AtEnd() {
  if (!Ok()) return true;
  if (sized_) return remaining_ == 0;
  return in_->peek() == std::istream::traits_type::eof();
}

std::shared_ptr<uint8_t[]> RecordReader::Lend(uint64_t at, size_t n) const {
  if (!file_ || at > file_->Size() || n > file_->Size() - at) return nullptr;
  // Shares the mapping's ownership: the mapping lives as long as any block lent from it.
  return std::shared_ptr<uint8_t[]>(file_, file_->Bytes() + at);
}

bool RecordReader::Fail(const std::string& message) {
  return FailAt(offset_, message);
}

bool RecordReader::FailAt(uint64_t offset, const std::string& message) {
  if (!Ok()) return false;
  error_ = place_.empty() ? message : place_ + ": " + message;
  error_ += " (オフセット " + std::to_string(base_ + offset) + ")";
  return false;
}

bool ReadRecord(std::istream& in, const std::function<bool(RecordReader&)>& read) {
  if (!in) return false;
  RecordReader reader(in);
  if (read(reader)) return true;
  in.setstate(std::ios::failbit);
  return false;
}

}  // namespace kel
