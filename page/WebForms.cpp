#include "page/WebForms.h"

#include "page/Positions.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

WebForm& WebForms::Add(std::unique_ptr<IElement> frm, int16_t intFormIndex,
                       int16_t intFrameIndex, std::string strFrameURL) {
  if (!frm) throw OstrelError(err::kObjectDisconnected, "no form to capture");
  auto form = std::make_unique<WebForm>();
  form->SetHTMLElement(std::move(frm));
  form->SetIndex(intFormIndex);
  form->SetFrameIndex(intFrameIndex);
  form->SetFrameURL(std::move(strFrameURL));
  items_.push_back(std::move(form));
  return *items_.back();
}

WebForm& WebForms::Item(int32_t vntIndexKey) {
  positions::Check(vntIndexKey, Count(), "form");
  return *items_[static_cast<size_t>(vntIndexKey - 1)];
}

const WebForm& WebForms::Item(int32_t vntIndexKey) const {
  positions::Check(vntIndexKey, Count(), "form");
  return *items_[static_cast<size_t>(vntIndexKey - 1)];
}

void WebForms::Remove(int32_t vntIndexKey) {
  positions::Check(vntIndexKey, Count(), "form");
  items_.erase(items_.begin() + (vntIndexKey - 1));
}

}  // namespace ostrel
