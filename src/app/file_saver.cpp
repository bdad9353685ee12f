#include "app/file_saver.h"

#include <QSaveFile>
#include <cstring>
#include <ostream>
#include <streambuf>
#include <vector>

#include "platform/system_reason.h"

namespace kel {

namespace {

// A stream buffer that writes to a Qt device: small pieces are gathered, large blocks (the pixel
// rows of a picture) go to the device as they are. Once a write fails every later one fails too.
class DeviceBuffer final : public std::streambuf {
 public:
  explicit DeviceBuffer(QIODevice& device) : device_(device), buffer_(kSize) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
  }

 protected:
  int_type overflow(int_type ch) override {
    if (!Drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(ch, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(ch);
      pbump(1);
    }
    return traits_type::not_eof(ch);
  }

  std::streamsize xsputn(const char* s, std::streamsize n) override {
    if (n <= 0) return 0;  // an empty block may come with a null pointer (a sound without data)
    if (n <= epptr() - pptr()) {
      std::memcpy(pptr(), s, size_t(n));
      pbump(int(n));
      return n;
    }
    if (!Drain()) return 0;
    if (n < std::streamsize(buffer_.size())) {
      std::memcpy(pptr(), s, size_t(n));
      pbump(int(n));
      return n;
    }
    return WriteAll(s, n) ? n : 0;
  }

  int sync() override { return Drain() ? 0 : -1; }

 private:
  static constexpr size_t kSize = 1 << 16;

  bool Drain() {
    const std::streamsize n = pptr() - pbase();
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return n == 0 || WriteAll(buffer_.data(), n);
  }

  bool WriteAll(const char* s, std::streamsize n) {
    while (ok_ && n > 0) {
      const qint64 written = device_.write(s, n);
      if (written <= 0) {
        ok_ = false;
        break;
      }
      s += written, n -= written;
    }
    return ok_;
  }

  QIODevice& device_;
  std::vector<char> buffer_;
  bool ok_ = true;
};

}  // namespace

bool FileSaver::Save(const QString& path, const std::function<bool(std::ostream&)>& write) {
  error_.clear();
  QSaveFile file(path);
  // Never write into the target itself, even where no new file can be made beside it: then
  // the save fails and the old file stays.
  file.setDirectWriteFallback(false);
  if (!file.open(QIODevice::WriteOnly)) {
    error_ = SystemReason(file);
    return false;
  }
  bool ok;
  {
    DeviceBuffer buffer(file);
    std::ostream out(&buffer);
    ok = write(out);
    out.flush();
    ok = ok && bool(out);
  }
  if (!ok) {
    error_ = file.error() != QFileDevice::NoError ? SystemReason(file)
                                                  : QStringLiteral("書き込みに失敗しました");
    file.cancelWriting();
    return false;
  }
  // commit flushes the new file to disk, then renames it over the target.
  if (!file.commit()) {
    error_ = SystemReason(file);
    return false;
  }
  return true;
}

}  // namespace kel
