#include "page/WebControl.h"

#include <array>
#include <string_view>

#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"
#include "support/TextCase.h"

namespace ostrel {

namespace {

// INPUT types that take no typed text: buttons, choices, files, pickers.
constexpr std::array<std::string_view, 13> kNoTextTypes = {
    "BUTTON", "CHECKBOX", "RADIO", "FILE",  "IMAGE", "RANGE", "COLOR",
    "DATE",   "DATETIME-LOCAL",    "MONTH", "WEEK",  "TIME",  "RESET"};

// The code of an INPUT element's reported type, or -1 when it takes no
// typed text. Every other type (email, tel, url, search, number, one the
// browser does not know, none at all) is a text input.
int32_t InputTypeCode(const std::string& type) {
  const std::string upper = UpperAscii(type);
  if (upper == "HIDDEN") return ctl::kHidden;
  if (upper == "PASSWORD") return ctl::kPassword;
  if (upper == "SUBMIT") return ctl::kSubmit;
  for (std::string_view other : kNoTextTypes) {
    if (upper == other) return -1;
  }
  return ctl::kText;
}

}  // namespace

void WebControl::SetValue(const std::string& vNewValue) {
  if (!IsValueBearing(ctl_type_)) return;
  element_->setValue(vNewValue);
}

void WebControl::SetHTMLElement(std::unique_ptr<IElement> elt) {
  if (!elt) throw OstrelError(err::kObjectRequired, "no element to capture");
  element_ = std::move(elt);
  tag_name_ = UpperAscii(element_->tagName());
  if (tag_name_ == "INPUT") {
    const int32_t code = InputTypeCode(element_->type());
    if (code >= 0) ctl_type_ = code;
  } else if (tag_name_.find('-') != std::string::npos) {
    // A control of the page's own making (a form-associated custom
    // element, its value kept by the element): text, or a password when
    // its type says so.
    ctl_type_ = UpperAscii(element_->type()) == "PASSWORD" ? ctl::kPassword : ctl::kText;
  }
  if (IsValueBearing(ctl_type_)) {
    name_ = element_->name();
    id_ = element_->id();
    value_ = element_->value();
  }
}

}  // namespace ostrel
