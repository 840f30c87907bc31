#include "platform/devtools/DomContext.h"

#include "platform/devtools/DevToolsConnection.h"
#include "platform/devtools/DevToolsErrors.h"
#include "platform/devtools/DomScripts.h"
#include "support/ErrorNumbers.h"

namespace ostrel {

ObjectGroup::~ObjectGroup() { session_.Post("Runtime.releaseObjectGroup", {{"objectGroup", name_}}); }

ElementInfo ElementInfo::FromJson(const nlohmann::json& row) {
  ElementInfo info;
  auto at = [&](size_t i) { return i < row.size() && row[i].is_string() ? row[i].get<std::string>() : std::string(); };
  info.kind = at(0);
  info.tag = at(1);
  info.id = at(2);
  info.type = at(3);
  info.name = at(4);
  info.value = at(5);
  info.name_attribute = row.size() > 6 && !row[6].is_string() ? info.name : at(6);
  return info;
}

uint64_t DomContext::Generation() const {
  return local_generation_ + session_.Connection().PumpPasses();
}

std::shared_ptr<ObjectGroup> DomContext::NewGroup() {
  return std::make_shared<ObjectGroup>(session_, "ostrel-" + std::to_string(next_group_++));
}

nlohmann::json DomContext::Invoke(const RemoteRef& target, const std::string& given_function,
                                  const nlohmann::json& given_args, bool by_value, const std::string& group) {
  std::string function = given_function;
  nlohmann::json args = given_args;
  if (!target.path.empty()) {
    function = dom::AlongPath(given_function);
    args = nlohmann::json::array({target.path});
    for (const auto& a : given_args) args.push_back(a);
  }
  nlohmann::json result;
  std::string method;
  if (target.IsTopWindow()) {
    method = "Runtime.evaluate";
    nlohmann::json params = {{"expression", "(" + function + ").apply(window, " + args.dump() + ")"},
                             {"returnByValue", by_value},
                             {"silent", true}};
    if (!group.empty()) params["objectGroup"] = group;
    // The top-level window follows the tab: a call that met a page being
    // replaced is made again on the page that replaced it.
    for (int attempt = 0;; ++attempt) {
      try {
        result = session_.Call(method, params);
        break;
      } catch (const OstrelError& e) {
        if (e.Number() != err::kObjectDisconnected || attempt == 2) throw;
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
                             {"silent", true}};
    if (!group.empty()) params["objectGroup"] = group;
    result = session_.Call(method, params);
  }
  if (result.contains("exceptionDetails")) {
    throw devtools::ErrorFromException(method, result["exceptionDetails"]);
  }
  return result.contains("result") ? result["result"] : nlohmann::json::object();
}

nlohmann::json DomContext::CallValue(const RemoteRef& target, const std::string& function,
                                     const nlohmann::json& args) {
  nlohmann::json remote = Invoke(target, function, args, true, "");
  return remote.contains("value") ? remote["value"] : nlohmann::json();
}

RemoteRef DomContext::CallObject(const RemoteRef& target, const std::string& function,
                                 const nlohmann::json& args) {
  auto group = NewGroup();
  nlohmann::json remote = Invoke(target, function, args, false, group->Name());
  if (!remote.contains("objectId")) return {};
  return {group, remote["objectId"].get<std::string>()};
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
  Fill(*snapshot, array, meta.value("items", nlohmann::json::array()), generation);
  if (meta.contains("elements")) {
    const auto& nested = meta["elements"];
    for (size_t i = 0; i < nested.size(); ++i) {
      auto child = std::make_shared<CollectionSnapshot>();
      Fill(*child, array.Child(dom::kNestedProperty).Child(i), nested[i], generation);
      snapshot->children.push_back(child);
    }
  }
  return snapshot;
}

}  // namespace ostrel
