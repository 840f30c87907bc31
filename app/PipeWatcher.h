#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <memory>

#include "platform/devtools/ChromiumProcess.h"

namespace ostrel {

// Hands the browser's messages out from the Qt loop as they arrive, and
// calls closed() once when the browser has gone (its pipe closed or its
// process exited).
class PipeWatcher : public QObject {
 public:
  PipeWatcher(ChromiumProcess& chromium, std::function<void()> closed);

 private:
  void Check();

  ChromiumProcess& chromium_;
  std::function<void()> closed_;
  std::unique_ptr<QSocketNotifier> notifier_;
  QTimer liveness_;
  bool reported_ = false;
};

}  // namespace ostrel
