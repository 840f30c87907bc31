#pragma once

#include "browser/IClock.h"

namespace ostrel {

// The machine's clock, in whole seconds. Steady: a change of the wall clock
// does not shorten or stretch a time-out.
class SystemClock : public IClock {
 public:
  int64_t Now() override;
};

}  // namespace ostrel
