#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "page/PositionList.h"
#include "page/WebForm.h"

namespace ostrel {

// The ordered forms of one captured page, positions 1 to Count(), in the
// order they were added. Owns its forms.
class WebForms : public PositionList<WebForm> {
 public:
  WebForms() : PositionList("form") {}

  // Captures frm with all its controls, sets its Index, FrameIndex and
  // FrameURL, appends it and returns it. A capture that fails throws and
  // adds nothing. A null frm fails with err::kObjectDisconnected.
  WebForm& Add(std::unique_ptr<IElement> frm, int16_t intFormIndex,
               int16_t intFrameIndex = WebForm::kTopDocument,
               std::string strFrameURL = "");
};

}  // namespace ostrel
