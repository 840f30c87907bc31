// The program's recording and replay hooks hold the idle log-off back
// while they work: the real recorder and replay, on the real window
// offscreen and an in-memory page.
#include "FakeDom.h"
#include "app/BrowserHooks.h"
#include "tests/window/WindowTest.h"

namespace ostrel::test {
namespace {

using IdleHooksTest = WindowTest;

TEST_F(IdleHooksTest, ARecordingOrAGoToIsUnderWayUntilItEnds) {
  Seed({{"ann", "pw"}}, {{1, "alpha"}});
  Open();
  fake::Browser page;
  page.doc = fake::MakeDoc("http://127.0.0.1/alpha", "Example Login",
                           {fake::Form("login", {fake::El("INPUT", "text", "user")})});
  fake::Pump pump;
  fake::Clock clock;
  BrowserHooks hooks(W(), *W().Context(), pump, clock);
  hooks.SetIE(&page);
  hooks.cmdRecord_Click();
  EXPECT_TRUE(hooks.InProgress());
  page.Fire("http://127.0.0.1/welcome");  // the login is sent
  EXPECT_FALSE(hooks.InProgress());

  page.onNavigate = [&page](const std::string&) { page.readyState = 1; };
  bool busyInTheWait = false;
  pump.onPass = [&] {
    busyInTheWait = hooks.InProgress();
    page.readyState = 4;
  };
  hooks.GoToSite(1);
  EXPECT_TRUE(busyInTheWait);
  EXPECT_FALSE(hooks.InProgress());
  EXPECT_EQ(page.navigations, std::vector<std::string>{"http://127.0.0.1/alpha"});
}

}  // namespace
}  // namespace ostrel::test
