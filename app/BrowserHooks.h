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

  void SetIE(IBrowser* browser) override {
    recorder_.SetIE(browser);
    replay_.BrowserChanged(browser);
  }
  void cmdRecord_Click() override { recorder_.cmdRecord_Click(); }
  void cmdSave_Click() override { recorder_.cmdSave_Click(); }
  void cmdNextStep_Click() override { recorder_.cmdNextStep_Click(); }
  void cmdReRecord_Click() override { recorder_.cmdReRecord_Click(); }
  void EndRecording() override { recorder_.EndRecording(); }
  void GoToSite(int16_t n) override { replay_.GoToSite(n); }
  void Stop() override {
    replay_.Stop();
    recorder_.Detach();
  }
  bool InProgress() const override { return recorder_.Recording() || replay_.Running(); }

  // The factory frmMain::SetRecordingHooks takes.
  static RecordingHooksFactory Factory(IEventPump& pump, IClock& clock);

 private:
  LoginRecorder recorder_;
  LoginReplay replay_;
};

}  // namespace ostrel
