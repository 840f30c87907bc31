// ostrel-scenarios: records and replays logins end to end, through the real
// toolbar button, the real window handlers and real headless Chromium,
// against pages served on 127.0.0.1 by a server that records every request.
//
// For each case folder: serve the folder, open the start page, press the
// Ostrel button, create the file and a user, record the login with real key
// and mouse events, check the proposed name, save, log off and on again,
// run Go To and wait up to 15 s for the expected request.
//
// Usage: ostrel-scenarios [--cases DIR]... [--browser PATH] [--only NAME]
// Prints one line per case and "N passed, N failed"; exits 1 when a case fails.
#include <QApplication>
#include <QListWidget>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "PageInput.h"
#include "ScenarioCase.h"
#include "app/OstrelSession.h"
#include "app/PlacedMainWindow.h"
#include "platform/qt/ISettings.h"
#include "support/OstrelError.h"
#include "support/WindowPlacement.h"
#include "tests/common/TestServer.h"

namespace ostrel::scenario {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kWait = std::chrono::seconds(15);

class MemorySettings : public ISettings {
 public:
  std::string GetSetting(const std::string& key, const std::string& fallback) override {
    auto it = values_.find(key);
    return it == values_.end() ? fallback : it->second;
  }
  void SaveSetting(const std::string& key, const std::string& value) override { values_[key] = value; }

 private:
  std::map<std::string, std::string> values_;
};

// Answers every message box at once and keeps its text: no case expects one.
class LoggedMessages : public IMessageBox {
 public:
  std::vector<std::string> shown;
  void Show(const std::string& text) override { shown.push_back(text); }
  bool AskYesNo(const std::string& text) override {
    shown.push_back(text);
    return true;
  }
};

class Failure : public std::runtime_error {
  using std::runtime_error::runtime_error;
};

class Runner {
 public:
  Runner(const std::string& browser) {
    SessionOptions options;
    options.browser = browser;
    options.headless = true;
    session_ = std::make_unique<OstrelSession>(
        options, [this] { return Services(); }, messages_, [this] { browser_gone_ = true; });
    tab_ = FirstTab();
    // A second tab in the same window, opened after the case's tab: a
    // press in the case's tab must bind the case's tab, not the newest one.
    other_tab_ = session_->Chromium().OpenTab("about:blank#another-tab");
    PumpUntil([this] { return session_->Windows().SiteOfTab(other_tab_) != nullptr; }, "the second tab");
    CheckWindowLifecycle();
  }

  // A browser window that opens gets a toolbar entry of its own, which is
  // taken away again when the window closes.
  void CheckWindowLifecycle() {
    BrowserWindows& windows = session_->Windows();
    const size_t before = windows.WindowCount();
    DevToolsSession& browser = session_->Chromium().Connection().Browser();
    auto made = browser.Call("Target.createTarget", {{"url", "about:blank#window"}, {"newWindow", true}});
    const std::string target = made.value("targetId", "");
    PumpUntil([&] { return windows.WindowCount() == before + 1; }, "the new browser window's toolbar entry");
    Extension* own = windows.ExtensionOfTab(target);
    if (!own || own == windows.ExtensionOfTab(tab_) || !own->Main()) {
      throw Failure("the new browser window has no toolbar entry of its own");
    }
    browser.Call("Target.closeTarget", {{"targetId", target}});
    PumpUntil([&] { return windows.WindowCount() == before; }, "the closed window's toolbar entry to go");
  }

  // Runs one case; returns the reason it failed, empty when it passed.
  std::string Run(const std::filesystem::path& folder) {
    try {
      const ScenarioCase c = LoadCase(folder);
      RunCase(c);
      return {};
    } catch (const OstrelError& e) {
      return std::string(e.what()) + " (" + std::to_string(e.Number()) + ")";
    } catch (const std::exception& e) {
      return e.what();
    }
  }

 private:
  WindowServices Services() {
    WindowServices s;
    s.messages = &messages_;
    s.settings = settings_.get();
    const std::string documents = documents_.string();
    s.documentsFolder = [documents] { return documents; };
    return s;
  }

  std::string FirstTab() {
    for (const TargetInfo& t : session_->Chromium().Targets()) {
      if (t.type == "page") return t.id;
    }
    return session_->Chromium().OpenTab("about:blank");
  }

  template <typename Done>
  void PumpUntil(Done done, const std::string& what) {
    const auto deadline = Clock::now() + kWait;
    while (!done()) {
      if (browser_gone_) throw Failure("the browser exited");
      if (Clock::now() > deadline) throw Failure("timed out waiting for " + what);
      session_->Pump().ProcessPending();
    }
  }

  void Check(bool ok, const std::string& what) {
    if (!messages_.shown.empty()) throw Failure(what + ": Ostrel showed \"" + messages_.shown.front() + "\"");
    if (!ok) throw Failure(what);
  }

  IBrowser& Tab() {
    BrowserWindowSite* site = session_->Windows().SiteOfTab(tab_);
    if (!site) throw Failure("the tab has no browser window");
    return *site->BrowserOfTab(tab_);
  }

  void Load(const std::string& url) {
    Tab().Navigate(url);
    PumpUntil([&] { return Tab().ReadyState() == 4 && Tab().Document()->url() == url; }, url + " to load");
  }

  static bool HasRequest(const test::TestServer& server, const std::string& path) {
    for (const auto& r : server.Requests()) {
      if (r.path == path) return true;
    }
    return false;
  }

  // The path of an http address, without its query.
  static std::string UrlPath(const std::string& url) {
    const auto host = url.find("://");
    const auto slash = host == std::string::npos ? std::string::npos : url.find('/', host + 3);
    if (slash == std::string::npos) return {};
    return url.substr(slash, url.find('?', slash) - slash);
  }

  // The Ostrel button, pressed in the tab as the toolbar would.
  frmMain& PressButton() {
    DevToolsSession& browser = session_->Chromium().Connection().Browser();
    auto targets = browser.Call("Target.getTargets", {{"filter", {{{"type", "tab"}}}}});
    const std::string url = Tab().Document()->url();
    std::string tab_target;
    for (const auto& t : targets.value("targetInfos", nlohmann::json::array())) {
      if (t.value("type", "") == "tab" && t.value("url", "") == url) tab_target = t.value("targetId", "");
    }
    if (tab_target.empty()) throw Failure("no tab shows " + url);
    BrowserWindowSite* site = session_->Windows().SiteOfTab(tab_);
    Check(site && site == session_->Windows().SiteOfTab(other_tab_) && site->TabCount() >= 2,
          "the two tabs are not in one browser window");
    // A person presses the button of the tab they are looking at.
    browser.Call("Target.activateTarget", {{"targetId", tab_}});
    const int before = session_->Windows().Presses();
    browser.Call("Extensions.triggerAction", {{"id", session_->ExtensionId()}, {"targetId", tab_target}});
    PumpUntil([&] { return session_->Windows().Presses() > before; }, "the button press to arrive");
    Extension* extension = session_->Windows().ExtensionOfTab(tab_);
    auto* placed = extension ? dynamic_cast<PlacedMainWindow*>(extension->Main()) : nullptr;
    if (!placed) throw Failure("the button press opened no window");
    frmMain& window = placed->Window();
    Check(window.isVisible() && window.IsLoaded(), "the Ostrel window is not shown");
    Check(window.IE() == &Tab(), "the window is not bound to the tab of the press");
    return window;
  }

  // A window without a place of its own opens over its browser window, just
  // below everything the browser shows above the page.
  void CheckPlacedBelowTheToolbar(const frmMain& w) {
    BrowserWindowSite* site = session_->Windows().SiteOfTab(tab_);
    const WindowBounds b = site->Bounds();
    const auto metrics = site->Attached(tab_)->Session().Call("Page.getLayoutMetrics");
    const int pageTop = b.top + b.height - metrics.at("layoutViewport").at("clientHeight").get<int>();
    const QRect frame = w.frameGeometry();
    Check(b.known && frame.top() >= pageTop && frame.top() <= pageTop + kPlacementGap &&
              frame.left() >= b.left && frame.right() < b.left + b.width,
          "the window at " + std::to_string(frame.left()) + "," + std::to_string(frame.top()) +
              " is not placed below the toolbar of the browser window at " + std::to_string(b.left) +
              "," + std::to_string(b.top) + " (" + std::to_string(b.width) + "x" +
              std::to_string(b.height) + ", page from " + std::to_string(pageTop) + ")");
  }

  void Step(const std::string& what) {
    if (!verbose) return;
    static auto last = Clock::now();
    const auto now = Clock::now();
    std::cerr << "  " << std::chrono::duration_cast<std::chrono::milliseconds>(now - last).count() << " ms, then "
              << what << std::endl;
    last = now;
  }

 public:
  bool verbose = false;

 private:
  void Expect(frmMain& w, int32_t panel, const std::string& step) {
    Step(step);
    Check(w.CurrentPanel() == panel, step + ": the window shows panel " + std::to_string(w.CurrentPanel()) +
                                         ", not " + std::to_string(panel));
  }

  void RunCase(const ScenarioCase& c) {
    messages_.shown.clear();
    // The old window saves its place into the old settings as it goes.
    std::unique_ptr<MemorySettings> old_settings = std::move(settings_);
    settings_ = std::make_unique<MemorySettings>();
    documents_ = std::filesystem::temp_directory_path() / ("ostrel-scenario-" + std::to_string(::getpid()));
    std::filesystem::remove_all(documents_);
    std::filesystem::create_directories(documents_);
    session_->Windows().ResetMainWindows();  // a fresh window on an empty password file
    old_settings.reset();
    messages_.shown.clear();

    Step("case set up");
    // Servers are stopped at the end of the run: stopping one waits for the
    // connections the browser opened ahead of need to time out.
    servers_.push_back(std::make_unique<test::TestServer>(c.folder));
    test::TestServer& server = *servers_.back();
    Load(server.Url("/" + c.start));
    Step("start page loaded");
    frmMain& w = PressButton();
    const MainPanels& p = w.Panels();
    CheckPlacedBelowTheToolbar(w);

    Expect(w, frmMain::kWelcome, "start on an empty file");
    p.txtEncryptionKey->setText("scenario-key-1");
    p.cmdContinue->click();
    Expect(w, frmMain::kNewUser, "Continue");
    p.txtUserName->setText("tester");
    p.txtPassword1->setText("pass word");
    p.txtPassword2->setText("pass word");
    p.cmdOK[frmMain::kNewUser]->click();
    Expect(w, frmMain::kSiteList, "New user");

    p.cmdNewSite->click();
    Expect(w, frmMain::kRecordReady, "New Site");
    p.cmdRecord->click();
    Expect(w, frmMain::kRecording, "Start Recording");

    auto* devtools = session_->Windows().SiteOfTab(tab_)->Attached(tab_);
    PageInput input(devtools->Session());
    for (const TypeStep& step : c.type) input.Type(step.frame, step.selector, step.text);
    if (!c.submit.click.empty()) {
      input.Click(c.submit.frame, c.submit.click);
    } else {
      input.Press(c.submit.frame, c.submit.selector, c.submit.press);
    }
    Step("typed and submitted");
    PumpUntil([&] { return w.CurrentPanel() == frmMain::kNameSite; }, "the recording to end");
    Step("recording ended");
    const std::string proposed = w.SiteNameText();
    if (c.expectName) Check(proposed == *c.expectName, "proposed name \"" + proposed + "\", expected \"" + *c.expectName + "\"");
    if (c.siteName) p.txtSiteName->setText(QString::fromStdString(*c.siteName));
    p.cmdSave->click();
    Expect(w, frmMain::kSiteList, "Save");
    Check(p.lstSites->count() == 1, "the site list holds " + std::to_string(p.lstSites->count()) + " entries");
    const std::string listed = p.lstSites->item(0)->text().toStdString();
    Check(listed == c.siteName.value_or(proposed), "the list shows \"" + listed + "\"");
    // Let the recorded login reach the server and its answer load before
    // the page is replaced.
    PumpUntil([&] { return HasRequest(server, c.expectPath); }, "the recorded login to be sent");
    PumpUntil([&] { return Tab().ReadyState() == 4 && UrlPath(Tab().Document()->url()) == c.expectPath; },
              "the recorded login's answer to load");

    p.cmdLogOff->click();
    Expect(w, frmMain::kLogin, "Log Off");
    p.cmbUserNames->setCurrentIndex(p.cmbUserNames->findText("tester"));
    p.txtPassword->setText("pass word");
    p.cmdOK[frmMain::kLogin]->click();
    Expect(w, frmMain::kSiteList, "Log in again");

    for (const auto& [from, to] : c.replayServe) server.Alias("/" + from, to);
    Load("about:blank");
    server.ClearRequests();
    p.lstSites->setCurrentRow(0);
    Step("Go To");
    p.cmdGoto->click();
    Step("replay issued");
    Check(messages_.shown.empty(), "Go To");

    std::optional<test::ReceivedRequest> got;
    PumpUntil([&] {
      for (const auto& r : server.Requests()) {
        if (r.path == c.expectPath) got = r;
      }
      return got.has_value();
    }, c.expectMethod + " " + c.expectPath);
    Step("request arrived");
    Check(got->method == c.expectMethod, "the request was " + got->method + ", expected " + c.expectMethod);
    for (const auto& [field, value] : c.expectFields) {
      auto it = got->fields.find(field);
      Check(it != got->fields.end(), "the request has no field " + field);
      std::string all;
      for (const auto& [k, v] : got->fields) all += " " + k + "=" + v;
      Check(it->second == value,
            "field " + field + " is \"" + it->second + "\", expected \"" + value + "\" (sent:" + all + ")");
    }
    PumpUntil([&] { return Tab().ReadyState() == 4 && UrlPath(Tab().Document()->url()) == c.expectPath; },
              "the replayed login's answer to load");
  }

  LoggedMessages messages_;
  std::unique_ptr<MemorySettings> settings_ = std::make_unique<MemorySettings>();
  std::filesystem::path documents_ = std::filesystem::temp_directory_path();
  std::unique_ptr<OstrelSession> session_;
  std::vector<std::unique_ptr<test::TestServer>> servers_;
  std::string tab_;
  std::string other_tab_;
  bool browser_gone_ = false;
};

}  // namespace
}  // namespace ostrel::scenario

int main(int argc, char** argv) {
  using namespace ostrel::scenario;
  std::vector<std::filesystem::path> dirs;
  std::string browser;
  std::string only;
  bool verbose = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--cases" && i + 1 < argc) dirs.emplace_back(argv[++i]);
    else if (a == "--browser" && i + 1 < argc) browser = argv[++i];
    else if (a == "--only" && i + 1 < argc) only = argv[++i];
    else if (a == "--verbose") verbose = true;
    else {
      std::cerr << "Usage: ostrel-scenarios [--cases DIR]... [--browser PATH] [--only NAME] [--verbose]\n";
      return 2;
    }
  }
  if (dirs.empty()) dirs.emplace_back(OSTREL_SCENARIO_CASES);
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  QApplication::setApplicationName("Ostrel");
  QApplication::setQuitOnLastWindowClosed(false);

  std::vector<std::filesystem::path> folders;
  for (const auto& dir : dirs) {
    for (const auto& folder : CaseFolders(dir)) {
      if (only.empty() || folder.filename() == only) folders.push_back(folder);
    }
  }
  int passed = 0, failed = 0;
  try {
    Runner runner(browser);
    runner.verbose = verbose;
    for (const auto& folder : folders) {
      const auto start = std::chrono::steady_clock::now();
      const std::string reason = runner.Run(folder);
      const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
      if (reason.empty()) {
        ++passed;
        std::cout << "PASS " << folder.filename().string() << " (" << ms << " ms)" << std::endl;
      } else {
        ++failed;
        std::cout << "FAIL " << folder.filename().string() << ": " << reason << std::endl;
      }
    }
  } catch (const std::exception& e) {
    std::cout << "FAIL the browser could not be started: " << e.what() << std::endl;
    failed += static_cast<int>(folders.size()) - passed - failed;
    if (failed == 0) failed = 1;
  }
  if (folders.empty()) {
    std::cout << "FAIL no case folders found" << std::endl;
    failed = 1;
  }
  std::cout << passed << " passed, " << failed << " failed" << std::endl;
  return failed == 0 ? 0 : 1;
}
