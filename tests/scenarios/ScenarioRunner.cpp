// ostrel-scenarios: records and replays logins end to end, through the real
// toolbar button, the real window handlers and real headless Chromium,
// against pages served on 127.0.0.1 by a server that records every request.
//
// For each case folder: serve the folder, open the start page, press the
// Ostrel button, create the file and a user, record the login with real key
// and mouse events, check the proposed name, save, log off and on again,
// run Go To and wait up to 15 s (plus the case's delays) for the expected
// request. A case may instead expect the recording to be refused, or the
// replay to stop with a message before anything is sent; no request may
// reach a path the case forbids at any time.
//
// Usage: ostrel-scenarios [--cases DIR]... [--browser PATH] [--only NAME]
// Prints one line per case and "N passed, N failed"; exits 1 when a case fails.
#include <QApplication>
#include <QListWidget>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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
#include "store/WebRecord.h"
#include "support/OstrelError.h"
#include "support/WindowPlacement.h"
#include "tests/common/TestServer.h"

namespace ostrel::scenario {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kWait = std::chrono::seconds(15);
// Replay gives up on a page after 60 s; a replay expected to stop may take
// that long to say so.
constexpr auto kReplayStops = std::chrono::seconds(75);
// How long nothing may arrive after a replay stopped.
constexpr auto kQuietAfterStop = std::chrono::milliseconds(1500);

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

// Answers every message box at once and keeps its text: a message fails the
// case unless the case expects the recording or the replay to be stopped.
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
    // A lasting profile, as the program's own, looked through at the end.
    profile_ = std::filesystem::temp_directory_path() / ("ostrel-scenario-profile-" + std::to_string(::getpid()));
    std::filesystem::remove_all(profile_);
    options.profile = profile_;
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

  ~Runner() {
    session_.reset();
    std::filesystem::remove_all(profile_);
  }

  // Ends the browser (which writes out what it keeps) and looks through its
  // profile for the texts typed into pages: the browser must keep none of
  // them (no form history, no form state in its session files). Returns
  // what it found, empty when nothing.
  std::string ProfileLeaks() {
    session_.reset();
    std::string found;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(profile_, ignored)) {
      if (!entry.is_regular_file(ignored)) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      const std::string bytes((std::istreambuf_iterator<char>(in)), {});
      for (const std::string& text : typed_) {
        std::string wide;  // as UTF-16 (ASCII texts only)
        for (char ch : text) wide += std::string{ch, '\0'};
        if (bytes.find(text) != std::string::npos || bytes.find(wide) != std::string::npos) {
          found += " \"" + text + "\" in " + entry.path().lexically_relative(profile_).string() + ";";
        }
      }
    }
    return found;
  }

  // Whether text is part of a file name of the case (and so of addresses
  // the browser's history keeps).
  static bool InAnAddress(const ScenarioCase& c, const std::string& text) {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(c.folder, ignored)) {
      if (entry.path().filename().string().find(text) != std::string::npos) return true;
    }
    return false;
  }

  // Runs one case; returns the reason it failed, empty when it passed.
  std::string Run(const std::filesystem::path& folder) {
    try {
      const ScenarioCase c = LoadCase(folder);
      // A login sent in a query lands in the browser's history with its
      // address, and a page may keep what it likes in its own storage:
      // what Ostrel records and replays and the page posts in a body, in
      // the top document or in a frame, must leave no trace. Short texts
      // could be anything.
      if (c.expectMethod == "POST" && !c.recordingRefused) {
        for (const scenario::Step& step : c.steps) {
          if (step.kind == scenario::Step::Kind::kType && step.text.size() >= 8 &&
              !InAnAddress(c, step.text) &&
              std::find(c.browserKeeps.begin(), c.browserKeeps.end(), step.text) == c.browserKeeps.end()) {
            typed_.push_back(step.text);
          }
        }
      }
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
  void PumpUntil(Done done, const std::string& what, Clock::duration wait = kWait) {
    const auto deadline = Clock::now() + wait;
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

  // Loads the case's page at path, which may redirect.
  void LoadCasePage(const ScenarioCase& c, const test::TestServer& server, const std::string& path) {
    const std::string landing = Landing(c, path.substr(0, path.find('?')));
    Tab().Navigate(server.Url(path));
    std::string seen;
    try {
      PumpUntil([&] {
        seen = std::to_string(Tab().ReadyState()) + " " + Tab().Document()->url();
        return Tab().ReadyState() == 4 && UrlPath(Tab().Document()->url()) == landing;
      }, path + " to load");
    } catch (const Failure& e) {
      throw Failure(std::string(e.what()) + " (the tab is at state " + seen + ")");
    }
  }

  static bool HasRequest(const test::TestServer& server, const std::string& path) {
    for (const auto& r : server.Requests()) {
      if (r.path == path) return true;
    }
    return false;
  }

  void CheckForbidden(const ScenarioCase& c, const test::TestServer& server, const std::string& when) {
    for (const test::TestServer* s : std::vector<const test::TestServer*>{&server, other_server_}) {
      for (const auto& r : s ? s->Requests() : std::vector<test::ReceivedRequest>{}) {
        for (const std::string& path : c.forbid) {
          if (r.path == path) throw Failure(when + ": a " + r.method + " request reached " + path);
        }
      }
    }
  }

  // Whether the top document or one of its frames has loaded the page at
  // path (the answer to a login posted within a frame loads in that frame).
  static bool Shows(PageInput& input, const std::string& path) {
    for (const auto& [url, ready] : input.Documents()) {
      if (ready == "complete" && UrlPath(url) == path) return true;
    }
    return false;
  }

  void RunSteps(PageInput& input, const std::vector<scenario::Step>& steps) {
    using Kind = scenario::Step::Kind;
    for (const scenario::Step& step : steps) {
      switch (step.kind) {
        case Kind::kClick: input.Click(step.frame, step.selector); break;
        case Kind::kType: input.Type(step.frame, step.selector, step.text); break;
        case Kind::kPress: input.Press(step.frame, step.selector, step.text); break;
        case Kind::kWait:
          PumpUntil([&] { return input.Shown(step.frame, step.selector); }, step.selector + " to be shown");
          break;
        case Kind::kAction: Do(step.action); break;
      }
    }
  }

  static int16_t StoredSites(frmMain& w) {
    if (!w.Context()) throw Failure("the window holds no password file");
    WebRecord record(*w.Context());
    record.FileOpen();
    const int16_t count = record.RecordCount();
    record.FileClose();
    return count;
  }

  // The path of an http address, without its query.
  static std::string UrlPath(const std::string& url) {
    const auto host = url.find("://");
    const auto slash = host == std::string::npos ? std::string::npos : url.find('/', host + 3);
    if (slash == std::string::npos) return {};
    return url.substr(slash, url.find('?', slash) - slash);
  }

  // The Ostrel button, pressed in the case's tab as the toolbar would.
  frmMain& PressButton() {
    frmMain& window = PressIn(tab_);
    Check(window.isVisible() && window.IsLoaded(), "the Ostrel window is not shown");
    return window;
  }

  // The button pressed in tab (a page target); the window it shows, bound
  // to that tab.
  frmMain& PressIn(const std::string& tab) {
    DevToolsSession& browser = session_->Chromium().Connection().Browser();
    BrowserWindowSite* site = session_->Windows().SiteOfTab(tab);
    if (!site) throw Failure("the tab has no browser window");
    IBrowser& page = *site->BrowserOfTab(tab);
    auto targets = browser.Call("Target.getTargets", {{"filter", {{{"type", "tab"}}}}});
    const std::string url = page.Document()->url();
    std::string tab_target;
    for (const auto& t : targets.value("targetInfos", nlohmann::json::array())) {
      if (t.value("type", "") == "tab" && t.value("url", "") == url) tab_target = t.value("targetId", "");
    }
    if (tab_target.empty()) throw Failure("no tab shows " + url);
    if (!(site == session_->Windows().SiteOfTab(other_tab_) && site->TabCount() >= 2)) {
      throw Failure("the two tabs are not in one browser window");
    }
    // A person presses the button of the tab they are looking at.
    browser.Call("Target.activateTarget", {{"targetId", tab}});
    const int before = session_->Windows().Presses();
    browser.Call("Extensions.triggerAction", {{"id", session_->ExtensionId()}, {"targetId", tab_target}});
    PumpUntil([&] { return session_->Windows().Presses() > before; }, "the button press to arrive");
    Extension* extension = session_->Windows().ExtensionOfTab(tab);
    auto* placed = extension ? dynamic_cast<PlacedMainWindow*>(extension->Main()) : nullptr;
    if (!placed) throw Failure("the button press opened no window");
    frmMain& window = placed->Window();
    if (window.IE() != &page) throw Failure("the window is not bound to the tab of the press");
    return window;
  }

  // What the person does around the page, as the case asks.
  void Do(Action action) {
    switch (action) {
      case Action::kNone: break;
      case Action::kPressOtherTab: PressIn(other_tab_); break;
      case Action::kCloseTab:
        session_->Chromium().Connection().Browser().Call("Target.closeTarget", {{"targetId", tab_}});
        tab_closed_ = true;
        break;
      case Action::kCloseWindow:
        if (window_) window_->close();
        break;
      case Action::kCancel:
        if (window_) window_->Panels().cmdCancel[window_->CurrentPanel()]->click();
        break;
      case Action::kNextStep:
        if (!window_) throw Failure("no window to record another step in");
        PumpUntil([&] { return window_->CurrentPanel() == frmMain::kNameSite || !messages_.shown.empty(); },
                  "the step to be recorded");
        if (!messages_.shown.empty()) throw Failure("the step ended with a message: " + messages_.shown.front());
        window_->Panels().cmdNextStep->click();
        if (window_->CurrentPanel() != frmMain::kRecording) throw Failure("Record Another Step did not go on recording");
        break;
    }
  }

  // After a closed tab, the case's tab is a new one in the same window.
  void ReplaceClosedTab() {
    if (!tab_closed_) return;
    tab_closed_ = false;
    const std::string closed = tab_;
    PumpUntil([&] { return session_->Windows().SiteOfTab(closed) == nullptr; }, "the closed tab to go");
    tab_ = session_->Chromium().OpenTab("about:blank");
    PumpUntil([&] { return session_->Windows().SiteOfTab(tab_) != nullptr; }, "the new tab");
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
    servers_.push_back(std::make_unique<test::TestServer>(c.folder));
    test::TestServer& server = *servers_[servers_.size() - 2];
    other_server_ = servers_.back().get();
    for (test::TestServer* s : {&server, other_server_}) {
      s->Substitute("{{OTHER}}", other_server_->Url(""));
      s->Substitute("{{OTHERSITE}}", "http://localhost:" + std::to_string(other_server_->Port()));
    }
    for (const auto& [from, to] : c.redirects) server.Redirect(from, to);
    LoadCasePage(c, server, "/" + c.start);
    Step("start page loaded");
    frmMain& w = PressButton();
    window_ = &w;
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
    PageInput input(*devtools);
    RunSteps(input, c.steps);
    Step("typed and submitted");
    if (c.recordingIgnored) {
      CheckIgnored(w);
      return;
    }
    if (c.recordingRefused) {
      CheckRefused(w, c);
      CheckForbidden(c, server, "while recording");
      return;
    }
    PumpUntil([&] { return w.CurrentPanel() == frmMain::kNameSite || !messages_.shown.empty(); },
              "the recording to end");
    Check(w.CurrentPanel() == frmMain::kNameSite, "the recording did not end on the name panel");
    Step("recording ended");
    const std::string proposed = w.SiteNameText();
    if (c.expectName) Check(proposed == *c.expectName, "proposed name \"" + proposed + "\", expected \"" + *c.expectName + "\"");
    if (c.siteName) p.txtSiteName->setText(QString::fromStdString(*c.siteName));
    p.cmdSave->click();
    Expect(w, frmMain::kSiteList, "Save");
    Check(p.lstSites->count() == 1, "the site list holds " + std::to_string(p.lstSites->count()) + " entries");
    const std::string listed = p.lstSites->text(0).toStdString();
    Check(listed == c.siteName.value_or(proposed), "the list shows \"" + listed + "\"");
    // Let the recorded login reach the server and its answer load before
    // the page is replaced.
    const std::string answer = c.expectAnswer.empty() ? Landing(c, c.expectPath) : c.expectAnswer;
    PumpUntil([&] {
      CheckForbidden(c, server, "while recording");
      return HasRequest(server, c.expectPath) || HasRequest(*other_server_, c.expectPath);
    }, "the recorded login to be sent");
    PumpUntil([&] { return Shows(input, answer); }, "the recorded login's answer to load at " + answer);
    CheckForbidden(c, server, "while recording");

    p.cmdLogOff->click();
    Expect(w, frmMain::kLogin, "Log Off");
    p.cmbUserNames->setCurrentIndex(p.cmbUserNames->findText("tester"));
    p.txtPassword->setText("pass word");
    p.cmdOK[frmMain::kLogin]->click();
    Expect(w, frmMain::kSiteList, "Log in again");

    for (const auto& [from, to] : c.replayServe) server.Alias(from, to);
    for (const auto& [from, to] : c.replayRedirects) server.Redirect(from, to);
    Clock::duration delays{0};
    for (const auto& [path, ms] : c.replayDelays) {
      server.Delay(path, std::chrono::milliseconds(ms));
      delays += std::chrono::milliseconds(ms);
    }
    Load("about:blank");
    server.ClearRequests();
    other_server_->ClearRequests();
    p.lstSites->setCurrentRow(0);
    if (c.duringReplay != Action::kNone) {
      QTimer::singleShot(c.duringReplayAfterMs, [this, action = c.duringReplay] { Do(action); });
    }
    // While Go To waits for a slow page the window keeps running its loop
    // (this very timer fires) and shows a busy cursor.
    bool busy_while_waiting = false;
    if (!c.replayDelays.empty()) {
      QTimer::singleShot(500, &w, [&] { busy_while_waiting = w.cursor().shape() == Qt::BusyCursor; });
    }
    bool answered_while_waiting = false;
    if (c.expectResponsive) QTimer::singleShot(2000, &w, [&] { answered_while_waiting = true; });
    Step("Go To");
    p.cmdGoto->click();
    Step("replay issued");
    if (c.nothingSent) {
      CheckReplayStopped(c, server);
      if (c.expectResponsive && !answered_while_waiting) throw Failure("the window did not answer while Go To waited");
      if (c.duringReplay != Action::kNone) CheckNextPress(c);
      return;
    }
    Check(messages_.shown.empty(), "Go To");

    std::optional<test::ReceivedRequest> got;
    PumpUntil([&] {
      CheckForbidden(c, server, "at replay");
      // A login may go to either site (a sign-in frame of the other one).
      for (const test::TestServer* s : {&server, other_server_}) {
        for (const auto& r : s->Requests()) {
          if (r.path == c.expectPath) got = r;
        }
      }
      return got.has_value();
    }, c.expectMethod + " " + c.expectPath, kWait + delays);
    Step("request arrived");
    Check(got->method == c.expectMethod, "the request was " + got->method + ", expected " + c.expectMethod);
    for (const auto& [field, value] : c.expectFields) {
      auto it = got->fields.find(field);
      std::string all;
      for (const auto& [k, v] : got->fields) all += " " + k + "=" + v;
      Check(it != got->fields.end(), "the request has no field " + field + " (sent:" + all + ")");
      Check(it->second == value,
            "field " + field + " is \"" + it->second + "\", expected \"" + value + "\" (sent:" + all + ")");
    }
    PumpUntil([&] { return Shows(input, answer); }, "the replayed login's answer to load at " + answer,
              kWait + delays);
    CheckForbidden(c, server, "at replay");
    if (!c.replayDelays.empty()) {
      Check(busy_while_waiting, "the window did not show a busy cursor while Go To waited");
      Check(w.cursor().shape() != Qt::BusyCursor, "the busy cursor stayed after Go To");
    }
  }

  // The recording ends with a message, or Save shows one; either way the
  // password file holds no site afterwards.
  void CheckRefused(frmMain& w, const ScenarioCase& c) {
    const MainPanels& p = w.Panels();
    PumpUntil([&] { return w.CurrentPanel() == frmMain::kNameSite || !messages_.shown.empty(); },
              "the recording to end");
    if (messages_.shown.empty()) {
      if (c.siteName) p.txtSiteName->setText(QString::fromStdString(*c.siteName));
      p.cmdSave->click();
      Step("saved");
      if (messages_.shown.empty()) throw Failure("Save stored the recording without a message");
    }
    if (w.CurrentPanel() == frmMain::kSiteList) throw Failure("the window went on to the site list");
    CheckMessages(c);
    const int16_t stored = StoredSites(w);
    if (stored != 0) throw Failure("the password file holds " + std::to_string(stored) + " sites");
  }

  // The person is told what happened in words, not by a number, and in the
  // words the case expects.
  void CheckMessages(const ScenarioCase& c) {
    for (const std::string& text : messages_.shown) {
      if (text.find("(#") != std::string::npos) throw Failure("a bare error number: \"" + text + "\"");
    }
    if (c.expectMessage.empty()) return;
    for (const std::string& text : messages_.shown) {
      if (text.find(c.expectMessage) != std::string::npos) return;
    }
    throw Failure("no message says \"" + c.expectMessage + "\"" +
                  (messages_.shown.empty() ? "" : "; the last said \"" + messages_.shown.back() + "\""));
  }

  // A recording given up: what the person then sends in the page moves
  // nothing, says nothing and stores nothing.
  void CheckIgnored(frmMain& w) {
    const int32_t panel = w.CurrentPanel();
    const auto until = Clock::now() + kQuietAfterStop;
    while (Clock::now() < until) session_->Pump().ProcessPending();
    Check(w.CurrentPanel() == panel, "the page moved the window to panel " + std::to_string(w.CurrentPanel()));
    const int16_t stored = StoredSites(w);
    if (stored != 0) throw Failure("the password file holds " + std::to_string(stored) + " sites");
  }

  // Replay stops with a message (none when its window was closed), and no
  // request reaches the recorded form's action, then or a little later.
  void CheckReplayStopped(const ScenarioCase& c, const test::TestServer& server) {
    const bool quiet = c.duringReplay == Action::kCloseWindow;
    if (!quiet) PumpUntil([&] { return !messages_.shown.empty(); }, "a message that the replay stopped", kReplayStops);
    const auto quiet_until = Clock::now() + kQuietAfterStop;
    while (Clock::now() < quiet_until) session_->Pump().ProcessPending();
    if (HasRequest(server, c.expectPath) || (other_server_ && HasRequest(*other_server_, c.expectPath))) {
      throw Failure("the replay stopped but still sent to " + c.expectPath);
    }
    const size_t expected = quiet ? 0 : 1;
    if (messages_.shown.size() != expected) {
      throw Failure(std::to_string(messages_.shown.size()) + " messages instead of " + std::to_string(expected) +
                    (messages_.shown.empty() ? "" : ": \"" + messages_.shown.back() + "\""));
    }
    CheckForbidden(c, server, "at replay");
    CheckMessages(c);
  }

  // After a replay stopped by what the person did, the button works again.
  void CheckNextPress(const ScenarioCase& c) {
    ReplaceClosedTab();
    messages_.shown.clear();
    Load("about:blank#after-" + c.name);
    frmMain& again = PressButton();
    if (again.CurrentPanel() != frmMain::kSiteList && again.CurrentPanel() != frmMain::kLogin) {
      throw Failure("after the stop the button shows panel " + std::to_string(again.CurrentPanel()));
    }
  }

  LoggedMessages messages_;
  std::unique_ptr<MemorySettings> settings_ = std::make_unique<MemorySettings>();
  std::filesystem::path documents_ = std::filesystem::temp_directory_path();
  std::unique_ptr<OstrelSession> session_;
  std::vector<std::unique_ptr<test::TestServer>> servers_;
  std::filesystem::path profile_;
  std::vector<std::string> typed_;
  test::TestServer* other_server_ = nullptr;
  frmMain* window_ = nullptr;
  bool tab_closed_ = false;
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
    const std::string leaks = runner.ProfileLeaks();
    if (leaks.empty()) {
      std::cout << "PASS the browser's profile keeps nothing typed" << std::endl;
    } else {
      ++failed;
      std::cout << "FAIL the browser's profile keeps what was typed:" << leaks << std::endl;
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
