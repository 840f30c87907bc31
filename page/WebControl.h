#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/browser/Browser.h"

namespace ostrel {

// Control type codes of a captured element. Only the value-bearing kinds
// (text, hidden, password) have their name, id and value captured.
namespace ctl {
constexpr int32_t kOther = 0;
constexpr int32_t kText = 1;
constexpr int32_t kHidden = 2;
constexpr int32_t kPassword = 3;
constexpr int32_t kSubmit = 8;
}  // namespace ctl

// One element of a form, as seen at capture: its kind and, for text, hidden
// and password inputs, its name, id and value. The control keeps the live
// element it was captured from for as long as it exists, so the IBrowser the
// element came from must outlive it.
class WebControl {
 public:
  WebControl() = default;
  WebControl(const WebControl&) = delete;
  WebControl& operator=(const WebControl&) = delete;

  // The element's tag, upper-cased (ASCII), as read at capture.
  const std::string& TagName() const { return tag_name_; }
  const std::string& Name() const { return name_; }
  const std::string& ID() const { return id_; }
  int32_t CtlType() const { return ctl_type_; }
  // The value captured; writing through SetValue does not change it.
  const std::string& Value() const { return value_; }

  // Writes vNewValue into the live element when the control is a text,
  // hidden or password input; does nothing for any other kind. Fails with
  // the browser's error when the element refuses the write.
  void SetValue(const std::string& vNewValue);

  // Captures elt: keeps it, reads its tag and, for an INPUT, its type,
  // both compared without regard to ASCII case whatever the locale: HIDDEN,
  // PASSWORD and SUBMIT get their codes; a type that takes no typed text
  // (button, checkbox, radio, file, image, range, color, date,
  // datetime-local, month, week, time, reset) none, which leaves the code as
  // it was (0 when new); every other type (text, email, tel, url, search,
  // number, unknown ones) is TEXT. For the value-bearing kinds it then reads
  // name, id and value, in that order. A read the browser refuses throws and
  // leaves the control unusable. A null elt fails with err::kObjectRequired.
  void SetHTMLElement(std::unique_ptr<IElement> elt);

  static bool IsValueBearing(int32_t ctl_type) {
    return ctl_type == ctl::kText || ctl_type == ctl::kHidden ||
           ctl_type == ctl::kPassword;
  }

 private:
  std::string tag_name_;
  std::string name_;
  std::string id_;
  int32_t ctl_type_ = ctl::kOther;
  std::string value_;
  std::unique_ptr<IElement> element_;
};

}  // namespace ostrel
