#include "platform/busy_work.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <chrono>
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
  // The work's end wakes the loop below at once (a call queued to it from the work's thread,
  // kept until the loop runs when the work ends before it starts).
  QEventLoop loop;
  std::future<void> done = std::async(std::launch::async, [&] {
    struct WakeAtEnd {
      QEventLoop& loop;
      ~WakeAtEnd() { QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection); }
    } wake{loop};
    work();
  });
  QProgressDialog progress(label, QString(), 0, 0, owner);
  progress.setObjectName(QStringLiteral("BusyProgress"));
  progress.setWindowTitle(QStringLiteral("お待ちください"));
  progress.setWindowModality(Qt::WindowModal);
  progress.setCancelButton(nullptr);
  progress.setMinimumDuration(kShowAfterMs);
  progress.setValue(0);

  // Paints and timers go on; what the user types or clicks waits for the work's end.
  if (done.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
    loop.exec(QEventLoop::ExcludeUserInputEvents);
  progress.reset();
  done.get();  // passes on an exception the work threw
}

}  // namespace kel
