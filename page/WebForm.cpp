#include "page/WebForm.h"

#include "page/Positions.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

void WebForm::SetHTMLElement(std::unique_ptr<IElement> frm) {
  if (!frm) throw OstrelError(err::kObjectRequired, "no form to capture");
  element_ = std::move(frm);
  is_group_ = element_->tagName() == kGroupTag;
  name_ = is_group_ ? std::string() : element_->name();
  const std::unique_ptr<IElementCollection> elements = element_->elements();
  const int32_t count = elements->length();
  for (int32_t i = 0; i < count; ++i) {
    controls_.Add(positions::Require(elements->item(i), "form element", i));
  }
}

}  // namespace ostrel
