#pragma once

#include <cstdint>
#include <string>

#include "platform/browser/Browser.h"

namespace ostrel {

// One browser window as its toolbar button sees it: the window and the tabs
// it holds. The program implements it over the real browser.
class IBrowserWindowSite {
 public:
  virtual ~IBrowserWindowSite() = default;
  // The browser's own number for the window.
  virtual int64_t WindowHandle() = 0;
  // How many tabs the window holds now.
  virtual int32_t TabCount() = 0;
  // The browser object of the tab tabId of this window; nullptr when the
  // window holds no such tab. Owned by the site; valid until the tab closes.
  virtual IBrowser* BrowserOfTab(const std::string& tabId) = 0;
};

// The main window (frmMain) as the toolbar button drives it.
class IMainWindow {
 public:
  virtual ~IMainWindow() = default;
  // The IE property: binds the window to the browser (nullptr unbinds).
  virtual void SetIE(IBrowser* browser) = 0;
  // Loads the window (running its start-up) unless it is loaded already.
  virtual void Load() = 0;
  // Shows the window, not modal, in front of the site's browser window and
  // owned by it where the windowing system allows.
  virtual void ShowOver(IBrowserWindowSite& owner) = 0;
};

}  // namespace ostrel
