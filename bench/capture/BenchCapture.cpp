// Page capture on headless Chromium: how long WebPage::Record takes and how
// many DevTools round trips it needs, for a page of 1,000 inputs in 20
// forms, a frameset of 5 small login frames, and 1,000 inputs spread over 5
// frames; also a capture taken inside the before-navigate handler while the
// page is paused, and where the round trips of one capture go.
//
//   bench_capture [runs]      (default 10)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/capture/ProfilingBrowser.h"
#include "page/WebPage.h"
#include "platform/devtools/ChromiumProcess.h"
#include "platform/devtools/DevToolsBrowser.h"
#include "platform/devtools/DevToolsEventPump.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"
#include "tests/common/TestServer.h"

namespace ostrel::bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string Form(int form, int inputs) {
  static const char* kTypes[] = {"text", "password", "hidden", "checkbox", "text"};
  std::string html = "<form name=\"f" + std::to_string(form) + "\" action=\"done.html\">\n";
  for (int i = 0; i < inputs; ++i) {
    const std::string name = "f" + std::to_string(form) + "_i" + std::to_string(i);
    html += "  <input type=\"" + std::string(kTypes[i % 5]) + "\" name=\"" + name + "\" id=\"" +
            name + "\" value=\"v" + std::to_string(i) + "\">\n";
  }
  return html + "</form>\n";
}

std::string Page(const std::string& title, const std::string& body) {
  return "<!DOCTYPE html>\n<html><head><title>" + title + "</title></head>\n<body>\n" + body +
         "</body></html>\n";
}

void Write(const fs::path& file, const std::string& text) { std::ofstream(file) << text; }

// The benchmark pages, written into folder.
void WritePages(const fs::path& folder) {
  std::string forms;
  for (int f = 0; f < 20; ++f) forms += Form(f, 50);
  Write(folder / "big.html", Page("1000 inputs", forms));

  std::string frameset = "<!DOCTYPE html>\n<html><head><title>Frameset</title></head>\n"
                         "<frameset rows=\"20%,20%,20%,20%,20%\">\n";
  std::string big_frames = frameset;
  for (int k = 0; k < 5; ++k) {
    Write(folder / ("login" + std::to_string(k) + ".html"), Page("Login", Form(0, 3)));
    std::string four;
    for (int f = 0; f < 4; ++f) four += Form(f, 50);
    Write(folder / ("part" + std::to_string(k) + ".html"), Page("Part", four));
    frameset += "  <frame src=\"login" + std::to_string(k) + ".html\">\n";
    big_frames += "  <frame src=\"part" + std::to_string(k) + ".html\">\n";
  }
  Write(folder / "frameset.html", frameset + "</frameset></html>\n");
  Write(folder / "bigframes.html", big_frames + "</frameset></html>\n");
  Write(folder / "done.html", Page("Done", "<p>done</p>\n"));
}

class Bench {
 public:
  Bench() : server_(Folder()) {
    WritePages(Folder());
    chromium_ = std::make_unique<ChromiumProcess>();
    tab_ = DevToolsBrowser::OpenTab(*chromium_);
    pump_ = std::make_unique<DevToolsEventPump>(chromium_->Connection());
  }
  ~Bench() {
    tab_.reset();
    chromium_.reset();
    std::error_code ignored;
    fs::remove_all(Folder(), ignored);
  }

  void Open(const std::string& path) {
    tab_->Navigate(server_.Url("/" + path));
    PumpUntil([this] { return tab_->ReadyState() == 4; });
  }

  struct Result {
    std::vector<double> ms;
    uint64_t round_trips = 0;  // of one capture
    int controls = 0;
    int forms = 0;
  };

  Result Measure(const std::string& path, int runs) {
    Open(path);
    Result result;
    Capture();  // warm-up: the first capture of a document sets up its scripts
    for (int run = 0; run < runs; ++run) {
      pump_->ProcessPending();  // lets the snapshots go stale, as between two user actions
      const uint64_t trips = tab_->RoundTrips();
      const auto start = Clock::now();
      auto page = Capture();
      result.ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
      result.round_trips = tab_->RoundTrips() - trips;
      result.forms = page->Forms().Count();
      result.controls = 0;
      for (const WebForm& form : page->Forms()) result.controls += form.Controls().Count();
    }
    return result;
  }

  // Captures inside the before-navigate handler of a navigation the
  // program starts, the page paused meanwhile.
  Result MeasureInHandler(const std::string& path, int runs) {
    Result result;
    for (int run = 0; run < runs; ++run) {
      Open(path);
      Capture();  // the capture at Start Recording
      std::unique_ptr<WebPage> second;
      tab_->SetBeforeNavigate([&](const NavigationInfo&) {
        if (second) return;
        const uint64_t trips = tab_->RoundTrips();
        const auto start = Clock::now();
        second = Capture();
        result.ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        result.round_trips = tab_->RoundTrips() - trips;
      });
      tab_->Navigate(server_.Url("/done.html"));
      PumpUntil([&] { return second != nullptr; });
      tab_->SetBeforeNavigate(nullptr);
      result.forms = second->Forms().Count();
      result.controls = 0;
      for (const WebForm& form : second->Forms()) result.controls += form.Controls().Count();
    }
    return result;
  }

  void PrintProfile(const std::string& path) {
    Open(path);
    Capture();
    pump_->ProcessPending();
    CallCosts costs;
    auto profiled = Profile(*tab_, [this] { return tab_->RoundTrips(); }, costs);
    WebPage page;
    page.SetIE(*profiled);
    page.Record();
    std::vector<std::pair<std::string, CallCost>> rows(costs.begin(), costs.end());
    std::sort(rows.begin(), rows.end(),
              [](const auto& a, const auto& b) { return a.second.time > b.second.time; });
    std::printf("  %-28s %7s %12s %10s\n", "call", "calls", "round trips", "ms");
    for (const auto& [name, cost] : rows) {
      std::printf("  %-28s %7llu %12llu %10.2f\n", name.c_str(),
                  static_cast<unsigned long long>(cost.calls),
                  static_cast<unsigned long long>(cost.round_trips),
                  std::chrono::duration<double, std::milli>(cost.time).count());
    }
  }

 private:
  static fs::path Folder() {
    static const fs::path folder = [] {
      fs::path f = fs::temp_directory_path() / ("ostrel-bench-capture-" + std::to_string(getpid()));
      fs::create_directories(f);
      return f;
    }();
    return folder;
  }

  std::unique_ptr<WebPage> Capture() {
    auto page = std::make_unique<WebPage>();
    page->SetIE(*tab_);
    page->Record();
    return page;
  }

  template <typename Done>
  void PumpUntil(Done done) {
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (!done()) {
      if (Clock::now() > deadline) throw OstrelError(err::kWebsiteProblem, "the page did not load");
      pump_->ProcessPending();
    }
  }

  test::TestServer server_;
  std::unique_ptr<ChromiumProcess> chromium_;
  std::shared_ptr<DevToolsBrowser> tab_;
  std::unique_ptr<DevToolsEventPump> pump_;
};

void Print(const char* label, Bench::Result r) {
  std::sort(r.ms.begin(), r.ms.end());
  const double median = r.ms[r.ms.size() / 2];
  std::printf("%s\n  %d forms, %d controls; capture min %.1f ms, median %.1f ms, max %.1f ms "
              "over %zu runs\n  %llu round trips per capture, %.3f per control\n",
              label, r.forms, r.controls, r.ms.front(), median, r.ms.back(), r.ms.size(),
              static_cast<unsigned long long>(r.round_trips),
              r.controls ? static_cast<double>(r.round_trips) / r.controls : 0.0);
}

}  // namespace
}  // namespace ostrel::bench

int main(int argc, char** argv) {
  using namespace ostrel::bench;
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  try {
    Bench bench;
    Print("1,000 inputs in 20 forms (top document)", bench.Measure("big.html", runs));
    Print("frameset of 5 frames, one 3-input login form each", bench.Measure("frameset.html", runs));
    Print("1,000 inputs in 20 forms over 5 frames", bench.Measure("bigframes.html", runs));
    Print("1,000 inputs, second capture inside the before-navigate handler",
          bench.MeasureInHandler("big.html", std::max(1, runs / 2)));
    std::printf("where one capture of the 1,000-input page goes:\n");
    bench.PrintProfile("big.html");
    std::printf("where one capture of the 5-frame frameset goes:\n");
    bench.PrintProfile("frameset.html");
  } catch (const ostrel::OstrelError& error) {
    std::fprintf(stderr, "bench_capture: %s\n", error.what());
    return 1;
  }
  return 0;
}
