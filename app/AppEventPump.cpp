#include "app/AppEventPump.h"

namespace ostrel {

void AppEventPump::ProcessPending() {
  connection_.ProcessPending(0);
  qt_.ProcessPending();
}

void AppEventPump::ProcessPendingNow() {
  connection_.ProcessPending(0);
  QtEventPump(0).ProcessPending();
}

}  // namespace ostrel
