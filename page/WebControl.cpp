#include "page/WebControl.h"

#include <algorithm>
#include <cctype>

#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

namespace {

std::string UpperCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

// The code of an INPUT element's reported type, or -1 when it is none of
// the listed kinds.
int32_t InputTypeCode(const std::string& type) {
  const std::string upper = UpperCase(type);
  if (upper == "TEXT") return ctl::kText;
  if (upper == "HIDDEN") return ctl::kHidden;
  if (upper == "PASSWORD") return ctl::kPassword;
  if (upper == "SUBMIT") return ctl::kSubmit;
  return -1;
}

}  // namespace

void WebControl::SetValue(const std::string& vNewValue) {
  if (!IsValueBearing(ctl_type_)) return;
  element_->setValue(vNewValue);
}

void WebControl::SetHTMLElement(std::unique_ptr<IElement> elt) {
  if (!elt) throw OstrelError(err::kObjectRequired, "no element to capture");
  element_ = std::move(elt);
  if (UpperCase(element_->tagName()) == "INPUT") {
    const int32_t code = InputTypeCode(element_->type());
    if (code >= 0) ctl_type_ = code;
  }
  if (IsValueBearing(ctl_type_)) {
    name_ = element_->name();
    id_ = element_->id();
    value_ = element_->value();
  }
}

}  // namespace ostrel
