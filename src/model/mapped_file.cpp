#include "model/mapped_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "model/save_file.h"

namespace kel {

namespace {

// Reads fd from where it stands to its end into bytes; 0 or the system's reason.
int ReadToEnd(int fd, std::vector<uint8_t>& bytes) {
  size_t got = 0;
  for (;;) {
    if (bytes.size() - got < 4096) bytes.resize(std::max<size_t>(2 * bytes.size(), 65536));
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) break;
    got += size_t(n);
  }
  bytes.resize(got);
  return 0;
}

}  // namespace

std::shared_ptr<MappedFile> MappedFile::Open(const std::string& path, int& error) {
  error = 0;
  // Not blocking: opening a named pipe for reading would otherwise wait for a writer, and it is
  // refused below in any case. Reading a regular file is not affected.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = errno;
    return nullptr;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    error = errno;
  } else if (!S_ISREG(st.st_mode)) {
    error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  }
  if (error) {
    ::close(fd);
    return nullptr;
  }
  const size_t size = size_t(st.st_size);
  // A file that says it is empty may still have content made as it is read (the kernel's files
  // under /proc): it is read to its end instead of mapped.
  if (size == 0) {
    std::vector<uint8_t> copy;
    error = ReadToEnd(fd, copy);
    ::close(fd);
    if (error) return nullptr;
    return std::shared_ptr<MappedFile>(new MappedFile(std::move(copy)));
  }
  uint8_t* bytes = nullptr;
  {
    // Pages come in as they are touched: a file that is refused at its first bytes costs no
    // more than those. Private and writable, a change copies only the page it touches.
    void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE, fd, 0);
    if (p == MAP_FAILED) {
      error = errno;
      ::close(fd);
      return nullptr;
    }
    bytes = static_cast<uint8_t*>(p);
  }
  // The mapping keeps the file; the descriptor is not needed any more.
  ::close(fd);
  return std::shared_ptr<MappedFile>(new MappedFile(bytes, size));
}

std::shared_ptr<MappedFile> MappedFile::Read(int fd, size_t size, int& error) {
  error = 0;
  if (size == 0) return std::shared_ptr<MappedFile>(new MappedFile(std::vector<uint8_t>()));
  void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) {
    error = errno;
    return nullptr;
  }
  auto* bytes = static_cast<uint8_t*>(p);
  ::madvise(p, size, MADV_HUGEPAGE);
  // All pages at once, before the copy: the kernel makes them in one go instead of taking a
  // fault for each page the copy reaches.
  ::madvise(p, size, MADV_POPULATE_WRITE);
  auto file = std::shared_ptr<MappedFile>(new MappedFile(bytes, size));
  size_t got = 0;
  while (got < size) {
    const ssize_t n = ::read(fd, bytes + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = errno;
      return nullptr;
    }
    if (n == 0) break;
    got += size_t(n);
  }
  file->size_ = got;
  return file;
}

MappedFile::MappedFile(std::vector<uint8_t> copy)
    : bytes_(copy.empty() ? nullptr : copy.data()), size_(copy.size()), copy_(std::move(copy)) {}

MappedFile::~MappedFile() {
  if (bytes_ && mapped_) ::munmap(bytes_, mapped_);
}

namespace {

// Set before the handler is, so that it only reads them. The length is measured here: the
// handler calls nothing but unlink, write and _exit.
const char* g_faultMessage = "";
size_t g_faultLength = 0;
int g_faultStatus = 1;

extern "C" void OnMappingFault(int) {
  RemoveUnfinishedSave();
  if (g_faultLength > 0 && ::write(STDERR_FILENO, g_faultMessage, g_faultLength) >= 0) {
    (void)!::write(STDERR_FILENO, "\n", 1);
  }
  ::_exit(g_faultStatus);
}

}  // namespace

void ExitOnMappingFault(const char* message, int status) {
  g_faultMessage = message;
  g_faultLength = std::strlen(message);
  g_faultStatus = status;
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = OnMappingFault;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGBUS, &action, nullptr);
}

}  // namespace kel
