#include "platform/busy_work.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <future>

#include "platform/cursor_guard.h"

namespace kel {

namespace {

// Work shorter than this shows no window: it would only flash.
constexpr int kShowAfterMs = 400;

}  // namespace

void RunBusy(QWidget* owner, const QString& label, long long bytes,
             const std::function<void()>& work) {
  if (bytes < kBusyBytes) {
    work();
    return;
  }
  const CursorGuard busy(Qt::BusyCursor);
  // The work's end wakes the loop below at once, through a call queued to this thread: the loop
  // runs until that call, and never starts when something ran it before.
  QEventLoop loop;
  bool ended = false;
  auto wake = [&] {
    QMetaObject::invokeMethod(
        &loop,
        [&] {
          ended = true;
          loop.quit();
        },
        Qt::QueuedConnection);
  };
  std::future<void> done = std::async(std::launch::async, [&] {
    try {
      work();
    } catch (...) {
      wake();
      throw;
    }
    wake();
  });
  QProgressDialog progress(label, QString(), 0, 0, owner);
  progress.setObjectName(QStringLiteral("BusyProgress"));
  progress.setWindowTitle(QStringLiteral("お待ちください"));
  progress.setWindowModality(Qt::WindowModal);
  progress.setCancelButton(nullptr);
  progress.setMinimumDuration(kShowAfterMs);
  progress.setValue(0);

  // Paints, timers and calls queued before the work began go on; what the user types or clicks
  // waits for the work's end.
  if (!ended) loop.exec(QEventLoop::ExcludeUserInputEvents);
  progress.reset();
  done.get();  // passes on an exception the work threw
}

}  // namespace kel
