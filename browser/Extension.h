#pragma once

#include <functional>
#include <memory>
#include <string>

#include "browser/IBrowserWindowSite.h"
#include "support/MessageBox.h"

namespace ostrel {

// The toolbar button of one browser window: the program creates one
// Extension per browser window, hands it the window when it appears
// (SetSite) and takes it away when it closes (SetSite(nullptr)), and calls
// Exec when the button is pressed in one of the window's tabs.
//
// The Extension owns its main window object, created (not loaded, not
// shown) when a site is set and dropped when the site is taken away.
class Extension {
 public:
  using MainWindowFactory = std::function<std::unique_ptr<IMainWindow>()>;

  // box shows "You need to start Internet Explorer!" when a site holds no
  // tab at all; it must outlive the Extension.
  Extension(MainWindowFactory makeMainWindow, IMessageBox& box);
  ~Extension();
  Extension(const Extension&) = delete;
  Extension& operator=(const Extension&) = delete;

  // pSite (not owned) must stay valid until the next SetSite. nullptr drops
  // the main window and forgets the browser.
  void SetSite(IBrowserWindowSite* pSite);
  IBrowserWindowSite* GetSite() const { return mSite; }

  // The button press in tab tabId: binds the main window to that tab's
  // browser, loads it, binds it again and shows it in front of the browser
  // window. Does nothing without a site or when the tab is not one of the
  // site's. A failure ends the press silently.
  void Exec(const std::string& tabId);

  // The tab of browser is closing: when the main window is bound to it,
  // unbinds it first (the browser object is destroyed after this returns).
  void BrowserGone(IBrowser* browser);

  IMainWindow* Main() const { return mMain.get(); }
  // The browser last bound by a press; nullptr before the first one.
  IBrowser* Browser() const { return mBrowser; }

 private:
  MainWindowFactory mMakeMainWindow;
  IMessageBox& mBox;
  IBrowserWindowSite* mSite = nullptr;
  IBrowser* mBrowser = nullptr;
  std::unique_ptr<IMainWindow> mMain;
};

}  // namespace ostrel
