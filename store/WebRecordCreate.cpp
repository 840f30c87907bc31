// Building a site record from two captures of one login page.
#include <optional>
#include <string>
#include <vector>

#include "page/WebPage.h"
#include "store/WebRecord.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

namespace {

// The two captures pair up position by position: every form and control
// of the first must have a counterpart in the second.
void CheckPairing(const WebForms& forms1, const WebForms& forms2) {
  if (forms2.Count() < forms1.Count()) {
    throw OstrelError(err::kSubscript,
                      "the page had " + std::to_string(forms1.Count()) +
                          " forms when recording started and " +
                          std::to_string(forms2.Count()) + " when it was left");
  }
  for (int32_t i = 1; i <= forms1.Count(); ++i) {
    const int32_t count1 = forms1.Item(i).Controls().Count();
    const int32_t count2 = forms2.Item(i).Controls().Count();
    if (count2 < count1) {
      throw OstrelError(err::kSubscript,
                        "form " + std::to_string(i) + " had " + std::to_string(count1) +
                            " inputs when recording started and " +
                            std::to_string(count2) + " when the page was left");
    }
  }
}

int16_t ControlIndex(int32_t position) {
  if (position - 1 > INT16_MAX) {
    throw OstrelError(err::kOverflow, "input position " + std::to_string(position) +
                                          " does not fit a site record");
  }
  return static_cast<int16_t>(position - 1);
}

}  // namespace

void WebRecord::CreateRecord(const std::string& strSiteName, const WebPage& WebPage1,
                             const WebPage& WebPage2) {
  const WebForms& forms1 = WebPage1.Forms();
  const WebForms& forms2 = WebPage2.Forms();
  CheckPairing(forms1, forms2);

  std::optional<FormInfo> form;
  std::vector<ControlInfo> controls;
  for (int32_t i = 1; i <= forms1.Count(); ++i) {
    const WebForm& form1 = forms1.Item(i);
    const WebForm& form2 = forms2.Item(i);
    for (int32_t j = 1; j <= form1.Controls().Count(); ++j) {
      const WebControl& control1 = form1.Controls().Item(j);
      const WebControl& control2 = form2.Controls().Item(j);
      if (control2.Value() == control1.Value()) continue;
      if (!form) {
        form.emplace();
        form->Index = form1.Index();
        form->FrameIndex = form1.FrameIndex();
        form->FrameURL = form1.FrameURL();
        form->ID = form1.ID();
        form->Name = form1.Name();
        form->Javascript = WebPage2.Javascript();
      }
      ControlInfo control;
      control.Index = ControlIndex(j);
      control.ID = control1.ID();
      control.Name = control1.Name();
      control.CtlType = control1.CtlType();
      control.Value = control2.Value();
      controls.push_back(std::move(control));
    }
  }

  mSiteName = strSiteName;
  mURL = WebPage1.URL();
  mForm = std::move(form);
  mControls = std::move(controls);
}

}  // namespace ostrel
