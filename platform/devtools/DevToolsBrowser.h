#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/browser/Browser.h"
#include "platform/devtools/DevToolsSession.h"
#include "platform/devtools/DomContext.h"
#include "platform/devtools/LoadTracker.h"

namespace ostrel {

class ChromiumProcess;

struct TabOptions {
  // Accept every alert, confirm, prompt and leave-page dialog at once, so a
  // page without a person in front of it cannot stall (headless use).
  bool accept_dialogs = true;
};

// One tab of Chromium as an IBrowser, over a flat session attached to the
// tab's page target.
//
// The DOM objects it hands out hold remote handles (released with them) and
// answer property reads from snapshots: reading a collection fetches all its
// items and their tagName, id, type, name and value in two round trips, and
// later reads of those items are answered from that snapshot until the tab's
// snapshot generation changes (see DomContext: a pass of the event pump, a
// navigation event, a before-navigate stop, or any call of ours that runs
// page script: click, submit, setValue, execScript, a url write, Navigate).
// To see what the page holds now, take the collection again after pumping.
//
// The before-navigate event: a script added to every document of the tab
// stops in the debugger before the document is left (a submit button, Enter
// in a field, form.submit(), a "javascript:" link, a script navigation,
// Navigate()). While a handler is set the tab's Debugger domain is on; the
// stop arrives as an event and is handled wherever the pipe is read (the
// event pump, or the wait of any synchronous call): the handler runs while
// the page is paused, with what was typed still in the inputs, may read the
// page through this object, and the page resumes when it returns. Only the
// first stop of one navigation is reported; the page's own debugger
// statements are resumed at once. Frames of another site, which Chromium
// runs in a process of their own, are attached as targets of their own and
// watched the same way (their stops pause only that frame).
class DevToolsBrowser : public IBrowser {
 public:
  // Takes over an attached page session and sets the tab up. When
  // close_target is not empty, that target is closed on destruction.
  explicit DevToolsBrowser(std::unique_ptr<DevToolsSession> session, std::string close_target = {},
                           TabOptions options = {});
  // Opens a new tab in chromium, showing about:blank, owned by the result.
  static std::unique_ptr<DevToolsBrowser> OpenTab(ChromiumProcess& chromium, TabOptions options = {});
  ~DevToolsBrowser() override;

  void Navigate(const std::string& url) override;
  // Reads the events that have arrived (without counting as an event pump
  // pass) and answers from them.
  int32_t ReadyState() override;
  // The top-level document; it follows the tab to every new page.
  std::unique_ptr<IDocument> Document() override;
  void SetBeforeNavigate(BeforeNavigateHandler handler) override;

  DevToolsSession& Session() { return *session_; }
  // Commands this tab's connection has sent and waited for.
  uint64_t RoundTrips() const;

 private:
  void Listen();
  void OnPaused(DevToolsSession& session, const nlohmann::json& params);
  void OnAttached(const nlohmann::json& params);

  std::unique_ptr<DevToolsSession> session_;
  // The frames of other sites, by session id.
  std::map<std::string, std::shared_ptr<DevToolsSession>> frame_sessions_;
  std::string close_target_;
  TabOptions options_;
  DomContext context_;
  LoadTracker tracker_;
  std::string main_frame_;
  std::string navigating_url_;
  BeforeNavigateHandler handler_;
  bool in_handler_ = false;
};

}  // namespace ostrel
