#include "browser/LoginReplay.h"

#include <chrono>
#include <exception>

#include "browser/ScriptLink.h"
#include "browser/UrlOrigin.h"
#include "page/FramePath.h"
#include "page/WebControl.h"
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

// An input of the record is no longer on the page, or is no longer one.
OstrelError FormChanged(int32_t field, bool missing) {
  return OstrelError(err::kObjectRequired,
                     "recorded input " + std::to_string(field) + (missing ? " is not on the page" : " is not an input"),
                     "The login form of this site has changed since it was recorded: input " + std::to_string(field) +
                         " of the recording is " + (missing ? "no longer there" : "no longer a text box") +
                         ". Please record the login again (Modify, then Re-record).");
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

// The origin a recorded address stands for; one that cannot be told (an
// address without a host) matches no document.
std::string OriginOfRecorded(const std::string& url) {
  if (url.rfind("file:", 0) == 0) return "file://";
  const std::string origin = OriginOf(url);
  return origin.empty() ? "(no origin: " + url + ")" : origin;
}

// Where the recorded form may be filled: a document of the origin it was
// recorded in. A frame whose address has no origin of its own
// (about:srcdoc, about:blank) had its parent's: for a first-level frame,
// the recorded page's.
OriginRule RuleOf(const std::string& url, const FramePath& frame) {
  const std::string top = OriginOfRecorded(url);
  if (frame.positions.empty()) return {top, top};
  const std::string own = OriginOf(frame.url);
  return {own.empty() && frame.url.rfind("file:", 0) != 0 ? top : OriginOfRecorded(frame.url), top};
}

// The field Enter was pressed in, as a record keeps it (1-based); one that
// cannot be read is the last field.
int32_t EnterField(const std::string& pressed, int16_t count) {
  int32_t field = 0;
  for (const char c : pressed) {
    if (c < '0' || c > '9' || field > count) return count;
    field = field * 10 + (c - '0');
  }
  return field >= 1 && field <= count ? field : count;
}

FormFill FillOf(const LoginStep& step, const OriginRule& where) {
  const FormInfo& info = step.Form;
  FormFill fill;
  fill.where = where;
  fill.form_name = info.Name;
  fill.form_index = info.Index;
  for (const ControlInfo& control : step.Controls) {
    fill.fields.push_back({control.Name, control.Index, control.Value, control.CtlType == ctl::kPassword});
  }
  fill.submit = ScriptOfLogin(info).empty();
  const StepExtra& extra = step.Extra;
  fill.group = extra.Group;
  // Where a press sent the login is known only once it is sent.
  if (extra.Send == SendKind::kForm) fill.sent_to = extra.SentTo;
  if (extra.Send == SendKind::kPress) fill.pressed = extra.Pressed;
  if (extra.Send == SendKind::kEnter) {
    fill.enter = EnterField(extra.Pressed, static_cast<int16_t>(step.Controls.size()));
  }
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
  // While the page keeps a call waiting, the window goes on answering, and
  // a page that does not answer at all is given up.
  // The handler outlives this replay where the tab can no longer be told
  // (it was closed meanwhile): it then does nothing.
  struct Responsive {
    LoginReplay& replay;
    Run& run;
    std::shared_ptr<bool> live = std::make_shared<bool>(true);
    Responsive(LoginReplay& r, Run& own) : replay(r), run(own) {
      replay.Use(run).SetWaitHandler([this, live = live](std::chrono::milliseconds waited) {
        if (!*live) return;
        replay.Pump(run);
        if (waited > kStuck) {
          throw OstrelError(err::kWebsiteProblem, "the page did not answer for " + std::to_string(waited.count()) + " ms",
                            "The page stopped responding, so Go To gave up. The login was not sent.");
        }
      });
    }
    ~Responsive() {
      *live = false;
      if (!run.stopped && replay.bound_ == run.browser) run.browser->SetWaitHandler({});
    }
  } responsive(*this, run);
  Use(run).Navigate(record.URL());
  WaitUntil(run, [&] { return Use(run).ReadyState() == 4; });

  std::unique_ptr<IDocument> top = Use(run).Document();
  if (!top) throw OstrelError(err::kObjectRequired, "the page has no document");
  pump_.ProcessPendingNow();
  Check(run);

  const FramePath frame = FramePath::FromStored(info.FrameIndex, info.FrameURL);
  std::unique_ptr<IDocument> doc = FormDocument(run, *top, frame);
  FillAndSubmit(run, doc ? *doc : *top, record, RuleOf(record.URL(), frame));
  for (int16_t k = 2; k <= record.StepCount(); ++k) NextStep(run, record.Step(k), k);
}

// A further step comes once the one before it is sent: on a page of its
// own or in a view of the same page. Each pass asks the tab for its
// document afresh, and a document of another origin than the step's is
// waited out while the page may still be moving on.
void LoginReplay::NextStep(Run& run, const LoginStep& step, int16_t k) {
  const FramePath frame = FramePath::FromStored(step.Form.FrameIndex, step.Form.FrameURL);
  const OriginRule where = RuleOf(step.URL, frame);
  FormFill fill = FillOf(step, where);
  const int64_t start = clock_.Now();
  std::string elsewhere;
  int64_t elsewhere_since = 0;
  for (;;) {
    Pump(run);
    if (clock_.Now() - start > kTimeoutSeconds) {
      throw TimedOut("step " + std::to_string(k) + " did not appear",
                     "Step " + std::to_string(k) + " of the login did not appear on the page within 60 seconds; "
                     "the steps before it were sent.");
    }
    if (Use(run).ReadyState() != 4) continue;
    std::unique_ptr<IDocument> top;
    std::unique_ptr<IDocument> doc;
    std::optional<FillOutcome> outcome;
    try {
      top = Use(run).Document();
      if (!top) continue;
      doc = FormDocument(run, *top, frame);
      fill.deadline_ms = DeadlineMs();
      outcome = (doc ? *doc : *top).FillForm(fill);
    } catch (const OstrelError& e) {
      if (e.Number() == err::kBrowserGone) throw;
      continue;  // the page moved on under the call
    }
    if (!outcome) {
      throw OstrelError(err::kObjectRequired, "this browser cannot fill a login in several steps");
    }
    if (outcome->status == FillOutcome::Status::kWrongOrigin) {
      if (outcome->origin != elsewhere) {
        elsewhere = outcome->origin;
        elsewhere_since = clock_.Now();
      }
      if (clock_.Now() - elsewhere_since < kSettleSeconds) continue;
      throw WrongSite(outcome->expected, outcome->origin);
    }
    elsewhere.clear();
    // The page of the step before may still be showing: nothing of this
    // step's was typed into it.
    const bool before_first = outcome->field == 1 && (outcome->status == FillOutcome::Status::kMissingField ||
                                                      outcome->status == FillOutcome::Status::kNotAnInput);
    if (before_first) continue;
    if (Settled(run, doc ? *doc : *top, *outcome, fill, step.Form, where)) return;
  }
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
void LoginReplay::FillAndSubmit(Run& run, IDocument& doc, const WebRecord& record, const OriginRule& where) {
  FormFill fill = FillOf(record.Step(1), where);
  const int64_t start = clock_.Now();
  bool revealed = record.Extra().Reveal.empty();
  for (;;) {
    Check(run);
    fill.deadline_ms = DeadlineMs();
    const std::optional<FillOutcome> outcome = doc.FillForm(fill);
    if (!outcome) {
      FillStepByStep(run, doc, record, where);
      return;
    }
    if (Settled(run, doc, *outcome, fill, record.Form(), where)) return;
    // The clicks that showed the login at recording, once the page has had
    // its moment to show it by itself.
    if (!revealed && clock_.Now() - start >= kRevealAfterSeconds) {
      revealed = true;
      for (const RevealClick& click : record.Extra().Reveal) {
        Check(run);
        doc.ClickDescribed(click.Target, where);
        Pump(run);
      }
    }
    Pump(run);
    if (clock_.Now() - start > kTimeoutSeconds) {
      throw TimedOut("the form did not appear", "The login form did not appear on the page within 60 seconds.");
    }
  }
}

// Nothing is typed or pressed once a fill has been given up.
int64_t LoginReplay::DeadlineMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             (std::chrono::system_clock::now() + kStuck - kStuckMargin).time_since_epoch())
      .count();
}

// What a fill's outcome means: true once the login (of this step) is sent,
// false while its form is not there yet; anything else is said.
bool LoginReplay::Settled(Run& run, IDocument& doc, const FillOutcome& outcome, const FormFill& fill,
                          const FormInfo& info, const OriginRule& where) {
  switch (outcome.status) {
    case FillOutcome::Status::kDone:
      if (!fill.submit) {
        Check(run);
        std::unique_ptr<IWindow> window = doc.parentWindow();
        if (!window) throw OstrelError(err::kObjectRequired, "the form has no window");
        window->execScript(ScriptOfLogin(info), where);
      }
      return true;
    case FillOutcome::Status::kWrongOrigin:
      throw WrongSite(outcome.expected, outcome.origin);
    case FillOutcome::Status::kMissingField:
    case FillOutcome::Status::kNotAnInput:
      throw FormChanged(outcome.field, outcome.status == FillOutcome::Status::kMissingField);
    case FillOutcome::Status::kButtonDisabled:
      throw OstrelError(err::kWebsiteProblem, "the button stayed disabled",
                        "Go To filled in the login, but the page kept its button disabled, so the login was "
                        "not sent.");
    case FillOutcome::Status::kReplaced:
      throw OstrelError(err::kWebsiteProblem, "the form was replaced before the press",
                        "Go To filled in the login, but the page replaced its login form before it could be "
                        "sent, so the login was not sent. Please try again.");
    case FillOutcome::Status::kSentElsewhere:
      throw OstrelError(err::kWebsiteProblem, "the form now sends to " + outcome.sent + ", not " + fill.sent_to,
                        "Go To stopped before typing anything: the login was recorded going to " + fill.sent_to +
                            ", but the page's form now sends it to " + outcome.sent + ".");
    case FillOutcome::Status::kNoButton:
      throw OstrelError(err::kWebsiteProblem, "what was pressed is not on the page",
                        "Go To filled in the login, but the button you pressed to send it when recording is not "
                        "on the page, so the login was not sent. Please record the login again (Modify, then "
                        "Re-record).");
    case FillOutcome::Status::kLate:
      throw OstrelError(err::kWebsiteProblem, "the fill came after its deadline",
                        "The page stopped responding, so Go To gave up. The login was not sent.");
    case FillOutcome::Status::kNoForm:
      break;
  }
  return false;
}

void LoginReplay::FillStepByStep(Run& run, IDocument& doc, const WebRecord& record, const OriginRule& where) {
  std::unique_ptr<IElement> form = FindForm(run, doc, record.Form());
  const std::string found = OriginOf(doc.url());
  if (found != where.origin) throw WrongSite(where.origin, found);
  Fill(*form, record);
  Submit(*form, record.Form(), where);
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
    if (!input) throw FormChanged(i, true);
    if (UpperAscii(input->tagName()) != "INPUT") throw FormChanged(i, false);
    input->setValue(control.Value);
  }
}

void LoginReplay::Submit(IElement& form, const FormInfo& info, const OriginRule& where) {
  const std::string script = ScriptOfLogin(info);
  if (!script.empty()) {
    std::unique_ptr<IDocument> doc = form.document();
    if (!doc) throw OstrelError(err::kObjectRequired, "the form has no document");
    std::unique_ptr<IWindow> window = doc->parentWindow();
    if (!window) throw OstrelError(err::kObjectRequired, "the form has no window");
    window->execScript(script, where);
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
