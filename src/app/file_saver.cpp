#include "app/file_saver.h"

#include <QFile>

#include "model/save_file.h"
#include "model/system_error.h"

namespace kel {

bool FileSaver::Save(const QString& path, const std::function<bool(std::ostream&)>& write) {
  error_.clear();
  const SaveResult result = SaveFile(QFile::encodeName(path).toStdString(), write);
  switch (result.problem) {
    case SaveProblem::kNone:
      break;
    case SaveProblem::kSystem:
      error_ = QString::fromStdString(SystemErrorText(result.error));
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
