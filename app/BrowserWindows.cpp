#include "app/BrowserWindows.h"

#include <QTimer>
#include <exception>

#include "platform/devtools/JsonFields.h"

namespace ostrel {

using devtools::Obj;
using devtools::Str;

BrowserWindows::BrowserWindows(ChromiumProcess& chromium, Extension::MainWindowFactory makeMainWindow,
                               IMessageBox& box, std::string extensionId, TabOptions tabs)
    : chromium_(chromium),
      make_main_window_(std::move(makeMainWindow)),
      box_(box),
      extension_id_(std::move(extensionId)),
      tab_options_(tabs) {}

BrowserWindows::~BrowserWindows() {
  DevToolsSession& browser = chromium_.Connection().Browser();
  for (int key : listeners_) browser.RemoveListener(key);
  *alive_ = false;
  // Main windows go first: they hold the tabs' browser objects.
  for (auto& [id, window] : windows_) window.extension->SetSite(nullptr);
  windows_.clear();
  closed_.clear();
  workers_.clear();
}

void BrowserWindows::Start() {
  DevToolsSession& browser = chromium_.Connection().Browser();
  listeners_.push_back(browser.AddListener("Target.targetCreated", [this](const nlohmann::json& p) {
    OnTargetCreated(Obj(p, "targetInfo"));
  }));
  listeners_.push_back(browser.AddListener("Target.targetDestroyed", [this](const nlohmann::json& p) {
    OnTargetDestroyed(Str(p, "targetId"));
  }));
  browser.Call("Target.setDiscoverTargets", {{"discover", true}});
  for (const TargetInfo& t : chromium_.Targets()) {
    OnTargetCreated({{"targetId", t.id}, {"type", t.type}, {"url", t.url}});
  }
}

void BrowserWindows::OnTargetCreated(const nlohmann::json& info) {
  const std::string id = Str(info, "targetId");
  const std::string type = Str(info, "type");
  const std::string url = Str(info, "url");
  if (id.empty()) return;
  try {
    if (type == "page") {
      AddPage(id);
    } else if (type == "service_worker" &&
               url.rfind("chrome-extension://" + extension_id_ + "/", 0) == 0) {
      AttachWorker(id);
    }
  } catch (const std::exception&) {
    // A target that went away at once; nothing to follow.
  }
}

void BrowserWindows::AddPage(const std::string& targetId) {
  if (WindowOfTab(targetId)) return;
  auto r = chromium_.Connection().Browser().Call("Browser.getWindowForTarget", {{"targetId", targetId}});
  const int64_t window_id = devtools::Int(r, "windowId");
  Window& window = windows_[window_id];
  if (!window.site) {
    window.site = std::make_unique<BrowserWindowSite>(chromium_, window_id, tab_options_);
    window.site->AddTab(targetId);
    window.extension = std::make_unique<Extension>(make_main_window_, box_);
    window.extension->SetSite(window.site.get());
  } else {
    window.site->AddTab(targetId);
  }
}

void BrowserWindows::OnTargetDestroyed(const std::string& targetId) {
  workers_.erase(targetId);
  for (auto it = windows_.begin(); it != windows_.end(); ++it) {
    Window& window = it->second;
    if (!window.site->HasTab(targetId)) continue;
    if (DevToolsBrowser* browser = window.site->Attached(targetId)) {
      window.extension->BrowserGone(browser);
    }
    window.site->RemoveTab(targetId);
    if (window.site->TabCount() == 0) {
      window.extension->SetSite(nullptr);
      // A press may be under way in this window (a message box open inside
      // it): the window's objects go once no press runs.
      closed_.push_back(std::move(window));
      windows_.erase(it);
      if (pressing_ == 0) closed_.clear();
    }
    return;
  }
}

void BrowserWindows::AttachWorker(const std::string& targetId) {
  if (workers_.count(targetId)) return;
  std::shared_ptr<DevToolsSession> session = chromium_.Attach(targetId);
  std::weak_ptr<bool> alive = alive_;
  session->AddListener("Runtime.bindingCalled", [this, alive](const nlohmann::json& p) {
    if (Str(p, "name") != kBinding) return;
    const std::string tab = Str(nlohmann::json::parse(Str(p, "payload"), nullptr, false), "targetId");
    if (tab.empty()) return;
    // Out of the pipe's dispatch: the press may show message boxes.
    QTimer::singleShot(0, [this, alive, tab] {
      const std::shared_ptr<bool> still = alive.lock();
      if (still && *still) Press(tab);
    });
  });
  session->Call("Runtime.enable");
  session->Call("Runtime.addBinding", {{"name", kBinding}});
  workers_[targetId] = std::move(session);
}

void BrowserWindows::Press(const std::string& targetId) {
  Window* window = WindowOfTab(targetId);
  if (!window) {
    try {
      AddPage(targetId);  // a tab whose creation has not been reported yet
    } catch (const std::exception&) {
      return;
    }
    window = WindowOfTab(targetId);
    if (!window) return;
  }
  ++presses_;
  ++pressing_;
  window->extension->Exec(targetId);
  if (--pressing_ == 0) closed_.clear();
}

BrowserWindows::Window* BrowserWindows::WindowOfTab(const std::string& targetId) {
  for (auto& [id, window] : windows_) {
    if (window.site->HasTab(targetId)) return &window;
  }
  return nullptr;
}

Extension* BrowserWindows::ExtensionOfTab(const std::string& targetId) {
  Window* window = WindowOfTab(targetId);
  return window ? window->extension.get() : nullptr;
}

BrowserWindowSite* BrowserWindows::SiteOfTab(const std::string& targetId) {
  Window* window = WindowOfTab(targetId);
  return window ? window->site.get() : nullptr;
}

void BrowserWindows::ResetMainWindows() {
  for (auto& [id, window] : windows_) {
    window.extension->SetSite(nullptr);
    window.extension->SetSite(window.site.get());
  }
}

}  // namespace ostrel
