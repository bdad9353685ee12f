#include "app/file_saver.h"

#include <QFile>

#include "model/save_file.h"

namespace kel {

bool FileSaver::Save(const QString& path, const std::function<bool(std::ostream&)>& write) {
  error_.clear();
  const SaveResult result = SaveFile(QFile::encodeName(path).toStdString(), write);
  switch (result.problem) {
    case SaveProblem::kNone:
      break;
    case SaveProblem::kSystem:
      // The system's reason as Qt words it for the user's language.
      error_ = qt_error_string(result.error);
      break;
    case SaveProblem::kNotRegular:
      error_ = QStringLiteral("通常のファイルではありません");
      break;
    case SaveProblem::kGaveUp:
      error_ = QStringLiteral("書き込みに失敗しました");
      break;
  }
  return result.ok;
}

}  // namespace kel
