#include "browser/LoginRecorder.h"

#include <exception>

#include "browser/ScriptLink.h"
#include "browser/UrlOrigin.h"
#include "page/FramePath.h"
#include "store/WebRecord.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

namespace {

OstrelError AsError(const std::exception& e) {
  if (auto* error = dynamic_cast<const OstrelError*>(&e)) return *error;
  return OstrelError(err::kInternalError, e.what());
}

}  // namespace

LoginRecorder::LoginRecorder(ILoginWindow& window, StoreContext& context) : mWindow(window), mContext(context) {}

LoginRecorder::~LoginRecorder() { Detach(); }

void LoginRecorder::SetIE(IBrowser* oIE) {
  Bind(oIE, oIE ? "The recording was cancelled because the Ostrel window now belongs to another tab."
                : "The recording was cancelled because its browser tab was closed.");
}

void LoginRecorder::Detach() { Bind(nullptr, ""); }

void LoginRecorder::Bind(IBrowser* oIE, const std::string& cancelled) {
  if (oIE == mIE) return;
  const bool was_recording = !cancelled.empty() && mRecording && mWindow.CurrentPanel() == ILoginWindow::kRecording;
  Listen(false);
  mWebPage1.reset();
  mWebPage2.reset();
  mSends.Clear();
  mSteps.clear();
  mRecording = false;
  mIE = oIE;
  if (was_recording) {
    mWindow.ShowPanel(ILoginWindow::kRecordReady);
    ILoginWindow& window = mWindow;
    mWindow.Defer([&window, cancelled] { window.ShowMessage(cancelled); });
  }
}

std::unique_ptr<WebPage> LoginRecorder::Capture() {
  if (!mIE) throw OstrelError(err::kObjectRequired, "no browser is bound", "The Ostrel window is not bound to a browser tab.");
  auto page = std::make_unique<WebPage>();
  page->SetIE(*mIE);
  page->Record();
  return page;
}

// The tab's before-navigate notification is asked for only while a
// recording waits for it: watching costs the page a stop at every
// navigation.
void LoginRecorder::Listen(bool on) {
  if (!mIE || on == mListening) return;
  mListening = on;
  if (on) {
    mIE->SetBeforeNavigate([this](const NavigationInfo& navigation) { mIE_BeforeNavigate2(navigation); });
  } else {
    mIE->SetBeforeNavigate({});
  }
}

void LoginRecorder::cmdRecord_Click() {
  try {
    mSends.Clear();
    mSteps.clear();
    mWebPage1 = Capture();
    // What the person types from now on is not the browser's to keep.
    mIE->Document()->KeepNothingTyped();
    Listen(true);
  } catch (const std::exception& e) {
    mWebPage1.reset();
    mWindow.ReportError(AsError(e));
    return;
  }
  mRecording = true;
  mWindow.ShowPanel(ILoginWindow::kRecording);
}

// The top document ends a recording; a frame only when a form of a frame
// of its origin was captured at the start.
bool LoginRecorder::Accepts(const NavigationInfo& navigation) const {
  if (navigation.top_level) return true;
  const std::string origin =
      navigation.document_origin.empty() ? OriginOf(navigation.document_url) : navigation.document_origin;
  if (origin.empty() || origin == "null" || !mWebPage1) return false;
  // A frame without an address of its own (about:srcdoc) has its page's
  // origin.
  const std::string page = OriginOf(mWebPage1->URL());
  const WebForms& forms = mWebPage1->Forms();
  for (int32_t i = 1; i <= forms.Count(); ++i) {
    const WebForm& form = forms.Item(i);
    if (form.FrameIndex() == WebForm::kTopDocument) continue;
    const std::string own = OriginOf(FramePath::FromStored(form.FrameIndex(), form.FrameURL()).url);
    if ((own.empty() ? page : own) == origin) return true;
  }
  return false;
}

void LoginRecorder::EndRecording() {
  Listen(false);
  mWebPage1.reset();
  mWebPage2.reset();
  mSends.Clear();
  mSent = {};
  mSteps.clear();
  mRecording = false;
  mWindow.SetSiteIndex(-1);
}

void LoginRecorder::mIE_BeforeNavigate2(const NavigationInfo& navigation) {
  if (mRecording && mWindow.CurrentPanel() != ILoginWindow::kRecording) {
    // The window was taken elsewhere without ending the recording: the
    // page has no say any more.
    EndRecording();
    return;
  }
  if (!mRecording || !Accepts(navigation)) return;
  switch (navigation.kind) {
    case NavigationInfo::Kind::kLoaded:
      NextPage();
      return;
    case NavigationInfo::Kind::kPress:
    case NavigationInfo::Kind::kEnter:
      Pressed(navigation);
      return;
    case NavigationInfo::Kind::kRequest:
      // A login sent by the page's script, after the press that sent it.
      if (mSends.Carries(navigation)) Sent(navigation, mSends.TakeCapture());
      return;
    case NavigationInfo::Kind::kScriptLink:
      // A link whose script does nothing (a "show password" eye) sends
      // nothing.
      if (script_link::DoesNothing(ScriptOf(navigation.url))) return;
      break;
    default:
      break;
  }
  std::unique_ptr<WebPage> page;
  try {
    page = Capture();
  } catch (const std::exception& e) {
    Sent(navigation, nullptr, AsError(e));
    return;
  }
  Sent(navigation, std::move(page));
}

// What a press holds typed, captured while the page is held: what the login
// would be if this press sent it.
void LoginRecorder::Pressed(const NavigationInfo& navigation) {
  try {
    std::unique_ptr<WebPage> page = Capture();
    WebRecord probe(mContext);
    probe.CreateRecord("", *mWebPage1, *page);
    std::vector<std::string> values;
    for (int16_t i = 1; i <= probe.ControlsCount(); ++i) values.push_back(probe.Control(i).Value);
    mSends.Pressed(std::move(page), navigation, std::move(values));
  } catch (const std::exception&) {
    // A press that cannot be read is not the login's: the next moment is.
  }
}

void LoginRecorder::Sent(const NavigationInfo& navigation, std::unique_ptr<WebPage> page,
                         std::optional<OstrelError> failed) {
  mRecording = false;
  // Stops listening once the page has been read (that lets the page go),
  // unless the login goes on with another step.
  struct StopListening {
    LoginRecorder& recorder;
    ~StopListening() {
      if (!recorder.mRecording) recorder.Listen(false);
    }
  } stop_listening{*this};
  ILoginWindow& window = mWindow;
  try {
    if (failed) throw *failed;
    mWebPage2 = std::move(page);
    if (navigation.kind == NavigationInfo::Kind::kScriptLink) mWebPage2->SetJavascript(ScriptOf(navigation.url));
    WebRecord probe(mContext);
    probe.CreateRecord("", *mWebPage1, *mWebPage2);
    if (!probe.HasForm() || probe.ControlsCount() == 0) {
      // The page cleared what was typed as it sent it: the press that
      // sent it holds it.
      if (std::unique_ptr<WebPage> pressed = mSends.TakeCapture()) {
        mWebPage2 = std::move(pressed);
        probe.CreateRecord("", *mWebPage1, *mWebPage2);
      }
    }
    if ((!probe.HasForm() || probe.ControlsCount() == 0) && !mSteps.empty()) {
      // The step before leaving its page, or a moment of this one before
      // anything was typed: the recording goes on.
      mWebPage2.reset();
      mRecording = true;
      return;
    }
    if (!probe.HasForm() || probe.ControlsCount() == 0) {
      mWebPage2.reset();
      mSends.Clear();
      mWindow.ShowPanel(ILoginWindow::kRecordReady);
      mWindow.Defer([&window] {
        window.ShowMessage(
            "No login was typed on this page before it was sent or left, so nothing was recorded. Press Start "
            "Recording, then log in on the page.");
      });
      return;
    }
    mSent = mSends.SendOf(navigation, probe);
    mSends.Clear();
    Assemble(probe, "");
    // What cannot be stored is said now, not after the person named it.
    probe.Pack(0);
    const std::string name = mWindow.SiteIndex() == -1 ? mWebPage2->Title() : mWindow.SelectedSiteName();
    mWindow.ShowPanel(ILoginWindow::kNameSite);
    mWindow.ProposeSiteName(name);
  } catch (const std::exception& e) {
    mWebPage2.reset();
    mSends.Clear();
    mWindow.ShowPanel(ILoginWindow::kRecordReady);
    const OstrelError error = AsError(e);
    mWindow.Defer([&window, error] { window.ReportError(error); });
  }
}

// A new page of the tab while the login goes on in steps: what the next
// step changes is seen against this page as it loaded.
void LoginRecorder::NextPage() {
  if (mSteps.empty()) return;
  try {
    mWebPage1 = Capture();
    mIE->Document()->KeepNothingTyped();
  } catch (const std::exception&) {
    // The page moved on again: its own load comes.
  }
}

LoginStep LoginRecorder::StepOf(const WebRecord& record, const WebPage& page) const {
  std::vector<ControlInfo> controls;
  for (int16_t i = 1; i <= record.ControlsCount(); ++i) controls.push_back(record.Control(i));
  return {page.URL(), record.Form(), std::move(controls), mSent};
}

// The record of the whole login: the steps sent before, then the one
// built from the two captures (its address that of the page it was on).
void LoginRecorder::Assemble(WebRecord& record, const std::string& name) const {
  record.Extra() = mSent;
  if (mSteps.empty()) return;
  std::vector<LoginStep> more(mSteps.begin() + 1, mSteps.end());
  more.push_back(StepOf(record, *mWebPage1));
  const LoginStep& first = mSteps.front();
  record.SetSiteName(name);
  record.SetURL(first.URL);
  record.SetForm(first.Form);
  record.SetControls(first.Controls);
  record.Extra() = first.Extra;
  record.MoreSteps() = std::move(more);
}

void LoginRecorder::cmdSave_Click() {
  try {
    if (!mWebPage1 || !mWebPage2) {
      throw OstrelError(err::kObjectRequired, "nothing was recorded", "There is no recording to save.");
    }
    const int16_t user_id = mWindow.CurrentUserID();
    WebRecord record(mContext);
    record.CreateRecord(mWindow.SiteNameText(), *mWebPage1, *mWebPage2);
    Assemble(record, mWindow.SiteNameText());
    int16_t index = mWindow.SiteIndex();
    record.Save(user_id, index);
    mWindow.SetSiteIndex(index);
  } catch (const std::exception& e) {
    mWindow.ReportError(AsError(e));
    return;
  }
  mWebPage1.reset();
  mWebPage2.reset();
  mSent = {};
  mSteps.clear();
  mWindow.RefreshSiteList();
  mWindow.ShowPanel(ILoginWindow::kSiteList);
}

void LoginRecorder::cmdNextStep_Click() {
  try {
    if (!mWebPage1 || !mWebPage2) {
      throw OstrelError(err::kObjectRequired, "nothing was recorded", "There is no recording to go on with.");
    }
    if (mSteps.size() + 1 >= kMaxLoginSteps) {
      mWindow.ShowMessage("A login is recorded in at most " + std::to_string(kMaxLoginSteps) +
                          " steps. Please save it as it is.");
      return;
    }
    WebRecord step(mContext);
    step.CreateRecord("", *mWebPage1, *mWebPage2);
    mSteps.push_back(StepOf(step, *mWebPage1));
    mSent = {};
    mWebPage2.reset();
    mWebPage1 = Capture();
    mIE->Document()->KeepNothingTyped();
    Listen(true);
  } catch (const std::exception& e) {
    EndRecording();
    mWindow.ShowPanel(ILoginWindow::kRecordReady);
    mWindow.ReportError(AsError(e));
    return;
  }
  mRecording = true;
  mWindow.ShowPanel(ILoginWindow::kRecording);
}

void LoginRecorder::cmdReRecord_Click() { mWindow.ShowPanel(ILoginWindow::kRecordReady); }

std::string LoginRecorder::ScriptOf(const std::string& url) { return script_link::ScriptOf(url); }

}  // namespace ostrel
