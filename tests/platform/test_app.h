// The QApplication of the platform tests, and answering modal windows from inside their own
// event loop.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace kel::test {

// The application every test of this program shares; support/qt_app.cpp makes it before the
// first test and destroys it after the last (and answers a modal window left open too long).
inline QApplication& TestApp() {
  return *qobject_cast<QApplication*>(QCoreApplication::instance());
}

// An answer waiting for its modal window. Keep it until the call that shows the window has
// returned: when it goes without the window having come, the test fails, and a waiting answer
// never outlives the variables it writes to.
class [[nodiscard]] ModalAnswer {
 public:
  ModalAnswer(QTimer* timer, std::shared_ptr<bool> answered, const char* what)
      : timer_(timer), answered_(std::move(answered)), what_(what) {}
  ModalAnswer(const ModalAnswer&) = delete;
  ModalAnswer& operator=(const ModalAnswer&) = delete;
  ~ModalAnswer() {
    delete timer_.data();
    if (!*answered_) ADD_FAILURE() << "no modal " << what_ << " appeared";
  }

 private:
  QPointer<QTimer> timer_;
  std::shared_ptr<bool> answered_;
  const char* what_;
};

// Waits (inside whatever event loop runs) for a visible modal window of type W, then hands it to
// answer. When none comes within five seconds every modal window is rejected, so a missing
// dialog cannot hang the test.
template <typename W>
ModalAnswer WhenModal(std::function<void(W*)> answer) {
  auto* timer = new QTimer;
  auto answered = std::make_shared<bool>(false);
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [=]() {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* w = qobject_cast<W*>(modal); w && w->isVisible()) {
      timer->stop();
      *answered = true;
      answer(w);
      return;
    }
    if (clock->elapsed() > 5000) {
      timer->stop();
      for (int i = 0; i < 10; ++i) {
        QWidget* m = QApplication::activeModalWidget();
        if (!m) break;
        if (auto* d = qobject_cast<QDialog*>(m))
          d->reject();
        else
          m->close();
      }
    }
  });
  timer->start();
  return ModalAnswer(timer, answered, W::staticMetaObject.className());
}

}  // namespace kel::test
