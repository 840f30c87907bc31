#pragma once

#include "platform/browser/Browser.h"
#include "platform/devtools/DevToolsConnection.h"

namespace ostrel {

// The event pump of a program that has no window loop of its own (tests, the
// benchmarks, a command-line runner): each pass reads and dispatches the
// browser's messages, waiting up to idle_wait_ms when none is there. A
// program with a Qt loop watches DevToolsConnection::ReadFd() instead.
class DevToolsEventPump : public IEventPump {
 public:
  explicit DevToolsEventPump(DevToolsConnection& connection, int idle_wait_ms = 10)
      : connection_(connection), idle_wait_ms_(idle_wait_ms) {}
  void ProcessPending() override { connection_.ProcessPending(idle_wait_ms_); }

 private:
  DevToolsConnection& connection_;
  int idle_wait_ms_;
};

}  // namespace ostrel
