#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/devtools/DevToolsSession.h"

namespace ostrel {

// A group of remote objects (Runtime object group) of one tab. The group is
// released in the page (Runtime.releaseObjectGroup, not waited for) when the
// last C++ object holding one of its objects goes.
class ObjectGroup {
 public:
  ObjectGroup(DevToolsSession& session, std::string name) : session_(session), name_(std::move(name)) {}
  ~ObjectGroup();
  ObjectGroup(const ObjectGroup&) = delete;
  ObjectGroup& operator=(const ObjectGroup&) = delete;
  const std::string& Name() const { return name_; }

 private:
  DevToolsSession& session_;
  std::string name_;
};

// A handle to one object in the page: a remote object, or the object
// reached from it by a path of property keys (an item of a collection
// snapshot array is [index]), so the items of a collection need no handle
// of their own. An empty object id stands for the tab's top-level window as
// it is at the moment of each call (so it follows the tab to every new page).
struct RemoteRef {
  std::shared_ptr<ObjectGroup> group;
  std::string object_id;
  nlohmann::json path = nlohmann::json::array();
  bool IsTopWindow() const { return object_id.empty(); }
  RemoteRef Child(const nlohmann::json& key) const {
    RemoteRef child = *this;
    child.path.push_back(key);
    return child;
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

// What the DOM objects of one tab share: the session, the snapshot
// generation and the calls into the page.
//
// The generation changes whenever the page may have changed behind a
// snapshot: each pass of the event pump (DevToolsConnection::ProcessPending
// from outside), every navigation event of the tab, a before-navigate stop,
// and each of our own calls that runs page script (click, submit, setValue,
// execScript, a url write, Navigate).
class DomContext {
 public:
  DomContext(DevToolsSession& session) : session_(session) {}

  DevToolsSession& Session() { return session_; }
  uint64_t Generation() const;
  void Touch() { ++local_generation_; }

  std::shared_ptr<ObjectGroup> NewGroup();

  // Runs function (JavaScript source of a function) with `this` = target and
  // the given arguments (JSON values); returns its result as a JSON value
  // (null for undefined). Script exceptions become OstrelErrors (see
  // DevToolsErrors).
  nlohmann::json CallValue(const RemoteRef& target, const std::string& function,
                           const nlohmann::json& args = nlohmann::json::array());
  // The same, returning the resulting object as a handle in a new group;
  // nullopt-like empty ref (no group) when the function returned null or
  // undefined.
  RemoteRef CallObject(const RemoteRef& target, const std::string& function,
                       const nlohmann::json& args = nlohmann::json::array());
  // Runs function, which returns an array of elements carrying its snapshot
  // (see DomScripts), and reads that snapshot back: two round trips.
  std::shared_ptr<CollectionSnapshot> FetchCollection(const RemoteRef& target, const std::string& function);

 private:
  nlohmann::json Invoke(const RemoteRef& target, const std::string& function, const nlohmann::json& args,
                        bool by_value, const std::string& group);

  DevToolsSession& session_;
  uint64_t local_generation_ = 0;
  uint64_t next_group_ = 1;
};

}  // namespace ostrel
