#pragma once

#include <QWindow>
#include <memory>

#include "app/BrowserWindowSite.h"
#include "browser/IBrowserWindowSite.h"
#include "window/frmMain.h"

namespace ostrel {

// The main window as the toolbar entry shows it: in front of its browser
// window. Where the windowing system allows (X11), the browser window is
// made the window's transient parent, so it stays above it and follows it
// when minimised.
//
// A window with a place of its own (stored at the last unload, or the one
// it had when last shown) opens there. Only without one, or when that
// place is on no screen any more, is it put over the browser window: at
// its right edge, below everything the browser shows above the page, so
// the address bar, the Ostrel button and the browser's menu stay in view.
class PlacedMainWindow : public IMainWindow {
 public:
  explicit PlacedMainWindow(std::unique_ptr<frmMain> window) : window_(std::move(window)) {}
  // The window may still be in use by a handler (a message box open, a Go
  // To waiting): it goes once that has returned (frmMain::Dispose).
  ~PlacedMainWindow() override { window_.release()->Dispose(); }

  void SetIE(IBrowser* browser) override { window_->SetIE(browser); }
  void Load() override { window_->Load(); }
  void ShowOver(IBrowserWindowSite& owner) override;

  frmMain& Window() { return *window_; }

 private:
  bool HasReachablePosition() const;
  void PlaceOver(const WindowBounds& browser);
  // Where the page of the bound tab starts, in screen pixels.
  int PageTop(const WindowBounds& browser, double pixelRatio);

  std::unique_ptr<QWindow> owner_;  // the browser's native window, when found
  std::unique_ptr<frmMain> window_;
};

}  // namespace ostrel
