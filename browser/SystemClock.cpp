#include "browser/SystemClock.h"

#include <chrono>

namespace ostrel {

int64_t SystemClock::Now() {
  using namespace std::chrono;
  return duration_cast<seconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace ostrel
