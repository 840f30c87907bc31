#include <gtest/gtest.h>

#include <filesystem>

#include "FakeDom.h"
#include "FakeLoginWindow.h"
#include "browser/LoginRecorder.h"
#include "browser/ScriptLink.h"
#include "store/WebRecord.h"
#include "support/ErrorNumbers.h"

namespace ostrel {
namespace {

using fake::El;
using fake::NodePtr;

class RecorderTest : public ::testing::Test {
 protected:
  RecorderTest() : recorder(window, context) {
    path = std::filesystem::temp_directory_path() /
           ("ostrel-rec-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".xps");
    std::filesystem::remove(path);
    context.PasswordFileName = path.string();
    context.DataCipher.SetSecret("key-for-tests");
    user = El("INPUT", "text", "user");
    pw = El("INPUT", "password", "pw");
    browser.doc = fake::MakeDoc("http://127.0.0.1/login", "Test Login",
                                {fake::Form("login", {user, pw, El("INPUT", "submit")})});
    recorder.SetIE(&browser);
  }
  ~RecorderTest() override {
    recorder.SetIE(nullptr);
    std::filesystem::remove(path);
  }

  // Start Recording, the user types, the browser starts to leave the page.
  void RecordLogin(const std::string& url = "http://127.0.0.1/login") {
    recorder.cmdRecord_Click();
    user->value = "alice";
    pw->value = "s3cret";
    browser.Fire(url);
  }

  int16_t Count() {
    WebRecord record(context);
    record.FileOpen();
    return record.RecordCount();
  }

  std::filesystem::path path;
  fake::LoginWindow window;
  StoreContext context;
  fake::Browser browser;
  LoginRecorder recorder;
  NodePtr user, pw;
};

TEST_F(RecorderTest, StartRecordingCapturesThePageAndShowsRecording) {
  recorder.cmdRecord_Click();
  ASSERT_NE(recorder.WebPage1(), nullptr);
  EXPECT_EQ(recorder.WebPage1()->Forms().Count(), 1);
  EXPECT_TRUE(recorder.Recording());
  EXPECT_EQ(window.Panel(), ILoginWindow::kRecording);
}

TEST_F(RecorderTest, TheFirstNavigationTakesTheSecondCaptureAndProposesTheTitle) {
  RecordLogin();
  ASSERT_NE(recorder.WebPage2(), nullptr);
  EXPECT_FALSE(recorder.Recording());
  EXPECT_EQ(recorder.WebPage2()->Forms().Item(1).Controls().Item(1).Value(), "alice");
  EXPECT_EQ(recorder.WebPage2()->Javascript(), "");
  EXPECT_EQ(window.proposed, "Test Login");
  EXPECT_EQ(window.Panel(), ILoginWindow::kNameSite);
}

TEST_F(RecorderTest, OnlyTheFirstNavigationAfterStartIsTaken) {
  RecordLogin();
  const WebPage* second = recorder.WebPage2();
  browser.doc->title = "Later";
  browser.Fire("http://127.0.0.1/next");
  EXPECT_EQ(recorder.WebPage2(), second);
  EXPECT_EQ(window.proposed, "Test Login");
}

TEST_F(RecorderTest, NavigationsBeforeStartRecordingAreIgnored) {
  browser.Fire("http://127.0.0.1/elsewhere");
  EXPECT_EQ(recorder.WebPage2(), nullptr);
  EXPECT_TRUE(window.panels.empty());
}

// Cancel (the window leaves Recording) or an ended recording: a login
// typed afterwards moves nothing, and nothing typed is kept.
TEST_F(RecorderTest, ARecordingGivenUpIgnoresTheLoginTypedAfterIt) {
  for (const bool ended : {false, true}) {
    window.panels.clear();
    window.siteIndex = 4;
    recorder.cmdRecord_Click();
    window.ShowPanel(ILoginWindow::kSiteList);
    if (ended) recorder.EndRecording();
    user->value = "alice";
    browser.Fire("http://127.0.0.1/login");
    browser.Fire("http://127.0.0.1/login");
    EXPECT_EQ(window.Panel(), ILoginWindow::kSiteList) << ended;
    EXPECT_FALSE(recorder.Recording());
    EXPECT_EQ(recorder.WebPage1(), nullptr);
    EXPECT_EQ(recorder.WebPage2(), nullptr);
    EXPECT_EQ(window.siteIndex, -1);
    user->value = "";
  }
}

TEST_F(RecorderTest, AScriptAddressKeepsTheTextAfterItsFirstOccurrence) {
  RecordLogin("javascript:doLogin('javascript:x')");
  EXPECT_EQ(recorder.WebPage2()->Javascript(), "doLogin('javascript:x')");
}

TEST(ScriptOfTest, ScriptsThatDoNothingAreKnown) {
  for (const char* nothing : {"", ";", "void(0)", "void(0);", " void 0 ", "void(null)", "undefined", "false",
                              "//", "/* menu */", "void%200", "%3B"}) {
    EXPECT_TRUE(script_link::DoesNothing(nothing)) << nothing;
  }
  for (const char* something : {"login()", "void(login())", "document.forms[0].submit()", "0;login()"}) {
    EXPECT_FALSE(script_link::DoesNothing(something)) << something;
  }
}

TEST_F(RecorderTest, ALinkThatDoesNothingDoesNotEndTheRecording) {
  recorder.cmdRecord_Click();
  user->value = "alice";
  browser.Fire("javascript:void(0)");
  EXPECT_TRUE(recorder.Recording());
  EXPECT_EQ(window.Panel(), ILoginWindow::kRecording);
}

TEST(ScriptOfTest, FindsTheSchemeCaseSensitivelyAnywhereInTheAddress) {
  EXPECT_EQ(LoginRecorder::ScriptOf("javascript:go()"), "go()");
  EXPECT_EQ(LoginRecorder::ScriptOf("http://x/?a=javascript:b()"), "b()");
  EXPECT_EQ(LoginRecorder::ScriptOf("javascript:"), "");
  EXPECT_EQ(LoginRecorder::ScriptOf("JavaScript:go()"), "");
  EXPECT_EQ(LoginRecorder::ScriptOf("http://x/login"), "");
}

TEST_F(RecorderTest, ReRecordingProposesTheSitesCurrentName) {
  window.siteIndex = 3;
  window.selectedSite = "My bank";
  RecordLogin();
  EXPECT_EQ(window.proposed, "My bank");
}

TEST_F(RecorderTest, SaveStoresTheChangedInputsForTheUserAndShowsTheList) {
  RecordLogin();
  window.siteName = "Bank";
  window.userId = 7;
  recorder.cmdSave_Click();
  EXPECT_TRUE(window.errors.empty());
  EXPECT_EQ(window.siteIndex, 1);
  EXPECT_EQ(window.refreshes, 1);
  EXPECT_EQ(window.Panel(), ILoginWindow::kSiteList);
  WebRecord stored(context);
  stored.Retrieve(1);
  EXPECT_EQ(stored.SiteName(), "Bank");
  EXPECT_EQ(stored.URL(), "http://127.0.0.1/login");
  ASSERT_EQ(stored.ControlsCount(), 2);
  EXPECT_EQ(stored.Control(1).Value, "alice");
  EXPECT_EQ(stored.Control(2).Value, "s3cret");
  EXPECT_EQ(recorder.WebPage1(), nullptr);  // nothing typed stays behind
  EXPECT_EQ(recorder.WebPage2(), nullptr);
  std::string name;
  stored.FileOpen();
  EXPECT_TRUE(stored.Read(1, 7, name));
}

TEST_F(RecorderTest, AnEmptyNameIsStoredAsTyped) {
  RecordLogin();
  window.siteName = "";
  recorder.cmdSave_Click();
  EXPECT_TRUE(window.errors.empty());
  WebRecord stored(context);
  stored.Retrieve(1);
  EXPECT_EQ(stored.SiteName(), "");
}

TEST_F(RecorderTest, ReRecordingOverwritesTheSiteInPlace) {
  RecordLogin();
  window.siteName = "First";
  recorder.cmdSave_Click();
  user->value = "";
  pw->value = "";
  window.siteIndex = -1;  // New Site
  RecordLogin();
  window.siteName = "Second";
  recorder.cmdSave_Click();
  ASSERT_EQ(window.siteIndex, 2);
  recorder.cmdReRecord_Click();
  EXPECT_EQ(window.Panel(), ILoginWindow::kRecordReady);
  window.siteIndex = 1;
  user->value = "";
  pw->value = "";
  RecordLogin();
  window.siteName = "First again";
  recorder.cmdSave_Click();
  EXPECT_EQ(window.siteIndex, 1);
  EXPECT_EQ(Count(), 2);
  WebRecord stored(context);
  stored.Retrieve(1);
  EXPECT_EQ(stored.SiteName(), "First again");
}

TEST_F(RecorderTest, AFailedFirstCaptureIsShownAndNothingStarts) {
  browser.doc = nullptr;
  recorder.cmdRecord_Click();
  EXPECT_EQ(window.errors.size(), 1u);
  EXPECT_FALSE(recorder.Recording());
  EXPECT_TRUE(window.panels.empty());
}

TEST_F(RecorderTest, AFailedSecondCaptureIsShownAndLeadsBackToRecordReady) {
  recorder.cmdRecord_Click();
  browser.doc = nullptr;
  browser.Fire("http://127.0.0.1/next");
  EXPECT_EQ(window.errors.size(), 1u);
  EXPECT_EQ(window.Panel(), ILoginWindow::kRecordReady);
  EXPECT_FALSE(recorder.Recording());
  recorder.cmdSave_Click();  // nothing to pair
  EXPECT_EQ(window.errors.size(), 2u);
  EXPECT_EQ(Count(), 0);
}

// Leaving the page before typing anything is no recording: the person is
// told so and may start again; there is nothing to save.
TEST_F(RecorderTest, LeavingThePageWithNothingTypedIsNoRecording) {
  recorder.cmdRecord_Click();
  browser.Fire("http://127.0.0.1/login");
  EXPECT_EQ(window.messages.size(), 1u);
  EXPECT_TRUE(window.errors.empty());
  EXPECT_EQ(window.Panel(), ILoginWindow::kRecordReady);
  EXPECT_FALSE(recorder.Recording());
  recorder.cmdSave_Click();
  EXPECT_EQ(window.errors.size(), 1u);
  EXPECT_EQ(window.refreshes, 0);
  EXPECT_EQ(Count(), 0);
}

TEST_F(RecorderTest, ANameTooLongForTheRecordIsRefusedAndStoresNothing) {
  RecordLogin();
  window.siteName = std::string(300, 'n');
  recorder.cmdSave_Click();
  ASSERT_EQ(window.errors.size(), 1u);
  EXPECT_EQ(window.siteIndex, -1);
  EXPECT_EQ(Count(), 0);
}

TEST_F(RecorderTest, NoLoggedInUserStoresNothing) {
  RecordLogin();
  window.noUser = true;
  recorder.cmdSave_Click();
  EXPECT_EQ(window.errors, std::vector<int32_t>{err::kSubscript});
  EXPECT_EQ(Count(), 0);
}

TEST_F(RecorderTest, BindingTheSameBrowserAgainKeepsTheRecording) {
  recorder.cmdRecord_Click();
  recorder.SetIE(&browser);
  EXPECT_TRUE(recorder.Recording());
  EXPECT_NE(recorder.WebPage1(), nullptr);
}

// A recording belongs to its tab: the window bound to another one (or the
// tab closed) cancels it with a message and RecordReady, and neither tab is
// watched any more. Only a recording waiting for its page watches the tab.
TEST_F(RecorderTest, BindingAnotherTabCancelsTheRecordingAndWatchesNeither) {
  EXPECT_FALSE(browser.handler);
  window.panels.clear();
  recorder.cmdRecord_Click();
  EXPECT_TRUE(browser.handler);
  fake::Browser other;
  other.doc = browser.doc;
  recorder.SetIE(&other);
  EXPECT_FALSE(browser.handler);
  EXPECT_FALSE(other.handler);
  EXPECT_FALSE(recorder.Recording());
  EXPECT_EQ(recorder.WebPage1(), nullptr);
  EXPECT_EQ(window.Panel(), ILoginWindow::kRecordReady);
  EXPECT_EQ(window.messages.size(), 1u);
  recorder.cmdRecord_Click();
  recorder.SetIE(nullptr);  // the tab closed
  EXPECT_FALSE(other.handler);
  EXPECT_EQ(window.messages.size(), 2u);
  EXPECT_TRUE(window.errors.empty());
}

}  // namespace
}  // namespace ostrel
