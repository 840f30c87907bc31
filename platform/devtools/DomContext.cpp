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
  info.name_attribute = at(6);
  return info;
}

uint64_t DomContext::Generation() const {
  return local_generation_ + session_.Connection().PumpPasses();
}

std::shared_ptr<ObjectGroup> DomContext::NewGroup() {
  return std::make_shared<ObjectGroup>(session_, "ostrel-" + std::to_string(next_group_++));
}

nlohmann::json DomContext::Invoke(const RemoteRef& target, const std::string& function,
                                  const nlohmann::json& args, bool by_value, const std::string& group) {
  nlohmann::json result;
  std::string method;
  if (target.IsTopWindow()) {
    method = "Runtime.evaluate";
    nlohmann::json params = {{"expression", "(" + function + ").apply(window, " + args.dump() + ")"},
                             {"returnByValue", by_value},
                             {"silent", true}};
    if (!group.empty()) params["objectGroup"] = group;
    result = session_.Call(method, params);
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

void DomContext::CallElements(const RemoteRef& target, const std::string& function, const nlohmann::json& args,
                              std::vector<RemoteRef>& handles, std::vector<ElementInfo>& infos) {
  RemoteRef array = CallObject(target, function, args);
  handles.clear();
  infos.clear();
  if (!array.group) throw OstrelError(err::kObjectDisconnected, "the collection is gone");
  auto result = session_.Call("Runtime.getProperties", {{"objectId", array.object_id}, {"ownProperties", true}});
  std::vector<std::pair<size_t, std::string>> items;
  nlohmann::json meta = nlohmann::json::array();
  for (const auto& property : result["result"]) {
    const std::string name = property.value("name", "");
    if (!property.contains("value")) continue;
    const auto& value = property["value"];
    if (name == dom::kMetaProperty) {
      meta = nlohmann::json::parse(value.value("value", "[]"), nullptr, false);
    } else if (!name.empty() && std::isdigit(static_cast<unsigned char>(name[0])) && value.contains("objectId")) {
      items.emplace_back(std::stoul(name), value["objectId"].get<std::string>());
    }
  }
  std::sort(items.begin(), items.end());
  for (const auto& [index, object_id] : items) {
    handles.push_back({array.group, object_id});
    infos.push_back(index < meta.size() ? ElementInfo::FromJson(meta[index]) : ElementInfo{});
  }
}

}  // namespace ostrel
