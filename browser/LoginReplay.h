#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "browser/IClock.h"
#include "browser/ILoginWindow.h"
#include "page/FramePath.h"
#include "platform/browser/Browser.h"
#include "store/StoreContext.h"
#include "store/WebRecord.h"

namespace ostrel {

// Replays a stored login ("Go To") into the tab the window is bound to:
// navigate to the record's address, wait for the page, reach the frame and
// the form, write every recorded value and submit the way the recording saw
// it submitted.
//
// A replay is pinned to the tab that was bound when it started. Values are
// written only into a document whose own origin is that of the recorded
// address (the form's frame address for a form in a frame; the recorded
// page's for a frame that inherited it, such as about:srcdoc; a document of
// an opaque origin only under a parent of that origin in the recorded top
// page's origin), checked in the same step that writes them; another origin stops the replay before anything
// is typed, with a message that names both.
//
// Every wait processes pending window events and browser messages through
// the pump on each pass and gives up after more than kTimeoutSeconds whole
// seconds with err::kWebsiteProblem; the time-out is tested before the
// readiness in each pass. Handlers of the window run inside a wait; when
// one of them binds the window to another tab, closes the tab or starts
// another Go To, this replay stops at its next step (with a message for the
// first two) and types nothing more. The window shows a busy cursor
// meanwhile.
//
// The references given to the constructor must outlive the object.
class LoginReplay {
 public:
  static constexpr int64_t kTimeoutSeconds = 60;
  // A login recorded after clicks that showed it gets them once its form
  // has not come by itself for this long.
  static constexpr int64_t kRevealAfterSeconds = 1;
  // A further step's page of another origin than the one recorded is
  // given this long to move on before Go To stops.
  static constexpr int64_t kSettleSeconds = 5;
  // A page that keeps one call of Go To waiting this long is given up; the
  // page is told to type and press nothing from kStuckMargin before that.
  static constexpr std::chrono::milliseconds kStuck{10000};
  static constexpr std::chrono::milliseconds kStuckMargin{1000};

  LoginReplay(ILoginWindow& window, StoreContext& context, IEventPump& pump, IClock& clock);

  // The window's bound browser (mIE) is now browser (nullptr: none).
  void BrowserChanged(IBrowser* browser);
  // The window is going away: a replay in progress stops at its next step,
  // quietly.
  void Stop();
  bool Running() const { return depth_ > 0; }

  // cmdGoto_Click / lstSites_DblClick: loads slot n and replays it into the
  // bound browser. Any failure is shown with ReportError and ends the
  // replay; nothing after the failing step runs and nothing is stored.
  void GoToSite(int16_t n);

  // The replay of an already loaded record into browser, without the error
  // guard: throws OstrelError at the failing step.
  void Replay(IBrowser& browser, const WebRecord& record);

  // The first INPUT of form.elements whose type is SUBMIT (tag and type
  // compared without regard to case); nullptr when there is none.
  static std::unique_ptr<IElement> FindSubmitButton(IElement& form);
  // The first INPUT among all descendants of the form, in document order,
  // whose type is IMAGE; nullptr when there is none.
  static std::unique_ptr<IElement> FindImageButton(IElement& form);

  // The element at 0-based position index of a form's controls, counted as
  // capture counts them: FIELDSET elements take no position. nullptr when
  // the form has fewer controls.
  static std::unique_ptr<IElement> ControlAt(IElementCollection& elements, int32_t index);

 private:
  struct Run;
  // The pinned browser, after checking that the run may go on.
  IBrowser& Use(Run& run);
  void Check(const Run& run) const;
  void Pump(Run& run);
  // Runs Pump, then the time-out test, then ready(), until ready() answers
  // true.
  void WaitUntil(Run& run, const std::function<bool()>& ready);
  void Replay(Run& run, const WebRecord& record);
  std::unique_ptr<IDocument> FormDocument(Run& run, IDocument& top, const FramePath& frame);
  void FillAndSubmit(Run& run, IDocument& doc, const WebRecord& record, const OriginRule& where);
  void NextStep(Run& run, const LoginStep& step, int16_t k);
  bool Settled(Run& run, IDocument& doc, const FillOutcome& outcome, const FormFill& fill, const FormInfo& info,
               const OriginRule& where);
  static int64_t DeadlineMs();
  // The same through the element operations, for documents that offer no
  // one-step fill.
  void FillStepByStep(Run& run, IDocument& doc, const WebRecord& record, const OriginRule& where);
  std::unique_ptr<IElement> FindForm(Run& run, IDocument& doc, const FormInfo& info);
  void Fill(IElement& form, const WebRecord& record);
  void Submit(IElement& form, const FormInfo& info, const OriginRule& where);

  ILoginWindow& window_;
  StoreContext& context_;
  IEventPump& pump_;
  IClock& clock_;
  IBrowser* bound_ = nullptr;
  Run* current_ = nullptr;  // the innermost replay under way
  int depth_ = 0;
};

}  // namespace ostrel
