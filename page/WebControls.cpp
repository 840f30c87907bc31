#include "page/WebControls.h"

#include "page/Positions.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

WebControl* WebControls::Add(std::unique_ptr<IElement> elt) {
  if (!elt) {
    throw OstrelError(err::kObjectDisconnected, "no element to capture");
  }
  if (elt->tagName() == "FIELDSET") return nullptr;
  auto control = std::make_unique<WebControl>();
  control->SetHTMLElement(std::move(elt));
  items_.push_back(std::move(control));
  return items_.back().get();
}

WebControl& WebControls::Item(int32_t vntIndexKey) {
  positions::Check(vntIndexKey, Count(), "control");
  return *items_[static_cast<size_t>(vntIndexKey - 1)];
}

const WebControl& WebControls::Item(int32_t vntIndexKey) const {
  positions::Check(vntIndexKey, Count(), "control");
  return *items_[static_cast<size_t>(vntIndexKey - 1)];
}

void WebControls::Remove(int32_t vntIndexKey) {
  positions::Check(vntIndexKey, Count(), "control");
  items_.erase(items_.begin() + (vntIndexKey - 1));
}

}  // namespace ostrel
