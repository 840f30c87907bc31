#pragma once

#include "platform/browser/Browser.h"
#include "platform/devtools/DevToolsConnection.h"
#include "platform/qt/QtEventPump.h"

namespace ostrel {

// The pump of the program's waits: one pass hands out the browser messages
// that have arrived, then runs the Qt loop for a few milliseconds (window
// events; the browser's pipe is watched by a PipeWatcher in the same loop).
// A wait around it keeps the window and the browser alive without keeping
// a core busy.
class AppEventPump : public IEventPump {
 public:
  explicit AppEventPump(DevToolsConnection& connection, int waitMs = 5)
      : connection_(connection), qt_(waitMs) {}
  void ProcessPending() override;
  void ProcessPendingNow() override;

 private:
  DevToolsConnection& connection_;
  QtEventPump qt_;
};

}  // namespace ostrel
