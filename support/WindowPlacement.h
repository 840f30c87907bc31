#pragma once

#include <cstdint>

#include "support/FormGeometry.h"

namespace ostrel {

// The larger of a and b (a when they are equal).
int16_t MaxInteger(int16_t a, int16_t b);

// Centres form over the rectangle (twips): its centre is rounded to whole
// twips (halves to even), then form.Top = max(0, centreY - Height / 2) and
// form.Left = max(0, centreX - Width / 2), each rounded the same way. Top is
// set before the form's Width is read. The form is never moved above or left
// of 0, and not limited at the right or bottom.
// Coordinates are whole numbers of 32 bits, so desktops wider than 32767
// twips (2184 pixels) place correctly. A coordinate outside that range, or
// not a number, raises OstrelError(err::kOverflow) before it is set.
void CentreForm(IFormGeometry& form, float rectTop, float rectLeft, float rectHeight,
                float rectWidth);

}  // namespace ostrel
