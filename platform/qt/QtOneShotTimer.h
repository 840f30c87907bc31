#pragma once

#include <QTimer>

#include "platform/qt/IOneShotTimer.h"

namespace ostrel {

// IOneShotTimer over a single-shot QTimer of the calling thread. Intervals
// are capped at the largest a QTimer takes (about 24 days).
class QtOneShotTimer : public IOneShotTimer {
 public:
  QtOneShotTimer();
  void SetHandler(std::function<void()> elapsed) override;
  void Start(int64_t milliseconds) override;
  void Stop() override { timer_.stop(); }
  bool Active() const override { return timer_.isActive(); }

 private:
  QTimer timer_;
  std::function<void()> elapsed_;
};

}  // namespace ostrel
