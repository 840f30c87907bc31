#include "page/WebForms.h"

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
  return Append(std::move(form));
}

}  // namespace ostrel
