// Closed shadow roots: the browser's protocol reaches them where no page
// script can, and hands them to Ostrel's world.
#include <utility>
#include <vector>

#include "platform/devtools/DomContext.h"
#include "platform/devtools/DomScripts.h"
#include "platform/devtools/JsonFields.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

namespace {

using devtools::Arr;
using devtools::Int;
using devtools::Obj;
using devtools::Str;

// The closed roots in the tree under node (its frames' documents left to
// their own capture), as pairs of host and root backend node ids.
std::vector<std::pair<int64_t, int64_t>> ClosedRootsUnder(const nlohmann::json& node) {
  std::vector<std::pair<int64_t, int64_t>> closed;
  std::vector<const nlohmann::json*> waiting{&node};
  while (!waiting.empty()) {
    const nlohmann::json& at = *waiting.back();
    waiting.pop_back();
    for (const nlohmann::json& root : Arr(at, "shadowRoots")) {
      if (Str(root, "shadowRootType") == "closed") closed.emplace_back(Int(at, "backendNodeId"), Int(root, "backendNodeId"));
      waiting.push_back(&root);
    }
    for (const nlohmann::json& child : Arr(at, "children")) waiting.push_back(&child);
  }
  return closed;
}

}  // namespace

void DomContext::RegisterClosedRoots(const RemoteRef& window) {
  const std::string key = window.frame + "|" + window.object_id;
  const auto now = std::chrono::steady_clock::now();
  auto last = closed_roots_seen_.find(key);
  if (last != closed_roots_seen_.end() && now - last->second < kClosedRootsAgain) return;
  closed_roots_seen_[key] = now;
  const RemoteRef document = CallObject(window, dom::ComponentDocument());
  if (!document.group) return;
  const nlohmann::json tree =
      session_->Call("DOM.describeNode", {{"objectId", document.object_id}, {"depth", -1}, {"pierce", true}});
  const auto closed = ClosedRootsUnder(Obj(tree, "node"));
  if (closed.empty()) return;
  std::string frame;
  try {
    frame = FrameOf(window);
  } catch (const OstrelError& e) {
    // A window reached from an element: the tab's own when it sits in no
    // frame element.
    if (e.Number() == err::kBrowserGone) throw;
  }
  const int64_t world = WorldOf(frame);
  const auto group = NewGroup();
  const auto resolve = [&](int64_t node) {
    const nlohmann::json resolved = session_->Call(
        "DOM.resolveNode", {{"backendNodeId", node}, {"executionContextId", world}, {"objectGroup", group->Name()}});
    return Str(Obj(resolved, "object"), "objectId");
  };
  for (const auto& [host, root] : closed) {
    session_->Call("Runtime.callFunctionOn", {{"objectId", resolve(root)},
                                              {"functionDeclaration", dom::RegisterClosedRoot()},
                                              {"arguments", nlohmann::json::array({{{"objectId", resolve(host)}}})}});
  }
}

}  // namespace ostrel
