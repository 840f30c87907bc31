#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/BrowserWindowSite.h"
#include "browser/Extension.h"
#include "platform/devtools/ChromiumProcess.h"
#include "platform/devtools/DevToolsSession.h"

namespace ostrel {

// Follows Chromium's windows and gives each its toolbar entry: one Extension
// per browser window, sited when the window's first tab appears and unsited
// when its last tab closes. The toolbar button's service worker reports a
// press through the binding "ostrelButtonPressed" with the tab's target id;
// the press runs Exec on the Extension of that tab's window, from the Qt
// loop (never inside the pipe's dispatch).
//
// chromium and box must outlive the object; destroy it before chromium.
class BrowserWindows {
 public:
  static constexpr char kBinding[] = "ostrelButtonPressed";

  // tabs: how the tabs' browser objects are set up.
  BrowserWindows(ChromiumProcess& chromium, Extension::MainWindowFactory makeMainWindow,
                 IMessageBox& box, std::string extensionId, TabOptions tabs = {});
  ~BrowserWindows();
  BrowserWindows(const BrowserWindows&) = delete;
  BrowserWindows& operator=(const BrowserWindows&) = delete;

  // Starts following targets (the tabs open now included) and listening to
  // the button.
  void Start();

  // A press of the button in tab targetId, as the service worker reports it.
  void Press(const std::string& targetId);

  // The Extension of the window holding tab targetId; nullptr when unknown.
  Extension* ExtensionOfTab(const std::string& targetId);
  BrowserWindowSite* SiteOfTab(const std::string& targetId);
  size_t WindowCount() const { return windows_.size(); }
  // Presses handled so far (Exec called).
  int Presses() const { return presses_; }
  // Every window's Extension unsited and sited again: each gets a fresh,
  // unloaded main window.
  void ResetMainWindows();

 private:
  struct Window {
    std::unique_ptr<BrowserWindowSite> site;
    std::unique_ptr<Extension> extension;
  };

  void OnTargetCreated(const nlohmann::json& info);
  void OnTargetDestroyed(const std::string& targetId);
  void AddPage(const std::string& targetId);
  void AttachWorker(const std::string& targetId);
  Window* WindowOfTab(const std::string& targetId);

  ChromiumProcess& chromium_;
  Extension::MainWindowFactory make_main_window_;
  IMessageBox& box_;
  std::string extension_id_;
  TabOptions tab_options_;
  std::map<int64_t, Window> windows_;
  std::vector<Window> closed_;  // windows gone while a press ran
  std::map<std::string, std::shared_ptr<DevToolsSession>> workers_;
  std::vector<int> listeners_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  int presses_ = 0;
  int pressing_ = 0;
};

}  // namespace ostrel
