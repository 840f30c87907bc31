#include "tests/platform/devtools/BrowserFixture.h"

#include "support/OstrelError.h"

namespace ostrel::test {

std::unique_ptr<ChromiumProcess> BrowserFixture::chromium_;
std::unique_ptr<TestServer> BrowserFixture::server_;
std::unique_ptr<TestServer> BrowserFixture::other_server_;

void BrowserFixture::SetUpTestSuite() {
  server_ = std::make_unique<TestServer>(OSTREL_DEVTOOLS_PAGES);
  other_server_ = std::make_unique<TestServer>(OSTREL_DEVTOOLS_PAGES);
  ChromiumOptions options;
  options.call_timeout = std::chrono::seconds(10);
  chromium_ = std::make_unique<ChromiumProcess>(options);
}

void BrowserFixture::TearDownTestSuite() {
  chromium_.reset();
  server_.reset();
  other_server_.reset();
}

void BrowserFixture::SetUp() {
  ASSERT_TRUE(chromium_);
  server_->ClearRequests();
  browser_ = DevToolsBrowser::OpenTab(*chromium_, TabOptions{.dismiss_dialogs = true});
  pump_ = std::make_unique<DevToolsEventPump>(chromium_->Connection());
}

void BrowserFixture::TearDown() {
  browser_.reset();
  server_->ClearRequests();
}

void BrowserFixture::Open(const std::string& path) {
  browser_->Navigate(server_->Url(path));
  ASSERT_TRUE(WaitComplete()) << "the page did not load: " << path;
}

bool BrowserFixture::PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    pump_->ProcessPending();
  }
  return true;
}

std::string BrowserFixture::Eval(const std::string& expression) {
  auto result = browser_->Session().Call("Runtime.evaluate", {{"expression", expression}, {"returnByValue", true}});
  const auto& value = result["result"]["value"];
  return value.is_string() ? value.get<std::string>() : value.dump();
}

void BrowserFixture::TypeInto(const std::string& element_id, const std::string& text) {
  Eval("document.getElementById('" + element_id + "').focus()");
  browser_->Session().Call("Input.insertText", {{"text", text}});
}

void BrowserFixture::PressEnter() {
  for (const char* type : {"keyDown", "keyUp"}) {
    nlohmann::json params = {{"type", type}, {"key", "Enter"}, {"code", "Enter"}, {"windowsVirtualKeyCode", 13}};
    if (std::string(type) == "keyDown") params["text"] = "\r";
    browser_->Session().Call("Input.dispatchKeyEvent", params);
  }
}

void BrowserFixture::MouseClick(const std::string& element_id) {
  auto box = nlohmann::json::parse(Eval("JSON.stringify((() => { const r = document.getElementById('" + element_id +
                                        "').getBoundingClientRect(); return [r.x + r.width / 2, r.y + r.height / 2]; })())"));
  for (const char* type : {"mousePressed", "mouseReleased"}) {
    browser_->Session().Call("Input.dispatchMouseEvent", {{"type", type},
                                                          {"x", box[0]},
                                                          {"y", box[1]},
                                                          {"button", "left"},
                                                          {"clickCount", 1}});
  }
}

}  // namespace ostrel::test
