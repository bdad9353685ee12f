#include "model/save_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <ostream>
#include <random>
#include <streambuf>
#include <vector>

namespace kel {

namespace fs = std::filesystem;

namespace {

// A stream buffer on a file descriptor that remembers the first write error, so the message can
// give the system's reason (a full disk, say) rather than a bare stream failure.
//
// What is put on the stream is gathered into writes of about a megabyte: every write costs the
// file system a fixed amount of work, which for pictures of a few kilobytes each is more than the
// bytes themselves. Small pieces are copied into the buffer; lent blocks (Lend) are written from
// where they stand, in order with the pieces around them.
class FdBuf : public std::streambuf {
 public:
  // writeBack: send the bytes on to the disk while writing (for a file that is flushed at the
  // end).
  FdBuf(int fd, bool writeBack) : fd_(fd), writeBack_(writeBack), buf_(new char[kSize]) {
    Restart();
  }
  int Error() const { return error_; }

  // Puts the n bytes at p after what the stream holds, without copying them; owner keeps them
  // alive until they are written.
  bool Lend(std::shared_ptr<const void> owner, const char* p, size_t n) {
    if (error_) return false;
    EndSegment();
    pieces_.push_back({const_cast<char*>(p), n});
    owners_.push_back(std::move(owner));
    lent_ += n;
    if (lent_ >= kSize || pieces_.size() >= kMaxPieces) return Flush();
    return true;
  }

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
    // A block as large as the buffer goes straight to the file.
    if (n >= std::streamsize(kSize)) {
      if (!Flush()) return 0;
      pieces_.push_back({const_cast<char*>(s), size_t(n)});
      return Flush() ? n : 0;
    }
    return std::streambuf::xsputn(s, n);
  }
  int sync() override { return Flush() ? 0 : -1; }

 private:
  static constexpr size_t kSize = 1 << 20;
  static constexpr size_t kMaxPieces = 512;  // well below IOV_MAX

  void Restart() {
    setp(buf_.get(), buf_.get() + kSize);
    segment_ = buf_.get();
  }
  // The bytes copied into the buffer since the last piece become a piece of their own.
  void EndSegment() {
    if (pptr() == segment_) return;
    pieces_.push_back({segment_, size_t(pptr() - segment_)});
    segment_ = pptr();
  }
  bool Flush() {
    EndSegment();
    const bool ok = WritePieces();
    pieces_.clear();
    owners_.clear();
    lent_ = 0;
    Restart();
    return ok;
  }
  bool WritePieces() {
    if (error_) return false;
    size_t i = 0;
    while (i < pieces_.size()) {
      const int count = int(std::min(pieces_.size() - i, kMaxPieces));
      ssize_t w = ::writev(fd_, &pieces_[i], count);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        // Nothing written of what remains: a regular file takes no more.
        error_ = w < 0 ? errno : EIO;
        return false;
      }
      written_ += uint64_t(w);
      for (; i < pieces_.size() && size_t(w) >= pieces_[i].iov_len; ++i) w -= pieces_[i].iov_len;
      if (i < pieces_.size()) {
        pieces_[i].iov_base = static_cast<char*>(pieces_[i].iov_base) + w;
        pieces_[i].iov_len -= size_t(w);
      }
    }
    StartWriteBack();
    return true;
  }
  // Sends what has been written so far on to the disk every two megabytes, without waiting for
  // it: the disk then works while the rest is written, and the flush at the end waits only for
  // the last piece instead of the whole file.
  void StartWriteBack() {
    if (!writeBack_ || written_ - started_ < kWriteBackStep) return;
    (void)::sync_file_range(fd_, off64_t(started_), off64_t(written_ - started_),
                            SYNC_FILE_RANGE_WRITE);
    started_ = written_;
  }

  static constexpr uint64_t kWriteBackStep = 2 << 20;

  int fd_;
  bool writeBack_;
  uint64_t written_ = 0;  // bytes in the file so far
  uint64_t started_ = 0;  // bytes already sent on to the disk
  std::unique_ptr<char[]> buf_;
  char* segment_ = nullptr;    // where the buffer's bytes not yet in pieces_ begin
  std::vector<iovec> pieces_;  // what the next write writes, in order
  std::vector<std::shared_ptr<const void>> owners_;  // what keeps the lent pieces alive
  size_t lent_ = 0;                                  // bytes lent since the last write
  int error_ = 0;
};

// The temporary files being written, for RemoveUnfinishedSave: one slot a save under way, as
// saves may nest (a writer that saves another file) or run on several threads. A save holds its
// slot from creating its temporary until the file is renamed or removed, so a slot never names a
// file that is gone. A signal handler reads them: an atomic that took a lock could wait forever
// for the code the signal interrupted.
constexpr size_t kUnfinishedSlots = 16;
std::atomic<const char*> g_unfinished[kUnfinishedSlots];
static_assert(std::atomic<const char*>::is_always_lock_free);

// The slot now holding path, or kUnfinishedSlots when all are taken (that save is not removed).
size_t HoldUnfinished(const char* path) {
  for (size_t i = 0; i < kUnfinishedSlots; ++i) {
    const char* empty = nullptr;
    if (g_unfinished[i].compare_exchange_strong(empty, path)) return i;
  }
  return kUnfinishedSlots;
}

void ReleaseUnfinished(size_t& slot) {
  if (slot < kUnfinishedSlots) g_unfinished[slot] = nullptr;
  slot = kUnfinishedSlots;
}

// The temporary file until it is renamed into place: closed and, once it has a name, removed
// on every way out, an exception thrown by the writer and a fatal signal included.
class TempFile {
 public:
  // An unnamed file (path empty) or a named one.
  TempFile(int fd, std::string path) : fd_(fd) {
    if (!path.empty()) Named(std::move(path));
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() {
    ReleaseUnfinished(slot_);
    if (fd_ >= 0) ::close(fd_);
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  int Fd() const { return fd_; }
  const std::string& Path() const { return path_; }
  // The file got its name (a link to an unnamed file): from now on it is removed on failure.
  void Named(std::string path) {
    path_ = std::move(path);
    slot_ = HoldUnfinished(path_.c_str());
  }
  // 0, or the system's reason the file could not be closed (a delayed write error).
  int Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0 ? 0 : errno;
  }
  void Kept() {
    ReleaseUnfinished(slot_);
    path_.clear();
  }

 private:
  int fd_;
  std::string path_;
  size_t slot_ = kUnfinishedSlots;  // in g_unfinished
};

// As many links in a row as the system follows before it gives up with ELOOP.
constexpr int kMaxLinks = 40;

constexpr char kNameChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr size_t kSuffixLength = 6;

// ".NAME." for a hidden name beside the target. A name near the longest the file system takes
// is shortened (at a character boundary) so that the temporary name still fits.
std::string TempPrefix(const std::string& name) {
  const size_t room = NAME_MAX - 2 - kSuffixLength;
  size_t keep = name.size();
  if (keep > room) {
    keep = room;
    while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
  }
  // Appended piece by piece: GCC 12 misreports "literal" + string here under -O3 as an
  // overlapping copy.
  std::string prefix = ".";
  prefix.append(name, 0, keep);
  prefix += '.';
  return prefix;
}

// Makes a unique name from prefix in folder with make(name), which answers a descriptor or 0
// (done), or -1 with errno; tried again while the name is taken.
template <typename Make>
int WithUniqueName(const fs::path& folder, const std::string& prefix, std::string& temp,
                   Make make) {
  thread_local std::mt19937_64 random{std::random_device{}()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = prefix;
    for (size_t i = 0; i < kSuffixLength; ++i)
      name += kNameChars[random() % (sizeof kNameChars - 1)];
    temp = (folder / name).string();
    const int result = make(temp.c_str());
    if (result >= 0 || errno != EEXIST) return result;
  }
  errno = EEXIST;
  return -1;
}

// Creates a new file of a unique name in folder, as mkstemp does, but with the mode a new file
// gets (0666 less the umask) rather than a private one: reading the umask means changing it,
// and it belongs to the whole process.
int CreateTemp(const fs::path& folder, const std::string& prefix, std::string& temp) {
  return WithUniqueName(folder, prefix, temp, [](const char* name) {
    return ::open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  });
}

// Gives the unnamed file fd a unique name in folder (through its /proc entry, which needs no
// privilege, unlike AT_EMPTY_PATH). 0, or -1 with errno.
int LinkTemp(int fd, const fs::path& folder, const std::string& prefix, std::string& temp) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  return WithUniqueName(folder, prefix, temp, [&](const char* name) {
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name, AT_SYMLINK_FOLLOW);
  });
}

int OpenUnnamed(const char* folder, mode_t mode) {
#ifdef O_TMPFILE
  // Without /proc an unnamed file could not be given its name at the end.
  if (::access("/proc/self/fd", X_OK) != 0) return -1;
  return ::open(folder, O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
#else
  (void)folder, (void)mode;
  errno = EOPNOTSUPP;
  return -1;
#endif
}

}  // namespace

SaveCalls SaveCalls::Defaults() {
  return {OpenUnnamed, ::fsync, ::rename};
}

SaveCalls& CurrentSaveCalls() {
  static SaveCalls calls = SaveCalls::Defaults();
  return calls;
}

SaveResult SaveFile(const std::string& path, const std::function<bool(std::ostream&)>& write,
                    const SaveOptions& options) {
  SaveResult result;
  const auto fail = [&](SaveProblem problem, int error, const char* reason = nullptr) {
    result.problem = problem;
    result.error = error;
    result.message = "cannot write ";
    result.message += path;
    result.message += ": ";
    result.message += reason ? reason : error ? std::strerror(error) : "write failed";
    return result;
  };
  const SaveCalls& calls = CurrentSaveCalls();
  if (path.empty()) return fail(SaveProblem::kSystem, ENOENT);
  fs::path target = path;
  std::error_code ec;
  // Through a symbolic link to the file it names, even one not made yet, hop by hop as the
  // system follows them; a chain that never ends (a loop) is not replaced by a plain file.
  for (int hops = 0; options.followLinks && fs::is_symlink(fs::symlink_status(target, ec));
       ++hops) {
    if (hops == kMaxLinks) return fail(SaveProblem::kSystem, ELOOP);
    const fs::path next = fs::read_symlink(target, ec);
    if (ec) return fail(SaveProblem::kSystem, ec.value());
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  struct stat st;
  const bool exists =
      (options.followLinks ? ::stat(target.c_str(), &st) : ::lstat(target.c_str(), &st)) == 0;
  if (target.filename().empty() || (exists && S_ISDIR(st.st_mode)))
    return fail(SaveProblem::kSystem, EISDIR, "it is a folder");
  // A device or a pipe cannot be replaced by renaming: that would put a plain file in its place.
  // A link not followed is replaced as a file is.
  if (exists && !S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode))
    return fail(SaveProblem::kNotRegular, 0, "it is not a regular file");
  fs::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  const std::string prefix = TempPrefix(target.filename().string());

  std::string temp;
  int fd = calls.openUnnamed(folder.c_str(), 0666);
  const bool unnamed = fd >= 0;
  if (!unnamed) fd = CreateTemp(folder, prefix, temp);
  if (fd < 0) return fail(SaveProblem::kSystem, errno);
  TempFile file(fd, temp);
  // An existing target keeps its permissions. Some file systems have none to set; the file is
  // written all the same.
  if (exists && S_ISREG(st.st_mode)) (void)::fchmod(fd, st.st_mode & 07777);

  // Only a file that replaces another is flushed before the rename: then the old file is at
  // stake, and a crash must leave either it or the complete new one. A new file is as safe as
  // any copy (its source is still there), and flushing it would double the time it takes.
  const bool flush = exists;
  int failure = 0;
  bool written;
  {
    FdBuf buf(fd, flush);
    std::ostream out(&buf);
    written = write(out);
    out.flush();
    if (!out || buf.Error()) {
      written = false;
      failure = buf.Error();
    }
  }
  if (written && flush && calls.fsync(fd) != 0) written = false, failure = errno;
  // The unnamed file gets its name beside the target, to be renamed over it as a named one is.
  if (written && unnamed) {
    if (LinkTemp(fd, folder, prefix, temp) != 0)
      written = false, failure = errno;
    else
      file.Named(temp);
  }
  const int closed = file.Close();
  if (written && closed) written = false, failure = closed;
  if (written && calls.rename(temp.c_str(), target.c_str()) != 0) written = false, failure = errno;
  if (!written) return fail(failure ? SaveProblem::kSystem : SaveProblem::kGaveUp, failure);
  file.Kept();
  result.ok = true;
  if (!flush) return result;
  // The rename is durable only once the folder itself is on disk.
  const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    calls.fsync(dirFd);
    ::close(dirFd);
  }
  return result;
}

bool SaveFileAtomically(const std::string& path, const std::function<bool(std::ostream&)>& write,
                        std::string& error) {
  SaveResult result = SaveFile(path, write);
  error = std::move(result.message);
  return result.ok;
}

void RemoveUnfinishedSave() noexcept {
  for (const std::atomic<const char*>& slot : g_unfinished)
    if (const char* path = slot.load()) ::unlink(path);
}

void WriteShared(std::ostream& out, std::shared_ptr<const void> owner, const void* p, size_t n) {
  if (!out || n == 0) return;
  if (auto* saving = dynamic_cast<FdBuf*>(out.rdbuf())) {
    if (!saving->Lend(std::move(owner), static_cast<const char*>(p), n)) {
      out.setstate(std::ios::badbit);
    }
    return;
  }
  out.write(static_cast<const char*>(p), std::streamsize(n));
}

}  // namespace kel
