// "Save this" for the editor: the model's saver (model/save_file.h) with Qt's path and a reason
// in the user's language. The bytes go to a new file beside the target, which is flushed to disk
// and renamed into place only when every byte was written; a failed or interrupted save leaves the
// old file whole and no temporary behind.
#pragma once

#include <QString>
#include <functional>
#include <iosfwd>

namespace kel {

class FileSaver {
 public:
  // Calls write with a stream on the new file; write answers whether it wrote everything. false
  // when anything failed (the target cannot be created beside, a write fails, the disk is full,
  // write refused, the rename fails); Error() then holds the reason.
  bool Save(const QString& path, const std::function<bool(std::ostream&)>& write);
  const QString& Error() const { return error_; }

 private:
  QString error_;
};

}  // namespace kel
