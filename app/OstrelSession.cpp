#include "app/OstrelSession.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <thread>

#include "app/BrowserHooks.h"
#include "app/ProfilePreferences.h"
#include "app/PlacedMainWindow.h"
#include "platform/devtools/JsonFields.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"
#include "support/ShowError.h"

namespace ostrel {

OstrelSession::OstrelSession(SessionOptions options, std::function<WindowServices()> services,
                             IMessageBox& box, std::function<void()> closed) {
  ChromiumOptions chromium;
  chromium.executable = options.browser;
  chromium.headless = options.headless;
  chromium.extension_debugging = true;
  if (!options.profile.empty()) {
    // The profile keeps the person's browsing: theirs alone.
    std::filesystem::create_directories(options.profile);
    std::error_code ignored;
    std::filesystem::permissions(options.profile, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace, ignored);
    PrepareProfile(options.profile, kButtonExtensionId);
    chromium.profile = options.profile;
  }
  chromium_ = std::make_unique<ChromiumProcess>(chromium);
  pump_ = std::make_unique<AppEventPump>(chromium_->Connection());

  const std::filesystem::path extension =
      options.extension.empty() ? DefaultExtensionFolder() : options.extension;
  auto loaded = chromium_->Connection().Browser().Call(
      "Extensions.loadUnpacked", {{"path", std::filesystem::absolute(extension).string()}});
  extension_id_ = devtools::Str(loaded, "id");
  if (extension_id_.empty()) throw OstrelError(err::kBrowserProtocol, "the toolbar button was not loaded");

  // "HeadlessChrome/120.0.6099.224" or "Chrome/...": the version of the
  // Chromium running.
  const std::string product = devtools::Str(chromium_->Connection().Browser().Call("Browser.getVersion"), "product");
  const size_t slash = product.find('/');
  if (slash != std::string::npos) browser_version_ = "Chromium " + product.substr(slash + 1);
  if (options.welcome && !options.profile.empty()) WelcomeOnFirstStart(options.profile);

  auto make_window = [this, services]() -> std::unique_ptr<IMainWindow> {
    WindowServices window_services = services();
    window_services.browserVersion = browser_version_;
    auto window = std::make_unique<frmMain>(window_services);
    window->SetRecordingHooks(BrowserHooks::Factory(*pump_, clock_));
    return std::make_unique<PlacedMainWindow>(std::move(window));
  };
  // Page dialogs are the person's to answer; a headless browser has no one
  // to answer them.
  TabOptions tabs;
  tabs.dismiss_dialogs = options.headless;
  windows_ = std::make_unique<BrowserWindows>(*chromium_, make_window, box, extension_id_, tabs);
  windows_->Start();
  watcher_ = std::make_unique<PipeWatcher>(*chromium_, std::move(closed));
}

OstrelSession::~OstrelSession() {
  watcher_.reset();
  windows_.reset();
  pump_.reset();
  chromium_.reset();
}

void OstrelSession::WelcomeOnFirstStart(const std::filesystem::path& profile) {
  std::error_code ignored;
  const std::filesystem::path marker = profile / kWelcomedMarker;
  if (std::filesystem::exists(marker, ignored)) return;
  try {
    // The browser's first tab may come a moment after the browser answers.
    std::vector<TargetInfo> before;
    for (int wait = 0; wait < 100; ++wait) {
      before = chromium_->Targets();
      if (std::any_of(before.begin(), before.end(), [](const TargetInfo& t) { return t.type == "page"; })) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    chromium_->OpenTab("chrome-extension://" + extension_id_ + "/" + kWelcomePage);
    // The welcome page takes the place of the empty first tab.
    for (const TargetInfo& target : before) {
      if (target.type == "page" && target.url == "about:blank") {
        chromium_->Connection().Browser().Call("Target.closeTarget", {{"targetId", target.id}});
      }
    }
    std::ofstream(marker) << "The welcome page of Ostrel was shown in this profile.\n";
  } catch (const OstrelError& e) {
    LogError(e);  // Ostrel works on without it; the next start tries again
  }
}

std::filesystem::path OstrelSession::DefaultExtensionFolder() {
  std::error_code ignored;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ignored);
  if (!self.empty()) {
    const auto beside = self.parent_path().parent_path() / "share" / "ostrel" / "extension";
    if (std::filesystem::exists(beside / "manifest.json", ignored)) return beside;
  }
  return OSTREL_SOURCE_EXTENSION_DIR;
}

}  // namespace ostrel
