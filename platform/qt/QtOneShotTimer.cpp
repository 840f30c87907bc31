#include "platform/qt/QtOneShotTimer.h"

#include <algorithm>
#include <limits>

namespace ostrel {

QtOneShotTimer::QtOneShotTimer() {
  timer_.setSingleShot(true);
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    if (elapsed_) elapsed_();
  });
}

void QtOneShotTimer::SetHandler(std::function<void()> elapsed) { elapsed_ = std::move(elapsed); }

void QtOneShotTimer::Start(int64_t milliseconds) {
  const int64_t capped =
      std::clamp<int64_t>(milliseconds, 0, std::numeric_limits<int>::max());
  timer_.start(static_cast<int>(capped));
}

}  // namespace ostrel
