#include "app/BrowserWindowSite.h"

#include <exception>

namespace ostrel {

IBrowser* BrowserWindowSite::BrowserOfTab(const std::string& tabId) {
  if (!HasTab(tabId)) return nullptr;
  auto& browser = browsers_[tabId];
  if (!browser) browser = std::make_unique<DevToolsBrowser>(chromium_.Attach(tabId));
  return browser.get();
}

std::unique_ptr<DevToolsBrowser> BrowserWindowSite::RemoveTab(const std::string& targetId) {
  tabs_.erase(targetId);
  auto it = browsers_.find(targetId);
  if (it == browsers_.end()) return nullptr;
  std::unique_ptr<DevToolsBrowser> browser = std::move(it->second);
  browsers_.erase(it);
  return browser;
}

DevToolsBrowser* BrowserWindowSite::Attached(const std::string& targetId) {
  auto it = browsers_.find(targetId);
  return it == browsers_.end() ? nullptr : it->second.get();
}

WindowBounds BrowserWindowSite::Bounds() {
  WindowBounds b;
  try {
    auto r = chromium_.Connection().Browser().Call("Browser.getWindowBounds", {{"windowId", window_id_}});
    const auto& bounds = r.at("bounds");
    b.left = bounds.value("left", 0);
    b.top = bounds.value("top", 0);
    b.width = bounds.value("width", 0);
    b.height = bounds.value("height", 0);
    b.known = true;
  } catch (const std::exception&) {
  }
  return b;
}

}  // namespace ostrel
