#include "app/BrowserWindowSite.h"

#include <exception>

#include "platform/devtools/JsonFields.h"

namespace ostrel {

IBrowser* BrowserWindowSite::BrowserOfTab(const std::string& tabId) {
  if (!HasTab(tabId)) return nullptr;
  auto& browser = browsers_[tabId];
  if (!browser) browser = std::make_shared<DevToolsBrowser>(chromium_.Attach(tabId), "", options_);
  return browser.get();
}

std::shared_ptr<DevToolsBrowser> BrowserWindowSite::RemoveTab(const std::string& targetId) {
  tabs_.erase(targetId);
  auto it = browsers_.find(targetId);
  if (it == browsers_.end()) return nullptr;
  std::shared_ptr<DevToolsBrowser> browser = std::move(it->second);
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
    const nlohmann::json& bounds = devtools::Obj(r, "bounds");
    b.left = static_cast<int>(devtools::Int(bounds, "left"));
    b.top = static_cast<int>(devtools::Int(bounds, "top"));
    b.width = static_cast<int>(devtools::Int(bounds, "width"));
    b.height = static_cast<int>(devtools::Int(bounds, "height"));
    b.known = b.width > 0 && b.height > 0;
  } catch (const std::exception&) {
  }
  return b;
}

}  // namespace ostrel
