// The page fixtures on headless Chromium: one browser process per test
// program, the "site" and "other" fixture folders each served by a test
// server of its own on 127.0.0.1 (two ports, two origins; the second one
// also reached as localhost, another site), a fresh tab per environment.
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "platform/devtools/ChromiumProcess.h"
#include "platform/devtools/DevToolsBrowser.h"
#include "platform/devtools/DevToolsEventPump.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"
#include "tests/common/TestServer.h"
#include "tests/page/CaptureEnv.h"

namespace ostrel::testing {

namespace {

namespace fs = std::filesystem;

// The browser process and the two servers, shared by the environments of
// one test program and gone when it exits.
struct Shared {
  fs::path folder;
  std::unique_ptr<test::TestServer> site;
  std::unique_ptr<test::TestServer> other;
  std::unique_ptr<ChromiumProcess> chromium;

  Shared() {
    folder = fs::temp_directory_path() / ("ostrel-page-" + std::to_string(getpid()));
    fs::create_directories(folder / "site");
    fs::create_directories(folder / "other");
    site = std::make_unique<test::TestServer>(folder / "site");
    other = std::make_unique<test::TestServer>(folder / "other");
    const std::string other_origin = "http://127.0.0.1:" + std::to_string(other->Port());
    const std::string other_site = "http://localhost:" + std::to_string(other->Port());
    for (const char* part : {"site", "other"}) {
      for (const auto& entry :
           fs::directory_iterator(fs::path(OSTREL_PAGE_FIXTURES) / part)) {
        const std::string name = entry.path().filename().string();
        std::ofstream(folder / part / name, std::ios::binary)
            << ReadFixture(part, name, other_origin, other_site);
      }
    }
    ChromiumOptions options;
    options.call_timeout = std::chrono::seconds(15);
    chromium = std::make_unique<ChromiumProcess>(options);
  }

  ~Shared() {
    chromium.reset();
    site.reset();
    other.reset();
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }

  static Shared& Get() {
    static Shared shared;
    return shared;
  }
};

class ChromiumCaptureEnv : public CaptureEnv {
 public:
  ChromiumCaptureEnv()
      : shared_(Shared::Get()),
        browser_(DevToolsBrowser::OpenTab(*shared_.chromium, TabOptions{.dismiss_dialogs = true})),
        pump_(shared_.chromium->Connection()) {}

  IBrowser& Browser() override { return *browser_; }

  void Open(const std::string& path) override {
    browser_->Navigate(SiteUrl(path));
    if (!PumpUntil([this] { return browser_->ReadyState() == 4; }, 15000)) {
      throw OstrelError(err::kBrowserProtocol, "the page did not load: " + path);
    }
  }

  std::string SiteUrl(const std::string& path) const override {
    return shared_.site->Url("/" + path);
  }

  bool PumpUntil(const std::function<bool()>& done, int timeout_ms) override {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      pump_.ProcessPending();
    }
    return true;
  }

  bool RunsScripts() const override { return true; }

  void TypeKeys(IElement& field, const std::string& text) override {
    Evaluate("document.getElementById(" + nlohmann::json(field.id()).dump() + ").focus()");
    browser_->Session().Call("Input.insertText", {{"text", text}});
  }

  void PressEnter() override {
    for (const char* type : {"keyDown", "keyUp"}) {
      nlohmann::json params = {{"type", type},
                               {"key", "Enter"},
                               {"code", "Enter"},
                               {"windowsVirtualKeyCode", 13}};
      if (std::string(type) == "keyDown") params["text"] = "\r";
      browser_->Session().Call("Input.dispatchKeyEvent", params);
    }
  }

  // Enter on the focused element: the click it makes is the browser's own.
  void ClickAsPerson(IElement& element) override {
    Evaluate("document.getElementById(" + nlohmann::json(element.id()).dump() + ").focus()");
    PressEnter();
  }

 private:
  void Evaluate(const std::string& expression) {
    browser_->Session().Call("Runtime.evaluate", {{"expression", expression}});
  }

  Shared& shared_;
  std::shared_ptr<DevToolsBrowser> browser_;
  DevToolsEventPump pump_;
};

}  // namespace

std::unique_ptr<CaptureEnv> MakeChromiumCaptureEnv() {
  return std::make_unique<ChromiumCaptureEnv>();
}

}  // namespace ostrel::testing
