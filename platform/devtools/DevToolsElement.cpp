#include "platform/devtools/DevToolsElement.h"

#include "platform/devtools/DevToolsCollection.h"
#include "platform/devtools/DevToolsDocument.h"
#include "platform/devtools/DomScripts.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

DevToolsElement::DevToolsElement(DomContextPtr context, RemoteRef ref, ElementInfo info, uint64_t generation,
                                 std::shared_ptr<CollectionSnapshot> elements)
    : context_(std::move(context)),
      ref_(std::move(ref)),
      info_(std::move(info)),
      generation_(generation),
      elements_(std::move(elements)) {}

const ElementInfo& DevToolsElement::Info() {
  if (generation_ != context_->Generation()) {
    info_ = ElementInfo::FromJson(context_->CallValue(ref_, dom::ElementInfo()));
    generation_ = context_->Generation();
  }
  return info_;
}

void DevToolsElement::click() {
  context_->Touch();
  context_->CallValue(ref_, dom::ClickLater());
}

std::unique_ptr<IElementCollection> DevToolsElement::all() {
  return std::make_unique<DevToolsCollection>(context_, ref_, DevToolsCollection::Kind::kDescendants);
}

std::unique_ptr<IDocument> DevToolsElement::document() {
  RemoteRef window = context_->CallObject(ref_, dom::OwnerWindow());
  if (!window.group) throw OstrelError(err::kObjectDisconnected, "the element has no document");
  return std::make_unique<DevToolsDocument>(context_, window);
}

void DevToolsElement::setValue(const std::string& value) {
  context_->Touch();
  auto row = context_->CallValue(ref_, dom::SetInputValue(), nlohmann::json::array({value}));
  context_->Touch();
  info_ = ElementInfo::FromJson(row);
  generation_ = context_->Generation();
}

std::unique_ptr<IElementCollection> DevToolsElement::elements() {
  if (Info().kind != "form") throw OstrelError(err::kObjectRequired, "elements: " + info_.tag + " is not a form");
  return std::make_unique<DevToolsCollection>(context_, ref_, DevToolsCollection::Kind::kElements, elements_);
}

void DevToolsElement::submit() {
  context_->Touch();
  context_->CallValue(ref_, dom::SubmitLater());
}

}  // namespace ostrel
