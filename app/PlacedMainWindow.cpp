#include "app/PlacedMainWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <exception>

#include "app/BrowserWindowSite.h"
#include "app/X11Windows.h"
#include "platform/devtools/DevToolsBrowser.h"
#include "support/WindowPlacement.h"

namespace ostrel {

namespace {

// Room left above the page when the browser cannot tell where its page
// starts: tab strip, toolbar, bookmarks bar and one info bar.
constexpr int kToolbarAllowance = 140;

QScreen* ScreenOf(const WindowBounds& b) {
  QScreen* screen = QGuiApplication::screenAt(QPoint(b.left + b.width / 2, b.top + b.height / 2));
  return screen ? screen : QGuiApplication::primaryScreen();
}

}  // namespace

void PlacedMainWindow::ShowOver(IBrowserWindowSite& owner) {
  auto* site = dynamic_cast<BrowserWindowSite*>(&owner);
  if (site && window_->IsLoaded() && !window_->isVisible()) {
    const WindowBounds b = site->Bounds();
    if (b.known && b.width > 0 && !HasReachablePosition()) PlaceOver(b);
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

bool PlacedMainWindow::HasReachablePosition() const {
  if (!window_->HasPosition()) return false;
  // A place on a screen that has since gone (a monitor unplugged) is none:
  // the title bar must be on a screen to be dragged.
  const QRect frame = window_->frameGeometry();
  return QGuiApplication::screenAt(QPoint(frame.center().x(), frame.top() + kPlacementGap)) != nullptr;
}

void PlacedMainWindow::PlaceOver(const WindowBounds& b) {
  QScreen* screen = ScreenOf(b);
  const QRect work = screen ? screen->availableGeometry() : QRect(b.left, b.top, b.width, b.height);
  const double ratio = screen ? screen->devicePixelRatio() : 1.0;
  const QSize size = window_->frameGeometry().size();
  const PixelPoint at = PlaceBelowToolbar({b.left, b.top, b.width, b.height}, PageTop(b, ratio),
                                          size.width(), size.height(),
                                          {work.left(), work.top(), work.width(), work.height()});
  window_->move(at.x, at.y);
}

int PlacedMainWindow::PageTop(const WindowBounds& b, double pixelRatio) {
  if (auto* tab = dynamic_cast<DevToolsBrowser*>(window_->IE())) {
    try {
      // The page's height in device pixels, whatever the page's zoom; all
      // the browser window holds above it is toolbars.
      const auto metrics = tab->Session().Call("Page.getLayoutMetrics");
      const double height = metrics.at("layoutViewport").at("clientHeight").get<double>() / pixelRatio;
      if (height > 0 && height <= b.height) return b.top + b.height - static_cast<int>(height);
    } catch (const std::exception&) {
      // The tab cannot tell: the allowance below.
    }
  }
  return b.top + kToolbarAllowance;
}

}  // namespace ostrel
