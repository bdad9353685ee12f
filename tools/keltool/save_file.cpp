#include "save_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <ostream>
#include <streambuf>

namespace keltool {

namespace fs = std::filesystem;

namespace {

// A stream buffer on a file descriptor that remembers the first write error, so the message can
// give the system's reason (a full disk, say) rather than a bare stream failure.
class FdBuf : public std::streambuf {
 public:
  explicit FdBuf(int fd) : fd_(fd), buf_(new char[kSize]) { setp(buf_.get(), buf_.get() + kSize); }
  int Error() const { return error_; }

 protected:
  int_type overflow(int_type ch) override {
    if (!Flush()) return traits_type::eof();
    if (!traits_type::eq_int_type(ch, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(ch);
      pbump(1);
    }
    return traits_type::not_eof(ch);
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    // Pixel rows and wave data go straight to the file: copying them through the buffer first
    // costs a pass over every byte for nothing.
    if (n >= std::streamsize(kDirect)) {
      if (!Flush() || !WriteAll(s, size_t(n))) return 0;
      return n;
    }
    return std::streambuf::xsputn(s, n);
  }
  int sync() override { return Flush() ? 0 : -1; }

 private:
  static constexpr size_t kSize = 1 << 18;
  static constexpr size_t kDirect = 1 << 14;

  bool Flush() {
    const size_t n = size_t(pptr() - pbase());
    const bool ok = WriteAll(pbase(), n);
    setp(buf_.get(), buf_.get() + kSize);
    return ok;
  }
  bool WriteAll(const char* p, size_t n) {
    if (error_) return false;
    while (n > 0) {
      const ssize_t w = ::write(fd_, p, n);
      if (w < 0) {
        if (errno == EINTR) continue;
        error_ = errno;
        return false;
      }
      p += w;
      n -= size_t(w);
    }
    return true;
  }

  int fd_;
  std::unique_ptr<char[]> buf_;
  int error_ = 0;
};

std::string Reason(int e) {
  return std::strerror(e);
}

}  // namespace

bool SaveFileAtomically(const std::string& path, const std::function<bool(std::ostream&)>& write,
                        std::string& error) {
  fs::path target = path;
  std::error_code ec;
  if (fs::is_symlink(fs::symlink_status(target, ec))) {
    const fs::path resolved = fs::weakly_canonical(target, ec);
    if (!ec) target = resolved;
  }
  if (fs::is_directory(target, ec)) {
    error = "cannot write " + path + ": it is a folder";
    return false;
  }
  fs::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  // A hidden name beside the target (appended piece by piece: GCC 12 misreports
  // "literal" + string here under -O3 as an overlapping copy).
  std::string tempName = ".";
  tempName += target.filename().string();
  tempName += ".XXXXXX";
  std::string temp = (folder / tempName).string();
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    error = "cannot write " + path + ": " + Reason(errno);
    return false;
  }

  // mkstemp makes the file private; give it the permissions the target has or a new file
  // would get.
  struct stat st;
  mode_t mode;
  if (::stat(target.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(fd, mode);

  int failure = 0;
  bool written;
  {
    FdBuf buf(fd);
    std::ostream out(&buf);
    written = write(out);
    out.flush();
    if (!out || buf.Error()) {
      written = false;
      failure = buf.Error();
    }
  }
  if (written && ::fsync(fd) != 0) written = false, failure = errno;
  if (::close(fd) != 0 && written) written = false, failure = errno;
  if (written && ::rename(temp.c_str(), target.c_str()) != 0) written = false, failure = errno;
  if (!written) {
    ::unlink(temp.c_str());
    error = "cannot write " + path + ": " + (failure ? Reason(failure) : "write failed");
    return false;
  }
  // The rename is durable only once the folder itself is on disk.
  const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return true;
}

}  // namespace keltool
