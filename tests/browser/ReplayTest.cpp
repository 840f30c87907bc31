#include <gtest/gtest.h>

#include "FakeDom.h"
#include "FakeLoginWindow.h"
#include "browser/LoginReplay.h"
#include "store/WebRecord.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"
#include "tests/common/ErrorNumberOf.h"

namespace ostrel {
namespace {

using fake::El;
using fake::Form;
using fake::NodePtr;
using fake::Wrap;

constexpr char kUrl[] = "http://127.0.0.1/login.html";

class ReplayTest : public ::testing::Test {
 protected:
  ReplayTest()
      : replay(window, context, pump, clock),
        record(context) {
    user = El("INPUT", "text", "user");
    pw = El("INPUT", "password", "pw");
    go = El("INPUT", "submit", "go");
    login = Form("login", {user, pw, go});
    browser.doc = fake::MakeDoc(kUrl, "Login", {Form("search", {El("INPUT", "text", "q")}), login});
    record.SetURL(kUrl);
    FormInfo info;
    info.Name = "login";
    info.Index = 1;
    record.SetForm(info);
    AddControl("user", 0, "alice");
    AddControl("pw", 1, "s3cret");
  }

  void AddControl(std::string name, int16_t index, std::string value) {
    ControlInfo c;
    c.Name = std::move(name);
    c.Index = index;
    c.CtlType = 1;
    c.Value = std::move(value);
    record.AddControl(c);
  }

  int32_t ReplayError() {
    return test::ErrorNumberOf([&] { replay.Replay(browser, record); });
  }

  // The page loads while the clock runs: each pass takes one second and
  // the browser is complete from the given second on.
  void LoadsAfter(int64_t seconds) {
    browser.readyState = 1;
    const int64_t start = clock.now;
    pump.onPass = [this, start, seconds] {
      ++clock.now;
      if (clock.now - start >= seconds) browser.readyState = 4;
    };
  }

  fake::LoginWindow window;
  StoreContext context;
  fake::Pump pump;
  fake::Clock clock;
  fake::Browser browser;
  LoginReplay replay;
  WebRecord record;
  NodePtr user, pw, go, login;
};

TEST_F(ReplayTest, FillsTheNamedFormAndClicksItsSubmitInput) {
  EXPECT_EQ(ReplayError(), 0);
  EXPECT_EQ(browser.navigations, std::vector<std::string>{kUrl});
  EXPECT_EQ(user->value, "alice");
  EXPECT_EQ(pw->value, "s3cret");
  EXPECT_EQ(go->clicks, 1);
  EXPECT_EQ(login->submits, 0);
}

TEST_F(ReplayTest, APageCompleteAfterThirtySecondsIsFilled) {
  LoadsAfter(30);
  EXPECT_EQ(ReplayError(), 0);
  EXPECT_EQ(go->clicks, 1);
  EXPECT_GE(pump.passes, 30);
}

TEST_F(ReplayTest, APageStillLoadingAfterSixtyOneSecondsFailsAndFillsNothing) {
  LoadsAfter(1000);
  EXPECT_EQ(ReplayError(), err::kWebsiteProblem);
  EXPECT_EQ(user->writes, 0);
  EXPECT_EQ(go->clicks, 0);
}

TEST_F(ReplayTest, TheTimeOutIsTestedBeforeTheReadiness) {
  LoadsAfter(61);  // complete in the very pass that passes the limit
  EXPECT_EQ(ReplayError(), err::kWebsiteProblem);
  EXPECT_EQ(user->writes, 0);
}

TEST_F(ReplayTest, ACompletePageAtExactlySixtySecondsIsStillFilled) {
  LoadsAfter(60);
  EXPECT_EQ(ReplayError(), 0);
  EXPECT_EQ(user->value, "alice");
}

TEST_F(ReplayTest, EveryPassOfTheWaitProcessesPendingEvents) {
  int reads = 0;
  browser.readyState = 1;
  pump.onPass = [&] {
    if (++reads == 5) browser.readyState = 4;
  };
  EXPECT_EQ(ReplayError(), 0);
  EXPECT_GE(pump.passes, 5);
}

// A replay is pinned to its tab: the window bound anew (or the tab gone)
// inside a wait stops it before anything is typed, into either tab.
TEST_F(ReplayTest, ARebindingOrAClosedTabInsideTheWaitStopsItAndTypesNothing) {
  fake::Browser other;
  other.doc = browser.doc;
  for (IBrowser* rebound : {static_cast<IBrowser*>(&other), static_cast<IBrowser*>(nullptr)}) {
    browser.readyState = 1;
    replay.BrowserChanged(&browser);
    pump.onPass = [&] { replay.BrowserChanged(rebound); };
    EXPECT_NE(ReplayError(), 0);
    EXPECT_EQ(user->writes, 0);
    EXPECT_EQ(go->clicks, 0);
    EXPECT_TRUE(other.navigations.empty());
  }
}

TEST_F(ReplayTest, GoToWithoutABoundTabFailsAndShowsNoBusyCursorAfter) {
  replay.GoToSite(1);
  EXPECT_EQ(window.errors, std::vector<int32_t>{err::kObjectRequired});
  EXPECT_EQ(window.busy, (std::vector<bool>{true, false}));
  EXPECT_TRUE(browser.navigations.empty());
}

// The values go only into a document of the recorded address's origin.
TEST_F(ReplayTest, ADocumentOfAnotherOriginGetsNothing) {
  for (const char* elsewhere : {"http://127.0.0.1:8080/login.html", "https://127.0.0.1/login.html",
                                "http://evil.example/login.html", "about:blank"}) {
    browser.doc->url = elsewhere;
    EXPECT_EQ(ReplayError(), err::kWebsiteProblem) << elsewhere;
    EXPECT_EQ(user->writes, 0);
    EXPECT_EQ(go->clicks, 0);
  }
  browser.doc->url = "HTTP://127.0.0.1:80/other/page.html";
  EXPECT_EQ(ReplayError(), 0);
  EXPECT_EQ(go->clicks, 1);
}

TEST_F(ReplayTest, AFormWithANameIsFoundByNameWhereverItMoved) {
  browser.doc->forms = {login, Form("search", {El("INPUT", "text", "q")})};
  EXPECT_EQ(ReplayError(), 0);
  EXPECT_EQ(user->value, "alice");
}

TEST_F(ReplayTest, AFormWithoutANameIsFoundByPositionOnly) {
  record.Form().Name.clear();
  record.Form().Index = 0;
  NodePtr first_user = El("INPUT", "text", "user");
  browser.doc->forms = {Form("", {first_user, El("INPUT", "password", "pw")}), login};
  browser.doc->Adopt();
  EXPECT_EQ(ReplayError(), 0);
  EXPECT_EQ(first_user->value, "alice");
  EXPECT_EQ(user->writes, 0);
}

TEST_F(ReplayTest, AFormThatAppearsLateIsFound) {
  browser.doc->forms.clear();
  pump.onPass = [&] {
    if (browser.doc->formsCalls == 3) browser.doc->forms = {login};
  };
  EXPECT_EQ(ReplayError(), 0);
  EXPECT_EQ(go->clicks, 1);
  EXPECT_EQ(browser.doc->formsCalls, 4);
}

TEST_F(ReplayTest, TheFormLookupGivesUpAfterSixtySeconds) {
  browser.doc->forms.clear();
  pump.onPass = [&] { ++clock.now; };
  EXPECT_EQ(ReplayError(), err::kWebsiteProblem);
  EXPECT_LE(pump.passes, 63);
}

TEST_F(ReplayTest, ATopLevelRecordNeverTouchesFrames) {
  auto frame = std::make_shared<fake::Frame>();
  frame->doc = fake::MakeDoc("http://127.0.0.1/f.html", "", {});
  browser.doc->frames = {frame};
  EXPECT_EQ(ReplayError(), 0);
  EXPECT_EQ(browser.doc->framesCalls, 0);
}

class ReplayFrameTest : public ReplayTest {
 protected:
  ReplayFrameTest() {
    frame_doc = fake::MakeDoc("http://127.0.0.1/inner.html", "Inner", {login});
    auto menu = std::make_shared<fake::Frame>();
    menu->doc = fake::MakeDoc("http://127.0.0.1/menu.html", "Menu", {});
    auto main = std::make_shared<fake::Frame>();
    main->doc = frame_doc;
    browser.doc = fake::MakeDoc(kUrl, "Frames", {});
    browser.doc->frames = {menu, main};
    record.Form().FrameIndex = 1;
    record.Form().FrameURL = "http://127.0.0.1/inner.html";
  }
  fake::DocPtr frame_doc;
};

TEST_F(ReplayFrameTest, AFrameShowingTheRecordedAddressIsFilledWithoutNavigating) {
  EXPECT_EQ(ReplayError(), 0);
  EXPECT_TRUE(frame_doc->urlWrites.empty());
  EXPECT_EQ(user->value, "alice");
  EXPECT_EQ(go->clicks, 1);
}

TEST_F(ReplayFrameTest, AFrameShowingAnotherAddressIsSentBackAndAwaited) {
  frame_doc->url = "http://127.0.0.1/INNER.html";  // differs in letter case only
  frame_doc->readyState = "loading";
  int passes = 0;
  pump.onPass = [&] {
    if (!frame_doc->urlWrites.empty() && ++passes == 4) frame_doc->readyState = "complete";
  };
  EXPECT_EQ(ReplayError(), 0);
  EXPECT_EQ(frame_doc->urlWrites, std::vector<std::string>{"http://127.0.0.1/inner.html"});
  EXPECT_EQ(passes, 4);
  EXPECT_EQ(go->clicks, 1);
}

TEST_F(ReplayFrameTest, AFrameThatNeverCompletesFails) {
  frame_doc->url = "http://127.0.0.1/other.html";
  frame_doc->readyState = "interactive";
  pump.onPass = [&] { ++clock.now; };
  EXPECT_EQ(ReplayError(), err::kWebsiteProblem);
  EXPECT_EQ(user->writes, 0);
}

TEST_F(ReplayFrameTest, AMissingFrameFailsWithTheBrowsersError) {
  record.Form().FrameIndex = 5;
  EXPECT_EQ(ReplayError(), err::kObjectDisconnected);
}

class ReplayInputsTest : public ReplayTest {};

TEST_F(ReplayInputsTest, AnUnnamedInputAfterAFieldsetIsFoundAsCaptureCountsIt) {
  // Capture's positions leave FIELDSETs out: the text input is control 0
  // and the password input control 1, though the form's elements hold the
  // fieldset at 0.
  NodePtr u = El("INPUT", "text");
  NodePtr p = El("INPUT", "password");
  NodePtr set = Wrap("FIELDSET", {u, p});
  NodePtr button = El("INPUT", "submit");
  NodePtr form = Form("", {set, button});
  browser.doc->forms = {form};
  browser.doc->Adopt();
  record.Form().Name.clear();
  record.Form().Index = 0;
  record.SetControls({});
  AddControl("", 0, "alice");
  AddControl("", 1, "s3cret");
  EXPECT_EQ(ReplayError(), 0);
  EXPECT_EQ(u->value, "alice");
  EXPECT_EQ(p->value, "s3cret");
  EXPECT_EQ(set->writes, 0);
  EXPECT_EQ(button->clicks, 1);
}

TEST_F(ReplayInputsTest, ANamedInputIsFoundByNameWhereverItStands) {
  login->children = {go, pw, El("SELECT"), user};
  browser.doc->Adopt();
  EXPECT_EQ(ReplayError(), 0);
  EXPECT_EQ(user->value, "alice");
  EXPECT_EQ(pw->value, "s3cret");
}

TEST_F(ReplayInputsTest, AMissingInputEndsTheReplayAfterTheEarlierOnesAreFilled) {
  login->children = {user, go};
  EXPECT_EQ(ReplayError(), err::kObjectRequired);
  EXPECT_EQ(user->value, "alice");
  EXPECT_EQ(go->clicks, 0);
}

TEST_F(ReplayInputsTest, AnInputPositionPastTheFormsControlsFails) {
  record.SetControls({});
  AddControl("", 7, "x");
  EXPECT_EQ(ReplayError(), err::kObjectRequired);
}

TEST_F(ReplayInputsTest, ARecordedInputThatIsNoLongerAnInputFails) {
  login->children = {Wrap("SELECT", {}), pw, go};
  login->children[0]->name = "user";
  browser.doc->Adopt();
  EXPECT_EQ(ReplayError(), err::kObjectRequired);
  EXPECT_EQ(go->clicks, 0);
}

TEST_F(ReplayInputsTest, EveryRecordedControlIsWrittenWhateverItsType) {
  NodePtr token = El("INPUT", "hidden", "token", "", "old");
  login->children.push_back(token);
  browser.doc->Adopt();
  AddControl("token", 3, "T-1");
  record.Control(3).CtlType = 2;
  EXPECT_EQ(ReplayError(), 0);
  EXPECT_EQ(token->value, "T-1");
}

class SubmitTest : public ReplayTest {
 protected:
  void Use(std::vector<NodePtr> children) {
    login->children = std::move(children);
    login->children.insert(login->children.begin(), {user, pw});
    browser.doc->Adopt();
  }
};

TEST_F(SubmitTest, TheFirstOfTwoSubmitInputsIsClicked) {
  NodePtr first = El("INPUT", "submit"), second = El("INPUT", "submit");
  Use({first, second});
  EXPECT_EQ(ReplayError(), 0);
  EXPECT_EQ(first->clicks, 1);
  EXPECT_EQ(second->clicks, 0);
}

TEST_F(SubmitTest, ASubmitInputWinsOverAnEarlierImageInput) {
  NodePtr image = El("INPUT", "image"), submit = El("INPUT", "submit");
  Use({image, submit});
  EXPECT_EQ(ReplayError(), 0);
  EXPECT_EQ(submit->clicks, 1);
  EXPECT_EQ(image->clicks, 0);
}

TEST_F(SubmitTest, AnImageInputAloneIsClickedWhereverItIsNested) {
  NodePtr image = El("INPUT", "image");
  Use({Wrap("DIV", {Wrap("SPAN", {image})})});
  EXPECT_EQ(ReplayError(), 0);
  EXPECT_EQ(image->clicks, 1);
  EXPECT_EQ(login->submits, 0);
}

TEST_F(SubmitTest, AFormWithNoButtonIsSubmitted) {
  NodePtr button = El("BUTTON", "submit");  // not an INPUT: not looked for
  Use({button});
  EXPECT_EQ(ReplayError(), 0);
  EXPECT_EQ(login->submits, 1);
  EXPECT_EQ(button->clicks, 0);
}

TEST_F(SubmitTest, TagAndTypeAreComparedWithoutRegardToCase) {
  NodePtr submit = El("input", "Submit");
  Use({El("Input", "ImAgE"), submit});
  EXPECT_EQ(ReplayError(), 0);
  EXPECT_EQ(submit->clicks, 1);
}

TEST_F(SubmitTest, ARecordedScriptRunsInTheFormsWindowAndNothingIsPressed) {
  record.Form().Javascript = "doLogin('link')";
  EXPECT_EQ(ReplayError(), 0);
  EXPECT_EQ(browser.doc->scripts, std::vector<std::string>{"doLogin('link')"});
  EXPECT_EQ(go->clicks, 0);
  EXPECT_EQ(login->submits, 0);
}

TEST(FindButtonsTest, NothingFoundInAFormWithoutInputs) {
  NodePtr form = Form("f", {El("SELECT"), El("TEXTAREA")});
  auto doc = fake::MakeDoc("u", "t", {form});
  auto forms = fake::DocumentOf(doc)->forms();
  auto element = forms->item(0);
  EXPECT_EQ(LoginReplay::FindSubmitButton(*element), nullptr);
  EXPECT_EQ(LoginReplay::FindImageButton(*element), nullptr);
}

}  // namespace
}  // namespace ostrel
