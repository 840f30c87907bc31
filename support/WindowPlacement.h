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

// A rectangle on the desktop, in pixels.
struct PixelRect {
  int left = 0, top = 0, width = 0, height = 0;
  int Right() const { return left + width; }
  int Bottom() const { return top + height; }
};

struct PixelPoint {
  int x = 0, y = 0;
  bool operator==(const PixelPoint&) const = default;
};

// Gap, in pixels, between the placed window and the browser's right edge
// and between it and the top of the page.
inline constexpr int kPlacementGap = 8;

// The top left corner for a window of width x height opened over its
// browser window `browser`, whose page starts at pageTop (everything above,
// tab strip, toolbar, bookmarks and info bars, belongs to the browser): at
// the browser's right edge, under the toolbar button, and kPlacementGap
// below pageTop. It is then moved into workArea (the usable part of the
// screen), left before right and up before down, but never above pageTop,
// so the address bar, the button and the browser's menu stay uncovered
// even when the window then reaches past the bottom of the screen.
PixelPoint PlaceBelowToolbar(const PixelRect& browser, int pageTop, int width, int height,
                             const PixelRect& workArea);

}  // namespace ostrel
