#include "app/PipeWatcher.h"

namespace ostrel {

PipeWatcher::PipeWatcher(ChromiumProcess& chromium, std::function<void()> closed)
    : chromium_(chromium), closed_(std::move(closed)) {
  const int fd = chromium_.Connection().ReadFd();
  if (fd >= 0) {
    notifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
      chromium_.Connection().Drain();
      Check();
    });
  }
  QObject::connect(&liveness_, &QTimer::timeout, this, [this] { Check(); });
  liveness_.start(1000);
}

void PipeWatcher::Check() {
  if (reported_) return;
  if (!chromium_.Connection().Closed() && chromium_.Running()) return;
  reported_ = true;
  if (notifier_) notifier_->setEnabled(false);
  liveness_.stop();
  if (closed_) closed_();
}

}  // namespace ostrel
