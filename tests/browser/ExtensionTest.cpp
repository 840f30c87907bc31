#include <gtest/gtest.h>

#include <map>

#include "FakeDom.h"
#include "browser/Extension.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"
#include "tests/common/RecordingMessageBox.h"

namespace ostrel {
namespace {

struct WindowLog {
  int created = 0;
  int destroyed = 0;
  int loads = 0;
  int shows = 0;
  std::vector<IBrowser*> bindings;
  bool failLoad = false;
};

class FakeMainWindow : public IMainWindow {
 public:
  explicit FakeMainWindow(WindowLog& log) : log_(log) { ++log_.created; }
  ~FakeMainWindow() override { ++log_.destroyed; }
  void SetIE(IBrowser* browser) override { log_.bindings.push_back(browser); }
  void Load() override {
    if (log_.failLoad) throw OstrelError(err::kFileMissing);
    ++log_.loads;
  }
  void ShowOver(IBrowserWindowSite&) override { ++log_.shows; }

 private:
  WindowLog& log_;
};

class FakeSite : public IBrowserWindowSite {
 public:
  std::map<std::string, IBrowser*> tabs;
  int64_t WindowHandle() override { return 42; }
  int32_t TabCount() override { return static_cast<int32_t>(tabs.size()); }
  IBrowser* BrowserOfTab(const std::string& tabId) override {
    auto it = tabs.find(tabId);
    return it == tabs.end() ? nullptr : it->second;
  }
};

using FakeBox = test::RecordingMessageBox;

class ExtensionTest : public ::testing::Test {
 protected:
  ExtensionTest()
      : extension([this] { return std::make_unique<FakeMainWindow>(log); }, box) {
    site.tabs = {{"tab-a", &first}, {"tab-b", &second}};
  }
  WindowLog log;
  FakeBox box;
  FakeSite site;
  fake::Browser first, second;
  Extension extension;
};

TEST_F(ExtensionTest, ThePressBindsTheTabInWhichTheButtonWasPressed) {
  extension.SetSite(&site);
  extension.Exec("tab-a");
  EXPECT_EQ(log.bindings, (std::vector<IBrowser*>{&first, &first}));
  extension.Exec("tab-b");
  EXPECT_EQ(extension.Browser(), &second);
  EXPECT_EQ(log.bindings.back(), &second);
}

TEST_F(ExtensionTest, SettingTheSiteCreatesOneWindowShownOnlyOnAPress) {
  extension.SetSite(&site);
  EXPECT_EQ(log.created, 1);
  EXPECT_EQ(log.loads, 0);
  EXPECT_EQ(log.shows, 0);
  extension.Exec("tab-a");
  extension.Exec("tab-a");
  EXPECT_EQ(log.created, 1);  // the same window object, shown again
  EXPECT_EQ(log.loads, 2);
  EXPECT_EQ(log.shows, 2);
}

TEST_F(ExtensionTest, APressBeforeAnySiteOrAfterItWasTakenDoesNothing) {
  extension.Exec("tab-a");
  EXPECT_EQ(log.created, 0);
  extension.SetSite(&site);
  extension.SetSite(nullptr);
  EXPECT_EQ(log.destroyed, 1);
  extension.Exec("tab-a");
  EXPECT_EQ(log.shows, 0);
  EXPECT_EQ(extension.Browser(), nullptr);
}

TEST_F(ExtensionTest, APressInATabOfAnotherWindowDoesNothing) {
  extension.SetSite(&site);
  extension.Exec("tab-of-another-window");
  EXPECT_TRUE(log.bindings.empty());
  EXPECT_EQ(log.shows, 0);
}

TEST_F(ExtensionTest, ASiteWithoutTabsShowsTheMessageOnceAndTheButtonDoesNothing) {
  FakeSite empty;
  extension.SetSite(&empty);
  EXPECT_EQ(box.shown, std::vector<std::string>{"You need to start Internet Explorer!"});
  extension.Exec("tab-a");
  EXPECT_EQ(log.shows, 0);
  EXPECT_EQ(box.shown.size(), 1u);
}

TEST_F(ExtensionTest, AFailureDuringThePressEndsItSilently) {
  extension.SetSite(&site);
  log.failLoad = true;
  EXPECT_NO_THROW(extension.Exec("tab-a"));
  EXPECT_EQ(log.shows, 0);
  EXPECT_TRUE(box.shown.empty());
}

TEST_F(ExtensionTest, ClosingTheBoundTabUnbindsTheWindowFirst) {
  extension.SetSite(&site);
  extension.Exec("tab-a");
  extension.BrowserGone(&second);  // another tab: nothing changes
  EXPECT_EQ(log.bindings.back(), &first);
  extension.BrowserGone(&first);
  EXPECT_EQ(log.bindings.back(), nullptr);
  EXPECT_EQ(extension.Browser(), nullptr);
}

TEST_F(ExtensionTest, TwoWindowsEachOwnTheirMainWindow) {
  WindowLog other_log;
  Extension other([&] { return std::make_unique<FakeMainWindow>(other_log); }, box);
  FakeSite other_site;
  fake::Browser third;
  other_site.tabs = {{"tab-c", &third}};
  extension.SetSite(&site);
  other.SetSite(&other_site);
  extension.Exec("tab-a");
  other.Exec("tab-c");
  EXPECT_EQ(log.bindings.back(), &first);
  EXPECT_EQ(other_log.bindings.back(), &third);
  EXPECT_NE(extension.Main(), other.Main());
}

}  // namespace
}  // namespace ostrel
