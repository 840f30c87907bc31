// Building a site record from two captures of the in-memory browser, and
// storing what was built.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <unistd.h>

#include "page/WebPage.h"
#include "store/StoreContext.h"
#include "store/WebRecord.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"
#include "tests/common/ErrorNumberOf.h"
#include "tests/page/CaptureEnv.h"
#include "tests/page/FakeBrowser.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

class CreateRecordTest : public ::testing::Test {
 protected:
  CreateRecordTest()
      : browser_(testing::LoadFixturePage), record_(context_) {}

  static std::string Site() { return "http://site.test/"; }

  std::unique_ptr<WebPage> Capture(const std::string& path) {
    browser_.Navigate(Site() + path);
    return CaptureNow();
  }
  std::unique_ptr<WebPage> CaptureNow() {
    auto page = std::make_unique<WebPage>();
    page->SetIE(browser_);
    page->Record();
    return page;
  }
  // Types into the live input at (form, control) of the first capture.
  void Type(WebPage& page, int32_t form, int32_t control, const std::string& text) {
    page.Forms().Item(form).Controls().Item(control).SetValue(text);
  }

  fake::FakeBrowser browser_;
  StoreContext context_;
  WebRecord record_;
};

TEST_F(CreateRecordTest, TypedLoginKeepsTheChangedInputsAtTheirPositions) {
  auto before = Capture("fieldset.html");
  Type(*before, 1, 1, "alice");
  Type(*before, 1, 2, "s3cret");
  auto after = CaptureNow();
  record_.CreateRecord("My site", *before, *after);

  EXPECT_EQ(record_.SiteName(), "My site");
  EXPECT_EQ(record_.URL(), Site() + "fieldset.html");
  ASSERT_TRUE(record_.HasForm());
  const FormInfo& form = record_.Form();
  EXPECT_EQ(form.Index, 0);
  EXPECT_EQ(form.FrameIndex, 255);
  EXPECT_EQ(form.FrameURL, "");
  EXPECT_EQ(form.Name, "login");
  EXPECT_EQ(form.ID, "");
  EXPECT_EQ(form.Javascript, "");
  ASSERT_EQ(record_.ControlsCount(), 2);
  const ControlInfo& user = record_.Control(1);
  EXPECT_EQ(user.Index, 0) << "the fieldset before it takes no position";
  EXPECT_EQ(user.CtlType, 1);
  EXPECT_EQ(user.Name, "user");
  EXPECT_EQ(user.ID, "userId");
  EXPECT_EQ(user.Value, "alice");
  const ControlInfo& pass = record_.Control(2);
  EXPECT_EQ(pass.Index, 1);
  EXPECT_EQ(pass.CtlType, 3);
  EXPECT_EQ(pass.Name, "pass");
  EXPECT_EQ(pass.Value, "s3cret");
}

TEST_F(CreateRecordTest, ScriptOfTheSecondCaptureGoesIntoTheForm) {
  auto before = Capture("login.html");
  Type(*before, 1, 2, "pw");
  auto after = CaptureNow();
  after->SetJavascript("doLogin('x')");
  before->SetJavascript("not this one");
  record_.CreateRecord("s", *before, *after);
  EXPECT_EQ(record_.Form().Javascript, "doLogin('x')");
}

TEST_F(CreateRecordTest, OnlyChangedValuesCountAndCaseMatters) {
  auto before = Capture("kinds.html");
  Type(*before, 1, 1, "TV");           // was "tv": a change of case is a change
  Type(*before, 1, 2, "pv");           // the same value again: no change
  Type(*before, 1, 4, "set by script");  // hidden
  auto after = CaptureNow();
  record_.CreateRecord("s", *before, *after);
  ASSERT_EQ(record_.ControlsCount(), 2);
  EXPECT_EQ(record_.Control(1).Index, 0);
  EXPECT_EQ(record_.Control(1).Value, "TV");
  EXPECT_EQ(record_.Control(2).Index, 3);
  EXPECT_EQ(record_.Control(2).CtlType, 2);
  EXPECT_EQ(record_.Control(2).Name, "h");
  EXPECT_EQ(record_.Control(2).Value, "set by script");
}

TEST_F(CreateRecordTest, ChangesOfLaterFormsAreAppendedUnderTheFirstForm) {
  auto before = Capture("twoforms.html");
  Type(*before, 1, 1, "query");
  Type(*before, 2, 2, "pw");
  auto after = CaptureNow();
  record_.CreateRecord("s", *before, *after);
  EXPECT_EQ(record_.Form().Name, "search");
  EXPECT_EQ(record_.Form().Index, 0);
  ASSERT_EQ(record_.ControlsCount(), 2);
  EXPECT_EQ(record_.Control(1).Name, "q");
  EXPECT_EQ(record_.Control(2).Name, "pass");
  EXPECT_EQ(record_.Control(2).Index, 1) << "position within its own form";
}

TEST_F(CreateRecordTest, LoginInAFrameRecordsTheFrame) {
  auto before = Capture("frameset.html");
  Type(*before, 1, 1, "alice");
  auto after = CaptureNow();
  record_.CreateRecord("s", *before, *after);
  EXPECT_EQ(record_.URL(), Site() + "frameset.html");
  EXPECT_EQ(record_.Form().FrameIndex, 1);
  EXPECT_EQ(record_.Form().FrameURL, Site() + "login.html");
  EXPECT_EQ(record_.Form().Index, 0);
}

TEST_F(CreateRecordTest, CapturesThatDoNotPairUpFailAndChangeNothing) {
  record_.SetSiteName("kept");
  auto two_forms = Capture("twoforms.html");
  auto one_form = Capture("fieldset.html");
  EXPECT_EQ(test::ErrorNumberOf([&] { record_.CreateRecord("new", *two_forms, *one_form); }),
            err::kSubscript);
  auto fifteen_controls = Capture("kinds.html");
  EXPECT_EQ(test::ErrorNumberOf([&] { record_.CreateRecord("new", *fifteen_controls, *one_form); }),
            err::kSubscript);
  EXPECT_EQ(record_.SiteName(), "kept");
  EXPECT_EQ(record_.URL(), "");
  EXPECT_FALSE(record_.HasForm());
  EXPECT_EQ(record_.ControlsCount(), 0);
}

class SaveCreatedRecordTest : public CreateRecordTest {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("ostrel-create-" + std::to_string(getpid()));
    fs::create_directories(folder_);
    context_.PasswordFileName = (folder_ / "ostrel.xps").string();
    context_.DataCipher.SetSecret("encryption key");
  }
  void TearDown() override { fs::remove_all(folder_); }

  fs::path folder_;
};

TEST_F(SaveCreatedRecordTest, RecordingWithoutAChangeIsRefusedAndWritesNothing) {
  auto before = Capture("login.html");
  auto after = CaptureNow();
  record_.CreateRecord("s", *before, *after);
  EXPECT_FALSE(record_.HasForm());
  int16_t index = -1;
  EXPECT_EQ(test::ErrorNumberOf([&] { record_.Save(1, index); }), err::kInvalidArgument);
  EXPECT_EQ(index, -1);
  EXPECT_FALSE(fs::exists(context_.PasswordFileName) &&
               fs::file_size(context_.PasswordFileName) > 0);
}

TEST_F(SaveCreatedRecordTest, CreatedRecordSurvivesSaveAndRetrieve) {
  auto before = Capture("frameset.html");
  Type(*before, 1, 1, "alice");
  Type(*before, 1, 2, "s3cret");
  auto after = CaptureNow();
  after->SetJavascript("go()");
  record_.CreateRecord("Framed", *before, *after);
  int16_t index = -1;
  record_.Save(7, index);
  ASSERT_EQ(index, 1);

  WebRecord loaded(context_);
  loaded.Retrieve(index);
  EXPECT_EQ(loaded.SiteName(), "Framed");
  EXPECT_EQ(loaded.URL(), Site() + "frameset.html");
  EXPECT_EQ(loaded.Form().FrameIndex, 1);
  EXPECT_EQ(loaded.Form().FrameURL, Site() + "login.html");
  EXPECT_EQ(loaded.Form().Javascript, "go()");
  ASSERT_EQ(loaded.ControlsCount(), 2);
  EXPECT_EQ(loaded.Control(1).Value, "alice");
  EXPECT_EQ(loaded.Control(2).CtlType, 3);
  EXPECT_EQ(loaded.Control(2).Value, "s3cret");
}

}  // namespace
}  // namespace ostrel
