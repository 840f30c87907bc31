#include "platform/devtools/DevToolsCollection.h"

#include "platform/devtools/DevToolsElement.h"
#include "platform/devtools/DomScripts.h"

namespace ostrel {

DevToolsCollection::DevToolsCollection(DomContextPtr context, RemoteRef source, Kind kind,
                                       std::shared_ptr<CollectionSnapshot> snapshot)
    : context_(std::move(context)), source_(std::move(source)), kind_(kind), snapshot_(std::move(snapshot)) {}

void DevToolsCollection::Fetch() {
  if (snapshot_ && snapshot_->generation == context_->Generation()) return;
  std::string function = kind_ == Kind::kForms      ? dom::FormsOfWindow()
                         : kind_ == Kind::kElements ? dom::ElementsOfForm()
                                                    : dom::DescendantsOf();
  snapshot_ = context_->FetchCollection(source_, function);
}

std::unique_ptr<IElement> DevToolsCollection::Make(size_t index) {
  auto elements = index < snapshot_->children.size() ? snapshot_->children[index] : nullptr;
  return std::make_unique<DevToolsElement>(context_, snapshot_->items[index], snapshot_->infos[index],
                                           snapshot_->generation, elements);
}

int32_t DevToolsCollection::length() {
  Fetch();
  return static_cast<int32_t>(snapshot_->items.size());
}

std::unique_ptr<IElement> DevToolsCollection::item(int32_t index) {
  Fetch();
  if (index < 0 || static_cast<size_t>(index) >= snapshot_->items.size()) return nullptr;
  return Make(static_cast<size_t>(index));
}

std::unique_ptr<IElement> DevToolsCollection::item(const std::string& name) {
  Fetch();
  const auto& infos = snapshot_->infos;
  for (size_t i = 0; i < infos.size(); ++i) {
    if (infos[i].name_attribute == name) return Make(i);
  }
  for (size_t i = 0; i < infos.size(); ++i) {
    if (infos[i].id == name) return Make(i);
  }
  return nullptr;
}

}  // namespace ostrel
