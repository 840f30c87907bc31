// Building a site record from two captures of the in-memory browser, and
// storing what was built.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>
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

// What was typed into another form (a search box) is not typed into the
// login's form at replay.
TEST_F(CreateRecordTest, TheLoginIsTheFormThatGotAPassword) {
  auto before = Capture("twoforms.html");
  Type(*before, 1, 1, "query");
  Type(*before, 2, 2, "pw");
  auto after = CaptureNow();
  record_.CreateRecord("s", *before, *after);
  EXPECT_EQ(record_.Form().Index, 1);
  ASSERT_EQ(record_.ControlsCount(), 1);
  EXPECT_EQ(record_.Control(1).Name, "pass");
  EXPECT_EQ(record_.Control(1).Index, 1);
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

// A page a script may reshape between the two captures: the first capture
// is taken of `before`; the person then types into `after` (the same page
// when equal), from which the second capture is taken.
struct Typing {
  int32_t form;
  int32_t control;
  const char* text;
};
struct Kept {
  int16_t index;
  const char* name;
  const char* id;
  int32_t type;
  const char* value;
};
struct PairingCase {
  const char* label;
  const char* before;
  const char* after;
  std::vector<Typing> typed;
  std::vector<Kept> kept;  // none: the recording is refused
};

const PairingCase kPairingCases[] = {
    {"user box swapped for a password box", "steps_user.html", "steps_pass.html",
     {{1, 1, "s3cret"}}, {}},
    {"user box turned into a password box of the same name", "login.html", "login_typeswap.html",
     {{1, 1, "alice"}, {1, 2, "pw"}}, {}},
    {"unnamed inputs given new ids", "unnamed.html", "unnamed_renumbered.html",
     {{1, 1, "me@home.test"}, {1, 2, "pw"}}, {}},
    {"login form shown after recording started", "empty.html", "login.html",
     {{1, 1, "alice"}, {1, 2, "pw"}},
     {{0, "user", "user", 1, "alice"}, {1, "pass", "pass", 3, "pw"}}},
    {"token put in front, button dropped, empty box added", "login.html", "login_reshaped.html",
     {{1, 2, "alice"}, {1, 3, "pw"}},
     {{0, "user", "user", 1, "alice"}, {1, "pass", "pass", 3, "pw"}}},
    {"named form moved behind a new one", "login.html", "login_moved.html",
     {{2, 1, "alice"}, {2, 2, "pw"}},
     {{0, "user", "user", 1, "alice"}, {1, "pass", "pass", 3, "pw"}}},
    {"unnamed inputs found again by id", "unnamed.html", "unnamed_token.html",
     {{1, 2, "me@home.test"}, {1, 3, "pw"}},
     {{0, "", "u", 1, "me@home.test"}, {1, "", "p", 3, "pw"}}},
    {"email, number and password boxes of an unchanged page", "inputtypes.html", "inputtypes.html",
     {{1, 1, "me@home.test"}, {1, 5, "4711"}, {1, 23, "pw"}},
     {{0, "mail", "mailId", 1, "me@home.test"}, {4, "pin", "", 1, "4711"}, {22, "pw", "", 3, "pw"}}},
};

TEST_F(CreateRecordTest, CapturesPairByIdentityOrTheRecordingIsRefused) {
  for (const PairingCase& c : kPairingCases) {
    SCOPED_TRACE(c.label);
    auto before = Capture(c.before);
    std::unique_ptr<WebPage> typed_into = std::string(c.after) == c.before ? nullptr : Capture(c.after);
    for (const Typing& t : c.typed) Type(typed_into ? *typed_into : *before, t.form, t.control, t.text);
    auto after = CaptureNow();
    WebRecord record(context_);
    record.SetSiteName("kept");
    try {
      record.CreateRecord("new", *before, *after);
    } catch (const OstrelError& e) {
      EXPECT_TRUE(c.kept.empty()) << e.what();
      EXPECT_EQ(e.Number(), err::kSubscript);
      EXPECT_NE(e.Explanation().find("changed its login form"), std::string::npos);
      EXPECT_EQ(record.SiteName(), "kept");
      EXPECT_FALSE(record.HasForm());
      EXPECT_EQ(record.ControlsCount(), 0);
      continue;
    }
    if (c.kept.empty()) {
      ADD_FAILURE() << "stored although the page changed its form";
      continue;
    }
    EXPECT_EQ(record.URL(), Site() + c.before);
    EXPECT_EQ(record.Form().Index, 0) << "the form's place when recording started";
    EXPECT_EQ(record.ControlsCount(), static_cast<int16_t>(c.kept.size()));
    if (record.ControlsCount() != static_cast<int16_t>(c.kept.size())) continue;
    for (int16_t i = 1; i <= record.ControlsCount(); ++i) {
      const Kept& want = c.kept[static_cast<size_t>(i - 1)];
      const ControlInfo& got = record.Control(i);
      EXPECT_EQ(got.Index, want.index) << i;
      EXPECT_EQ(got.Name, want.name) << i;
      EXPECT_EQ(got.ID, want.id) << i;
      EXPECT_EQ(got.CtlType, want.type) << i;
      EXPECT_EQ(got.Value, want.value) << i;
    }
  }
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
