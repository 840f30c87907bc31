#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "browser/ILoginWindow.h"
#include "browser/SendWatch.h"
#include "page/WebPage.h"
#include "platform/browser/Browser.h"
#include "store/StoreContext.h"
#include "support/OstrelError.h"

namespace ostrel {

// Learns a login by watching the user perform it once, for one main
// window. Start Recording captures the page; the moment the login is sent
// in the bound tab's top document, or in a frame of the same origin as a
// frame whose forms were captured, captures it again (the typed values
// still in place), notes the script of a "javascript:" link the person
// clicked and proposes a name; Save builds the site record from the two
// captures and stores it for the logged-in user, in place when a site is
// re-recorded. The login is sent when the page is left, when a form is
// submitted (even one the page cancels to send the login by script), or
// when the page sends what was typed just after a press or Enter (see
// SendWatch), which is then kept as the way to send it. Notifications from
// frames of other origins (an advertisement reloading) leave the recording
// running.
//
// A recording is under way only from Start Recording while the window shows
// Recording: a notification that comes at any other moment (after Cancel,
// Log Off, the idle log-off) changes nothing, and Save stores only what
// was recorded for the user logged in now. Once saved or given up, both
// captures are dropped: nothing typed stays in memory.
//
// A recording belongs to the tab it started in: binding the window to
// another tab, or that tab closing, cancels it with a message and shows
// RecordReady again. A second capture that holds no changed input (nothing
// was typed before the page was left) is not a recording: the person is
// told so and RecordReady shows again.
//
// A failure of a capture, of building the record or of storing it is shown
// with ReportError and nothing is stored. After a failed first capture the
// window stays on RecordReady; after a failed second capture it returns to
// RecordReady; after a failed Save it stays on NameSite, so the user may
// correct the name or cancel. What is said from within the before-navigate
// notification is said once the page has been let go (ILoginWindow::Defer).
//
// The window and context must outlive the recorder. The captures hold
// objects of the bound browser: SetIE (with another browser or nullptr) or
// Detach drops them, and must be done before that browser is destroyed.
class LoginRecorder {
 public:
  LoginRecorder(ILoginWindow& window, StoreContext& context);
  ~LoginRecorder();
  LoginRecorder(const LoginRecorder&) = delete;
  LoginRecorder& operator=(const LoginRecorder&) = delete;

  // The IE property: binds the window to oIE and connects the before-navigate
  // handler to it (disconnecting the earlier browser). Binding the browser
  // already bound changes nothing; binding another one, or nullptr, drops
  // the captures and cancels a recording in progress (with a message).
  void SetIE(IBrowser* oIE);
  IBrowser* IE() const { return mIE; }
  // The window is going away: unbinds quietly.
  void Detach();

  // Start Recording: captures the page, then shows Recording.
  void cmdRecord_Click();
  // The browser's before-navigate notification. Acts only on the first
  // accepted one after Start Recording; never throws.
  void mIE_BeforeNavigate2(const NavigationInfo& navigation);
  // Save: builds the record from the two captures, stores it with the
  // current user's id into mSiteIndex (appending when -1, and mSiteIndex
  // receives the new slot), rebuilds the list and shows SiteList.
  void cmdSave_Click();
  // Record Another Step: keeps the step just recorded (up to
  // kMaxLoginSteps in all) and records the next one from the page as it is
  // now, showing Recording; Save then stores every step.
  void cmdNextStep_Click();
  // Re-record: shows RecordReady; mSiteIndex keeps the site chosen.
  void cmdReRecord_Click();
  // Forgets the recording: the tab is no longer watched, both captures go
  // and mSiteIndex is -1 again. The window's panel is left as it is.
  void EndRecording();

  bool Recording() const { return mRecording; }
  const WebPage* WebPage1() const { return mWebPage1.get(); }
  const WebPage* WebPage2() const { return mWebPage2.get(); }

  // The text after the first "javascript:" in url (case-sensitive), or
  // empty when url holds none.
  static std::string ScriptOf(const std::string& url);

 private:
  std::unique_ptr<WebPage> Capture();
  void Pressed(const NavigationInfo& navigation);
  void NextPage();
  LoginStep StepOf(const WebRecord& record, const WebPage& page) const;
  void Assemble(WebRecord& record, const std::string& name) const;
  void Sent(const NavigationInfo& navigation, std::unique_ptr<WebPage> page,
            std::optional<OstrelError> failed = std::nullopt);
  bool Accepts(const NavigationInfo& navigation) const;
  void Listen(bool on);
  void Bind(IBrowser* oIE, const std::string& cancelled);

  ILoginWindow& mWindow;
  StoreContext& mContext;
  IBrowser* mIE = nullptr;
  bool mRecording = false;
  bool mListening = false;
  std::unique_ptr<WebPage> mWebPage1;
  std::unique_ptr<WebPage> mWebPage2;
  SendWatch mSends;
  StepExtra mSent;  // how the recorded login was sent
  std::vector<LoginStep> mSteps;  // the steps sent before this one, each without a password
};

}  // namespace ostrel
