#pragma once

#include <functional>

namespace ostrel {

// Tells when the person has left the computer: the screen locked, or the
// machine about to suspend. Where the desktop gives no such signal, nothing
// is ever told.
class ILockSignals {
 public:
  virtual ~ILockSignals() = default;
  // locked runs, from the event loop, each time the person leaves;
  // replaces any earlier handler (an empty one: nothing runs).
  virtual void SetHandler(std::function<void()> locked) = 0;
};

}  // namespace ostrel
