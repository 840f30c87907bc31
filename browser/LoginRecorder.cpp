#include "browser/LoginRecorder.h"

#include <exception>

#include "store/WebRecord.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

namespace {

constexpr char kScriptScheme[] = "javascript:";

OstrelError AsError(const std::exception& e) {
  if (auto* error = dynamic_cast<const OstrelError*>(&e)) return *error;
  return OstrelError(err::kBrowserProtocol, e.what());
}

}  // namespace

LoginRecorder::LoginRecorder(ILoginWindow& window, StoreContext& context)
    : mWindow(window), mContext(context) {}

LoginRecorder::~LoginRecorder() { SetIE(nullptr); }

void LoginRecorder::SetIE(IBrowser* oIE) {
  if (oIE == mIE) return;
  if (mIE) mIE->SetBeforeNavigate({});
  mWebPage1.reset();
  mWebPage2.reset();
  mRecording = false;
  mIE = oIE;
  if (mIE) {
    mIE->SetBeforeNavigate([this](const std::string& url) { mIE_BeforeNavigate2(url); });
  }
}

std::unique_ptr<WebPage> LoginRecorder::Capture() {
  if (!mIE) throw OstrelError(err::kObjectRequired, "no browser is bound");
  auto page = std::make_unique<WebPage>();
  page->SetIE(*mIE);
  page->Record();
  return page;
}

void LoginRecorder::cmdRecord_Click() {
  try {
    mWebPage1 = Capture();
  } catch (const std::exception& e) {
    mWebPage1.reset();
    mWindow.ReportError(AsError(e));
    return;
  }
  mRecording = true;
  mWindow.ShowPanel(ILoginWindow::kRecording);
}

void LoginRecorder::mIE_BeforeNavigate2(const std::string& url) {
  if (!mRecording) return;
  mRecording = false;
  try {
    mWebPage2 = Capture();
    mWebPage2->SetJavascript(ScriptOf(url));
    std::string name = mWindow.SiteIndex() == -1 ? mWebPage2->Title()
                                                 : mWindow.SelectedSiteName();
    mWindow.ShowPanel(ILoginWindow::kNameSite);
    mWindow.ProposeSiteName(name);
  } catch (const std::exception& e) {
    mWebPage2.reset();
    mWindow.ShowPanel(ILoginWindow::kRecordReady);
    mWindow.ReportError(AsError(e));
  }
}

void LoginRecorder::cmdSave_Click() {
  try {
    if (!mWebPage1 || !mWebPage2) throw OstrelError(err::kObjectRequired, "nothing was recorded");
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
  mWindow.RefreshSiteList();
  mWindow.ShowPanel(ILoginWindow::kSiteList);
}

void LoginRecorder::cmdReRecord_Click() { mWindow.ShowPanel(ILoginWindow::kRecordReady); }

std::string LoginRecorder::ScriptOf(const std::string& url) {
  const std::string::size_type p = url.find(kScriptScheme);
  if (p == std::string::npos) return {};
  return url.substr(p + sizeof(kScriptScheme) - 1);
}

}  // namespace ostrel
