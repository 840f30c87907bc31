#include "platform/devtools/DomContext.h"

#include <chrono>

#include "platform/devtools/DevToolsConnection.h"
#include "platform/devtools/DevToolsErrors.h"
#include "platform/devtools/DomScripts.h"
#include "platform/devtools/JsonFields.h"
#include "support/ErrorNumbers.h"

namespace ostrel {

ObjectGroup::~ObjectGroup() { session_->Post("Runtime.releaseObjectGroup", {{"objectGroup", name_}}); }

ElementInfo ElementInfo::FromJson(const nlohmann::json& row) {
  ElementInfo info;
  auto at = [&](size_t i) {
    const nlohmann::json& v = devtools::At(row, i);
    return v.is_string() ? v.get<std::string>() : std::string();
  };
  info.kind = at(0);
  info.tag = at(1);
  info.id = at(2);
  info.type = at(3);
  info.name = at(4);
  info.value = at(5);
  info.name_attribute = row.is_array() && row.size() > 6 && !row[6].is_string() ? info.name : at(6);
  return info;
}

uint64_t DomContext::Generation() const {
  return local_generation_ + session_->Connection().PumpPasses();
}

std::shared_ptr<ObjectGroup> DomContext::NewGroup() {
  return std::make_shared<ObjectGroup>(session_, "ostrel-" + std::to_string(next_group_++));
}

void DomContext::ContextCreated(const nlohmann::json& context) {
  const int64_t id = devtools::Int(context, "id");
  const nlohmann::json& aux = devtools::Obj(context, "auxData");
  const std::string frame = devtools::Str(aux, "frameId");
  if (id <= 0 || frame.empty()) return;
  context_frames_[id] = frame;
  if (devtools::Str(context, "name") == kOwnWorld && devtools::Str(aux, "type") == "isolated") {
    own_worlds_[frame] = id;
    own_contexts_.insert(id);
  } else if (devtools::Bool(aux, "isDefault")) {
    page_worlds_[frame] = id;
  }
}

void DomContext::ContextDestroyed(int64_t id) {
  auto it = context_frames_.find(id);
  if (it == context_frames_.end()) return;
  for (auto* worlds : {&own_worlds_, &page_worlds_}) {
    auto world = worlds->find(it->second);
    if (world != worlds->end() && world->second == id) worlds->erase(world);
  }
  own_contexts_.erase(id);
  context_frames_.erase(it);
}

void DomContext::ContextsCleared() {
  own_worlds_.clear();
  page_worlds_.clear();
  context_frames_.clear();
  own_contexts_.clear();
}

int64_t DomContext::WorldOf(const std::string& given_frame) {
  const std::string& frame = given_frame.empty() ? main_frame_ : given_frame;
  auto it = own_worlds_.find(frame);
  if (it != own_worlds_.end()) return it->second;
  if (frame.empty()) throw OstrelError(err::kObjectDisconnected, "the tab shows no page");
  // The world is made in every new document; one that is not known yet
  // (its event still on its way) is asked for by name, which gives the
  // same world.
  auto made = session_->Call("Page.createIsolatedWorld", {{"frameId", frame}, {"worldName", kOwnWorld}});
  const int64_t id = devtools::Int(made, "executionContextId");
  if (id <= 0) throw OstrelError(err::kBrowserProtocol, "Page.createIsolatedWorld: no context");
  own_worlds_[frame] = id;
  own_contexts_.insert(id);
  context_frames_[id] = frame;
  return id;
}

nlohmann::json DomContext::Invoke(const RemoteRef& target, const std::string& given_function,
                                  const nlohmann::json& given_args, bool by_value, const std::string& group,
                                  bool await_promise) {
  std::string function = given_function;
  nlohmann::json args = given_args;
  if (!target.path.empty()) {
    function = dom::AlongPath(given_function);
    args = nlohmann::json::array({target.path});
    for (const auto& a : given_args) args.push_back(a);
  }
  nlohmann::json result;
  std::string method;
  if (target.IsWindow()) {
    method = "Runtime.evaluate";
    // A window follows its frame: a call that met a page being replaced is
    // made again in Ostrel's world of the page that replaced it.
    for (int attempt = 0;; ++attempt) {
      nlohmann::json params = {{"expression", "(" + function + ").apply(window, " +
                                                 args.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) +
                                                 ")"},
                               {"contextId", WorldOf(target.frame)},
                               {"returnByValue", by_value},
                               {"awaitPromise", await_promise},
                               {"silent", true}};
      if (!group.empty()) params["objectGroup"] = group;
      try {
        result = session_->Call(method, params);
        break;
      } catch (const OstrelError& e) {
        if (e.Number() != err::kObjectDisconnected || attempt == 2) throw;
        own_worlds_.erase(target.frame.empty() ? main_frame_ : target.frame);
      }
    }
  } else {
    method = "Runtime.callFunctionOn";
    nlohmann::json call_args = nlohmann::json::array();
    for (const auto& a : args) call_args.push_back({{"value", a}});
    nlohmann::json params = {{"functionDeclaration", function},
                             {"objectId", target.object_id},
                             {"arguments", call_args},
                             {"returnByValue", by_value},
                             {"awaitPromise", await_promise},
                             {"silent", true}};
    if (!group.empty()) params["objectGroup"] = group;
    result = session_->Call(method, params);
  }
  if (!devtools::Field(result, "exceptionDetails").is_null()) {
    throw devtools::ErrorFromException(method, devtools::Obj(result, "exceptionDetails"));
  }
  return devtools::Obj(result, "result");
}

nlohmann::json DomContext::CallValue(const RemoteRef& target, const std::string& function,
                                     const nlohmann::json& args, bool await_promise) {
  const nlohmann::json remote = Invoke(target, function, args, true, "", await_promise);
  return devtools::Field(remote, "value");
}

RemoteRef DomContext::CallObject(const RemoteRef& target, const std::string& function,
                                 const nlohmann::json& args) {
  auto group = NewGroup();
  const nlohmann::json remote = Invoke(target, function, args, false, group->Name());
  const std::string object_id = devtools::Str(remote, "objectId");
  if (object_id.empty()) return {};
  return {group, object_id};
}

namespace {

void Fill(CollectionSnapshot& snapshot, const RemoteRef& array, const nlohmann::json& rows, uint64_t generation) {
  snapshot.generation = generation;
  for (size_t i = 0; i < rows.size(); ++i) {
    snapshot.items.push_back(array.Child(i));
    snapshot.infos.push_back(ElementInfo::FromJson(rows[i]));
  }
}

}  // namespace

std::shared_ptr<CollectionSnapshot> DomContext::FetchCollection(const RemoteRef& target,
                                                                const std::string& function) {
  RemoteRef array = CallObject(target, function);
  if (!array.group) throw OstrelError(err::kObjectDisconnected, "the collection is gone");
  auto text = CallValue(array, dom::ReadSnapshot());
  auto meta = nlohmann::json::parse(text.is_string() ? text.get<std::string>() : "{}", nullptr, false);
  if (!meta.is_object()) throw OstrelError(err::kBrowserProtocol, "the collection snapshot is unreadable");
  auto snapshot = std::make_shared<CollectionSnapshot>();
  uint64_t generation = Generation();
  Fill(*snapshot, array, devtools::Arr(meta, "items"), generation);
  const nlohmann::json& nested = devtools::Arr(meta, "elements");
  bool custom = false;
  for (size_t i = 0; i < nested.size(); ++i) {
    auto child = std::make_shared<CollectionSnapshot>();
    Fill(*child, array.Child(dom::kNestedProperty).Child(i), nested[i].is_array() ? nested[i] : devtools::EmptyArray(),
         generation);
    for (const ElementInfo& info : child->infos) custom |= info.kind == "custom";
    snapshot->children.push_back(child);
  }
  if (custom) ReadCustomControls(target, *snapshot);
  return snapshot;
}

}  // namespace ostrel

namespace ostrel {

// The state of custom elements is the page's own: their type, name and
// value are read in the page's world, by their positions in the forms.
void DomContext::ReadCustomControls(const RemoteRef& window, CollectionSnapshot& forms) {
  const nlohmann::json found = EvaluateInPage(window, dom::CustomControls());
  for (const nlohmann::json& row : found.is_array() ? found : devtools::EmptyArray()) {
    const nlohmann::json& f = devtools::At(row, 0);
    const nlohmann::json& e = devtools::At(row, 1);
    if (!f.is_number_unsigned() || !e.is_number_unsigned()) continue;
    const size_t form = f.get<size_t>(), element = e.get<size_t>();
    if (form >= forms.children.size() || element >= forms.children[form]->infos.size()) continue;
    ElementInfo& info = forms.children[form]->infos[element];
    if (info.kind != "custom") continue;
    auto text = [&](size_t i) { return devtools::At(row, i).is_string() ? devtools::At(row, i).get<std::string>() : ""; };
    info.type = text(2);
    info.name = info.name_attribute = text(3);
    info.value = text(4);
  }
}

std::shared_ptr<DomContext> DomContext::ContextOfFrame(const std::string& frame_id) {
  if (frames_) {
    if (auto context = frames_(frame_id)) return context;
  }
  return shared_from_this();
}

std::string DomContext::FrameIdAt(const RemoteRef& parent, int32_t index) {
  RemoteRef element = CallObject(parent, dom::FrameElementAt(), nlohmann::json::array({index}));
  if (!element.group) throw OstrelError(err::kObjectDisconnected, "frame " + std::to_string(index) + " has no element");
  auto node = session_->Call("DOM.describeNode", {{"objectId", element.object_id}});
  const std::string frame = devtools::Str(devtools::Obj(node, "node"), "frameId");
  if (frame.empty()) throw OstrelError(err::kObjectDisconnected, "DOM.describeNode: frame " + std::to_string(index) + " has no id");
  return frame;
}

std::string DomContext::FrameOf(const RemoteRef& window) {
  if (window.IsWindow()) return window.frame.empty() ? main_frame_ : window.frame;
  RemoteRef owner = CallObject(window, dom::FrameElement());
  if (!owner.group) throw OstrelError(err::kObjectDisconnected, "the frame has no element");
  auto node = session_->Call("DOM.describeNode", {{"objectId", owner.object_id}});
  const std::string frame = devtools::Str(devtools::Obj(node, "node"), "frameId");
  if (frame.empty()) throw OstrelError(err::kObjectDisconnected, "DOM.describeNode: the frame has no id");
  return frame;
}

void DomContext::RunInPage(const RemoteRef& window, const std::string& text, const OriginRule& rule) {
  EvaluateInPage(window, text, rule);
}

nlohmann::json DomContext::EvaluateInPage(const RemoteRef& window, const std::string& text,
                                          const OriginRule& rule) {
  const std::string frame = FrameOf(window);
  std::string expression;
  if (!rule.origin.empty()) {
    expression = dom::OriginCheckInPage(rule.origin, rule.top, err::kWebsiteProblem) + "\n";
  }
  expression += text;
  nlohmann::json result;
  // A context that went with its document is looked for again once the
  // events of the new one have arrived; between two documents they are
  // waited for a moment.
  for (int attempt = 0;; ++attempt) {
    session_->Connection().Drain();
    session_->Connection().PumpUntil([&] { return page_worlds_.count(frame) > 0 || !session_->Open(); },
                                     std::chrono::steady_clock::now() + std::chrono::seconds(2));
    auto it = page_worlds_.find(frame);
    if (it == page_worlds_.end()) throw OstrelError(err::kObjectDisconnected, "the frame's page world is not known");
    try {
      result = session_->Call("Runtime.evaluate", {{"expression", expression}, {"contextId", it->second},
                                                   {"silent", true}, {"returnByValue", true}});
      break;
    } catch (const OstrelError& e) {
      // A script of the page's own runs once: it is made again only when
      // it never started.
      if (!devtools::NeverStarted(e) || attempt == 2) throw;
      page_worlds_.erase(frame);
    }
  }
  if (!devtools::Field(result, "exceptionDetails").is_null()) {
    throw devtools::ErrorFromException("Runtime.evaluate", devtools::Obj(result, "exceptionDetails"));
  }
  return devtools::Field(devtools::Obj(result, "result"), "value");
}

}  // namespace ostrel
