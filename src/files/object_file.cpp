// The object file: header, count, object records. The file is read whole into a list of its
// own first; the caller's list changes only when every byte of the file was valid.
#include "files/object_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <istream>
#include <ostream>
#include <streambuf>
#include <vector>

#include "model/le.h"
#include "model/mapped_file.h"
#include "model/record_io.h"
#include "model/system_error.h"
#include "model/text.h"

namespace kel {

namespace {

constexpr size_t kMagicLength = sizeof kObjectFileMagic - 1;  // 8

ObjectFileResult Failure(std::string message) {
  return {false, std::move(message)};
}

// Reads the whole file into objects. On failure the message says what and where.
ObjectFileResult ReadAll(RecordReader& reader, SpriteList& objects) {
  if (!reader.Ok()) return Failure(reader.Error());
  uint8_t head[kObjectFileHeaderSize + 2];
  // The header's bytes as far as the file holds them: a short file that is not an object file
  // at all is told by its first bytes, not by its length.
  size_t got = 0;
  while (got < kObjectFileHeaderSize && !reader.AtEnd()) {
    if (!reader.ReadBytes(head + got, 1, "ファイルの見出し")) return Failure(reader.Error());
    ++got;
  }
  // The magic is a NUL-terminated string: "KE--1.00" followed by anything but 0 is another one.
  if (std::memcmp(head, kObjectFileMagic, std::min(got, kMagicLength + 1)) != 0) {
    reader.FailAt(0, "オブジェクトファイルの識別子 \"KE--1.00\" がありません");
    return Failure(reader.Error());
  }
  // What there is begins as an object file should, and then the file ends.
  if (got < kObjectFileHeaderSize) {
    reader.FailAt(0, "ファイルの見出しの途中でファイルが終わっています");
    return Failure(reader.Error());
  }
  if (!reader.ReadBytes(head + kObjectFileHeaderSize, 2, "オブジェクトの数")) {
    return Failure(reader.Error());
  }
  const int16_t count = le::I16(head + kObjectFileHeaderSize);
  if (count < 0) {
    reader.FailAt(kObjectFileHeaderSize,
                  "オブジェクトの数が負の値です (" + std::to_string(count) + ")");
    return Failure(reader.Error());
  }

  objects.reserve(size_t(count));
  for (int i = 0; i < count; ++i) {
    if (reader.AtEnd()) {
      reader.Fail("オブジェクトの数は " + std::to_string(count) + " ですが、ファイルには " +
                  std::to_string(i) + " 個しかありません");
      return Failure(reader.Error());
    }
    reader.SetPlace("オブジェクト " + std::to_string(i + 1));
    auto object = std::make_unique<ObSpriteData>();
    if (!object->Read(reader)) return Failure(reader.Error());
    objects.push_back(std::move(object));
  }
  reader.SetPlace("");
  // A valid file ends with its last object; more bytes mean the count or a record is wrong.
  if (!reader.AtEnd()) {
    reader.Fail("最後のオブジェクトの後に余分なデータがあります");
    return Failure(reader.Error());
  }
  return {true, {}};
}

std::string CannotOpen(const std::string& path, const char* reason) {
  return "ファイル \"" + path + "\" を開けません: " + reason;
}

ObjectFileResult AddInto(RecordReader&& reader, SpriteList& list,
                         const std::function<bool(const std::string& name)>& checkName) {
  SpriteList objects;
  ObjectFileResult result = ReadAll(reader, objects);
  if (!result.ok) return result;
  return AppendObjects(std::move(objects), list, checkName);
}

// Reads a file descriptor that has no size (a stream) in blocks; large reads go straight into
// the caller's storage.
class FdReadBuffer final : public std::streambuf {
 public:
  explicit FdReadBuffer(int fd) : fd_(fd) {}

 protected:
  int_type underflow() override {
    const ssize_t n = Read(buffer_.data(), buffer_.size());
    if (n <= 0) return traits_type::eof();
    setg(buffer_.data(), buffer_.data(), buffer_.data() + n);
    return traits_type::to_int_type(*gptr());
  }
  std::streamsize xsgetn(char* s, std::streamsize n) override {
    std::streamsize got = std::min<std::streamsize>(n, egptr() - gptr());
    if (got > 0) {
      std::memcpy(s, gptr(), size_t(got));
      gbump(int(got));
    }
    while (got < n) {
      if (n - got < std::streamsize(buffer_.size())) {
        if (traits_type::eq_int_type(underflow(), traits_type::eof())) break;
        const std::streamsize step = std::min<std::streamsize>(n - got, egptr() - gptr());
        std::memcpy(s + got, gptr(), size_t(step));
        gbump(int(step));
        got += step;
        continue;
      }
      const ssize_t r = Read(s + got, size_t(n - got));
      if (r <= 0) break;
      got += r;
    }
    return got;
  }

 private:
  ssize_t Read(char* dst, size_t n) {
    for (;;) {
      const ssize_t r = ::read(fd_, dst, n);
      if (r >= 0 || errno != EINTR) return r;
    }
  }
  int fd_;
  std::array<char, 1 << 16> buffer_;
};

// Opens path as a regular file and hands read its bounded reader.
ObjectFileResult ReadPath(const std::string& path,
                          const std::function<ObjectFileResult(RecordReader&&)>& read) {
  ObjectFileResult refused;
  // Not blocking: opening a named pipe would otherwise wait for a writer, and it is refused
  // below in any case. Reading a regular file is not affected.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    refused.openError = errno;
    refused.message = CannotOpen(path, SystemErrorText(refused.openError).c_str());
    return refused;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    refused.openError = errno;
    refused.message = CannotOpen(path, SystemErrorText(refused.openError).c_str());
  } else if (S_ISDIR(st.st_mode)) {
    refused.message = CannotOpen(path, "フォルダーです");
  } else if (!S_ISREG(st.st_mode)) {
    refused.message = CannotOpen(path, "通常のファイルではありません");
  }
  if (!refused.message.empty()) {
    ::close(fd);
    return refused;
  }
  // A file that reports size 0 is read as a stream of unknown length, to its end; so is one that
  // does not begin as an object file, which is refused at its first bytes without reading (nor
  // making room for) the rest. Any other is read whole into memory of its own at once, and its
  // pictures are lent from there: one copy of the bytes and one allocation, instead of one for
  // each picture.
  char magic[kMagicLength + 1] = {};
  const bool objectFile = st.st_size > 0 &&
                          ::pread(fd, magic, sizeof magic, 0) == ssize_t(sizeof magic) &&
                          std::memcmp(magic, kObjectFileMagic, sizeof magic) == 0;
  if (!objectFile) {
    FdReadBuffer buffer(fd);
    std::istream in(&buffer);
    ObjectFileResult result = read(RecordReader(in));
    ::close(fd);
    return result;
  }
  int error = 0;
  std::shared_ptr<MappedFile> file = MappedFile::Read(fd, size_t(st.st_size), error);
  ::close(fd);
  if (!file) {
    refused.openError = error;
    refused.message = CannotOpen(path, SystemErrorText(error).c_str());
    return refused;
  }
  return read(RecordReader(std::move(file)));
}

ObjectFileResult ReadInto(RecordReader&& reader, SpriteList& list) {
  SpriteList objects;
  ObjectFileResult result = ReadAll(reader, objects);
  if (result.ok) list = std::move(objects);
  return result;
}

}  // namespace

ObjectFileResult ReadObjectFile(std::istream& in, SpriteList& list) {
  return ReadInto(RecordReader(in), list);
}

ObjectFileResult ReadObjectFile(std::shared_ptr<MappedFile> file, SpriteList& list) {
  return ReadInto(RecordReader(std::move(file)), list);
}

ObjectFileResult AddReadObjectFile(std::istream& in, SpriteList& list,
                                   const std::function<bool(const std::string& name)>& checkName) {
  return AddInto(RecordReader(in), list, checkName);
}

ObjectFileResult AppendObjects(SpriteList objects, SpriteList& list,
                               const std::function<bool(const std::string& name)>& checkName) {
  for (size_t i = 0; i < objects.size(); ++i) {
    if (!checkName(objects[i]->Name())) {
      return Failure("オブジェクト " + std::to_string(i + 1) + " の名前 \"" +
                     Cp932ToUtf8Lossy(objects[i]->Name()) + "\" は既にあります");
    }
    list.push_back(std::move(objects[i]));
  }
  return {true, {}};
}

bool WriteObjectFile(std::ostream& out, const SpriteList& list) {
  if (!out || list.size() > 0x7FFF) return false;
  uint8_t head[kObjectFileHeaderSize + 2] = {};
  std::memcpy(head, kObjectFileMagic, kMagicLength);
  le::Put16(head + kObjectFileHeaderSize, uint16_t(list.size()));
  out.write(reinterpret_cast<const char*>(head), sizeof head);
  for (const auto& object : list) {
    if (!object->Write(out)) return false;
  }
  out.flush();
  return bool(out);
}

ObjectFileResult ReadObjectFile(const std::string& path, SpriteList& list) {
  return ReadPath(path, [&](RecordReader&& reader) { return ReadInto(std::move(reader), list); });
}

ObjectFileResult AddReadObjectFile(const std::string& path, SpriteList& list,
                                   const std::function<bool(const std::string& name)>& checkName) {
  return ReadPath(
      path, [&](RecordReader&& reader) { return AddInto(std::move(reader), list, checkName); });
}

}  // namespace kel
