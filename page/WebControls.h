#pragma once

#include <memory>

#include "page/PositionList.h"
#include "page/WebControl.h"

namespace ostrel {

// The ordered controls of one captured form, positions 1 to Count(), in the
// order of the form's elements collection with FIELDSET elements left out.
// Owns its controls.
class WebControls : public PositionList<WebControl> {
 public:
  WebControls() : PositionList("control") {}

  // Captures elt as a new control at the end and returns it; returns nullptr
  // and adds nothing when elt's tag is exactly "FIELDSET" (case-sensitive).
  // A capture that fails throws and adds nothing. A null elt fails with
  // err::kObjectDisconnected.
  WebControl* Add(std::unique_ptr<IElement> elt);
};

}  // namespace ostrel
