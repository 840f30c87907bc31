#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <thread>

#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"
#include "tests/common/ErrorNumberOf.h"
#include "tests/platform/devtools/BrowserFixture.h"

namespace ostrel::test {
namespace {

// What a handler saw: the destination and, read through the same browser
// while the page was stopped, the values of the login form.
struct Seen {
  std::string url;
  std::string user;
  std::string pass;
  std::string title;
  NavigationInfo navigation;
};

class BeforeNavigateTest : public BrowserFixture {
 protected:
  void Watch() {
    browser_->SetBeforeNavigate([this](const NavigationInfo& navigation) {
      using Kind = NavigationInfo::Kind;
      if (navigation.kind != Kind::kNavigate && navigation.kind != Kind::kUnload &&
          navigation.kind != Kind::kScriptLink) {
        moments_.push_back(navigation);  // the moments a login may be sent without leaving
        return;
      }
      Seen entry{navigation.url, "", "", "", navigation};
      auto document = browser_->Document();
      entry.title = document->title();
      auto form = document->forms()->item("login");
      if (form) {
        auto elements = form->elements();
        entry.user = elements->item("user")->value();
        entry.pass = elements->item("pass")->value();
      }
      seen_.push_back(entry);
    });
  }
  // Waits until the handler has run and the browser has moved on to the
  // landing page, then gives the landing page time to stop again if it
  // were going to.
  void WaitForLanding() {
    ASSERT_TRUE(PumpUntil([&] { return !seen_.empty(); })) << "no before-navigate event";
    ASSERT_TRUE(PumpUntil([&] {
      return browser_->ReadyState() == 4 && browser_->Document()->title() == "Done";
    })) << "the page did not go on after the event";
    PumpUntil([] { return false; }, std::chrono::milliseconds(150));
  }
  void TypeLogin() {
    TypeInto("user", "alice");
    TypeInto("pass", "s3cret");
  }
  // Opens page, watches, types the login, leaves the page with leave() and
  // waits for the landing page; gives the one notification that came (a
  // submit that the leaving itself causes is the same navigation).
  Seen LeaveLogin(const std::string& page, const std::function<void()>& leave) {
    Open(page);
    Watch();
    TypeLogin();
    leave();
    WaitForLanding();
    if (seen_.size() != 1u) {
      ADD_FAILURE() << seen_.size() << " notifications instead of one";
      return {};
    }
    return seen_[0];
  }

  std::vector<Seen> seen_;
  std::vector<NavigationInfo> moments_;
};

// A login the page sends by script without leaving: the moments it may be
// sent are told, held while the typed values are still in place, each with
// what was pressed or submitted, and the requests that follow with what
// they carry.
TEST_F(BeforeNavigateTest, LoginsSentWithoutLeavingAreToldAtEachMoment) {
  struct Moment {
    NavigationInfo::Kind kind;
    std::string target;  // a part of the target's description
    std::string url;     // a part of the url
    std::string held;    // what the user and code boxes held, read while the page was held
    std::string body;    // a part of what a request posts
  };
  using Kind = NavigationInfo::Kind;
  struct Case {
    const char* label;
    std::function<void()> act;
    std::vector<Moment> want;
  };
  Open("/stays.html");
  std::vector<std::pair<NavigationInfo, std::string>> got;
  browser_->SetBeforeNavigate([&](const NavigationInfo& navigation) {
    // The page's own requests only (not the browser's icon request).
    if (navigation.kind == Kind::kLoaded ||
        (navigation.kind == Kind::kRequest && navigation.url.find("/api/") == std::string::npos)) {
      return;
    }
    std::string held;
    if (navigation.kind != Kind::kRequest) {
      auto forms = browser_->Document()->forms();
      held = forms->item(0)->elements()->item("user")->value() + "|" +
             forms->item(1)->elements()->item("code")->value();  // the inputs outside any form
    }
    got.emplace_back(navigation, held);
  });
  const Case cases[] = {
      {"the form's button, the page cancelling the submit",
       [&] { TypeInto("user", "alice"); TypeInto("pass", "s3cret"); MouseClick("go"); },
       {{Kind::kPress, R"("id":"go")", "", "alice|"},
        {Kind::kSubmit, R"("id":"loginForm")", "/session", "alice|"},
        {Kind::kRequest, "", "/api/login", "", R"("pass":"s3cret")"}}},
      {"Enter in an input", [&] { TypeInto("user", "bob"); TypeInto("pass", "pw2"); PressEnter(); },
       {{Kind::kEnter, R"("name":"pass")", "", "bob|"},
        {Kind::kPress, R"("id":"go")", "", "bob|"},  // Enter presses the form's button
        {Kind::kSubmit, "loginForm", "/session", "bob|"},
        {Kind::kRequest, "", "/api/login", "", "pw2"}}},
      {"a span made a button, pressed on its text",
       [&] { TypeInto("code", "4711"); MouseClick("sendText"); },
       {{Kind::kPress, R"("id":"send")", "", "|4711"}, {Kind::kRequest, "", "/api/code?c=4711", ""}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    got.clear();
    c.act();
    ASSERT_TRUE(PumpUntil([&] { return got.size() >= c.want.size(); })) << got.size() << " moments";
    PumpUntil([] { return false; }, std::chrono::milliseconds(150));
    ASSERT_EQ(got.size(), c.want.size());
    for (size_t i = 0; i < got.size(); ++i) {
      const auto& [navigation, held] = got[i];
      EXPECT_EQ(navigation.kind, c.want[i].kind) << i;
      EXPECT_NE(navigation.target.find(c.want[i].target), std::string::npos) << i << " " << navigation.target;
      EXPECT_NE(navigation.url.find(c.want[i].url), std::string::npos) << i << " " << navigation.url;
      EXPECT_EQ(held, c.want[i].held) << i;
    }
  }
}

TEST_F(BeforeNavigateTest, SubmitButtonClick) {
  const Seen seen = LeaveLogin("/login.html", [&] {
    MouseClick("loginForm");  // nothing to leave: a click on the form itself
    browser_->Document()->forms()->item(0)->elements()->item("go")->click();
  });
  EXPECT_EQ(seen.url, server_->Url("/done.html"));
  EXPECT_EQ(seen.user, "alice");
  EXPECT_EQ(seen.pass, "s3cret");
  EXPECT_EQ(seen.title, "Login page");
}

TEST_F(BeforeNavigateTest, EnterInAField) {
  const Seen seen = LeaveLogin("/login.html", [&] { PressEnter(); });
  EXPECT_EQ(seen.url, server_->Url("/done.html"));
  EXPECT_EQ(seen.user, "alice");
  EXPECT_EQ(seen.pass, "s3cret");
}

TEST_F(BeforeNavigateTest, FormSubmitFromScript) {
  const Seen seen = LeaveLogin("/script.html", [&] {
    browser_->Document()->parentWindow()->execScript("document.forms.login.submit()", "");
  });
  EXPECT_EQ(seen.url, server_->Url("/done.html?user=alice&pass=s3cret"));
  EXPECT_EQ(seen.pass, "s3cret");
}

TEST_F(BeforeNavigateTest, JavascriptLinkGivesTheWholeScriptAddress) {
  const Seen seen = LeaveLogin("/script.html", [&] { MouseClick("jslink"); });
  EXPECT_EQ(seen.url, "javascript:doLogin('x')");
  EXPECT_EQ(seen.navigation.kind, NavigationInfo::Kind::kScriptLink);
  EXPECT_EQ(seen.user, "alice");
  EXPECT_EQ(seen.pass, "s3cret");
}

TEST_F(BeforeNavigateTest, ScriptNavigation) {
  const Seen seen = LeaveLogin("/script.html", [&] {
    browser_->Document()->parentWindow()->execScript("goAway()", "");
  });
  EXPECT_EQ(seen.url, server_->Url("/done.html?via=script"));
  EXPECT_EQ(seen.user, "alice");
}

TEST_F(BeforeNavigateTest, NavigateOfTheProgramItself) {
  const Seen seen = LeaveLogin("/script.html", [&] { browser_->Navigate(server_->Url("/done.html")); });
  EXPECT_EQ(seen.url, server_->Url("/done.html"));
  EXPECT_EQ(seen.user, "alice");
  EXPECT_EQ(seen.pass, "s3cret");
}

TEST_F(BeforeNavigateTest, FrameNavigationIsReported) {
  Open("/frames.html");
  Watch();
  auto frame = browser_->Document()->frames()->item(0);
  frame->execScript("location.href = '/done.html?frame'", "");
  ASSERT_TRUE(PumpUntil([&] { return !seen_.empty(); }));
  EXPECT_EQ(seen_[0].url, server_->Url("/done.html?frame"));
  EXPECT_EQ(seen_[0].title, "Frames");
  EXPECT_FALSE(seen_[0].navigation.top_level);
  EXPECT_EQ(seen_[0].navigation.document_url, server_->Url("/frame-login.html"));
}

// A frame of another site runs in a process of its own (a sign-in widget
// may live there): it stops before it is left like any other, with its
// own origin.
TEST_F(BeforeNavigateTest, FrameOfAnotherSiteLeavingIsReportedWithItsOrigin) {
  Open("/frames.html?host=localhost&page=frame-leaves.html&other=" + std::to_string(other_server_->Port()));
  Watch();
  ASSERT_TRUE(PumpUntil([&] { return !seen_.empty(); }));
  const std::string origin = "http://localhost:" + std::to_string(other_server_->Port());
  EXPECT_FALSE(seen_[0].navigation.top_level);
  EXPECT_EQ(seen_[0].navigation.document_origin, origin);
  EXPECT_EQ(seen_[0].navigation.document_url, origin + "/frame-leaves.html");
  EXPECT_EQ(seen_[0].url, origin + "/done.html?left");
  ASSERT_TRUE(PumpUntil([&] { return other_server_->Requests().size() >= 2; }));
}

// Nothing a page does can pass for Ostrel's own stop: a function of the
// same name that stops in the debugger, a script-made click on a
// "javascript:" link (the script it runs leaves the page: a plain
// navigation, no script to record).
TEST_F(BeforeNavigateTest, PagesCannotFakeTheStopOrSupplyAScript) {
  Open("/script.html");
  Watch();
  browser_->Document()->parentWindow()->execScript(
      "function ostrelBeforeNavigate(destination) { debugger; return destination; }"
      "ostrelBeforeNavigate('javascript:leak()'); document.title = 'faked'",
      "");
  EXPECT_EQ(browser_->Document()->title(), "faked");
  EXPECT_TRUE(seen_.empty());
  EXPECT_EQ(Eval("typeof window.ostrelHookInstalled + typeof window[Symbol.for('ostrel.beforeNavigate')]"),
            "undefinedundefined");
  TypeLogin();
  browser_->Document()->parentWindow()->execScript("document.getElementById('jslink').click()", "");
  WaitForLanding();
  ASSERT_EQ(seen_.size(), 1u);
  EXPECT_EQ(seen_[0].navigation.kind, NavigationInfo::Kind::kNavigate);
  EXPECT_EQ(seen_[0].url, server_->Url("/done.html?user=alice&pass=s3cret"));
}

TEST_F(BeforeNavigateTest, NoHandlerNoStopAndDisconnectingStopsReports) {
  Open("/script.html");
  Watch();
  browser_->SetBeforeNavigate({});
  browser_->Document()->parentWindow()->execScript("goAway()", "");
  ASSERT_TRUE(PumpUntil([&] { return browser_->ReadyState() == 4 && browser_->Document()->title() == "Done"; }));
  EXPECT_TRUE(seen_.empty());
}

TEST_F(BeforeNavigateTest, PagesOwnDebuggerStatementDoesNotStall) {
  Open("/script.html");
  Watch();
  browser_->Document()->parentWindow()->execScript("debugger; document.title = 'went on'", "");
  EXPECT_EQ(browser_->Document()->title(), "went on");
  EXPECT_TRUE(seen_.empty());
}

// A recording refused on a link click lets the page go on to the link's
// page; a Navigate made at once (the next Go To) must still reach its own
// page, however the two navigations meet.
TEST_F(BeforeNavigateTest, NavigateRightAfterALinkThePageWasLetGoOnReachesItsPage) {
  TestServer other(OSTREL_DEVTOOLS_PAGES);
  for (int round = 0; round < 10; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    Open("/script.html");
    bool stopped = false;
    browser_->SetBeforeNavigate([&](const NavigationInfo&) {
      // Read the page while it is stopped, as a recording does.
      EXPECT_EQ(browser_->Document()->forms()->length(), 1);
      stopped = true;
      browser_->SetBeforeNavigate({});
    });
    browser_->Document()->parentWindow()->execScript(
        "setTimeout(() => document.getElementById('plain').click(), 0)", "");  // as the person clicks
    ASSERT_TRUE(PumpUntil([&] { return stopped; }));
    PumpUntil([] { return false; }, std::chrono::milliseconds(4 * round));  // meet the link at each stage
    const std::string target = other.Url("/search.html?round=" + std::to_string(round));
    browser_->Navigate(target);
    ASSERT_TRUE(PumpUntil([&] { return browser_->ReadyState() == 4 && browser_->Document()->url() == target; }))
        << "the tab stayed at " << browser_->Document()->url();
  }
}

TEST(DevToolsCrashTest, KilledBrowserFailsWaitingAndLaterCallsWithBrowserGone) {
  TestServer server(OSTREL_DEVTOOLS_PAGES);
  ChromiumProcess chromium;
  auto browser = DevToolsBrowser::OpenTab(chromium);
  browser->Navigate(server.Url("/login.html"));
  DevToolsEventPump pump(chromium.Connection());
  while (browser->ReadyState() != 4) pump.ProcessPending();
  auto document = browser->Document();
  auto window = document->parentWindow();
  std::thread killer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    chromium.Kill();
  });
  auto start = std::chrono::steady_clock::now();
  // waits until the browser dies
  const int32_t number = ErrorNumberOf([&] { window->execScript("for (;;) {}", ""); });
  killer.join();
  EXPECT_EQ(number, err::kBrowserGone);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_THROW(document->title(), OstrelError);
  EXPECT_EQ(ErrorNumberOf([&] { browser->ReadyState(); }), err::kBrowserGone);
  EXPECT_EQ(ErrorNumberOf([&] { browser->Navigate(server.Url("/done.html")); }), err::kBrowserGone);
}

// An interrupted program leaves no browser and no temporary profile behind.
TEST(DevToolsCrashTest, AnInterruptEndsTheBrowserAndRemovesItsTemporaryProfile) {
  for (int signal : {SIGTERM, SIGINT}) {
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ChromiumProcess chromium;
      const std::string line = std::to_string(chromium.Pid()) + " " + chromium.Profile().string() + "\n";
      if (write(report[1], line.data(), line.size()) < 0) _exit(2);
      for (;;) pause();
    }
    close(report[1]);
    char buffer[4096] = {};
    ASSERT_GT(read(report[0], buffer, sizeof buffer - 1), 0);
    close(report[0]);
    const std::string line(buffer);
    const pid_t browser = std::stoi(line.substr(0, line.find(' ')));
    const std::filesystem::path profile = line.substr(line.find(' ') + 1, line.find('\n') - line.find(' ') - 1);
    ASSERT_TRUE(std::filesystem::exists(profile));
    kill(child, signal);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal);
    EXPECT_FALSE(std::filesystem::exists(profile)) << profile;
    EXPECT_NE(kill(-browser, 0), 0);  // the browser's whole process group has gone
  }
}

}  // namespace
}  // namespace ostrel::test
