// Long work without a frozen window: the work runs on a thread of its own while the program's
// windows go on painting, under the busy pointer; when it lasts, a progress window says what is
// being done. The user's input waits until the work is over, so the document cannot change under
// it.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace kel {

// Runs work (which must not touch widgets or the document) and returns when it is done. label
// is shown in the progress window, over owner, once the work has taken more than a moment.
// bytes: how much the work reads; under kBusyBytes it is done at once, on this thread.
constexpr long long kBusyBytes = 1 << 20;
void RunBusy(QWidget* owner, const QString& label, long long bytes,
             const std::function<void()>& work);

}  // namespace kel
