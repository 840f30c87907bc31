#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/browser/Browser.h"
#include "platform/devtools/DevToolsSession.h"
#include "platform/devtools/DomContext.h"
#include "platform/devtools/FrameTargets.h"
#include "platform/devtools/LoadTracker.h"

namespace ostrel {

class ChromiumProcess;

struct TabOptions {
  // Answer every alert, confirm, prompt and leave-page dialog at once the
  // careful way (a confirm says no, a prompt is cancelled, the page is not
  // left), so a page without a person in front of it cannot stall. For
  // headless runs and tests only: otherwise the person answers a page's
  // dialogs, as in any browser.
  bool dismiss_dialogs = false;
};

// One tab of Chromium as an IBrowser, over a flat session attached to the
// tab's page target.
//
// Everything Ostrel runs in the tab's pages runs in a world of its own (see
// DomContext). The DOM objects it hands out share the tab's DomContext, so
// they stay safe to use after the tab object has gone (their calls then
// fail with err::kBrowserGone); they hold remote handles (released with
// them) and answer property reads from snapshots: reading a collection
// fetches all its items and their tagName, id, type, name and value in two
// round trips, and later reads of those items are answered from that
// snapshot until the tab's snapshot generation changes (a pass of the event
// pump, a navigation event, a before-navigate stop, or any call of ours
// that runs page script). To see what the page holds now, take the
// collection again after pumping.
//
// The before-navigate event: a script in Ostrel's world of every document
// of the tab stops in the debugger before the document is left (see
// dom::BeforeNavigateScript). While a handler is set the tab's Debugger
// domain is on; a stop is accepted only when its top frame runs that very
// script (known by its script id, in a context of Ostrel's world), so no
// page can fake one; every other pause is resumed at once. The handler runs
// while the page is paused, with what was typed still in the inputs, may
// read the page through this object, and the page resumes when it returns.
// Frames of another site that Chromium runs in a process of their own are
// not watched: they cannot hold a form Ostrel records.
//
// Held by a shared_ptr, the object stays alive while one of its own
// handlers or calls runs, even if its owner lets it go meanwhile.
class DevToolsBrowser : public IBrowser, public std::enable_shared_from_this<DevToolsBrowser> {
 public:
  // Takes over an attached page session and sets the tab up. When
  // close_target is not empty, that target is closed on destruction.
  explicit DevToolsBrowser(std::shared_ptr<DevToolsSession> session, std::string close_target = {},
                           TabOptions options = {});
  // Opens a new tab in chromium, showing about:blank, owned by the result.
  static std::shared_ptr<DevToolsBrowser> OpenTab(ChromiumProcess& chromium, TabOptions options = {});
  ~DevToolsBrowser() override;
  DevToolsBrowser(const DevToolsBrowser&) = delete;
  DevToolsBrowser& operator=(const DevToolsBrowser&) = delete;

  // Sends the navigation and returns; its answer is taken when it arrives.
  void Navigate(const std::string& url) override;
  // Reads the events that have arrived (without counting as an event pump
  // pass) and answers from them. Below 4 while the page shows a dialog.
  int32_t ReadyState() override;
  // The top-level document; it follows the tab to every new page.
  std::unique_ptr<IDocument> Document() override;
  void SetBeforeNavigate(BeforeNavigateHandler handler) override;
  void SetWaitHandler(WaitHandler waiting) override { session_->SetWaitHandler(std::move(waiting)); }

  DevToolsSession& Session() { return *session_; }
  // The session that runs the frame with this id: its own target's (a
  // frame of another site), else the tab's.
  DevToolsSession& SessionOfFrame(const std::string& frame_id) { return frames_->ContextOf(frame_id)->Session(); }
  // Runs call on every session of the tab: its own, then its frames'.
  void ForEachSession(const std::function<void(DevToolsSession&)>& call) { frames_->ForEachSession(call); }
  // Commands this tab's connection has sent and waited for.
  uint64_t RoundTrips() const;

 private:
  void Listen();
  void On(const std::string& method, DevToolsSession::Listener listener);
  void ListenToFrame(FrameTargets::Target& target);
  void ScriptParsed(DevToolsSession& session, DomContext& context, const nlohmann::json& params);
  void OnPaused(DevToolsSession& session, const nlohmann::json& params);
  void RequestSent(const nlohmann::json& params);
  void Notify(NavigationInfo::Kind kind, const std::string& url, const std::string& body);
  void SendNavigate(uint64_t ticket);

  std::shared_ptr<DevToolsSession> session_;
  std::string close_target_;
  TabOptions options_;
  DomContextPtr context_;
  std::shared_ptr<LoadTracker> tracker_;
  std::vector<int> listeners_;
  std::shared_ptr<FrameTargets> frames_;
  std::vector<std::pair<std::weak_ptr<DevToolsSession>, int>> frame_listeners_;
  std::set<std::string> hook_scripts_;  // "session id/script id"
  std::string navigating_url_;
  // The navigation Navigate asked for: its address, the loaders the tab
  // started for it, and since when another navigation's page is shown
  // while it is awaited.
  static constexpr int kNavigateRequests = 3;
  static constexpr std::chrono::seconds kCutInGrace{2};
  std::string requested_url_;
  std::set<std::string> own_loaders_;
  bool own_committed_ = false;  // a document of the navigation asked for has been shown
  std::optional<std::chrono::steady_clock::time_point> cut_in_since_;
  int requests_left_ = 0;
  bool dialog_seen_ = false;  // a page dialog opened since Navigate
  BeforeNavigateHandler handler_;
  bool in_handler_ = false;
  bool dialog_open_ = false;
};

}  // namespace ostrel
