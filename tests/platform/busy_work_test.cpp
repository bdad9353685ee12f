// Long work runs beside the window, which goes on painting and shows progress; short work runs at
// once, where it was asked for.
#include <gtest/gtest.h>

#include <QProgressDialog>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <thread>

#include "platform/busy_work.h"
#include "test_app.h"

namespace kel::test {
namespace {

TEST(RunBusy, LongWorkLeavesTheWindowPaintingAndShowsProgress) {
  TestApp();
  QWidget window;
  window.show();
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
  timer.start(10);
  bool progressShown = false;
  QTimer look;
  QObject::connect(&look, &QTimer::timeout, [&] {
    if (auto* p = window.findChild<QProgressDialog*>(QStringLiteral("BusyProgress")))
      progressShown = progressShown || p->isVisible();
  });
  look.start(50);
  std::thread::id ranOn;
  RunBusy(&window, QStringLiteral("読み込んでいます"), kBusyBytes, [&] {
    ranOn = std::this_thread::get_id();
    std::this_thread::sleep_for(std::chrono::milliseconds(900));
  });
  EXPECT_NE(ranOn, std::this_thread::get_id());
  EXPECT_GE(ticks, 10);  // the event loop ran while the work did
  EXPECT_TRUE(progressShown);
  EXPECT_EQ(window.findChild<QProgressDialog*>(), nullptr);
}

TEST(RunBusy, ShortWorkRunsAtOnceAndPassesOnItsException) {
  TestApp();
  std::thread::id ranOn;
  RunBusy(nullptr, QString(), kBusyBytes - 1, [&] { ranOn = std::this_thread::get_id(); });
  EXPECT_EQ(ranOn, std::this_thread::get_id());
  EXPECT_THROW(RunBusy(nullptr, QString(), kBusyBytes, [] { throw std::runtime_error("x"); }),
               std::runtime_error);
}

}  // namespace
}  // namespace kel::test
