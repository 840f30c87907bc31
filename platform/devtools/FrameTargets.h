#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/devtools/DevToolsSession.h"
#include "platform/devtools/DomContext.h"

namespace ostrel {

// The frames of a tab that Chromium runs as targets of their own (frames of
// another site, each in a process of its own), and the frames of those in
// turn. Each is attached as it appears (a flat session), set up like the
// tab (Runtime and Page, Ostrel's script in every new document of its own
// world, the debugger while the tab is watched) and only then let run, so
// no document of it escapes the script. Each has a DomContext of its own,
// whose main frame is that frame.
//
// Lives as long as the tab object and must not outlive the tab session.
class FrameTargets {
 public:
  // One attached frame target.
  struct Target {
    std::shared_ptr<DevToolsSession> session;
    DomContextPtr context;
  };
  // Called for every target as it is attached, before it runs, to add the
  // listeners of the tab's own (paused, scriptParsed...) to its session.
  using AttachedHandler = std::function<void(Target& target)>;

  // Starts attaching the frame targets of the tab, whose session and
  // context are given; script is installed in every new document of
  // Ostrel's world in each.
  FrameTargets(std::shared_ptr<DevToolsSession> tab, DomContextPtr tab_context, std::string script,
               AttachedHandler attached);
  ~FrameTargets();
  FrameTargets(const FrameTargets&) = delete;
  FrameTargets& operator=(const FrameTargets&) = delete;

  // While the tab is watched, the debugger and the network events are on
  // in every frame target, now and as they come.
  void SetWatching(bool on);
  // The same for one session (the tab's own).
  static void Watching(DevToolsSession& session, bool on);
  static const nlohmann::json kNetwork;
  // Runs call on every session (the tab's first).
  void ForEachSession(const std::function<void(DevToolsSession&)>& call);
  // The context that runs scripts in the frame with this id: its own
  // target's, else the tab's (a frame that lives in the tab's process).
  DomContextPtr ContextOf(const std::string& frame_id) const;

 private:
  void Watch(DevToolsSession& parent);
  void Attach(const nlohmann::json& params);
  void SetUp(DevToolsSession& session, bool run);

  std::shared_ptr<DevToolsSession> tab_;
  DomContextPtr tab_context_;
  std::string script_;
  AttachedHandler attached_;
  bool watching_ = false;
  std::map<std::string, Target> targets_;  // by target id, which is the frame's id
  std::vector<std::pair<std::weak_ptr<DevToolsSession>, int>> listeners_;
};

}  // namespace ostrel
