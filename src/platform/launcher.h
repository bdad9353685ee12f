// The launch port: starting another program on a file, as the editor asks for it ("edit this
// picture in the paint program"). QtLaunchPort starts real programs; ScriptedLaunchPort records
// what it was asked to run and answers from a script, for tests.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <deque>
#include <functional>
#include <vector>

namespace kel {

class LaunchPort {
 public:
  virtual ~LaunchPort() = default;
  // Runs commandLine (a program and its arguments, separated by blanks; double quotes group,
  // three of them stand for a quote) in folder, without waiting for it. When the program cannot be
  // found, opens file (an absolute path) with the desktop's default application for it instead.
  // True when a program was started either way.
  virtual bool Launch(const QString& commandLine, const QString& folder, const QString& file) = 0;
};

class QtLaunchPort final : public LaunchPort {
 public:
  // How a file is opened with the desktop's default application; QDesktopServices::openUrl
  // unless given (tests give their own, so that nothing starts on the desktop).
  using UrlOpener = std::function<bool(const QUrl&)>;
  QtLaunchPort();
  explicit QtLaunchPort(UrlOpener openUrl) : openUrl_(std::move(openUrl)) {}

  bool Launch(const QString& commandLine, const QString& folder, const QString& file) override;

  // The program's path when it can be run: a name is looked up on the PATH, a path with a
  // folder must name an executable file (relative to folder). Empty when it cannot be run.
  static QString FindProgram(const QString& program, const QString& folder);

 private:
  UrlOpener openUrl_;
};

// Test double: records every request and answers in script order (true when the script is
// empty).
class ScriptedLaunchPort final : public LaunchPort {
 public:
  struct Request {
    QString commandLine, folder, file;
  };

  void Answer(bool started) { answers_.push_back(started); }
  const std::vector<Request>& Requests() const { return requests_; }
  QStringList CommandLines() const;

  bool Launch(const QString& commandLine, const QString& folder, const QString& file) override;

 private:
  std::deque<bool> answers_;
  std::vector<Request> requests_;
};

}  // namespace kel
