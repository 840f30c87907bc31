#pragma once

#include "platform/browser/Browser.h"

namespace ostrel {

// Keeps the Qt windows alive during a wait: each ProcessPending handles
// what is pending, or else waits for the first event to arrive (at most
// waitMs milliseconds) and handles it, and returns. A loop around it
// repaints, takes clicks and keys, answers at once when something arrives
// and does not keep a processor core busy.
class QtEventPump : public IEventPump {
 public:
  explicit QtEventPump(int waitMs = 5) : waitMs_(waitMs) {}
  void ProcessPending() override;

 private:
  int waitMs_;
};

}  // namespace ostrel
