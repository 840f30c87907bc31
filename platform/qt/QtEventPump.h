#pragma once

#include "platform/browser/Browser.h"

namespace ostrel {

// Keeps the Qt windows alive during a wait: each ProcessPending runs the
// event loop for up to waitMs milliseconds, handling every event that is
// pending or arrives meanwhile, and returns. A loop around it repaints,
// takes clicks and keys, and does not keep a processor core busy.
class QtEventPump : public IEventPump {
 public:
  explicit QtEventPump(int waitMs = 5) : waitMs_(waitMs) {}
  void ProcessPending() override;

 private:
  int waitMs_;
};

}  // namespace ostrel
