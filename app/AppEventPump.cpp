#include "app/AppEventPump.h"

namespace ostrel {

void AppEventPump::ProcessPending() {
  connection_.ProcessPending(0);
  qt_.ProcessPending();
}

}  // namespace ostrel
