#pragma once

#include <QWindow>
#include <memory>

#include "browser/IBrowserWindowSite.h"
#include "window/frmMain.h"

namespace ostrel {

// The main window as the toolbar entry shows it: in front of its browser
// window. Where the windowing system allows (X11), the browser window is
// made the window's transient parent, so it stays above it and follows it
// when minimised; elsewhere the window is placed over the browser window.
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
  std::unique_ptr<QWindow> owner_;  // the browser's native window, when found
  std::unique_ptr<frmMain> window_;
};

}  // namespace ostrel
