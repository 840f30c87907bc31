#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/browser/Browser.h"
#include "platform/devtools/DevToolsSession.h"

namespace ostrel {

// A group of remote objects (Runtime object group) of one tab. The group is
// released in the page (Runtime.releaseObjectGroup, not waited for) when the
// last C++ object holding one of its objects goes.
class ObjectGroup {
 public:
  ObjectGroup(std::shared_ptr<DevToolsSession> session, std::string name)
      : session_(std::move(session)), name_(std::move(name)) {}
  ~ObjectGroup();
  ObjectGroup(const ObjectGroup&) = delete;
  ObjectGroup& operator=(const ObjectGroup&) = delete;
  const std::string& Name() const { return name_; }

 private:
  std::shared_ptr<DevToolsSession> session_;
  std::string name_;
};

// A handle to one object in the page, as Ostrel's own world sees it: a
// remote object, or the object reached from it by a path of property keys
// (an item of a collection snapshot array is [index]), so the items of a
// collection need no handle of their own. An empty object id stands for a
// window as it is at the moment of each call (so it follows the frame to
// every new document): the window of the frame `frame`, or of the main
// frame of the context's target when that is empty.
struct RemoteRef {
  std::shared_ptr<ObjectGroup> group;
  std::string object_id;
  nlohmann::json path = nlohmann::json::array();
  std::string frame;
  bool IsWindow() const { return object_id.empty(); }
  RemoteRef Child(const nlohmann::json& key) const {
    RemoteRef child = *this;
    child.path.push_back(key);
    return child;
  }
  static RemoteRef WindowOf(std::string frame_id) {
    RemoteRef ref;
    ref.frame = std::move(frame_id);
    return ref;
  }
};

// What one snapshot read tells of an element: [kind, tag, id, type, name,
// value, name attribute]; kind is "form", "input" or "other". type, name
// and value are the input's (name alone for a form), empty otherwise; a
// name attribute that is not a string (0) equals the name.
struct ElementInfo {
  std::string kind, tag, id, type, name, value, name_attribute;
  static ElementInfo FromJson(const nlohmann::json& row);
};

// A collection read at one moment: its items, each item's snapshot and,
// for the forms of a document, each form's elements read in the same call.
struct CollectionSnapshot {
  std::vector<RemoteRef> items;
  std::vector<ElementInfo> infos;
  std::vector<std::shared_ptr<CollectionSnapshot>> children;  // empty unless forms
  uint64_t generation = 0;
};

// The name of the isolated world in which all of Ostrel's scripts run.
inline constexpr const char* kOwnWorld = "ostrel";

// What the DOM objects of one tab share: the session, the snapshot
// generation, the execution contexts of the tab's frames and the calls into
// the page. Shared by the tab and every object it hands out, so those stay
// safe to use (failing with err::kBrowserGone) after the tab has gone.
//
// Every script of Ostrel runs in an isolated world of its own (kOwnWorld),
// one per document of every frame: page scripts cannot change its built-ins
// (JSON, Array.prototype, the DOM prototypes), call its functions or see
// that it is there. Only a recorded login's own script runs in the page's
// world (RunInPage).
//
// The generation changes whenever the page may have changed behind a
// snapshot: each pass of the event pump (DevToolsConnection::ProcessPending
// from outside), every navigation event of the tab, a before-navigate stop,
// and each of our own calls that runs page script (click, submit, setValue,
// execScript, a url write, Navigate).
class DomContext : public std::enable_shared_from_this<DomContext> {
 public:
  explicit DomContext(std::shared_ptr<DevToolsSession> session) : session_(std::move(session)) {}

  // The contexts of the tab's frames that run in targets of their own (see
  // FrameTargets), by frame id; nullptr for a frame of no such target.
  using FrameResolver = std::function<std::shared_ptr<DomContext>(const std::string& frame_id)>;
  void SetFrames(FrameResolver frames) { frames_ = std::move(frames); }
  // The context that runs scripts in the frame: its own target's, else
  // this one.
  std::shared_ptr<DomContext> ContextOfFrame(const std::string& frame_id);
  // The id of the frame shown by window, a frame element's content window
  // reached from the window `parent` at position index of its frames.
  std::string FrameIdAt(const RemoteRef& parent, int32_t index);

  DevToolsSession& Session() { return *session_; }
  uint64_t Generation() const;
  void Touch() { ++local_generation_; }

  std::shared_ptr<ObjectGroup> NewGroup();

  // The execution contexts, as the tab's Runtime events report them.
  void SetMainFrame(const std::string& frame_id) { main_frame_ = frame_id; }
  const std::string& MainFrame() const { return main_frame_; }
  void ContextCreated(const nlohmann::json& context);
  void ContextDestroyed(int64_t id);
  void ContextsCleared();
  // Whether the context is one of Ostrel's own world.
  bool IsOwnContext(int64_t id) const { return own_contexts_.count(id) > 0; }

  // Runs function (JavaScript source of a function) with `this` = target and
  // the given arguments (JSON values), in Ostrel's world; returns its result
  // as a JSON value (null for undefined). Script exceptions become
  // OstrelErrors (see DevToolsErrors).
  // With await_promise, a promise the function returns is waited for and
  // its value given back.
  nlohmann::json CallValue(const RemoteRef& target, const std::string& function,
                           const nlohmann::json& args = nlohmann::json::array(), bool await_promise = false);
  // The same, returning the resulting object as a handle in a new group;
  // an empty ref (no group) when the function returned null or undefined.
  RemoteRef CallObject(const RemoteRef& target, const std::string& function,
                       const nlohmann::json& args = nlohmann::json::array());
  // Runs function, which returns an array of elements carrying its snapshot
  // (see DomScripts), and reads that snapshot back: two round trips.
  std::shared_ptr<CollectionSnapshot> FetchCollection(const RemoteRef& target, const std::string& function);

  // Runs text as a classic script in the page's own world of the window's
  // document, in the same evaluation as a check that the document meets
  // rule: err::kWebsiteProblem when it does not, and then nothing of text
  // runs. The check reads only what a page cannot redefine (location and
  // its ancestor origins).
  void RunInPage(const RemoteRef& window, const std::string& text, const OriginRule& rule);
  // Evaluates expression in the page's own world of the window's document
  // (after the same check) and gives back its value.
  nlohmann::json EvaluateInPage(const RemoteRef& window, const std::string& expression,
                                const OriginRule& rule = {});
  // Hands the closed shadow roots of the window's document to Ostrel's
  // world, where scripts then find what is inside them (see describe.js).
  // Only a document with custom elements is searched (one round trip
  // otherwise), and the same window again only after kClosedRootsAgain.
  void RegisterClosedRoots(const RemoteRef& window);
  static constexpr std::chrono::milliseconds kClosedRootsAgain{500};

 private:
  nlohmann::json Invoke(const RemoteRef& target, const std::string& function, const nlohmann::json& args,
                        bool by_value, const std::string& group, bool await_promise = false);
  // Ostrel's world in the frame's current document (empty: the main
  // frame's).
  int64_t WorldOf(const std::string& frame);
  std::string FrameOf(const RemoteRef& window);
  void ReadCustomControls(const RemoteRef& window, CollectionSnapshot& forms);

  std::shared_ptr<DevToolsSession> session_;
  FrameResolver frames_;
  uint64_t local_generation_ = 0;
  uint64_t next_group_ = 1;
  std::string main_frame_;
  std::map<std::string, int64_t> own_worlds_;     // frame id -> our context
  std::map<std::string, int64_t> page_worlds_;    // frame id -> the page's own context
  std::map<int64_t, std::string> context_frames_;  // context -> frame id
  std::set<int64_t> own_contexts_;
  std::map<std::string, std::chrono::steady_clock::time_point> closed_roots_seen_;  // by window
};

using DomContextPtr = std::shared_ptr<DomContext>;

}  // namespace ostrel
