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


NavigationInfo Moment(NavigationInfo::Kind kind, std::string url = "", std::string target = "",
                      std::string body = "") {
  NavigationInfo moment;
  moment.kind = kind;
  moment.url = std::move(url);
  moment.target = std::move(target);
  moment.body = std::move(body);
  return moment;
}

// A login sent without leaving the page ends the recording when it is
// sent, and is kept with the way it was sent.
TEST_F(RecorderTest, ALoginSentWithoutLeavingIsKeptWithHowItWasSent) {
  using Kind = NavigationInfo::Kind;
  const std::string go = R"({"tag":"div","id":"go","name":"","text":"Sign in","n":0,"path":""})";
  struct Case {
    const char* label;
    std::vector<NavigationInfo> moments;  // after the login is typed
    SendKind send;
    std::string pressed;
    std::string sent_to;
  };
  const Case cases[] = {
      {"a submit the page cancels", {Moment(Kind::kSubmit, "https://auth.example/session", R"({"tag":"form"})")},
       SendKind::kForm, "", "https://auth.example"},
      {"a press, then a request carrying the password (JSON)",
       {Moment(Kind::kPress, "", go), Moment(Kind::kRequest, "https://api.example/a", "", "{}"),
        Moment(Kind::kRequest, "https://api.example/login", "", R"({"p":"s3cret"})")},
       SendKind::kPress, go, "https://api.example"},
      {"Enter in the password box, then the user name in a query",
       {Moment(Kind::kEnter, "", R"({"tag":"input","id":"","name":"pw","text":"","n":0,"path":""})"),
        Moment(Kind::kRequest, "http://127.0.0.1/login?u=alice")},
       SendKind::kEnter, "2", "http://127.0.0.1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    std::filesystem::remove(path);
    window.siteIndex = -1;
    user->value = pw->value = "";
    recorder.cmdRecord_Click();
    user->value = "alice";
    pw->value = "s3cret";
    for (const NavigationInfo& moment : c.moments) {
      EXPECT_EQ(window.Panel(), ILoginWindow::kRecording);
      browser.Fire(moment);
      // The page empties its inputs once it has them.
      if (moment.kind == Kind::kPress || moment.kind == Kind::kEnter) user->value = pw->value = "";
    }
    ASSERT_EQ(window.Panel(), ILoginWindow::kNameSite);
    window.siteName = "Site";
    recorder.cmdSave_Click();
    WebRecord stored(context);
    stored.Retrieve(1);
    ASSERT_EQ(stored.ControlsCount(), 2);
    EXPECT_EQ(stored.Control(2).Value, "s3cret");
    EXPECT_EQ(stored.Extra().Send, c.send);
    EXPECT_EQ(stored.Extra().Pressed, c.pressed);
    EXPECT_EQ(stored.Extra().SentTo, c.sent_to);
  }
}

// Clicks before anything is typed showed the login; a press whose page
// then sends nothing typed sends nothing.
TEST_F(RecorderTest, ClicksBeforeTypingAreKeptAndAPressAloneSendsNothing) {
  using Kind = NavigationInfo::Kind;
  const std::string show = R"({"tag":"button","id":"show"})";
  recorder.cmdRecord_Click();
  browser.Fire(Moment(Kind::kPress, "", show));
  user->value = "alice";
  pw->value = "s3cret";
  browser.Fire(Moment(Kind::kPress, "", R"({"tag":"span","id":"eye"})"));
  browser.Fire(Moment(Kind::kRequest, "http://127.0.0.1/telemetry", "", "clicks=2"));
  EXPECT_EQ(window.Panel(), ILoginWindow::kRecording);
  browser.Fire("http://127.0.0.1/next");
  ASSERT_EQ(window.Panel(), ILoginWindow::kNameSite);
  recorder.cmdSave_Click();
  WebRecord stored(context);
  stored.Retrieve(1);
  ASSERT_EQ(stored.Extra().Reveal.size(), 1u);
  EXPECT_EQ(stored.Extra().Reveal[0].Target, show);
  EXPECT_EQ(stored.Extra().Send, SendKind::kPress) << "the press just before the page was left sent it";
}

// The user name on one page, then Record Another Step, the password on the
// next: one site of two steps, each with its own page and inputs.
TEST_F(RecorderTest, AnotherStepIsRecordedFromThePageAsItIsThen) {
  recorder.cmdRecord_Click();
  user->value = "alice";
  browser.Fire("http://127.0.0.1/password");
  ASSERT_EQ(window.Panel(), ILoginWindow::kNameSite);
  const NodePtr secret = El("INPUT", "password", "secret");
  browser.doc = fake::MakeDoc("http://127.0.0.1/password", "Password", {fake::Form("pw", {secret})});
  recorder.cmdNextStep_Click();
  EXPECT_EQ(window.Panel(), ILoginWindow::kRecording);
  secret->value = "s3cret";
  browser.Fire("http://127.0.0.1/home");
  ASSERT_EQ(window.Panel(), ILoginWindow::kNameSite);
  window.siteName = "Two steps";
  recorder.cmdSave_Click();
  EXPECT_TRUE(window.errors.empty());
  WebRecord stored(context);
  stored.Retrieve(1);
  ASSERT_EQ(stored.StepCount(), 2);
  EXPECT_EQ(stored.URL(), "http://127.0.0.1/login");
  ASSERT_EQ(stored.ControlsCount(), 1);
  EXPECT_EQ(stored.Control(1).Value, "alice");
  const LoginStep second = stored.Step(2);
  EXPECT_EQ(second.URL, "http://127.0.0.1/password");
  ASSERT_EQ(second.Controls.size(), 1u);
  EXPECT_EQ(second.Controls[0].Name, "secret");
  EXPECT_EQ(second.Controls[0].Value, "s3cret");
}


// A typed value is found however a page writes it into what it sends.
TEST(SendWatchTest, AValueIsFoundAsPagesWriteIt) {
  const struct {
    const char* sent;
    const char* value;
    bool held;
  } cases[] = {
      {"user=alice&pw=s3cret", "s3cret", true},
      {"/login?pw=a%20b%26c", "a b&c", true},
      {"pw=a+b%26c", "a b&c", true},
      {R"({"pw":"say \"hi\"\\"})", "say \"hi\"\\", true},
      {R"({"pw":"caf\u00e9"})", "caf\xC3\xA9", false},  // written as an escape: not told
      {"pw=s3cre", "s3cret", false},
  };
  for (const auto& c : cases) EXPECT_EQ(SendWatch::Holds(c.sent, c.value), c.held) << c.sent;
}

}  // namespace
}  // namespace ostrel
