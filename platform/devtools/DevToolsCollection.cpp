#include "platform/devtools/DevToolsCollection.h"

#include "platform/devtools/DevToolsElement.h"
#include "platform/devtools/DomScripts.h"

namespace ostrel {

DevToolsCollection::DevToolsCollection(DomContext& context, RemoteRef source, Kind kind)
    : context_(context), source_(std::move(source)), kind_(kind) {}

void DevToolsCollection::Fetch() {
  if (fetched_ && generation_ == context_.Generation()) return;
  std::string function = kind_ == Kind::kForms      ? dom::FormsOfWindow()
                         : kind_ == Kind::kElements ? dom::ElementsOfForm()
                                                    : dom::DescendantsOf();
  context_.CallElements(source_, function, nlohmann::json::array(), items_, infos_);
  fetched_ = true;
  generation_ = context_.Generation();
}

std::unique_ptr<IElement> DevToolsCollection::Make(size_t index) {
  return std::make_unique<DevToolsElement>(context_, items_[index], infos_[index], generation_);
}

int32_t DevToolsCollection::length() {
  Fetch();
  return static_cast<int32_t>(items_.size());
}

std::unique_ptr<IElement> DevToolsCollection::item(int32_t index) {
  Fetch();
  if (index < 0 || static_cast<size_t>(index) >= items_.size()) return nullptr;
  return Make(static_cast<size_t>(index));
}

std::unique_ptr<IElement> DevToolsCollection::item(const std::string& name) {
  Fetch();
  for (size_t i = 0; i < infos_.size(); ++i) {
    if (infos_[i].name_attribute == name) return Make(i);
  }
  for (size_t i = 0; i < infos_.size(); ++i) {
    if (infos_[i].id == name) return Make(i);
  }
  return nullptr;
}

}  // namespace ostrel
