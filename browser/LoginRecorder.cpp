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
  const std::string origin = OriginOf(navigation.document_url);
  if (origin.empty() || !mWebPage1) return false;
  const WebForms& forms = mWebPage1->Forms();
  for (int32_t i = 1; i <= forms.Count(); ++i) {
    const WebForm& form = forms.Item(i);
    if (form.FrameIndex() == WebForm::kTopDocument) continue;
    if (OriginOf(FramePath::FromStored(form.FrameIndex(), form.FrameURL()).url) == origin) return true;
  }
  return false;
}

void LoginRecorder::EndRecording() {
  Listen(false);
  mWebPage1.reset();
  mWebPage2.reset();
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
  // A link whose script does nothing (a "show password" eye) sends nothing.
  if (navigation.kind == NavigationInfo::Kind::kScriptLink && script_link::DoesNothing(ScriptOf(navigation.url))) {
    return;
  }
  mRecording = false;
  // Stops listening once the page has been read: that lets the page go.
  struct StopListening {
    LoginRecorder& recorder;
    ~StopListening() { recorder.Listen(false); }
  } stop_listening{*this};
  ILoginWindow& window = mWindow;
  try {
    mWebPage2 = Capture();
    if (navigation.kind == NavigationInfo::Kind::kScriptLink) mWebPage2->SetJavascript(ScriptOf(navigation.url));
    WebRecord probe(mContext);
    probe.CreateRecord("", *mWebPage1, *mWebPage2);
    if (!probe.HasForm() || probe.ControlsCount() == 0) {
      mWebPage2.reset();
      mWindow.ShowPanel(ILoginWindow::kRecordReady);
      mWindow.Defer([&window] {
        window.ShowMessage(
            "No login was typed on this page before it was left, so nothing was recorded. Press Start Recording, "
            "then log in on the page.");
      });
      return;
    }
    // What cannot be stored is said now, not after the person named it.
    probe.Pack(0);
    const std::string name = mWindow.SiteIndex() == -1 ? mWebPage2->Title() : mWindow.SelectedSiteName();
    mWindow.ShowPanel(ILoginWindow::kNameSite);
    mWindow.ProposeSiteName(name);
  } catch (const std::exception& e) {
    mWebPage2.reset();
    mWindow.ShowPanel(ILoginWindow::kRecordReady);
    const OstrelError error = AsError(e);
    mWindow.Defer([&window, error] { window.ReportError(error); });
  }
}

void LoginRecorder::cmdSave_Click() {
  try {
    if (!mWebPage1 || !mWebPage2) {
      throw OstrelError(err::kObjectRequired, "nothing was recorded", "There is no recording to save.");
    }
    const int16_t user_id = mWindow.CurrentUserID();
    WebRecord record(mContext);
    record.CreateRecord(mWindow.SiteNameText(), *mWebPage1, *mWebPage2);
    int16_t index = mWindow.SiteIndex();
    record.Save(user_id, index);
    mWindow.SetSiteIndex(index);
  } catch (const std::exception& e) {
    mWindow.ReportError(AsError(e));
    return;
  }
  mWebPage1.reset();
  mWebPage2.reset();
  mWindow.RefreshSiteList();
  mWindow.ShowPanel(ILoginWindow::kSiteList);
}

void LoginRecorder::cmdReRecord_Click() { mWindow.ShowPanel(ILoginWindow::kRecordReady); }

std::string LoginRecorder::ScriptOf(const std::string& url) { return script_link::ScriptOf(url); }

}  // namespace ostrel
