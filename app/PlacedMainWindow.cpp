#include "app/PlacedMainWindow.h"

#include <QGuiApplication>
#include <QWindow>
#include <algorithm>

#include "app/BrowserWindowSite.h"
#include "app/X11Windows.h"

namespace ostrel {

void PlacedMainWindow::ShowOver(IBrowserWindowSite& owner) {
  auto* site = dynamic_cast<BrowserWindowSite*>(&owner);
  if (site && !window_->isVisible()) {
    const WindowBounds b = site->Bounds();
    if (b.known && b.width > 0) {
      // Top right of the browser window, below its toolbar, where the
      // button sits.
      const int x = b.left + std::max(0, b.width - window_->width() - 24);
      const int y = b.top + 80;
      window_->move(x, y);
    }
    if (QGuiApplication::platformName() == "xcb") {
      // An owned window: X11 honours WM_TRANSIENT_FOR for dialog-type
      // windows only. The flag is set before the native window exists.
      if (!window_->windowFlags().testFlag(Qt::Dialog) && !window_->testAttribute(Qt::WA_WState_Created)) {
        window_->setWindowFlag(Qt::Dialog);
      }
      window_->winId();  // makes the native window
      if (QWindow* handle = window_->windowHandle()) {
        const unsigned long owner_window = FindBrowserWindow(site->BrowserPid(), b);
        if (owner_window != 0 && (!owner_ || owner_->winId() != owner_window)) {
          owner_.reset(QWindow::fromWinId(owner_window));
        }
        if (owner_) handle->setTransientParent(owner_.get());
      }
    }
  }
  window_->ShowOver(owner);
}

}  // namespace ostrel
