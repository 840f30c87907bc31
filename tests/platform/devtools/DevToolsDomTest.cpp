#include <gtest/gtest.h>

#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"
#include "tests/common/ErrorNumberOf.h"
#include "tests/platform/devtools/BrowserFixture.h"

namespace ostrel::test {
namespace {

using std::chrono::milliseconds;

class DevToolsDomTest : public BrowserFixture {};

TEST_F(DevToolsDomTest, NavigateReadsLoadingUntilTheNewPageHasLoaded) {
  Open("/login.html");
  ASSERT_EQ(browser_->ReadyState(), 4);
  server_->Delay("/search.html", milliseconds(700));
  browser_->Navigate(server_->Url("/search.html"));
  EXPECT_LT(browser_->ReadyState(), 4);
  pump_->ProcessPending();
  EXPECT_LT(browser_->ReadyState(), 4);
  ASSERT_TRUE(WaitComplete());
  auto document = browser_->Document();
  EXPECT_EQ(document->title(), "Search");
  EXPECT_EQ(document->url(), server_->Url("/search.html"));
  EXPECT_EQ(document->readyState(), "complete");
  server_->Delay("/search.html", milliseconds(0));
}

TEST_F(DevToolsDomTest, FormsByPositionAndByNameOrId) {
  Open("/login.html");
  auto forms = browser_->Document()->forms();
  ASSERT_EQ(forms->length(), 2);
  EXPECT_EQ(forms->item(0)->name(), "login");
  EXPECT_EQ(forms->item(0)->tagName(), "FORM");
  EXPECT_EQ(forms->item("login")->id(), "loginForm");
  EXPECT_EQ(forms->item("search")->id(), "search");  // no name: found by id
  EXPECT_EQ(forms->item("absent"), nullptr);
  EXPECT_EQ(forms->item(2), nullptr);
  EXPECT_EQ(forms->item(-1), nullptr);
}

TEST_F(DevToolsDomTest, ElementsInDocumentOrderWithTheirProperties) {
  Open("/login.html");
  auto elements = browser_->Document()->forms()->item(0)->elements();
  ASSERT_EQ(elements->length(), 7);
  std::vector<std::string> tags;
  for (int i = 0; i < elements->length(); ++i) tags.push_back(elements->item(i)->tagName());
  EXPECT_EQ(tags, (std::vector<std::string>{"FIELDSET", "INPUT", "INPUT", "INPUT", "SELECT", "TEXTAREA", "INPUT"}));
  auto pass = elements->item("pass");
  ASSERT_NE(pass, nullptr);
  EXPECT_EQ(pass->type(), "password");
  EXPECT_EQ(pass->id(), "pass");
  EXPECT_EQ(elements->item(3)->value(), "t-42");
  EXPECT_EQ(elements->item(3)->type(), "hidden");
  EXPECT_EQ(elements->item(6)->type(), "submit");
  EXPECT_EQ(elements->item(4)->type(), "");  // a SELECT has no input properties
  EXPECT_EQ(elements->item(4)->value(), "");
  EXPECT_EQ(elements->item("nothing"), nullptr);
}

TEST_F(DevToolsDomTest, AllHoldsDescendantsIncludingImageInputs) {
  Open("/login.html");
  auto search = browser_->Document()->forms()->item(1);
  EXPECT_EQ(search->elements()->length(), 1);  // image inputs are not form elements
  auto all = search->all();
  ASSERT_EQ(all->length(), 2);
  EXPECT_EQ(all->item(1)->type(), "image");
  EXPECT_EQ(browser_->Document()->forms()->item(0)->all()->item("help")->tagName(), "A");
}

TEST_F(DevToolsDomTest, ElementKnowsItsDocument) {
  Open("/login.html");
  auto input = browser_->Document()->forms()->item(0)->elements()->item("user");
  auto document = input->document();
  EXPECT_EQ(document->title(), "Login page");
  EXPECT_EQ(document->forms()->length(), 2);
}

TEST_F(DevToolsDomTest, FormOperationsOnOtherElementsAreRefused) {
  Open("/login.html");
  auto user = browser_->Document()->forms()->item(0)->elements()->item("user");
  EXPECT_EQ(ErrorNumberOf([&] { user->elements(); }), err::kObjectRequired);
  EXPECT_EQ(ErrorNumberOf([&] { user->submit(); }), err::kObjectRequired);
  auto select = browser_->Document()->forms()->item(0)->elements()->item("lang");
  EXPECT_EQ(ErrorNumberOf([&] { select->setValue("x"); }), err::kObjectRequired);
}

TEST_F(DevToolsDomTest, ValueWriteIsSeenByThePagesOwnScript) {
  Open("/listener.html");
  auto user = browser_->Document()->forms()->item(0)->elements()->item("user");
  user->setValue("alice");
  EXPECT_EQ(user->value(), "alice");
  browser_->Document()->parentWindow()->execScript("report()", "");
  EXPECT_EQ(browser_->Document()->forms()->item(0)->elements()->item("seen")->value(), "alice|1");
}

TEST_F(DevToolsDomTest, ValueReadAfterPumpingSeesTheUsersTyping) {
  Open("/login.html");
  auto elements = browser_->Document()->forms()->item(0)->elements();
  auto user = elements->item("user");
  EXPECT_EQ(user->value(), "");
  TypeInto("user", "typed");
  pump_->ProcessPending();
  EXPECT_EQ(user->value(), "typed");
  EXPECT_EQ(elements->item("user")->value(), "typed");
}

TEST_F(DevToolsDomTest, SubmitSendsTheFormEvenWithAFieldNamedSubmit) {
  Open("/submitfield.html");
  auto form = browser_->Document()->forms()->item(0);
  EXPECT_EQ(form->name(), "f");  // not the input named "name"
  EXPECT_EQ(form->elements()->length(), 4);
  form->submit();
  auto request = server_->WaitForRequest("/done.html", std::chrono::seconds(5));
  ASSERT_TRUE(request);
  EXPECT_EQ(request->fields["name"], "n1");
  EXPECT_EQ(request->fields["elements"], "e1");
  EXPECT_EQ(request->fields.count("submit"), 0u);  // submit() sends no button
}

TEST_F(DevToolsDomTest, ClickOnTheSubmitButtonPostsTheFilledForm) {
  Open("/login.html");
  auto elements = browser_->Document()->forms()->item("login")->elements();
  elements->item("user")->setValue("alice");
  elements->item("pass")->setValue("s3cret \xC3\xA9");
  elements->item("go")->click();
  auto request = server_->WaitForRequest("/done.html", std::chrono::seconds(5));
  ASSERT_TRUE(request);
  EXPECT_EQ(request->method, "POST");
  EXPECT_EQ(request->fields["user"], "alice");
  EXPECT_EQ(request->fields["pass"], "s3cret \xC3\xA9");
  EXPECT_EQ(request->fields["token"], "t-42");
  EXPECT_EQ(request->fields["go"], "Sign in");
  ASSERT_TRUE(PumpUntil([&] { return browser_->ReadyState() == 4 && browser_->Document()->title() == "Done"; }));
}

// A frame of another origin, of the same site (in the page's process) or
// of another site (in a process of its own), is reached through Ostrel's
// world of its own document.
TEST_F(DevToolsDomTest, FramesOfEveryOriginAreReachable) {
  for (const std::string host : {"127.0.0.1", "localhost"}) {
    other_server_->ClearRequests();
    Open("/frames.html?host=" + host + "&other=" + std::to_string(other_server_->Port()));
    ASSERT_TRUE(PumpUntil([&] { return other_server_->Requests().size() >= 1; }));
    auto frames = browser_->Document()->frames();
    ASSERT_EQ(frames->length(), 2);
    auto first = frames->item(0)->Document();
    EXPECT_EQ(first->url(), server_->Url("/frame-login.html"));
    EXPECT_EQ(first->forms()->item(0)->name(), "flogin");
    EXPECT_EQ(first->forms()->item(0)->elements()->item(0)->name(), "fuser");
    std::unique_ptr<IDocument> second;
    ASSERT_TRUE(PumpUntil([&] {
      second = frames->item(1)->Document();
      return second->readyState() == "complete";
    })) << host;
    EXPECT_EQ(second->url(), "http://" + host + ":" + std::to_string(other_server_->Port()) + "/frame-login.html");
    ASSERT_EQ(second->forms()->length(), 1) << host;
    EXPECT_EQ(second->forms()->item(0)->elements()->item(0)->name(), "fuser");
    EXPECT_EQ(ErrorNumberOf([&] { frames->item(2); }), err::kObjectDisconnected);
  }
}

TEST_F(DevToolsDomTest, FrameUrlWriteNavigatesThatFrameAndTheDocumentFollows) {
  Open("/frames.html");
  auto frame_document = browser_->Document()->frames()->item(0)->Document();
  ASSERT_EQ(frame_document->forms()->length(), 1);
  server_->Delay("/frame-next.html", milliseconds(500));
  frame_document->setUrl(server_->Url("/frame-next.html"));
  EXPECT_EQ(frame_document->readyState(), "loading");
  ASSERT_TRUE(PumpUntil([&] { return frame_document->readyState() == "complete"; }));
  EXPECT_EQ(frame_document->url(), server_->Url("/frame-next.html"));
  auto forms = frame_document->forms();
  ASSERT_EQ(forms->length(), 2);
  EXPECT_EQ(forms->item(1)->name(), "nextB");
  EXPECT_EQ(browser_->Document()->title(), "Frames");  // the top page stayed
  server_->Delay("/frame-next.html", milliseconds(0));
}

TEST_F(DevToolsDomTest, ExecScriptRunsInItsWindowAndAThrowIsAScriptError) {
  Open("/frames.html");
  auto document = browser_->Document();
  document->parentWindow()->execScript("document.title = 'changed ' + typeof doLogin", "");
  EXPECT_EQ(document->title(), "changed undefined");
  auto frame = document->frames()->item(0);
  frame->execScript("document.title = 'in the frame'", "");
  EXPECT_EQ(frame->Document()->title(), "in the frame");
  EXPECT_EQ(document->title(), "changed undefined");
  EXPECT_EQ(ErrorNumberOf([&] { document->parentWindow()->execScript("throw new Error('boom')", ""); }), err::kScriptError);
  EXPECT_EQ(ErrorNumberOf([&] { document->parentWindow()->execScript("this is not script", ""); }), err::kScriptError);
}

TEST_F(DevToolsDomTest, PageDialogsDoNotStallCalls) {
  Open("/done.html");
  auto window = browser_->Document()->parentWindow();
  window->execScript("alert('hello'); document.title = confirm('sure?') ? 'accepted' : 'dismissed'", "");
  EXPECT_EQ(browser_->Document()->title(), "dismissed");  // unattended: the careful answer
}

// Outside a test the person answers a page's dialogs: a confirm() stays
// open (nothing answers "yes" for them), and the page does not read as
// complete meanwhile, so Go To waits rather than typing under it.
TEST_F(DevToolsDomTest, APageDialogIsLeftToThePerson) {
  auto tab = DevToolsBrowser::OpenTab(*chromium_);
  tab->Navigate(server_->Url("/done.html"));
  ASSERT_TRUE(PumpUntil([&] { return tab->ReadyState() == 4; }));
  bool opened = false;
  tab->Session().AddListener("Page.javascriptDialogOpening", [&](const nlohmann::json&) { opened = true; });
  tab->Session().Post("Runtime.evaluate",
                      {{"expression", "document.title = confirm('Delete your whole account?') ? 'yes' : 'no'"}});
  ASSERT_TRUE(PumpUntil([&] { return opened; }));
  PumpUntil([] { return false; }, std::chrono::milliseconds(300));
  EXPECT_EQ(tab->ReadyState(), 3);
  tab->Session().Call("Page.handleJavaScriptDialog", {{"accept", false}});  // the person says no
  ASSERT_TRUE(PumpUntil([&] { return tab->ReadyState() == 4; }));
  EXPECT_EQ(tab->Document()->title(), "no");
}

TEST_F(DevToolsDomTest, ElementOfALeftPageIsDisconnected) {
  Open("/login.html");
  auto user = browser_->Document()->forms()->item(0)->elements()->item("user");
  Open("/done.html");
  EXPECT_EQ(ErrorNumberOf([&] { user->setValue("x"); }), err::kObjectDisconnected);
}

TEST_F(DevToolsDomTest, ReadingAThousandInputsTakesAFewRoundTrips) {
  Open("/many.html");
  uint64_t before = browser_->RoundTrips();
  auto start = std::chrono::steady_clock::now();
  auto document = browser_->Document();
  auto forms = document->forms();
  size_t controls = 0;
  std::string last;
  for (int f = 0; f < forms->length(); ++f) {
    auto form = forms->item(f);
    last = form->name();
    auto elements = form->elements();
    for (int i = 0; i < elements->length(); ++i) {
      auto element = elements->item(i);
      last = element->tagName() + element->type() + element->name() + element->id() + element->value();
      ++controls;
    }
  }
  auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
  uint64_t trips = browser_->RoundTrips() - before;
  EXPECT_EQ(controls, 1000u);
  EXPECT_EQ(last, "INPUTtextf19i49id19_49v49");
  EXPECT_LE(trips, 3u);  // the forms bring their elements along
  std::cout << "[ figures  ] 1000 inputs in 20 forms: " << trips << " round trips, " << elapsed.count() / 1000.0
            << " ms\n";
}

}  // namespace
}  // namespace ostrel::test
