#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/browser/Browser.h"

namespace ostrel {

class frmMain;
class StoreContext;

// Recording and replay as the main window calls them. The window makes one
// set of hooks per load (through the factory given to
// frmMain::SetRecordingHooks), after its StoreContext exists, and drops it
// at unload before the context goes. Every call runs on the window's
// thread, inside the window's error guard: an OstrelError that escapes is
// shown with ShowError and ends the action.
class IRecordingHooks {
 public:
  virtual ~IRecordingHooks() = default;
  // The window's bound browser changed (also called once right after the
  // hooks are made); nullptr when none is bound.
  virtual void SetIE(IBrowser* browser) = 0;
  // "Start Recording" on RecordReady.
  virtual void cmdRecord_Click() = 0;
  // "&Save" on NameSite.
  virtual void cmdSave_Click() = 0;
  // "Record Another S&tep" on NameSite: the step just recorded is kept and
  // the recording goes on with the next one.
  virtual void cmdNextStep_Click() {}
  // "&Re-record" on ModifySite; the window's SiteIndex keeps the site chosen.
  virtual void cmdReRecord_Click() = 0;
  // The recording is over without a login to keep (Cancel, Log Off, the
  // idle log-off, the window closing, a Save done): the tab is no longer
  // watched, and both captures and the slot worked on are forgotten.
  // Nothing the page does afterwards moves the window. Never throws.
  virtual void EndRecording() {}
  // "&Go To", Enter on SiteList, or a double-click in the list: replay the
  // site in slot n (the entry data of the chosen entry).
  virtual void GoToSite(int16_t n) = 0;
  // The window is going away: a recording or replay under way stops at its
  // next step, quietly, and the browser is let go. The hooks are destroyed
  // once every call into them has returned.
  virtual void Stop() = 0;
  // Whether a recording (Start Recording pressed, the login not yet sent)
  // or a Go To is under way; the idle log-off waits for it to end.
  virtual bool InProgress() const { return false; }
};

using RecordingHooksFactory =
    std::function<std::unique_ptr<IRecordingHooks>(frmMain& window, StoreContext& context)>;

}  // namespace ostrel
