#include "app/OstrelSession.h"

#include <unistd.h>

#include "app/BrowserHooks.h"
#include "app/ProfilePreferences.h"
#include "app/PlacedMainWindow.h"
#include "platform/devtools/JsonFields.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

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

  auto make_window = [this, services]() -> std::unique_ptr<IMainWindow> {
    auto window = std::make_unique<frmMain>(services());
    window->SetRecordingHooks(BrowserHooks::Factory(*pump_, clock_));
    return std::make_unique<PlacedMainWindow>(std::move(window));
  };
  // Page dialogs are the person's to answer; a headless browser has no one
  // to answer them.
  TabOptions tabs;
  tabs.accept_dialogs = options.headless;
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
