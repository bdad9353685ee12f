// One QApplication for a whole Qt test program whose tests do not make their own: widgets need
// it, only one may exist, and it has to be gone before the program's static objects are
// destroyed. A modal window that nobody answers would hang the program: one that stays up for
// ten seconds fails the running test and is rejected.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <memory>

namespace {

void StartModalWatchdog() {
  auto* timer = new QTimer(QCoreApplication::instance());
  auto seen = std::make_shared<QPointer<QWidget>>();
  auto clock = std::make_shared<QElapsedTimer>();
  timer->setInterval(100);
  QObject::connect(timer, &QTimer::timeout, [=]() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != seen->data()) {
      *seen = modal;
      clock->start();
      return;
    }
    if (modal && clock->elapsed() > 10000) {
      ADD_FAILURE() << "a modal " << modal->metaObject()->className() << " (\""
                    << modal->windowTitle().toStdString() << "\") was never answered";
      if (auto* d = qobject_cast<QDialog*>(modal))
        d->reject();
      else
        modal->close();
      clock->start();
    }
  });
  timer->start();
}

class QtApplicationEnvironment final : public testing::Environment {
 public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = KEL_TEST_PROGRAM;
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QApplication>(argc, argv);
    StartModalWatchdog();
  }
  void TearDown() override { app_.reset(); }

 private:
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] testing::Environment* const kQtEnvironment =
    testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace
