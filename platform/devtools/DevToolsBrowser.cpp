#include "platform/devtools/DevToolsBrowser.h"

#include "platform/devtools/ChromiumProcess.h"
#include "platform/devtools/DevToolsConnection.h"
#include "platform/devtools/DevToolsDocument.h"
#include "platform/devtools/DomScripts.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

DevToolsBrowser::DevToolsBrowser(std::unique_ptr<DevToolsSession> session, std::string close_target,
                                 TabOptions options)
    : session_(std::move(session)),
      close_target_(std::move(close_target)),
      options_(options),
      context_(*session_) {
  Listen();
  session_->Call("Page.enable");
  session_->Call("Page.setLifecycleEventsEnabled", {{"enabled", true}});
  main_frame_ = session_->Call("Page.getFrameTree")["frameTree"]["frame"].value("id", "");
  session_->Call("Page.addScriptToEvaluateOnNewDocument",
                 {{"source", dom::BeforeNavigateScript()}, {"runImmediately", true}});
  session_->Call("Target.setAutoAttach", {{"autoAttach", true}, {"waitForDebuggerOnStart", true}, {"flatten", true}});
  auto state = context_.CallValue(RemoteRef{}, dom::TopReadyState());
  tracker_.SetInitial(state == "complete" ? 4 : state == "interactive" ? 3 : 1);
}

std::unique_ptr<DevToolsBrowser> DevToolsBrowser::OpenTab(ChromiumProcess& chromium, TabOptions options) {
  std::string target = chromium.OpenTab("about:blank");
  return std::make_unique<DevToolsBrowser>(chromium.Attach(target), target, options);
}

DevToolsBrowser::~DevToolsBrowser() {
  frame_sessions_.clear();
  if (!close_target_.empty()) {
    session_->Connection().Browser().Post("Target.closeTarget", {{"targetId", close_target_}});
  }
}

void DevToolsBrowser::Listen() {
  auto main = [this](const nlohmann::json& params) { return params.value("frameId", "") == main_frame_; };
  session_->AddListener("Page.frameStartedLoading", [this, main](const nlohmann::json& params) {
    context_.Touch();
    if (main(params)) tracker_.StartedLoading();
  });
  session_->AddListener("Page.frameStoppedLoading", [this, main](const nlohmann::json& params) {
    context_.Touch();
    if (main(params)) tracker_.StoppedLoading();
  });
  session_->AddListener("Page.frameNavigated", [this](const nlohmann::json& params) {
    context_.Touch();
    const auto& frame = params["frame"];
    if (!frame.contains("parentId")) {
      main_frame_ = frame.value("id", main_frame_);
      tracker_.Committed(frame.value("loaderId", ""));
      navigating_url_.clear();
    }
  });
  session_->AddListener("Page.lifecycleEvent", [this, main](const nlohmann::json& params) {
    if (!main(params)) return;
    context_.Touch();
    tracker_.Lifecycle(params.value("loaderId", ""), params.value("name", ""));
  });
  session_->AddListener("Page.javascriptDialogOpening", [this](const nlohmann::json&) {
    if (options_.accept_dialogs) session_->Post("Page.handleJavaScriptDialog", {{"accept", true}});
  });
  session_->AddListener("Debugger.paused", [this](const nlohmann::json& params) { OnPaused(*session_, params); });
  session_->AddListener("Target.attachedToTarget", [this](const nlohmann::json& params) { OnAttached(params); });
  session_->AddListener("Target.detachedFromTarget", [this](const nlohmann::json& params) {
    frame_sessions_.erase(params.value("sessionId", ""));
  });
}

// A frame of another site (or a worker) has started in a process of its
// own and waits: frames get the before-navigate script and, while a handler
// is set, the debugger; other targets are let go.
void DevToolsBrowser::OnAttached(const nlohmann::json& params) {
  std::string id = params.value("sessionId", "");
  if (id.empty()) return;
  auto session = std::make_shared<DevToolsSession>(session_->Connection(), id);
  if (params["targetInfo"].value("type", "") != "iframe") {
    session->Post("Runtime.runIfWaitingForDebugger");
    session_->Post("Target.detachFromTarget", {{"sessionId", id}});
    return;
  }
  DevToolsSession& frame = *session;
  frame.AddListener("Debugger.paused", [this, &frame](const nlohmann::json& p) { OnPaused(frame, p); });
  frame.Post("Page.enable");
  frame.Post("Page.addScriptToEvaluateOnNewDocument", {{"source", dom::BeforeNavigateScript()}, {"runImmediately", true}});
  if (handler_) frame.Post("Debugger.enable");
  frame.Post("Runtime.runIfWaitingForDebugger");
  frame_sessions_[id] = session;
}

void DevToolsBrowser::OnPaused(DevToolsSession& session, const nlohmann::json& params) {
  const auto& frames = params["callFrames"];
  bool ours = frames.is_array() && !frames.empty() && frames[0].value("functionName", "") == dom::kStopFunction;
  if (!ours || !handler_ || in_handler_) {
    session.Post("Debugger.resume");
    return;
  }
  // A frame's session stays alive until it has been resumed, even if the
  // frame goes away meanwhile.
  std::shared_ptr<DevToolsSession> keep;
  if (auto it = frame_sessions_.find(session.Id()); it != frame_sessions_.end()) keep = it->second;
  struct Resume {
    DevToolsBrowser& tab;
    DevToolsSession& session;
    ~Resume() {
      tab.in_handler_ = false;
      session.Post("Debugger.resume");
    }
  } resume{*this, session};
  in_handler_ = true;
  context_.Touch();
  std::string destination;
  try {
    auto result = session.Call("Debugger.evaluateOnCallFrame", {{"callFrameId", frames[0]["callFrameId"]},
                                                                   {"expression", "destination"},
                                                                   {"returnByValue", true}});
    auto value = result["result"].value("value", nlohmann::json());
    if (value.is_string()) destination = value.get<std::string>();
  } catch (const OstrelError&) {
  }
  if (destination.empty() && &session == session_.get()) destination = navigating_url_;
  BeforeNavigateHandler handler = handler_;
  handler(destination);
}

void DevToolsBrowser::Navigate(const std::string& url) {
  context_.Touch();
  navigating_url_ = url;
  tracker_.NavigationRequested();
  nlohmann::json result;
  try {
    result = session_->Call("Page.navigate", {{"url", url}});
  } catch (...) {
    tracker_.NavigationAnswered("");
    throw;
  }
  tracker_.NavigationAnswered(result.value("loaderId", ""));
  context_.Touch();
}

int32_t DevToolsBrowser::ReadyState() {
  session_->Connection().Drain();
  if (!session_->Open()) throw OstrelError(err::kBrowserGone, "ReadyState: the browser has gone");
  return tracker_.ReadyState();
}

std::unique_ptr<IDocument> DevToolsBrowser::Document() {
  return std::make_unique<DevToolsDocument>(context_, RemoteRef{});
}

void DevToolsBrowser::SetBeforeNavigate(BeforeNavigateHandler handler) {
  bool was_set = static_cast<bool>(handler_);
  handler_ = std::move(handler);
  const char* method = handler_ && !was_set ? "Debugger.enable" : !handler_ && was_set ? "Debugger.disable" : nullptr;
  if (!method) return;
  for (auto& [id, frame] : frame_sessions_) frame->Post(method);
  if (handler_ || session_->Open()) session_->Call(method);
}

uint64_t DevToolsBrowser::RoundTrips() const { return session_->Connection().RoundTrips(); }

}  // namespace ostrel
