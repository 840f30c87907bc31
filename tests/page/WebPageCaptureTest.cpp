// Page capture, run alike on the in-memory browser and on real Chromium
// with the fixture pages served on 127.0.0.1.
#include <gtest/gtest.h>

#include <cctype>
#include <clocale>
#include <vector>

#include "page/WebPage.h"
#include "tests/page/CaptureEnv.h"

namespace ostrel {
namespace {

using testing::CaptureEnv;

class WebPageCaptureTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override { env_ = testing::MakeCaptureEnv(GetParam()); }

  std::unique_ptr<WebPage> Capture(const std::string& path) {
    env_->Open(path);
    return CaptureNow();
  }

  std::unique_ptr<WebPage> CaptureNow() {
    auto page = std::make_unique<WebPage>();
    page->SetIE(env_->Browser());
    page->Record();
    return page;
  }

  // The value the page holds now in control `position` of the first form,
  // read from the browser afresh.
  std::string LiveValue(int32_t position) {
    auto form = env_->Browser().Document()->forms()->item(0);
    return form->elements()->item(position - 1)->value();
  }

  std::unique_ptr<CaptureEnv> env_;
};

std::vector<int32_t> Codes(const WebForm& form) {
  std::vector<int32_t> codes;
  for (const WebControl& control : form.Controls()) codes.push_back(control.CtlType());
  return codes;
}

TEST_P(WebPageCaptureTest, PageWithoutFormsHasAddressTitleAndNoForms) {
  auto page = Capture("empty.html");
  EXPECT_EQ(page->URL(), env_->SiteUrl("empty.html"));
  EXPECT_EQ(page->Title(), "Nothing to log into");
  EXPECT_EQ(page->Forms().Count(), 0);
  EXPECT_EQ(page->Javascript(), "");
}

TEST_P(WebPageCaptureTest, FieldsetTakesNoPosition) {
  auto page = Capture("fieldset.html");
  ASSERT_EQ(page->Forms().Count(), 1);
  const WebForm& form = page->Forms().Item(1);
  EXPECT_EQ(form.Name(), "login");
  EXPECT_EQ(form.ID(), "") << "capture never fills a form's identifier";
  EXPECT_EQ(form.Index(), 0);
  EXPECT_EQ(form.FrameIndex(), 255);
  EXPECT_EQ(form.FrameURL(), "");
  ASSERT_EQ(form.Controls().Count(), 2);
  const WebControl& user = form.Controls().Item(1);
  EXPECT_EQ(user.CtlType(), 1);
  EXPECT_EQ(user.Name(), "user");
  EXPECT_EQ(user.ID(), "userId");
  EXPECT_EQ(user.Value(), "preset");
  const WebControl& pass = form.Controls().Item(2);
  EXPECT_EQ(pass.CtlType(), 3);
  EXPECT_EQ(pass.Name(), "pass");
  EXPECT_EQ(pass.ID(), "passId");
  EXPECT_EQ(pass.Value(), "");
}

TEST_P(WebPageCaptureTest, LowerCaseFieldsetOfAnXhtmlPageTakesAPosition) {
  // An XHTML document reports its tags as written, in lower case: the
  // exact "FIELDSET" compare does not know its fieldset, which then takes
  // a position like any other element.
  auto page = Capture("lowercase.xhtml");
  EXPECT_EQ(page->Title(), "XHTML login");
  ASSERT_EQ(page->Forms().Count(), 1);
  EXPECT_EQ(Codes(page->Forms().Item(1)), (std::vector<int32_t>{0, 1, 3}));
  EXPECT_EQ(page->Forms().Item(1).Controls().Item(2).Name(), "user");
}

TEST_P(WebPageCaptureTest, EveryElementKindTakesOnePositionWithItsCode) {
  auto page = Capture("kinds.html");
  ASSERT_EQ(page->Forms().Count(), 1);
  const WebForm& form = page->Forms().Item(1);
  // text, Password, no type, hidden, submit, checkbox, radio, button,
  // reset, file, SELECT, TEXTAREA, BUTTON, TEXT, HiDdEn
  EXPECT_EQ(Codes(form), (std::vector<int32_t>{1, 3, 1, 2, 8, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2}));
  const WebControls& c = form.Controls();
  EXPECT_EQ(c.Item(2).Name(), "p");
  EXPECT_EQ(c.Item(2).Value(), "pv");
  EXPECT_EQ(c.Item(3).Name(), "n") << "an input without a type is a text input";
  EXPECT_EQ(c.Item(3).Value(), "nv");
  EXPECT_EQ(c.Item(4).Value(), "hv");
  EXPECT_EQ(c.Item(15).Value(), "h2v");
  for (int32_t position : {5, 6, 11, 12, 13}) {
    const WebControl& other = c.Item(position);
    EXPECT_EQ(other.Name(), "") << position;
    EXPECT_EQ(other.ID(), "") << position;
    EXPECT_EQ(other.Value(), "") << position;
  }
}

// The codes of the first form's controls on a fixture page.
struct TypeCodes {
  const char* page;
  std::vector<int32_t> codes;
};

const TypeCodes kTypeCodes[] = {
    // text, Password, no type, hidden, submit, checkbox, radio, button,
    // reset, file, SELECT, TEXTAREA, BUTTON, TEXT, HiDdEn
    {"kinds.html", {1, 3, 1, 2, 8, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2}},
    // email, tel, url, search, number, fancy, datetime, EMAIL, "" are text;
    // range, color, date, datetime-local, month, week, time, Checkbox,
    // radio, file, reset, button take none; the image input is not among a
    // form's elements; Hidden, PassWord, Submit
    {"inputtypes.html", {1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 3, 8}},
};

// Switches the C library's locale for as long as it lives, when the system
// has one of the names.
class ScopedLocale {
 public:
  explicit ScopedLocale(std::initializer_list<const char*> names)
      : saved_(std::setlocale(LC_ALL, nullptr)) {
    for (const char* name : names) {
      if (std::setlocale(LC_ALL, name) != nullptr) {
        active_ = true;
        break;
      }
    }
  }
  ~ScopedLocale() { std::setlocale(LC_ALL, saved_.c_str()); }
  bool Active() const { return active_; }

 private:
  std::string saved_;
  bool active_ = false;
};

TEST_P(WebPageCaptureTest, InputTypesTakeTheirCodes) {
  for (const TypeCodes& row : kTypeCodes) {
    auto page = Capture(row.page);
    ASSERT_EQ(page->Forms().Count(), 1) << row.page;
    EXPECT_EQ(Codes(page->Forms().Item(1)), row.codes) << row.page;
  }
  auto page = Capture("inputtypes.html");
  const WebControl& mail = page->Forms().Item(1).Controls().Item(1);
  EXPECT_EQ(mail.Name(), "mail");
  EXPECT_EQ(mail.ID(), "mailId");
  EXPECT_EQ(mail.Value(), "me@example.test");
}

TEST_P(WebPageCaptureTest, InputTypesTakeTheirCodesUnderATurkishLocale) {
  // There toupper leaves 'i' as it is: "hidden", "submit", "email" and
  // "time" no longer upper-case to their ASCII names.
  ScopedLocale turkish({"tr_TR.UTF-8", "tr_TR.utf8", "tr_TR.ISO-8859-9", "tr_TR"});
  if (!turkish.Active()) GTEST_SKIP() << "the system has no Turkish locale";
  ASSERT_NE(std::toupper('i'), 'I');
  for (const TypeCodes& row : kTypeCodes) {
    auto page = Capture(row.page);
    ASSERT_EQ(page->Forms().Count(), 1) << row.page;
    EXPECT_EQ(Codes(page->Forms().Item(1)), row.codes) << row.page;
    EXPECT_EQ(page->Forms().Item(1).Controls().Item(1).TagName(), "INPUT");
  }
}

TEST_P(WebPageCaptureTest, TwoFormsTakeTheirDocumentPositions) {
  auto page = Capture("twoforms.html");
  ASSERT_EQ(page->Forms().Count(), 2);
  for (int16_t i = 0; i < 2; ++i) {
    const WebForm& form = page->Forms().Item(i + 1);
    EXPECT_EQ(form.Index(), i);
    EXPECT_EQ(form.FrameIndex(), 255);
    EXPECT_EQ(form.FrameURL(), "");
  }
  EXPECT_EQ(page->Forms().Item(1).Name(), "search");
  EXPECT_EQ(page->Forms().Item(2).Name(), "login");
  EXPECT_EQ(page->Forms().Item(2).Controls().Count(), 2);
}

TEST_P(WebPageCaptureTest, FramesetLoginIsFoundInItsFrame) {
  auto page = Capture("frameset.html");
  EXPECT_EQ(page->Title(), "Framed login");
  ASSERT_EQ(page->Forms().Count(), 1);
  const WebForm& form = page->Forms().Item(1);
  EXPECT_EQ(form.FrameIndex(), 1);
  EXPECT_EQ(form.Index(), 0);
  EXPECT_EQ(form.FrameURL(), env_->SiteUrl("login.html"));
  EXPECT_EQ(form.Name(), "login");
  EXPECT_EQ(Codes(form), (std::vector<int32_t>{1, 3, 8}));
}

// Frames of every origin are visited, and frames of frames, depth first;
// forms of frames of frames carry the frame positions from the top down
// ("2/0/0 <address>" under FrameIndex 254).
TEST_P(WebPageCaptureTest, FramesOfEveryOriginAndFramesOfFramesAreVisited) {
  auto page = Capture("mixedframes.html");
  ASSERT_EQ(page->Forms().Count(), 6);
  const WebForm& top = page->Forms().Item(1);
  EXPECT_EQ(top.Name(), "top");
  EXPECT_EQ(top.FrameIndex(), 255);
  for (int16_t frame : {0, 1}) {
    const WebForm& foreign = page->Forms().Item(2 + frame);
    EXPECT_EQ(foreign.Name(), "foreign");
    EXPECT_EQ(foreign.FrameIndex(), frame);
    EXPECT_EQ(foreign.Controls().Item(1).Name(), "user");
  }
  const WebForm& inner = page->Forms().Item(4);
  EXPECT_EQ(inner.Name(), "inner");
  EXPECT_EQ(inner.FrameIndex(), 2);
  EXPECT_EQ(inner.Index(), 0);
  EXPECT_EQ(inner.FrameURL(), env_->SiteUrl("inner.html"));
  const WebForm& deep = page->Forms().Item(5);
  EXPECT_EQ(deep.Name(), "deep");
  EXPECT_EQ(deep.FrameIndex(), 254);
  EXPECT_EQ(deep.FrameURL(), "2/0 " + env_->SiteUrl("deep.html"));
  const WebForm& deeper = page->Forms().Item(6);
  EXPECT_EQ(deeper.Name(), "deeper");
  EXPECT_EQ(deeper.FrameURL(), "2/0/0 " + env_->SiteUrl("deeper.html"));
  EXPECT_EQ(deeper.Controls().Item(1).CtlType(), 3);
}

TEST_P(WebPageCaptureTest, TwoCapturesOfAnUnchangedPagePairUp) {
  auto first = Capture("kinds.html");
  auto second = CaptureNow();
  ASSERT_EQ(first->Forms().Count(), second->Forms().Count());
  const WebControls& a = first->Forms().Item(1).Controls();
  const WebControls& b = second->Forms().Item(1).Controls();
  ASSERT_EQ(a.Count(), b.Count());
  for (int32_t j = 1; j <= a.Count(); ++j) {
    EXPECT_EQ(a.Item(j).CtlType(), b.Item(j).CtlType()) << j;
    EXPECT_EQ(a.Item(j).Value(), b.Item(j).Value()) << j;
  }
}

TEST_P(WebPageCaptureTest, WritingAValueReachesOnlyValueBearingControls) {
  auto page = Capture("kinds.html");
  WebControls& controls = page->Forms().Item(1).Controls();
  controls.Item(1).SetValue("typed");
  controls.Item(4).SetValue("hidden now");
  controls.Item(5).SetValue("not a submit value");
  controls.Item(6).SetValue("not a checkbox value");
  EXPECT_EQ(LiveValue(1), "typed");
  EXPECT_EQ(LiveValue(4), "hidden now");
  EXPECT_EQ(LiveValue(5), "Go");
  EXPECT_EQ(LiveValue(6), "cv");
  EXPECT_EQ(controls.Item(1).Value(), "tv") << "the captured value stays";
  auto later = CaptureNow();
  EXPECT_EQ(later->Forms().Item(1).Controls().Item(1).Value(), "typed");
}

INSTANTIATE_TEST_SUITE_P(Browsers, WebPageCaptureTest,
                         ::testing::ValuesIn(testing::CaptureEnvKinds()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace ostrel
