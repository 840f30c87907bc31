#pragma once

#include <memory>
#include <string>

#include "browser/ILoginWindow.h"
#include "page/WebPage.h"
#include "platform/browser/Browser.h"
#include "store/StoreContext.h"

namespace ostrel {

// Learns a login by watching the user perform it once, for one main
// window. Start Recording captures the page; the bound browser's next
// before-navigate notification captures it again (the typed values still
// in place), notes a "javascript:" address and proposes a name; Save builds
// the site record from the two captures and stores it for the logged-in
// user, in place when a site is re-recorded.
//
// A failure of a capture, of building the record or of storing it is shown
// with ReportError (its number and description) and nothing is stored. After a failed first
// capture the window stays on RecordReady; after a failed second capture it
// returns to RecordReady; after a failed Save it stays on NameSite, so the
// user may correct the name or cancel.
//
// The window and context must outlive the recorder. The captures hold
// objects of the bound browser: SetIE(nullptr) (or binding another browser)
// drops them, and must be done before that browser is destroyed.
class LoginRecorder {
 public:
  LoginRecorder(ILoginWindow& window, StoreContext& context);
  ~LoginRecorder();
  LoginRecorder(const LoginRecorder&) = delete;
  LoginRecorder& operator=(const LoginRecorder&) = delete;

  // The IE property: binds the window to oIE and connects the before-navigate
  // handler to it (disconnecting the earlier browser). Binding the browser
  // already bound changes nothing; binding another one, or nullptr, drops
  // the captures and ends a recording in progress.
  void SetIE(IBrowser* oIE);
  IBrowser* IE() const { return mIE; }

  // Start Recording: captures the page, then shows Recording.
  void cmdRecord_Click();
  // The browser's before-navigate notification, url the destination.
  // Acts only on the first one after Start Recording; never throws.
  void mIE_BeforeNavigate2(const std::string& url);
  // Save: builds the record from the two captures, stores it with the
  // current user's id into mSiteIndex (appending when -1, and mSiteIndex
  // receives the new slot), rebuilds the list and shows SiteList.
  void cmdSave_Click();
  // Re-record: shows RecordReady; mSiteIndex keeps the site chosen.
  void cmdReRecord_Click();

  bool Recording() const { return mRecording; }
  const WebPage* WebPage1() const { return mWebPage1.get(); }
  const WebPage* WebPage2() const { return mWebPage2.get(); }

  // The text after the first "javascript:" in url (case-sensitive), or
  // empty when url holds none.
  static std::string ScriptOf(const std::string& url);

 private:
  std::unique_ptr<WebPage> Capture();

  ILoginWindow& mWindow;
  StoreContext& mContext;
  IBrowser* mIE = nullptr;
  bool mRecording = false;
  std::unique_ptr<WebPage> mWebPage1;
  std::unique_ptr<WebPage> mWebPage2;
};

}  // namespace ostrel
