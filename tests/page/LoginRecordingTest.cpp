// A login recorded the way the recorder does it: a capture when recording
// starts, values typed into the page, a second capture from inside the
// browser's before-navigate handler, then CreateRecord. One case per way a
// page can be left; run on the in-memory browser where it can follow and
// on real Chromium with the pages served on 127.0.0.1.
#include <gtest/gtest.h>

#include "page/WebPage.h"
#include "store/StoreContext.h"
#include "store/WebRecord.h"
#include "support/OstrelError.h"
#include "tests/page/CaptureEnv.h"

namespace ostrel {
namespace {


class LoginRecordingTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    env_ = testing::MakeCaptureEnv(GetParam());
    StartRecording("submit.html");
  }

  // Opens path and takes the first capture, as Start Recording does.
  void StartRecording(const std::string& path) {
    env_->Browser().SetBeforeNavigate(nullptr);
    page_ = path;
    env_->Open(path);
    first_ = std::make_unique<WebPage>();
    first_->SetIE(env_->Browser());
    first_->Record();
    env_->Browser().SetBeforeNavigate([this](const NavigationInfo& navigation) {
      // A press, Enter, a request or a load sends nothing by itself.
      using Kind = NavigationInfo::Kind;
      if (navigation.kind == Kind::kPress || navigation.kind == Kind::kEnter || navigation.kind == Kind::kLoaded ||
          navigation.kind == Kind::kRequest) {
        return;
      }
      BeforeNavigate(navigation.url);
    });
  }

  void TearDown() override {
    if (env_) env_->Browser().SetBeforeNavigate(nullptr);
  }

  // What the recorder does on the first notification after recording
  // started; later ones are only counted.
  void BeforeNavigate(const std::string& url) {
    urls_.push_back(url);
    if (second_ || !capture_error_.empty()) return;
    try {
      auto page = std::make_unique<WebPage>();
      page->SetIE(env_->Browser());
      page->Record();
      const size_t at = url.find("javascript:");
      if (at != std::string::npos) page->SetJavascript(url.substr(at + 11));
      second_ = std::move(page);
    } catch (const OstrelError& error) {
      capture_error_ = error.what();
    }
  }

  WebControl& Control(int32_t position) {
    return first_->Forms().Item(1).Controls().Item(position);
  }

  void TypeLogin() {
    Control(1).SetValue("alice");
    Control(2).SetValue("s3cret");
  }

  // An element of the top document's login form by id.
  std::unique_ptr<IElement> Find(const std::string& id) {
    return FindIn(*env_->Browser().Document(), id);
  }
  std::unique_ptr<IElement> FindIn(IDocument& document, const std::string& id) {
    auto all = document.forms()->item(0)->all();
    for (int32_t i = 0; i < all->length(); ++i) {
      auto element = all->item(i);
      if (element->id() == id) return element;
    }
    ADD_FAILURE() << "no element " << id;
    return nullptr;
  }

  // Waits for the second capture and builds the record from both.
  void Finish() {
    ASSERT_TRUE(env_->PumpUntil([this] { return second_ || !capture_error_.empty(); }, 15000))
        << "no before-navigate notification arrived";
    ASSERT_EQ(capture_error_, "");
    EXPECT_EQ(second_->URL(), env_->SiteUrl(page_)) << "captured before leaving";
    record_.CreateRecord("Test site", *first_, *second_);
  }

  void ExpectTypedLogin(bool token_filled, int16_t frame_index = 255) {
    ASSERT_EQ(record_.ControlsCount(), token_filled ? 3 : 2);
    EXPECT_EQ(record_.Form().Name, "login");
    EXPECT_EQ(record_.Form().FrameIndex, frame_index);
    EXPECT_EQ(record_.Control(1).Index, 0);
    EXPECT_EQ(record_.Control(1).CtlType, 1);
    EXPECT_EQ(record_.Control(1).Value, "alice");
    EXPECT_EQ(record_.Control(2).Index, 1);
    EXPECT_EQ(record_.Control(2).CtlType, 3);
    EXPECT_EQ(record_.Control(2).Value, "s3cret");
    if (token_filled) {
      EXPECT_EQ(record_.Control(3).Index, 2);
      EXPECT_EQ(record_.Control(3).CtlType, 2);
      EXPECT_EQ(record_.Control(3).Value, "filled by script");
    }
  }

  std::unique_ptr<testing::CaptureEnv> env_;
  std::string page_;
  std::unique_ptr<WebPage> first_;
  std::unique_ptr<WebPage> second_;
  std::string capture_error_;
  std::vector<std::string> urls_;
  StoreContext context_;
  WebRecord record_{context_};
};

TEST_P(LoginRecordingTest, SubmitButton) {
  TypeLogin();
  Find("go")->click();
  Finish();
  // Taken as the form is submitted, before its onsubmit fills the hidden
  // token: the page fills it again at replay.
  ExpectTypedLogin(false);
  EXPECT_EQ(record_.Form().Javascript, "");
}

// The ways of leaving the page that need the page's own scripts or key
// input: real browsers only.
class ScriptedLoginRecordingTest : public LoginRecordingTest {};

TEST_P(ScriptedLoginRecordingTest, EnterInTheField) {
  env_->TypeKeys(*Find("user"), "alice");
  env_->TypeKeys(*Find("pass"), "s3cret");
  env_->PressEnter();
  Finish();
  ExpectTypedLogin(false);
  EXPECT_EQ(record_.Form().Javascript, "");
}

TEST_P(ScriptedLoginRecordingTest, FormSubmitCall) {
  TypeLogin();
  Find("formsubmit")->click();
  Finish();
  ExpectTypedLogin(false);  // submit() runs no onsubmit
}

TEST_P(LoginRecordingTest, SubmitButtonInAFrame) {
  StartRecording("frameset.html");
  TypeLogin();
  auto frame = env_->Browser().Document()->frames()->item(1)->Document();
  FindIn(*frame, "submit")->click();
  Finish();
  EXPECT_EQ(second_->Title(), "Framed login");
  EXPECT_EQ(record_.URL(), env_->SiteUrl("frameset.html"));
  EXPECT_EQ(record_.Form().FrameURL, env_->SiteUrl("login.html"));
  ExpectTypedLogin(false, 1);
}

TEST_P(LoginRecordingTest, JavascriptLink) {
  TypeLogin();
  env_->ClickAsPerson(*Find("jslink"));
  Finish();
  ASSERT_FALSE(urls_.empty());
  EXPECT_EQ(urls_.front(), "javascript:doLogin('x')");
  ExpectTypedLogin(false);
  EXPECT_EQ(record_.Form().Javascript, "doLogin('x')");
}

TEST_P(ScriptedLoginRecordingTest, ScriptNavigation) {
  TypeLogin();
  Find("scriptnav")->click();
  Finish();
  ExpectTypedLogin(false);
  EXPECT_EQ(record_.Form().Javascript, "");
}

TEST_P(LoginRecordingTest, NavigationTheProgramStarts) {
  TypeLogin();
  env_->Browser().Navigate(env_->SiteUrl("welcome.html"));
  Finish();
  ExpectTypedLogin(false);
  EXPECT_EQ(record_.Form().Javascript, "");
}

INSTANTIATE_TEST_SUITE_P(Browsers, LoginRecordingTest,
                         ::testing::ValuesIn(testing::CaptureEnvKinds()),
                         [](const auto& info) { return info.param; });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(ScriptedLoginRecordingTest);
INSTANTIATE_TEST_SUITE_P(Browsers, ScriptedLoginRecordingTest,
                         ::testing::ValuesIn(testing::ScriptingCaptureEnvKinds()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace ostrel
