#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>

#include "browser/IBrowserWindowSite.h"
#include "platform/devtools/ChromiumProcess.h"
#include "platform/devtools/DevToolsBrowser.h"

namespace ostrel {

// Where a browser window stands on the screen, in pixels.
struct WindowBounds {
  int left = 0, top = 0, width = 0, height = 0;
  bool known = false;
};

// One Chromium window: its id and the page targets (tabs) it holds. A tab
// gets its browser object (a DevTools session attached to it) the first
// time it is asked for; the object lives until the tab closes.
class BrowserWindowSite : public IBrowserWindowSite {
 public:
  BrowserWindowSite(ChromiumProcess& chromium, int64_t windowId, TabOptions options = {})
      : chromium_(chromium), window_id_(windowId), options_(options) {}

  int64_t WindowHandle() override { return window_id_; }
  int32_t TabCount() override { return static_cast<int32_t>(tabs_.size()); }
  IBrowser* BrowserOfTab(const std::string& tabId) override;

  void AddTab(const std::string& targetId) { tabs_.insert(targetId); }
  // Forgets the tab; returns its browser object, if one was made (it stays
  // alive while one of its own calls runs; see DevToolsBrowser).
  std::shared_ptr<DevToolsBrowser> RemoveTab(const std::string& targetId);
  bool HasTab(const std::string& targetId) const { return tabs_.count(targetId) > 0; }
  // The browser object made for a tab; nullptr when none was made.
  DevToolsBrowser* Attached(const std::string& targetId);

  // The window's place on the screen (Browser.getWindowBounds).
  WindowBounds Bounds();
  pid_t BrowserPid() const { return chromium_.Pid(); }

 private:
  ChromiumProcess& chromium_;
  int64_t window_id_;
  TabOptions options_;
  std::set<std::string> tabs_;
  std::map<std::string, std::shared_ptr<DevToolsBrowser>> browsers_;
};

}  // namespace ostrel
