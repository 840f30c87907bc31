#pragma once

#include "browser/IClock.h"
#include "browser/LoginRecorder.h"
#include "browser/LoginReplay.h"
#include "window/RecordingHooks.h"
#include "window/frmMain.h"

namespace ostrel {

// Recording and replay of one main window load, on the window's hooks.
// The pump and clock must outlive it.
class BrowserHooks : public IRecordingHooks {
 public:
  BrowserHooks(frmMain& window, StoreContext& context, IEventPump& pump, IClock& clock);

  void SetIE(IBrowser* browser) override { recorder_.SetIE(browser); }
  void cmdRecord_Click() override { recorder_.cmdRecord_Click(); }
  void cmdSave_Click() override { recorder_.cmdSave_Click(); }
  void cmdReRecord_Click() override { recorder_.cmdReRecord_Click(); }
  void GoToSite(int16_t n) override;
  bool InProgress() const override { return recorder_.Recording() || going_ > 0; }

  // The factory frmMain::SetRecordingHooks takes.
  static RecordingHooksFactory Factory(IEventPump& pump, IClock& clock);

 private:
  LoginRecorder recorder_;
  LoginReplay replay_;
  int going_ = 0;  // Go To replays running (one may start inside another's wait)
};

}  // namespace ostrel
