// The page model's collections and capture failures, on the in-memory
// browser (the failures cannot be brought about in a real one at will).
#include <gtest/gtest.h>

#include "page/FramePath.h"
#include "page/WebPage.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"
#include "tests/common/ErrorNumberOf.h"
#include "tests/page/CaptureEnv.h"
#include "tests/page/FakeBrowser.h"

namespace ostrel {
namespace {

class WebPageModelTest : public ::testing::Test {
 protected:
  WebPageModelTest()
      : browser_(testing::LoadFixturePage) {}

  std::unique_ptr<WebPage> Capture(const std::string& path) {
    browser_.Navigate("http://site.test/" + path);
    auto page = std::make_unique<WebPage>();
    page->SetIE(browser_);
    page->Record();
    return page;
  }

  fake::FakeBrowser browser_;
};

TEST_F(WebPageModelTest, ItemOutsideThePositionsFailsWithSubscript) {
  auto page = Capture("twoforms.html");
  WebForms& forms = page->Forms();
  EXPECT_EQ(test::ErrorNumberOf([&] { forms.Item(0); }), err::kSubscript);
  EXPECT_EQ(test::ErrorNumberOf([&] { forms.Item(3); }), err::kSubscript);
  EXPECT_EQ(test::ErrorNumberOf([&] { forms.Remove(3); }), err::kSubscript);
  WebControls& controls = forms.Item(2).Controls();
  EXPECT_EQ(test::ErrorNumberOf([&] { controls.Item(0); }), err::kSubscript);
  EXPECT_EQ(test::ErrorNumberOf([&] { controls.Item(3); }), err::kSubscript);
  EXPECT_EQ(test::ErrorNumberOf([&] { controls.Item(-1); }), err::kSubscript);
  EXPECT_EQ(forms.Count(), 2);
  EXPECT_EQ(controls.Count(), 2);
}

TEST_F(WebPageModelTest, RemoveMovesLaterItemsUp) {
  auto page = Capture("twoforms.html");
  page->Forms().Remove(1);
  ASSERT_EQ(page->Forms().Count(), 1);
  EXPECT_EQ(page->Forms().Item(1).Name(), "login");
  WebControls& controls = page->Forms().Item(1).Controls();
  controls.Remove(1);
  ASSERT_EQ(controls.Count(), 1);
  EXPECT_EQ(controls.Item(1).Name(), "pass");
}

TEST_F(WebPageModelTest, CaptureHoldsItsElementsForItsLife) {
  auto page = Capture("kinds.html");
  // one form element and its fifteen controls
  EXPECT_EQ(browser_.LiveElements(), 16);
  page->Forms().Item(1).Controls().Remove(3);
  EXPECT_EQ(browser_.LiveElements(), 15);
  page.reset();
  EXPECT_EQ(browser_.LiveElements(), 0);
}

TEST_F(WebPageModelTest, FormWithoutElementsHasNoControls) {
  auto page = Capture("emptyform.html");
  ASSERT_EQ(page->Forms().Count(), 1);
  EXPECT_EQ(page->Forms().Item(1).Controls().Count(), 0);
  EXPECT_EQ(page->Forms().Item(1).ID(), "");
}

TEST_F(WebPageModelTest, FailingFormInAFrameIsLeftOutAndTheNextTaken) {
  auto page = Capture("failframe.html");
  ASSERT_EQ(page->Forms().Count(), 2);
  const WebForm& good = page->Forms().Item(1);
  EXPECT_EQ(good.Name(), "good");
  EXPECT_EQ(good.FrameIndex(), 0);
  EXPECT_EQ(good.Index(), 1) << "the failed form keeps its place in the count";
  const WebForm& login = page->Forms().Item(2);
  EXPECT_EQ(login.Name(), "login");
  EXPECT_EQ(login.FrameIndex(), 1);
  EXPECT_EQ(browser_.LiveElements(), (1 + 1) + (1 + 3)) << "nothing of the failed form is held";
}

TEST_F(WebPageModelTest, FailingFormOfTheTopDocumentFailsTheCapture) {
  browser_.Navigate("http://site.test/topfail.html");
  WebPage page;
  page.SetIE(browser_);
  EXPECT_EQ(test::ErrorNumberOf([&] { page.Record(); }), err::kObjectDisconnected);
}

TEST_F(WebPageModelTest, CaptureWithoutBrowserOrDocumentFails) {
  WebPage unbound;
  EXPECT_EQ(test::ErrorNumberOf([&] { unbound.Record(); }), err::kObjectRequired);
  WebPage nothing_loaded;
  nothing_loaded.SetIE(browser_);
  EXPECT_EQ(test::ErrorNumberOf([&] { nothing_loaded.Record(); }), err::kObjectRequired);
}

TEST_F(WebPageModelTest, BrowserGoneInTheFrameWalkFailsTheCapture) {
  // The frame walk absorbs refusals, but must not report a capture with
  // its frames silently missing when the browser itself went away.
  browser_.Navigate("http://site.test/frameset.html");
  browser_.CrashOnFrameAccess();
  WebPage page;
  page.SetIE(browser_);
  EXPECT_EQ(test::ErrorNumberOf([&] { page.Record(); }), err::kBrowserGone);
}

TEST_F(WebPageModelTest, JavascriptIsLeftToTheRecorder) {
  WebPage page;
  page.SetJavascript("doLogin()");
  browser_.Navigate("http://site.test/login.html");
  page.SetIE(browser_);
  page.Record();
  EXPECT_EQ(page.Javascript(), "doLogin()");
}

}  // namespace
}  // namespace ostrel

namespace ostrel {
namespace {

// How a record says where its form's document sits: first-level frames as
// records always held them, frames of frames in a form of their own.
TEST(FramePathTest, StoredFormsRoundTripAndUnreadableOnesFallBack) {
  struct Case {
    std::vector<int16_t> positions;
    int16_t frameIndex;
    std::string frameURL;
  };
  const std::vector<Case> cases = {
      {{}, 255, ""},
      {{3}, 3, "http://a.test/f.html"},
      {{0, 2}, 254, "0/2 http://a.test/f.html"},
      {{1, 0, 7}, 254, "1/0/7 http://a.test/f.html?q=1/2"},
      // First-level frames whose position would read as a marker.
      {{254}, 254, "254 http://a.test/f.html"},
      {{255}, 254, "255 http://a.test/f.html"},
      {{0, 300}, 254, "0/300 http://a.test/f.html"},
  };
  for (const Case& c : cases) {
    FramePath path{c.positions, c.positions.empty() ? "" : "http://a.test/f.html" + std::string(c.positions.size() == 3 ? "?q=1/2" : "")};
    EXPECT_EQ(path.FrameIndex(), c.frameIndex);
    EXPECT_EQ(path.FrameURL(), c.frameURL);
    const FramePath back = FramePath::FromStored(c.frameIndex, c.frameURL);
    EXPECT_EQ(back.positions, c.positions) << c.frameURL;
    EXPECT_EQ(back.url, path.url);
  }
  for (const char* unreadable : {"http://a.test/", "x/1 http://a.test/", "1 http://a.test/", "1/-2 u",
                                 "1/40000 u", "0/0/0/0/0/0/0/0/0 u"}) {
    const FramePath back = FramePath::FromStored(254, unreadable);
    EXPECT_TRUE(back.positions.empty()) << unreadable;
    EXPECT_EQ(back.url, unreadable);
  }
}

}  // namespace
}  // namespace ostrel
