#include "app/BrowserHooks.h"

namespace ostrel {

BrowserHooks::BrowserHooks(frmMain& window, StoreContext& context, IEventPump& pump, IClock& clock)
    : recorder_(window, context),
      replay_(window, context, pump, clock, [this] { return recorder_.IE(); }) {}

void BrowserHooks::GoToSite(int16_t n) {
  ++going_;
  try {
    replay_.GoToSite(n);
  } catch (...) {
    --going_;
    throw;
  }
  --going_;
}

RecordingHooksFactory BrowserHooks::Factory(IEventPump& pump, IClock& clock) {
  return [&pump, &clock](frmMain& window, StoreContext& context) -> std::unique_ptr<IRecordingHooks> {
    return std::make_unique<BrowserHooks>(window, context, pump, clock);
  };
}

}  // namespace ostrel
