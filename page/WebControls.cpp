#include "page/WebControls.h"

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
  return &Append(std::move(control));
}

}  // namespace ostrel
