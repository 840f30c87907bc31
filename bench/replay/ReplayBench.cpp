// Replay overhead of Ostrel against the same login done by Playwright on the
// same Chromium and the same local page, measured side by side in one run.
//
// Overhead = from Go To until the login request reaches the server, less the
// page's own load time (navigation start to the end of its load event, as
// the page measures it and sends with the form). The page also stamps the
// moment its submit event fires, which gives the in-page part alone: from
// the end of the load event until the submit.
//
// Playwright runs twice: doing the same DOM work as Ostrel in one
// page.evaluate, and the idiomatic way (locator.fill, locator.click).
//
// Usage: bench_replay [--runs N] [--chromium PATH] [--node PATH]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <QApplication>

#include "app/AppEventPump.h"
#include "app/PipeWatcher.h"
#include "browser/ILoginWindow.h"
#include "browser/LoginReplay.h"
#include "browser/SystemClock.h"
#include "platform/devtools/ChromiumProcess.h"
#include "platform/devtools/DevToolsBrowser.h"
#include "store/StoreContext.h"
#include "store/WebRecord.h"
#include "tests/common/TestServer.h"

namespace {

using Clock = std::chrono::steady_clock;
using ostrel::test::ReceivedRequest;
using ostrel::test::TestServer;

double NowNs() { return static_cast<double>(Clock::now().time_since_epoch().count()); }

// Stamps the arrival of each login request on this process's steady clock
// (the same CLOCK_MONOTONIC that node's process.hrtime reads).
class ArrivalWatch {
 public:
  ArrivalWatch(TestServer& server, size_t expected) : server_(server), expected_(expected) {
    thread_ = std::thread([this] { Run(); });
  }
  ~ArrivalWatch() {
    if (thread_.joinable()) thread_.join();
  }
  // Waits until every expected login has arrived (or a minute has passed
  // without one) and returns the arrival times.
  std::vector<double> Join() {
    if (thread_.joinable()) thread_.join();
    return arrivals_;
  }

 private:
  void Run() {
    for (size_t k = 0; k < expected_; ++k) {
      auto request = server_.WaitForRequest("/login", std::chrono::seconds(60), k);
      if (!request) return;
      std::lock_guard<std::mutex> lock(mutex_);
      arrivals_.push_back(NowNs());
    }
  }
  TestServer& server_;
  size_t expected_;
  std::thread thread_;
  std::mutex mutex_;
  std::vector<double> arrivals_;
};

class NoWindow : public ostrel::ILoginWindow {
 public:
  void ShowPanel(int32_t) override {}
  int32_t CurrentPanel() const override { return 0; }
  std::string SiteNameText() override { return {}; }
  void ProposeSiteName(const std::string&) override {}
  std::string SelectedSiteName() override { return {}; }
  int16_t SiteIndex() override { return -1; }
  void SetSiteIndex(int16_t) override {}
  int16_t CurrentUserID() override { return 1; }
  void RefreshSiteList() override {}
  void ReportError(const ostrel::OstrelError& error) override {
    std::cerr << "replay failed: " << error.what() << "\n";
    failed = true;
  }
  void ShowMessage(const std::string& text) override {
    std::cerr << "replay stopped: " << text << "\n";
    failed = true;
  }
  void Defer(std::function<void()> action) override { action(); }
  void SetBusy(bool) override {}
  bool failed = false;
};

struct Figures {
  std::vector<double> overhead_ms;  // Go To -> request at the server, less the load
  std::vector<double> in_page_ms;   // load event end -> submit event
};

double FieldMs(const ReceivedRequest& r, const char* name) {
  auto it = r.fields.find(name);
  return it == r.fields.end() ? 0.0 : std::stod(it->second);
}

void Collect(Figures& out, const std::vector<double>& starts, const std::vector<double>& arrivals,
             const std::vector<ReceivedRequest>& logins, size_t warmup) {
  for (size_t i = warmup; i < starts.size() && i < arrivals.size() && i < logins.size(); ++i) {
    const double load = FieldMs(logins[i], "load_ms");
    const double total = (arrivals[i] - starts[i]) / 1e6;
    out.overhead_ms.push_back(total - load);
    out.in_page_ms.push_back(FieldMs(logins[i], "submit_ms") - load);
  }
}

std::vector<ReceivedRequest> Logins(TestServer& server) {
  std::vector<ReceivedRequest> logins;
  for (auto& r : server.Requests()) {
    if (r.path == "/login") logins.push_back(r);
  }
  return logins;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

double Mean(const std::vector<double>& v) {
  double s = 0;
  for (double x : v) s += x;
  return v.empty() ? 0 : s / static_cast<double>(v.size());
}

Figures RunOstrel(TestServer& server, const std::string& chromium, int runs, int warmup) {
  ostrel::ChromiumOptions options;
  options.executable = chromium;
  ostrel::ChromiumProcess process(options);
  auto tab = ostrel::DevToolsBrowser::OpenTab(process);
  // The program's own pump: browser messages, then the Qt loop for a few
  // milliseconds, with the pipe watched from the Qt loop.
  ostrel::AppEventPump pump(process.Connection());
  ostrel::PipeWatcher watcher(process, [] {});
  ostrel::SystemClock clock;
  NoWindow window;

  // A password file holding the record a recording of this page stores.
  auto file = std::filesystem::temp_directory_path() / ("ostrel-bench-" + std::to_string(::getpid()) + ".xps");
  std::filesystem::remove(file);
  ostrel::StoreContext context;
  context.PasswordFileName = file.string();
  context.DataCipher.SetSecret("bench-key");
  int16_t slot = -1;
  {
    ostrel::WebRecord record(context);
    record.SetSiteName("Bench Login");
    record.SetURL(server.Url("/login.html"));
    ostrel::FormInfo form;
    form.Name = "login";
    form.Index = 1;
    record.SetForm(form);
    for (auto [name, index, type, value] : {std::tuple{"user", 0, 1, "alice"}, std::tuple{"pw", 1, 3, "s3cret"}}) {
      ostrel::ControlInfo c;
      c.Name = name;
      c.Index = static_cast<int16_t>(index);
      c.CtlType = type;
      c.Value = value;
      record.AddControl(c);
    }
    record.Save(1, slot);
  }

  ostrel::LoginReplay replay(window, context, pump, clock);
  replay.BrowserChanged(tab.get());
  server.ClearRequests();
  const size_t total = static_cast<size_t>(runs + warmup);
  std::vector<double> starts;
  ArrivalWatch watch(server, total);
  uint64_t trips = 0;
  for (size_t i = 0; i < total && !window.failed; ++i) {
    tab->Navigate("about:blank");
    while (tab->ReadyState() != 4) pump.ProcessPending();
    starts.push_back(NowNs());
    const uint64_t before = process.Connection().RoundTrips();
    replay.GoToSite(slot);  // returns once the submit has been issued
    if (i >= static_cast<size_t>(warmup)) trips += process.Connection().RoundTrips() - before;
    // Let the login page load before the next run.
    const auto deadline = Clock::now() + std::chrono::seconds(15);
    while (Logins(server).size() <= i && Clock::now() < deadline) pump.ProcessPending();
    while (tab->ReadyState() != 4 && Clock::now() < deadline) pump.ProcessPending();
  }
  std::vector<double> arrivals = watch.Join();
  Figures figures;
  Collect(figures, starts, arrivals, Logins(server), static_cast<size_t>(warmup));
  std::printf("ostrel: %.1f protocol round trips per Go To (commands sent and waited for)\n",
              static_cast<double>(trips) / std::max(1, runs));
  tab.reset();
  std::filesystem::remove(file);
  return figures;
}

Figures RunPlaywright(TestServer& server, const std::string& chromium, const std::string& node,
                      int runs, int warmup, const std::string& mode) {
  const std::filesystem::path dir = OSTREL_BENCH_REPLAY_DIR;
  if (!std::filesystem::exists(dir / "node_modules" / "playwright-core")) {
    std::cerr << "playwright-core is not installed: run npm install in " << dir << "\n";
    return {};
  }
  server.ClearRequests();
  const size_t total = static_cast<size_t>(runs + warmup);
  ArrivalWatch watch(server, total);
  const std::string command = node + " " + (dir / "playwright_replay.mjs").string() + " " + chromium +
                              " " + server.Url("/login.html") + " " + std::to_string(total) + " " + mode;
  std::vector<double> starts;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return {};
  char line[256];
  while (std::fgets(line, sizeof line, pipe)) {
    double ns = 0;
    if (std::sscanf(line, "start %lf", &ns) == 1) starts.push_back(ns);
  }
  const int rc = ::pclose(pipe);
  if (rc != 0) std::cerr << "playwright run ended with status " << rc << "\n";
  std::vector<double> arrivals = watch.Join();
  Figures figures;
  Collect(figures, starts, arrivals, Logins(server), static_cast<size_t>(warmup));
  return figures;
}

void Print(const char* who, const Figures& f) {
  std::printf("%-10s runs %3zu  overhead median %7.2f ms  mean %7.2f ms   in-page median %6.2f ms\n", who,
              f.overhead_ms.size(), Median(f.overhead_ms), Mean(f.overhead_ms), Median(f.in_page_ms));
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  int runs = 30;
  const int warmup = 3;
  std::string chromium = "/usr/bin/chromium";
  std::string node = "node";
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i];
    if (a == "--runs") runs = std::max(1, std::atoi(argv[i + 1]));
    else if (a == "--chromium") chromium = argv[i + 1];
    else if (a == "--node") node = argv[i + 1];
  }
  TestServer server(std::filesystem::path(OSTREL_BENCH_REPLAY_DIR) / "page");
  server.Alias("/login", "done.html");

  std::printf("replay overhead: Go To until the login reaches the server, page load excluded\n");
  const Figures ostrel_figures = RunOstrel(server, chromium, runs, warmup);
  const Figures same_work = RunPlaywright(server, chromium, node, runs, warmup, "evaluate");
  const Figures idiomatic = RunPlaywright(server, chromium, node, runs, warmup, "idiomatic");
  Print("ostrel", ostrel_figures);
  Print("pw-eval", same_work);
  Print("pw-fill", idiomatic);
  auto ratio = [&](const char* who, const Figures& peer, const char* goal) {
    if (peer.overhead_ms.empty() || ostrel_figures.overhead_ms.empty()) return;
    std::printf("ratio ostrel/%s: overhead %.2fx (goal: at most %s), in-page %.2fx\n", who,
                Median(ostrel_figures.overhead_ms) / std::max(1e-9, Median(peer.overhead_ms)), goal,
                Median(ostrel_figures.in_page_ms) / std::max(1e-9, Median(peer.in_page_ms)));
  };
  ratio("pw-eval (the same DOM work in one page.evaluate)", same_work, "1.00x");
  ratio("pw-fill (locator.fill, locator.click)", idiomatic, "0.50x");
  return ostrel_figures.overhead_ms.empty() ? 1 : 0;
}
