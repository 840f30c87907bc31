#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "FakeDom.h"
#include "FakeLoginWindow.h"
#include "browser/LoginReplay.h"
#include "store/WebRecord.h"
#include "support/ErrorNumbers.h"

namespace ostrel {
namespace {

// Go To from a real password file: the record is loaded from its slot,
// replayed, and every failure reaches the user through ShowError.
class GoToSiteTest : public ::testing::Test {
 protected:
  GoToSiteTest() : replay(window, context, pump, clock) {
    replay.BrowserChanged(&browser);
    path = std::filesystem::temp_directory_path() /
           ("ostrel-goto-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".xps");
    std::filesystem::remove(path);
    context.PasswordFileName = path.string();
    context.DataCipher.SetSecret("key-for-tests");
    user = fake::El("INPUT", "text", "user");
    go = fake::El("INPUT", "submit");
    browser.doc = fake::MakeDoc("http://127.0.0.1/a", "A", {fake::Form("f", {user, go})});
  }
  ~GoToSiteTest() override { std::filesystem::remove(path); }

  int16_t Store() {
    WebRecord record(context);
    record.SetSiteName("A");
    record.SetURL("http://127.0.0.1/a");
    FormInfo info;
    info.Name = "f";
    record.SetForm(info);
    ControlInfo c;
    c.Name = "user";
    c.CtlType = 1;
    c.Value = "carol";
    record.AddControl(c);
    int16_t slot = -1;
    record.Save(1, slot);
    return slot;
  }

  std::filesystem::path path;
  fake::LoginWindow window;
  StoreContext context;
  fake::Pump pump;
  fake::Clock clock;
  fake::Browser browser;
  LoginReplay replay;
  fake::NodePtr user, go;
};

TEST_F(GoToSiteTest, ReplaysTheStoredRecord) {
  const int16_t slot = Store();
  replay.GoToSite(slot);
  EXPECT_TRUE(window.errors.empty());
  EXPECT_EQ(browser.navigations, std::vector<std::string>{"http://127.0.0.1/a"});
  EXPECT_EQ(user->value, "carol");
  EXPECT_EQ(go->clicks, 1);
  EXPECT_TRUE(window.panels.empty());  // the window stays where it was
}

TEST_F(GoToSiteTest, ATimeOutIsShownAsTheWebsiteMessage) {
  const int16_t slot = Store();
  browser.readyState = 1;
  pump.onPass = [this] { ++clock.now; };
  replay.GoToSite(slot);
  EXPECT_EQ(window.errors, std::vector<int32_t>{err::kWebsiteProblem});
  EXPECT_EQ(user->writes, 0);
}

TEST_F(GoToSiteTest, ADamagedSlotIsShownAsTheCorruptedFileMessage) {
  const int16_t slot = Store();
  {
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(4096 + 10);
    f.put('#');
  }
  replay.GoToSite(slot);
  EXPECT_EQ(window.errors, std::vector<int32_t>{err::kCorruptedFile});
  EXPECT_TRUE(browser.navigations.empty());
}

TEST_F(GoToSiteTest, AMissingInputIsShownWithItsOwnNumber) {
  const int16_t slot = Store();
  browser.doc->forms = {fake::Form("f", {go})};
  replay.GoToSite(slot);
  EXPECT_EQ(window.errors, std::vector<int32_t>{err::kObjectRequired});
  EXPECT_EQ(go->clicks, 0);
}

}  // namespace
}  // namespace ostrel
