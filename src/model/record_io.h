// Bounded reading of file records. The reader knows how many bytes remain, so no count or size
// taken from the file can make it allocate or read more than the file holds. The first failure
// sticks: later reads do nothing, and the message says what was wrong and where.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

namespace kel {

class MappedFile;

class RecordReader {
 public:
  // Reads from in; the remaining size is taken from the stream (seekable streams) or, when
  // given, from limit.
  explicit RecordReader(std::istream& in);
  RecordReader(std::istream& in, uint64_t limit);
  // Reads a mapped file from its start. Blocks of it can be lent instead of copied (Lend).
  explicit RecordReader(std::shared_ptr<MappedFile> file);

  bool Ok() const { return error_.empty(); }
  const std::string& Error() const { return error_; }
  uint64_t Offset() const { return offset_; }        // bytes consumed so far
  uint64_t Remaining() const { return remaining_; }  // bytes the file still holds
  bool Sized() const { return sized_; }              // false: Remaining() is only an upper bound
  bool AtEnd();  // no byte remains (asks the stream when not sized)

  // Reads exactly n bytes into dst; fails ("the file ends early") when fewer remain.
  bool ReadBytes(void* dst, size_t n, const char* what);
  // Reads n bytes, then calls place(n) for the storage they go to, and copies them there. Of a
  // stream whose size is unknown (Sized() false) a size field may promise bytes that never come:
  // they are taken in steps as they arrive, so no more is allocated than the stream held. The
  // storage place gives may throw std::bad_alloc; that is reported as the file's failure.
  bool ReadBlock(size_t n, const char* what, const std::function<uint8_t*(size_t)>& place);
  bool Skip(uint64_t n, const char* what);
  // The n bytes from at (an offset from the reader's start) as they stand in the mapped file,
  // kept alive by the pointer; null when the reader reads a stream or the file does not hold
  // them. Where the reader stands does not change.
  std::shared_ptr<uint8_t[]> Lend(uint64_t at, size_t n) const;
  bool Fail(const std::string& message);  // records the first failure, at the current offset
  // The same, naming the offset (a value of Offset()) where the faulty field starts.
  bool FailAt(uint64_t offset, const std::string& message);

  // Where the reader stands, put before each message: "オブジェクト 3 のフレーム 12 のイメージ".
  void SetPlace(std::string place) { place_ = std::move(place); }
  const std::string& Place() const { return place_; }

 private:
  std::istream* in_ = nullptr;        // the stream read, or
  std::shared_ptr<MappedFile> file_;  // the mapped file read
  uint64_t base_ = 0;                 // the stream position where reading began, for messages
  bool sized_ = false;                // remaining_ is known (seekable stream or a limit)
  uint64_t offset_ = 0;
  uint64_t remaining_ = 0;
  std::string place_;
  std::string error_;
};

// Reads one record from a stream with read, the record's bounded reader. When read fails the
// stream stands inside the record and nothing after it can be read in step, so the stream is
// failed too (failbit). false at once for a stream that has already failed.
bool ReadRecord(std::istream& in, const std::function<bool(RecordReader&)>& read);

}  // namespace kel
