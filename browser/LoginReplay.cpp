#include "browser/LoginReplay.h"

#include <exception>

#include "browser/ScriptLink.h"
#include "browser/UrlOrigin.h"
#include "page/FramePath.h"
#include "support/TextCase.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

// One replay under way. It stops (at its next step) when the window is
// bound to another tab, the tab goes, the window goes, or another replay
// starts inside one of its waits.
struct LoginReplay::Run {
  IBrowser* browser = nullptr;
  Run* outer = nullptr;
  bool stopped = false;
  bool quiet = false;
  std::string why;
  void StopWith(std::string message) {
    if (stopped) return;
    stopped = true;
    why = std::move(message);
    quiet = why.empty();
  }
};

namespace {

// Thrown at the step where a stopped replay notices it.
struct ReplayStopped {};

std::unique_ptr<IElement> Required(std::unique_ptr<IElement> element, const std::string& what) {
  if (!element) throw OstrelError(err::kObjectRequired, what + " is not on the page");
  return element;
}

OstrelError TimedOut(const std::string& what, const std::string& explanation) {
  return OstrelError(err::kWebsiteProblem, what, explanation);
}

OstrelError WrongSite(const std::string& expected, const std::string& found) {
  return OstrelError(err::kWebsiteProblem, "the form's document is of " + found + ", not " + expected,
                     "Go To stopped before typing anything: the login was recorded on " + expected +
                         ", but the page now comes from " + found + ".");
}

// The recorded login's script, when it does something: a script that does
// nothing (recorded from a "void(0)" link by earlier versions) would send
// nothing, so the form's button is pressed instead.
std::string ScriptOfLogin(const FormInfo& info) {
  return script_link::DoesNothing(info.Javascript) ? std::string() : info.Javascript;
}

FormFill FillOf(const WebRecord& record, const std::string& address) {
  const FormInfo& info = record.Form();
  FormFill fill;
  fill.address = address;
  fill.form_name = info.Name;
  fill.form_index = info.Index;
  for (int16_t i = 1; i <= record.ControlsCount(); ++i) {
    const ControlInfo& control = record.Control(i);
    fill.fields.push_back({control.Name, control.Index, control.Value});
  }
  fill.submit = ScriptOfLogin(info).empty();
  return fill;
}

}  // namespace

LoginReplay::LoginReplay(ILoginWindow& window, StoreContext& context, IEventPump& pump, IClock& clock)
    : window_(window), context_(context), pump_(pump), clock_(clock) {}

void LoginReplay::BrowserChanged(IBrowser* browser) {
  bound_ = browser;
  for (Run* run = current_; run; run = run->outer) {
    if (run->browser == browser) continue;
    run->StopWith(browser ? "Go To was stopped because the Ostrel window now belongs to another tab. "
                            "The login was not sent."
                          : "Go To was stopped because its browser tab was closed. The login was not sent.");
  }
}

void LoginReplay::Stop() {
  for (Run* run = current_; run; run = run->outer) run->StopWith("");
}

void LoginReplay::GoToSite(int16_t n) {
  Run run;
  run.browser = bound_;
  run.outer = current_;
  // A Go To started inside another's wait takes the tab over.
  for (Run* outer = current_; outer; outer = outer->outer) outer->StopWith("");
  struct Scope {
    LoginReplay& replay;
    Run& run;
    Scope(LoginReplay& r, Run& own) : replay(r), run(own) {
      replay.current_ = &run;
      if (replay.depth_++ == 0) replay.window_.SetBusy(true);
    }
    ~Scope() {
      replay.current_ = run.outer;
      if (--replay.depth_ == 0) replay.window_.SetBusy(false);
    }
  } scope(*this, run);
  try {
    if (!run.browser) {
      throw OstrelError(err::kObjectRequired, "no browser is bound", "The Ostrel window is not bound to a browser tab.");
    }
    WebRecord record(context_);
    record.Retrieve(n);
    Replay(run, record);
  } catch (const ReplayStopped&) {
  } catch (const OstrelError& e) {
    if (!run.stopped) window_.ReportError(e);
  } catch (const std::exception& e) {
    if (!run.stopped) window_.ReportError(OstrelError(err::kInternalError, e.what()));
  }
  if (run.stopped && !run.quiet) window_.ShowMessage(run.why);
}

void LoginReplay::Replay(IBrowser& browser, const WebRecord& record) {
  Run run;
  run.browser = &browser;
  run.outer = current_;
  current_ = &run;
  struct Restore {
    LoginReplay& replay;
    Run& run;
    ~Restore() { replay.current_ = run.outer; }
  } restore{*this, run};
  try {
    Replay(run, record);
  } catch (const ReplayStopped&) {
    throw OstrelError(err::kObjectRequired, "the replay was stopped", run.why);
  }
}

void LoginReplay::Check(const Run& run) const {
  if (run.stopped) throw ReplayStopped{};
}

IBrowser& LoginReplay::Use(Run& run) {
  Check(run);
  return *run.browser;
}

void LoginReplay::Pump(Run& run) {
  pump_.ProcessPending();
  Check(run);
}

void LoginReplay::WaitUntil(Run& run, const std::function<bool()>& ready) {
  const int64_t start = clock_.Now();
  for (;;) {
    Pump(run);
    if (clock_.Now() - start > kTimeoutSeconds) throw TimedOut("the page did not load", "The page did not finish loading within 60 seconds.");
    if (ready()) return;
  }
}

void LoginReplay::Replay(Run& run, const WebRecord& record) {
  const FormInfo& info = record.Form();
  Use(run).Navigate(record.URL());
  WaitUntil(run, [&] { return Use(run).ReadyState() == 4; });

  std::unique_ptr<IDocument> top = Use(run).Document();
  if (!top) throw OstrelError(err::kObjectRequired, "the page has no document");
  pump_.ProcessPendingNow();
  Check(run);

  const FramePath frame = FramePath::FromStored(info.FrameIndex, info.FrameURL);
  std::unique_ptr<IDocument> doc = FormDocument(run, *top, frame);
  FillAndSubmit(run, doc ? *doc : *top, record, frame.positions.empty() ? record.URL() : frame.url);
}

// nullptr: the form is in the top-level document. A frame of a frame is
// reached through each frame on its path in turn.
std::unique_ptr<IDocument> LoginReplay::FormDocument(Run& run, IDocument& top, const FramePath& frame) {
  if (frame.positions.empty()) return nullptr;
  std::unique_ptr<IDocument> doc;
  for (const int16_t position : frame.positions) {
    Check(run);
    std::unique_ptr<IFramesCollection> frames = (doc ? *doc : top).frames();
    if (!frames) throw OstrelError(err::kObjectRequired, "the page has no frames");
    std::unique_ptr<IWindow> window = frames->item(position);
    if (!window) throw OstrelError(err::kObjectDisconnected, "the frame is not on the page");
    doc = window->Document();
    if (!doc) throw OstrelError(err::kObjectRequired, "the frame has no document");
  }
  if (doc->url() != frame.url) {
    doc->setUrl(frame.url);
    IDocument& frame_doc = *doc;
    WaitUntil(run, [&] {
      Check(run);
      return frame_doc.readyState() == "complete";
    });
  }
  return doc;
}

// One step per pass where the document offers it: a form not there yet, a
// button still disabled or a form replaced by the page's scripts is tried
// again after a pass of the pump, within the time-out.
void LoginReplay::FillAndSubmit(Run& run, IDocument& doc, const WebRecord& record, const std::string& address) {
  const FormInfo& info = record.Form();
  const FormFill fill = FillOf(record, address);
  const int64_t start = clock_.Now();
  for (;;) {
    Check(run);
    const std::optional<FillOutcome> outcome = doc.FillForm(fill);
    if (!outcome) {
      FillStepByStep(run, doc, record, address);
      return;
    }
    switch (outcome->status) {
      case FillOutcome::Status::kDone:
        if (!fill.submit) {
          Check(run);
          std::unique_ptr<IWindow> window = doc.parentWindow();
          if (!window) throw OstrelError(err::kObjectRequired, "the form has no window");
          window->execScript(ScriptOfLogin(info), outcome->origin);
        }
        return;
      case FillOutcome::Status::kWrongOrigin:
        throw WrongSite(outcome->expected, outcome->origin);
      case FillOutcome::Status::kMissingField:
        throw OstrelError(err::kObjectRequired, "recorded input " + std::to_string(outcome->field) + " is not on the page");
      case FillOutcome::Status::kNotAnInput:
        throw OstrelError(err::kObjectRequired, "recorded input " + std::to_string(outcome->field) + " is not an input");
      case FillOutcome::Status::kNoForm:
      case FillOutcome::Status::kButtonDisabled:
      case FillOutcome::Status::kReplaced:
        break;
    }
    Pump(run);
    if (clock_.Now() - start > kTimeoutSeconds) {
      throw TimedOut("the form could not be filled and sent",
                     outcome->status == FillOutcome::Status::kNoForm
                         ? "The login form did not appear on the page within 60 seconds."
                         : "The page did not let Ostrel send the login within 60 seconds.");
    }
  }
}

void LoginReplay::FillStepByStep(Run& run, IDocument& doc, const WebRecord& record, const std::string& address) {
  std::unique_ptr<IElement> form = FindForm(run, doc, record.Form());
  const std::string expected = OriginOf(address);
  const std::string found = OriginOf(doc.url());
  if (expected.empty() || found != expected) throw WrongSite(expected, found);
  Fill(*form, record);
  Submit(*form, record.Form(), found);
}

// Asks the document's forms afresh on each pass, so a form that a script
// adds late is still found; bounded like the other waits.
std::unique_ptr<IElement> LoginReplay::FindForm(Run& run, IDocument& doc, const FormInfo& info) {
  const int64_t start = clock_.Now();
  for (;;) {
    Check(run);
    std::unique_ptr<IElementCollection> forms = doc.forms();
    std::unique_ptr<IElement> form;
    if (forms) form = info.Name.empty() ? forms->item(int32_t{info.Index}) : forms->item(info.Name);
    if (form) return form;
    Pump(run);
    if (clock_.Now() - start > kTimeoutSeconds) {
      throw TimedOut("the form did not appear", "The login form did not appear on the page within 60 seconds.");
    }
  }
}

void LoginReplay::Fill(IElement& form, const WebRecord& record) {
  std::unique_ptr<IElementCollection> elements = form.elements();
  if (!elements) throw OstrelError(err::kObjectRequired, "the form has no elements");
  for (int16_t i = 1; i <= record.ControlsCount(); ++i) {
    const ControlInfo& control = record.Control(i);
    std::unique_ptr<IElement> input =
        control.Name.empty() ? ControlAt(*elements, control.Index) : elements->item(control.Name);
    input = Required(std::move(input), "recorded input " + std::to_string(i));
    if (UpperAscii(input->tagName()) != "INPUT") {
      throw OstrelError(err::kObjectRequired, "recorded input " + std::to_string(i) + " is not an input");
    }
    input->setValue(control.Value);
  }
}

void LoginReplay::Submit(IElement& form, const FormInfo& info, const std::string& origin) {
  const std::string script = ScriptOfLogin(info);
  if (!script.empty()) {
    std::unique_ptr<IDocument> doc = form.document();
    if (!doc) throw OstrelError(err::kObjectRequired, "the form has no document");
    std::unique_ptr<IWindow> window = doc->parentWindow();
    if (!window) throw OstrelError(err::kObjectRequired, "the form has no window");
    window->execScript(script, origin);
    return;
  }
  std::unique_ptr<IElement> button = FindSubmitButton(form);
  if (!button) button = FindImageButton(form);
  if (button) {
    button->click();
  } else {
    form.submit();
  }
}

std::unique_ptr<IElement> LoginReplay::FindSubmitButton(IElement& form) {
  std::unique_ptr<IElementCollection> elements = form.elements();
  if (!elements) return nullptr;
  const int32_t n = elements->length();
  for (int32_t k = 0; k < n; ++k) {
    std::unique_ptr<IElement> element = elements->item(k);
    if (element && UpperAscii(element->tagName()) == "INPUT" && UpperAscii(element->type()) == "SUBMIT") {
      return element;
    }
  }
  return nullptr;
}

std::unique_ptr<IElement> LoginReplay::FindImageButton(IElement& form) {
  std::unique_ptr<IElementCollection> all = form.all();
  if (!all) return nullptr;
  const int32_t n = all->length();
  for (int32_t k = 0; k < n; ++k) {
    std::unique_ptr<IElement> element = all->item(k);
    if (element && UpperAscii(element->tagName()) == "INPUT" && UpperAscii(element->type()) == "IMAGE") {
      return element;
    }
  }
  return nullptr;
}

std::unique_ptr<IElement> LoginReplay::ControlAt(IElementCollection& elements, int32_t index) {
  if (index < 0) return nullptr;
  const int32_t n = elements.length();
  int32_t position = 0;
  for (int32_t k = 0; k < n; ++k) {
    std::unique_ptr<IElement> element = elements.item(k);
    if (!element) return nullptr;
    // The same test as capture: the tag exactly "FIELDSET".
    if (element->tagName() == "FIELDSET") continue;
    if (position == index) return element;
    ++position;
  }
  return nullptr;
}

}  // namespace ostrel
