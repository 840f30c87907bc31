#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/AppEventPump.h"
#include "app/BrowserWindows.h"
#include "app/PipeWatcher.h"
#include "browser/SystemClock.h"
#include "platform/devtools/ChromiumProcess.h"
#include "support/MessageBox.h"
#include "window/WindowServices.h"

namespace ostrel {

struct SessionOptions {
  std::string browser;     // the Chromium program; empty: "chromium" on PATH
  bool headless = false;
  std::filesystem::path profile;  // empty: a fresh profile, removed at the end
  std::filesystem::path extension;  // the toolbar button's folder
  // Whether the first start with profile shows the welcome page.
  bool welcome = false;
};

// Ostrel running next to one Chromium: starts the browser with the toolbar
// button loaded, follows its windows (one Extension and main window each),
// hands the browser's messages out from the Qt loop and calls closed() when
// the browser exits. Needs a QApplication.
//
// With options.welcome, the first time it starts with a profile of the
// person's (not a fresh one), the browser's first tab shows the toolbar button's welcome page
// (where the button is, how to record a first login) instead of an empty
// page; the profile remembers that it was shown (kWelcomedMarker), and
// later starts leave the first tab to Chromium.
class OstrelSession {
 public:
  // services() is asked for the services of each main window made.
  // Throws OstrelError when the browser cannot be started or the button
  // cannot be loaded.
  OstrelSession(SessionOptions options, std::function<WindowServices()> services,
                IMessageBox& box, std::function<void()> closed);
  ~OstrelSession();

  static constexpr char kWelcomedMarker[] = "ostrel-welcome-shown";
  static constexpr char kWelcomePage[] = "welcome.html";

  ChromiumProcess& Chromium() { return *chromium_; }
  // The browser's name and version, as the about box shows it.
  const std::string& BrowserVersion() const { return browser_version_; }
  BrowserWindows& Windows() { return *windows_; }
  IEventPump& Pump() { return *pump_; }
  const std::string& ExtensionId() const { return extension_id_; }

  // The folder of the toolbar button next to the program (share/ostrel/
  // extension in the build tree), else the one in the source tree.
  static std::filesystem::path DefaultExtensionFolder();

 private:
  void WelcomeOnFirstStart(const std::filesystem::path& profile);

  std::unique_ptr<ChromiumProcess> chromium_;
  std::unique_ptr<AppEventPump> pump_;
  SystemClock clock_;
  std::string extension_id_;
  std::string browser_version_;
  std::unique_ptr<BrowserWindows> windows_;
  std::unique_ptr<PipeWatcher> watcher_;
};

}  // namespace ostrel
