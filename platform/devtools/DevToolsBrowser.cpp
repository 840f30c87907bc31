#include "platform/devtools/DevToolsBrowser.h"

#include "platform/devtools/ChromiumProcess.h"
#include "platform/devtools/DevToolsConnection.h"
#include "platform/devtools/DevToolsDocument.h"
#include "platform/devtools/DomScripts.h"
#include "platform/devtools/JsonFields.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

using devtools::Bool;
using devtools::Int;
using devtools::Obj;
using devtools::Str;

DevToolsBrowser::DevToolsBrowser(std::shared_ptr<DevToolsSession> session, std::string close_target,
                                 TabOptions options)
    : session_(std::move(session)),
      close_target_(std::move(close_target)),
      options_(options),
      context_(std::make_shared<DomContext>(session_)),
      tracker_(std::make_shared<LoadTracker>()) {
  Listen();
  session_->Call("Runtime.enable");
  session_->Call("Page.enable");
  session_->Call("Page.setLifecycleEventsEnabled", {{"enabled", true}});
  context_->SetMainFrame(Str(Obj(Obj(session_->Call("Page.getFrameTree"), "frameTree"), "frame"), "id"));
  session_->Call("Page.addScriptToEvaluateOnNewDocument",
                 {{"source", dom::BeforeNavigateScript()}, {"worldName", kOwnWorld}, {"runImmediately", true}});
  frames_ = std::make_shared<FrameTargets>(session_, context_, dom::BeforeNavigateScript(),
                                           [this](FrameTargets::Target& target) { ListenToFrame(target); });
  context_->SetFrames([weak = std::weak_ptr<FrameTargets>(frames_)](const std::string& frame) -> DomContextPtr {
    auto frames = weak.lock();
    return frames ? frames->ContextOf(frame) : nullptr;
  });
  const auto state = context_->CallValue(RemoteRef{}, dom::TopReadyState());
  tracker_->SetInitial(state == "complete" ? 4 : state == "interactive" ? 3 : 1);
}

std::shared_ptr<DevToolsBrowser> DevToolsBrowser::OpenTab(ChromiumProcess& chromium, TabOptions options) {
  const std::string target = chromium.OpenTab("about:blank");
  return std::make_shared<DevToolsBrowser>(chromium.Attach(target), target, options);
}

DevToolsBrowser::~DevToolsBrowser() {
  for (int key : listeners_) session_->RemoveListener(key);
  for (auto& [session, key] : frame_listeners_) {
    if (auto s = session.lock()) s->RemoveListener(key);
  }
  if (handler_) frames_->ForEachSession([](DevToolsSession& s) { s.Post("Debugger.disable"); });
  frames_.reset();
  if (!close_target_.empty()) {
    session_->Connection().Browser().Post("Target.closeTarget", {{"targetId", close_target_}});
  }
}

void DevToolsBrowser::On(const std::string& method, DevToolsSession::Listener listener) {
  listeners_.push_back(session_->AddListener(method, std::move(listener)));
}

void DevToolsBrowser::Listen() {
  auto main = [this](const nlohmann::json& params) { return Str(params, "frameId") == context_->MainFrame(); };
  On("Page.frameStartedLoading", [this, main](const nlohmann::json& params) {
    context_->Touch();
    if (main(params)) tracker_->StartedLoading();
  });
  On("Page.frameStoppedLoading", [this, main](const nlohmann::json& params) {
    context_->Touch();
    if (main(params)) tracker_->StoppedLoading();
  });
  On("Page.frameStartedNavigating", [this, main](const nlohmann::json& params) {
    if (main(params) && tracker_->Awaiting() && Str(params, "url") == requested_url_) {
      own_loaders_.insert(Str(params, "loaderId"));
    }
  });
  On("Page.frameNavigated", [this](const nlohmann::json& params) {
    context_->Touch();
    const nlohmann::json& frame = Obj(params, "frame");
    if (Str(frame, "parentId").empty() && !Str(frame, "id").empty()) {
      context_->SetMainFrame(Str(frame, "id"));
      tracker_->Committed(Str(frame, "loaderId"));
      navigating_url_.clear();
      // Another navigation of the page (a link clicked just before
      // Navigate) came in first; the one asked for usually follows, but
      // Chromium may also hold it back for good (see ReadyState).
      // One that comes after the page asked for has committed is that page
      // forwarding itself, which is followed (see LoadTracker).
      if (own_loaders_.count(Str(frame, "loaderId"))) {
        own_committed_ = true;
      } else if (tracker_->Awaiting() && !own_committed_) {
        if (!cut_in_since_) cut_in_since_ = std::chrono::steady_clock::now();
      }
    }
  });
  On("Page.lifecycleEvent", [this, main](const nlohmann::json& params) {
    if (!main(params)) return;
    context_->Touch();
    tracker_->Lifecycle(Str(params, "loaderId"), Str(params, "name"));
    if (Str(params, "name") == "DOMContentLoaded" && handler_ && !in_handler_) Notify(NavigationInfo::Kind::kLoaded, "", "");
  });
  On("Runtime.executionContextCreated",
     [this](const nlohmann::json& params) { context_->ContextCreated(Obj(params, "context")); });
  On("Runtime.executionContextDestroyed",
     [this](const nlohmann::json& params) { context_->ContextDestroyed(Int(params, "executionContextId")); });
  On("Runtime.executionContextsCleared", [this](const nlohmann::json&) { context_->ContextsCleared(); });
  On("Page.javascriptDialogOpening", [this](const nlohmann::json&) {
    if (options_.dismiss_dialogs) {
      session_->Post("Page.handleJavaScriptDialog", {{"accept", false}});
    } else {
      dialog_open_ = true;
    }
    dialog_seen_ = true;
  });
  On("Page.javascriptDialogClosed", [this](const nlohmann::json&) { dialog_open_ = false; });
  On("Debugger.scriptParsed", [this](const nlohmann::json& params) { ScriptParsed(*session_, *context_, params); });
  On("Debugger.paused", [this](const nlohmann::json& params) { OnPaused(*session_, params); });
  On("Network.requestWillBeSent", [this](const nlohmann::json& params) { RequestSent(params); });
}

// What a request of the page carries goes to the handler (which looks for
// a login in it): not held.
void DevToolsBrowser::RequestSent(const nlohmann::json& params) {
  const nlohmann::json& request = Obj(params, "request");
  if (!handler_ || in_handler_ || Str(request, "url").rfind("http", 0) != 0) return;
  Notify(NavigationInfo::Kind::kRequest, Str(request, "url"), Str(request, "postData"));
}

void DevToolsBrowser::Notify(NavigationInfo::Kind kind, const std::string& url, const std::string& body) {
  const std::shared_ptr<DevToolsBrowser> keep = weak_from_this().lock();
  NavigationInfo info;
  info.kind = kind;
  info.url = url;
  info.body = body;
  const BeforeNavigateHandler handler = handler_;
  handler(info);
}

// A frame of another site, run in a target of its own: its stops and its
// hook scripts count as the tab's.
void DevToolsBrowser::ListenToFrame(FrameTargets::Target& target) {
  std::weak_ptr<DevToolsSession> weak_session = target.session;
  std::weak_ptr<DomContext> weak_context = target.context;
  DevToolsSession& session = *target.session;
  frame_listeners_.emplace_back(weak_session, session.AddListener("Debugger.scriptParsed", [this, weak_session, weak_context](const nlohmann::json& params) {
    auto s = weak_session.lock();
    auto c = weak_context.lock();
    if (s && c) ScriptParsed(*s, *c, params);
  }));
  frame_listeners_.emplace_back(weak_session, session.AddListener("Debugger.paused", [this, weak_session](const nlohmann::json& params) {
    if (auto s = weak_session.lock()) OnPaused(*s, params);
  }));
  frame_listeners_.emplace_back(weak_session, session.AddListener("Network.requestWillBeSent",
                                                                  [this](const nlohmann::json& params) { RequestSent(params); }));
}

void DevToolsBrowser::ScriptParsed(DevToolsSession& session, DomContext& context, const nlohmann::json& params) {
  if (Str(params, "url") == dom::kHookAddress && context.IsOwnContext(Int(params, "executionContextId"))) {
    hook_scripts_.insert(session.Id() + "/" + Str(params, "scriptId"));
  }
}

namespace {

NavigationInfo::Kind KindOf(const std::string& kind) {
  if (kind == "script") return NavigationInfo::Kind::kScriptLink;
  if (kind == "unload") return NavigationInfo::Kind::kUnload;
  if (kind == "submit") return NavigationInfo::Kind::kSubmit;
  if (kind == "press") return NavigationInfo::Kind::kPress;
  if (kind == "enter") return NavigationInfo::Kind::kEnter;
  return NavigationInfo::Kind::kNavigate;
}

}  // namespace

// Only Ostrel's own stop is held. A "debugger" statement of the page (a
// trick against developer tools, some run every few milliseconds) is let
// go at once and never stops again where it stands.
void DevToolsBrowser::OnPaused(DevToolsSession& session, const nlohmann::json& params) {
  const nlohmann::json& top = devtools::At(devtools::Arr(params, "callFrames"), 0);
  const nlohmann::json& location = Obj(top, "location");
  const bool ours = Str(top, "functionName") == dom::kStopFunction &&
                    hook_scripts_.count(session.Id() + "/" + Str(location, "scriptId")) > 0;
  const std::string frame_id = Str(top, "callFrameId");
  if (!ours || frame_id.empty() || !handler_ || in_handler_) {
    if (!ours && Str(params, "reason") == "other" && !Str(location, "scriptId").empty()) {
      session.Post("Debugger.setBreakpoint", {{"location", location}, {"condition", "false"}});
    }
    session.Post("Debugger.resume");
    return;
  }
  const std::shared_ptr<DevToolsBrowser> keep = weak_from_this().lock();
  const std::shared_ptr<DevToolsSession> paused = session.shared_from_this();
  struct Resumer {
    DevToolsBrowser& tab;
    DevToolsSession& session;
    ~Resumer() {
      tab.in_handler_ = false;
      session.Post("Debugger.resume");
      // A handler that disconnected itself: the debugger goes only now,
      // after the page has been let go.
      if (!tab.handler_ && tab.frames_) tab.session_->Post("Debugger.disable");
    }
  } resumer{*this, session};
  in_handler_ = true;
  // The page is held: nothing of the window may run until it is let go.
  const DevToolsConnection::Hold hold(session_->Connection());
  context_->Touch();
  nlohmann::json seen;
  try {
    const auto answer = session.Call(
        "Debugger.evaluateOnCallFrame",
        {{"callFrameId", frame_id},
         {"expression",
          "JSON.stringify([info.kind, info.url, location.href, window === window.top, self.origin, info.target])"},
         {"returnByValue", true}});
    const nlohmann::json& value = devtools::Field(Obj(answer, "result"), "value");
    if (value.is_string()) seen = nlohmann::json::parse(value.get<std::string>(), nullptr, false);
  } catch (const OstrelError&) {
    return;  // the page has gone on; nothing to report
  }
  if (!seen.is_array() || seen.size() != 6 || !seen[3].is_boolean()) return;
  NavigationInfo navigation;
  navigation.kind = KindOf(seen[0].is_string() ? seen[0].get<std::string>() : "");
  navigation.url = seen[1].is_string() ? seen[1].get<std::string>() : "";
  navigation.document_url = seen[2].is_string() ? seen[2].get<std::string>() : "";
  navigation.top_level = seen[3].get<bool>();
  navigation.document_origin = seen[4].is_string() ? seen[4].get<std::string>() : "";
  navigation.target = seen[5].is_string() ? seen[5].get<std::string>() : "";
  if (navigation.url.empty() && navigation.top_level && navigation.kind == NavigationInfo::Kind::kUnload) {
    navigation.url = navigating_url_;
  }
  const BeforeNavigateHandler handler = handler_;
  handler(navigation);
}

void DevToolsBrowser::Navigate(const std::string& url) {
  if (!session_->Open()) throw OstrelError(err::kBrowserGone, "Navigate: the tab has gone", "The browser tab was closed.");
  context_->Touch();
  navigating_url_ = url;
  requested_url_ = url;
  own_loaders_.clear();
  own_committed_ = false;
  cut_in_since_.reset();
  requests_left_ = kNavigateRequests;
  dialog_seen_ = false;
  SendNavigate(tracker_->NavigationRequested());
}

void DevToolsBrowser::SendNavigate(uint64_t ticket) {
  const int request = --requests_left_;
  // A navigation of the page's own that is still under way (a link the
  // person clicked a moment ago) would race with this one: it is stopped
  // first, where it can still be.
  session_->Post("Page.stopLoading");
  // The answer comes once the server has answered: the wait for it belongs
  // to the caller's wait for the page, not to this call. Every request of
  // one Navigate asks for the same address, so any of them may answer it;
  // only the latest may say that it was cut off or failed.
  std::weak_ptr<DevToolsBrowser> self = weak_from_this();
  session_->Send("Page.navigate", {{"url", requested_url_}},
                 [self, ticket, request](const OstrelError* error, const nlohmann::json& result) {
    const std::shared_ptr<DevToolsBrowser> tab = self.lock();
    if (!tab || !tab->tracker_->IsCurrent(ticket)) return;
    LoadTracker& t = *tab->tracker_;
    const bool latest = request == tab->requests_left_;
    if (!latest && !t.Awaiting()) return;  // a later request has answered
    const std::string loader = error ? "" : Str(result, "loaderId");
    const std::string failure = error ? error->Description() : Str(result, "errorText");
    if (error || (!failure.empty() && failure != "net::ERR_ABORTED")) {
      if (latest) t.NavigationFailed(failure);
    } else if (Bool(result, "isDownload") || !loader.empty() || failure.empty()) {
      if (!loader.empty()) tab->own_loaders_.insert(loader);
      t.NavigationAnswered(loader);
    } else if (latest) {
      t.NavigationLost();  // aborted before it had a document of its own
    }
  });
}

int32_t DevToolsBrowser::ReadyState() {
  const std::shared_ptr<DevToolsBrowser> keep = weak_from_this().lock();
  session_->Connection().Drain();
  if (!session_->Open()) {
    throw OstrelError(err::kBrowserGone, "ReadyState: the tab has gone", "The browser tab was closed.");
  }
  if (!tracker_->Failure().empty()) {
    throw OstrelError(err::kWebsiteProblem, "Page.navigate: " + tracker_->Failure(), "The site could not be reached.");
  }
  if (tracker_->Awaiting() && tracker_->ShownState() == 4) {
    // The navigation asked for was aborted, or another one came in first
    // and this one has given no sign for a while since: what cut it off has
    // loaded, so it is asked for again; after a few times, or when the
    // person kept the page in its leave-page dialog, the page shown stands.
    const bool cut_off = tracker_->Lost() ||
                         (cut_in_since_ && std::chrono::steady_clock::now() - *cut_in_since_ >= kCutInGrace);
    if (cut_off && requests_left_ > 0 && !dialog_seen_) {
      cut_in_since_.reset();
      tracker_->Retrying();
      SendNavigate(tracker_->Ticket());
    } else if (cut_off) {
      tracker_->NavigationAnswered("");
    }
  }
  const int32_t state = tracker_->ReadyState();
  return dialog_open_ && state == 4 ? 3 : state;
}

std::unique_ptr<IDocument> DevToolsBrowser::Document() {
  return std::make_unique<DevToolsDocument>(context_, RemoteRef{});
}

void DevToolsBrowser::SetBeforeNavigate(BeforeNavigateHandler handler) {
  const bool was_set = static_cast<bool>(handler_);
  handler_ = std::move(handler);
  if (handler_ && !was_set) {
    session_->Call("Debugger.enable");
    session_->Post("Network.enable", FrameTargets::kNetwork);
    frames_->SetWatching(true);
  } else if (!handler_ && was_set) {
    frames_->SetWatching(false);
    session_->Post("Network.disable");
    if (session_->Open() && !in_handler_) session_->Post("Debugger.disable");
  }
}

uint64_t DevToolsBrowser::RoundTrips() const { return session_->Connection().RoundTrips(); }

}  // namespace ostrel
