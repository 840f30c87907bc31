// The idle log-off with the program's own recording and replay hooks: the
// real window offscreen, the real recorder and replay, an in-memory page.
#include <algorithm>

#include "FakeDom.h"
#include "app/BrowserHooks.h"
#include "tests/window/WindowTest.h"

namespace ostrel::test {
namespace {

class IdleHooksTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Seed({{"ann", "pw"}}, {{1, "alpha"}});
    user_ = fake::El("INPUT", "text", "user");
    pass_ = fake::El("INPUT", "password", "pass");
    page_.doc = fake::MakeDoc("http://127.0.0.1/alpha", "Example Login",
                              {fake::Form("login", {user_, pass_, fake::El("INPUT", "submit")})});
    hooksFactory_ = BrowserHooks::Factory(pump_, clock_);
    Open();
    W().SetIE(&page_);
    LogIn(1, "pw");
    ASSERT_EQ(W().CurrentPanel(), frmMain::kSiteList);
  }
  // Once the period has run out during work: a whole period follows it,
  // then the window logs off.
  void ExpectAWholePeriodThenTheLogOff(int32_t panel) {
    idle_.Fire();
    EXPECT_EQ(W().CurrentPanel(), panel);
    EXPECT_TRUE(W().isVisible());
    idle_.Fire();
    EXPECT_EQ(W().CurrentPanel(), frmMain::kLogin);
    EXPECT_FALSE(W().isVisible());
  }

  fake::Browser page_;
  fake::Pump pump_;
  fake::Clock clock_;
  fake::NodePtr user_, pass_;
};

TEST_F(IdleHooksTest, ARecordingIsNotCutAndItsNameIsNotLost) {
  P().cmdNewSite->click();
  P().cmdRecord->click();
  ASSERT_EQ(W().CurrentPanel(), frmMain::kRecording);
  user_->value = "carol";
  idle_.Fire();  // the person is typing in the page
  idle_.Fire();
  EXPECT_EQ(W().CurrentPanel(), frmMain::kRecording);
  EXPECT_EQ(idle_.interval, IdleWatch::kBusyRetryMs);
  page_.Fire("http://127.0.0.1/welcome");  // the login is sent
  ASSERT_EQ(W().CurrentPanel(), frmMain::kNameSite);
  EXPECT_EQ(P().txtSiteName->text(), "Example Login");
  ExpectAWholePeriodThenTheLogOff(frmMain::kNameSite);
  EXPECT_TRUE(box_.shown.empty());
}

TEST_F(IdleHooksTest, AGoToIsNotCutWhileItWaitsForThePage) {
  page_.onNavigate = [this](const std::string&) { page_.readyState = 1; };
  int waits = 0;
  int32_t panelInTheWait = -1;
  pump_.onPass = [&] {
    if (page_.readyState == 4) return;
    ++waits;
    idle_.Fire();  // the period runs out while the page loads
    panelInTheWait = W().CurrentPanel();
    page_.readyState = 4;
  };
  P().lstSites->setCurrentRow(0);
  P().cmdGoto->click();
  EXPECT_EQ(panelInTheWait, frmMain::kSiteList);
  EXPECT_EQ(page_.navigations, std::vector<std::string>{"http://127.0.0.1/alpha"});
  EXPECT_EQ(user_->value, "me");
  EXPECT_EQ(pass_->value, "secret");
  EXPECT_EQ(waits, 1);
  ExpectAWholePeriodThenTheLogOff(frmMain::kSiteList);
}

TEST_F(IdleHooksTest, TheHooksTellWhenRecordingOrReplayIsUnderWay) {
  BrowserHooks hooks(W(), *W().Context(), pump_, clock_);
  hooks.SetIE(&page_);
  EXPECT_FALSE(hooks.InProgress());
  std::vector<bool> during;
  page_.onNavigate = [this](const std::string&) { page_.readyState = 1; };
  pump_.onPass = [&] {
    during.push_back(hooks.InProgress());
    page_.readyState = 4;
  };
  hooks.GoToSite(1);
  EXPECT_FALSE(during.empty());
  EXPECT_EQ(std::count(during.begin(), during.end(), false), 0);
  EXPECT_FALSE(hooks.InProgress());
  hooks.cmdRecord_Click();
  EXPECT_TRUE(hooks.InProgress());
  page_.Fire("http://127.0.0.1/welcome");
  EXPECT_FALSE(hooks.InProgress());
}

}  // namespace
}  // namespace ostrel::test
