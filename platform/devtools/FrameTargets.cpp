#include "platform/devtools/FrameTargets.h"

#include "platform/devtools/JsonFields.h"

namespace ostrel {

using devtools::Bool;
using devtools::Int;
using devtools::Obj;
using devtools::Str;

namespace {
const nlohmann::json kAutoAttach = {{"autoAttach", true}, {"waitForDebuggerOnStart", true}, {"flatten", true}};
}  // namespace

// What the page posts is told in the request's event; nothing of the
// answers is kept.
const nlohmann::json FrameTargets::kNetwork = {{"maxTotalBufferSize", 0}, {"maxResourceBufferSize", 0},
                                                {"maxPostDataSize", 65536}};

FrameTargets::FrameTargets(std::shared_ptr<DevToolsSession> tab, DomContextPtr tab_context, std::string script,
                           AttachedHandler attached)
    : tab_(std::move(tab)), tab_context_(std::move(tab_context)), script_(std::move(script)),
      attached_(std::move(attached)) {
  Watch(*tab_);
  tab_->Call("Target.setAutoAttach", kAutoAttach);
}

FrameTargets::~FrameTargets() {
  for (auto& [session, key] : listeners_) {
    if (auto s = session.lock()) s->RemoveListener(key);
  }
  for (auto& [id, target] : targets_) {
    target.session->Post("Target.detachFromTarget", {{"sessionId", target.session->Id()}});
  }
}

// Frame targets of this session (the tab's, or a frame target's) come and
// go through its Target events.
void FrameTargets::Watch(DevToolsSession& parent) {
  std::weak_ptr<DevToolsSession> weak = parent.weak_from_this();
  listeners_.emplace_back(weak, parent.AddListener("Target.attachedToTarget",
                                                   [this](const nlohmann::json& params) { Attach(params); }));
  listeners_.emplace_back(weak, parent.AddListener("Target.detachedFromTarget", [this](const nlohmann::json& params) {
    const std::string id = Str(params, "targetId");
    if (!id.empty()) targets_.erase(id);
  }));
}

void FrameTargets::Attach(const nlohmann::json& params) {
  const nlohmann::json& info = Obj(params, "targetInfo");
  const std::string session_id = Str(params, "sessionId");
  const std::string target_id = Str(info, "targetId");
  if (session_id.empty() || target_id.empty()) return;
  auto session = std::make_shared<DevToolsSession>(tab_->Connection(), session_id);
  if (Str(info, "type") != "iframe") {
    // A worker of the page: nothing of Ostrel's runs there.
    session->Post("Runtime.runIfWaitingForDebugger");
    session->Post("Target.detachFromTarget", {{"sessionId", session_id}});
    return;
  }
  Target target{session, std::make_shared<DomContext>(session)};
  target.context->SetMainFrame(target_id);
  target.context->SetFrames([weak = std::weak_ptr<DomContext>(tab_context_)](const std::string& frame) {
    auto tab = weak.lock();
    return tab ? tab->ContextOfFrame(frame) : nullptr;
  });
  // The listeners hold the context weakly: the session holds them.
  std::weak_ptr<DomContext> weak_context = target.context;
  const auto on = [&](const char* method, std::function<void(DomContext&, const nlohmann::json&)> handle) {
    listeners_.emplace_back(session, session->AddListener(method, [weak_context, handle](const nlohmann::json& p) {
      if (auto context = weak_context.lock()) handle(*context, p);
    }));
  };
  on("Runtime.executionContextCreated", [](DomContext& c, const nlohmann::json& p) { c.ContextCreated(Obj(p, "context")); });
  on("Runtime.executionContextDestroyed",
     [](DomContext& c, const nlohmann::json& p) { c.ContextDestroyed(Int(p, "executionContextId")); });
  on("Runtime.executionContextsCleared", [](DomContext& c, const nlohmann::json&) { c.ContextsCleared(); });
  for (const char* touched : {"Page.frameStartedLoading", "Page.frameNavigated", "Page.frameStoppedLoading"}) {
    on(touched, [](DomContext& c, const nlohmann::json&) { c.Touch(); });
  }
  Watch(*session);
  Target& kept = targets_[target_id] = std::move(target);
  if (attached_) attached_(kept);
  SetUp(*session, Bool(params, "waitingForDebugger"));
}

// Posted, not waited for: this runs inside the event that announced the
// target, and the browser takes the commands in order, the last letting
// the frame run.
void FrameTargets::SetUp(DevToolsSession& session, bool run) {
  session.Post("Runtime.enable");
  session.Post("Page.enable");
  session.Post("Page.addScriptToEvaluateOnNewDocument",
               {{"source", script_}, {"worldName", kOwnWorld}, {"runImmediately", true}});
  session.Post("Target.setAutoAttach", kAutoAttach);
  if (watching_) Watching(session, true);
  if (run) session.Post("Runtime.runIfWaitingForDebugger");
}

void FrameTargets::Watching(DevToolsSession& session, bool on) {
  if (on) {
    session.Post("Debugger.enable");
    session.Post("Network.enable", kNetwork);
  } else {
    session.Post("Network.disable");
    session.Post("Debugger.disable");
  }
}

void FrameTargets::SetWatching(bool on) {
  if (watching_ == on) return;
  watching_ = on;
  for (auto& [id, target] : targets_) Watching(*target.session, on);
}

void FrameTargets::ForEachSession(const std::function<void(DevToolsSession&)>& call) {
  call(*tab_);
  for (auto& [id, target] : targets_) call(*target.session);
}

DomContextPtr FrameTargets::ContextOf(const std::string& frame_id) const {
  auto it = targets_.find(frame_id);
  return it == targets_.end() ? tab_context_ : it->second.context;
}

}  // namespace ostrel
