#pragma once

#include <cstdint>
#include <functional>

namespace ostrel {

// A timer that runs its handler once, from the window's event loop, after
// the interval given to its last Start. Tests answer it with a fake they
// fire themselves.
class IOneShotTimer {
 public:
  virtual ~IOneShotTimer() = default;
  // The function run when the interval has passed; replaces any earlier one.
  virtual void SetHandler(std::function<void()> elapsed) = 0;
  // Starts the timer afresh (a running one starts over) for milliseconds.
  virtual void Start(int64_t milliseconds) = 0;
  // Stops it; the handler does not run.
  virtual void Stop() = 0;
  virtual bool Active() const = 0;
};

}  // namespace ostrel
