#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "browser/IClock.h"
#include "browser/ILoginWindow.h"
#include "platform/browser/Browser.h"
#include "store/StoreContext.h"
#include "store/WebRecord.h"

namespace ostrel {

// Replays a stored login ("Go To") into the browser the window is bound to:
// navigate to the record's address, wait for the page, reach the frame and
// the form, write every recorded value and submit the way the recording saw
// it submitted.
//
// Every wait processes pending window events and browser messages through
// the pump on each pass (the pump may sleep a few milliseconds when nothing
// is pending, so a wait does not keep a core busy) and gives up after more
// than kTimeoutSeconds whole seconds with err::kWebsiteProblem; the time-out
// is tested before the readiness in each pass. Handlers of the window may
// run inside a wait, another replay included.
//
// The references given to the constructor must outlive the object.
class LoginReplay {
 public:
  static constexpr int64_t kTimeoutSeconds = 60;

  // currentBrowser answers the window's bound browser (mIE) and is asked
  // afresh in every pass of the page wait; nullptr means none is bound.
  LoginReplay(ILoginWindow& window, StoreContext& context, IEventPump& pump,
              IClock& clock, std::function<IBrowser*()> currentBrowser);

  // cmdGoto_Click / lstSites_DblClick: loads slot n and replays it. Any
  // failure is shown with ReportError and ends the replay; nothing
  // after the failing step runs and nothing is stored.
  void GoToSite(int16_t n);

  // The replay of an already loaded record, without the error guard:
  // throws OstrelError at the failing step.
  void Replay(const WebRecord& record);

  // The first INPUT of form.elements whose type is SUBMIT (tag and type
  // compared without regard to case); nullptr when there is none.
  static std::unique_ptr<IElement> FindSubmitButton(IElement& form);
  // The first INPUT among all descendants of the form, in document order,
  // whose type is IMAGE; nullptr when there is none.
  static std::unique_ptr<IElement> FindImageButton(IElement& form);

  // The element at 0-based position index of a form's controls, counted as
  // capture counts them: FIELDSET elements take no position. nullptr when
  // the form has fewer controls.
  static std::unique_ptr<IElement> ControlAt(IElementCollection& elements,
                                             int32_t index);

 private:
  IBrowser& Browser();
  // Runs ProcessPending, then the time-out test, then ready(), until ready()
  // answers true.
  void WaitUntil(const std::function<bool()>& ready);
  std::unique_ptr<IDocument> FormDocument(IDocument& top, const FormInfo& form);
  std::unique_ptr<IElement> FindForm(IDocument& doc, const FormInfo& form);
  void Fill(IElement& form, const WebRecord& record);
  void Submit(IElement& form, const FormInfo& info);

  ILoginWindow& window_;
  StoreContext& context_;
  IEventPump& pump_;
  IClock& clock_;
  std::function<IBrowser*()> current_browser_;
};

}  // namespace ostrel
