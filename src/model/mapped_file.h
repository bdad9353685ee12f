// A whole file mapped into memory, for reading it without copying its bytes: the pictures read
// from it borrow their rows straight from the mapping.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kel {

class MappedFile {
 public:
  // Maps the regular file at path; null with error set to the system's reason (errno) when it
  // cannot. The mapping is private: the bytes may be changed in memory, and nothing reaches the
  // file. Its pages are read as they are touched.
  //
  // The file must keep its length and its bytes while it is mapped: touching a page that a
  // truncation took away ends the process (SIGBUS), and a picture whose header another program
  // rewrites is no longer the one that was checked. Long-running programs that keep what they read
  // should copy instead; tools that read, work and exit can use ExitOnMappingFault.
  //
  // A regular file that reports size 0 (the kernel's files under /proc) is read whole instead:
  // its content exists only as it is read.
  static std::shared_ptr<MappedFile> Open(const std::string& path, int& error);
  // The bytes of the open regular file fd from its start, size of them (fewer if it ends
  // sooner), copied into memory of their own: nothing another program does to the file later
  // reaches them, so a program may keep them as long as it likes. The memory is taken in one
  // piece, with its pages made at once (much cheaper than one fault per page, and large pages
  // where the system gives them); null with error set to the system's reason when it cannot.
  static std::shared_ptr<MappedFile> Read(int fd, size_t size, int& error);

  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  uint8_t* Bytes() const { return bytes_; }  // null for an empty file
  size_t Size() const { return size_; }

 private:
  MappedFile(uint8_t* bytes, size_t size) : bytes_(bytes), size_(size), mapped_(size) {}
  explicit MappedFile(std::vector<uint8_t> copy);
  uint8_t* bytes_;
  size_t size_;
  size_t mapped_ = 0;          // the length of the mapping, when there is one
  std::vector<uint8_t> copy_;  // the bytes of a file read instead of mapped
};

// Makes a fault on a mapping (a mapped file that shrank underneath the process) end the process
// cleanly: the temporary file of an unfinished SaveFileAtomically is removed, message and a
// newline go to standard error, and the process exits with status. Replaces the handler of
// SIGBUS for the whole process.
void ExitOnMappingFault(const char* message, int status);

}  // namespace kel
