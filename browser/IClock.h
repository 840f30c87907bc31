#pragma once

#include <cstdint>

namespace ostrel {

// The present time to whole seconds, for the time-outs of replay. Only
// differences between two readings are used.
class IClock {
 public:
  virtual ~IClock() = default;
  virtual int64_t Now() = 0;
};

}  // namespace ostrel
