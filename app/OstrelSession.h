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
};

// Ostrel running next to one Chromium: starts the browser with the toolbar
// button loaded, follows its windows (one Extension and main window each),
// hands the browser's messages out from the Qt loop and calls closed() when
// the browser exits. Needs a QApplication.
class OstrelSession {
 public:
  // services() is asked for the services of each main window made.
  // Throws OstrelError when the browser cannot be started or the button
  // cannot be loaded.
  OstrelSession(SessionOptions options, std::function<WindowServices()> services,
                IMessageBox& box, std::function<void()> closed);
  ~OstrelSession();

  ChromiumProcess& Chromium() { return *chromium_; }
  BrowserWindows& Windows() { return *windows_; }
  IEventPump& Pump() { return *pump_; }
  const std::string& ExtensionId() const { return extension_id_; }

  // The folder of the toolbar button next to the program (share/ostrel/
  // extension in the build tree), else the one in the source tree.
  static std::filesystem::path DefaultExtensionFolder();

 private:
  std::unique_ptr<ChromiumProcess> chromium_;
  std::unique_ptr<AppEventPump> pump_;
  SystemClock clock_;
  std::string extension_id_;
  std::unique_ptr<BrowserWindows> windows_;
  std::unique_ptr<PipeWatcher> watcher_;
};

}  // namespace ostrel
