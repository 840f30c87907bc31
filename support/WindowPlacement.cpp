#include "support/WindowPlacement.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

namespace {

// The whole number nearest to x, halves to the even neighbour.
int32_t Nearest(double x) {
  const double rounded = std::nearbyint(x);
  if (!(rounded >= std::numeric_limits<int32_t>::min() &&
        rounded <= std::numeric_limits<int32_t>::max())) {
    throw OstrelError(err::kOverflow);
  }
  return static_cast<int32_t>(rounded);
}

}  // namespace

int16_t MaxInteger(int16_t a, int16_t b) { return a > b ? a : b; }

void CentreForm(IFormGeometry& form, float rectTop, float rectLeft, float rectHeight,
                float rectWidth) {
  const int32_t cy = Nearest(double{rectTop} + double{rectHeight} / 2);
  const int32_t cx = Nearest(double{rectLeft} + double{rectWidth} / 2);
  form.SetTop(static_cast<float>(std::max(0, Nearest(cy - double{form.Height()} / 2))));
  form.SetLeft(static_cast<float>(std::max(0, Nearest(cx - double{form.Width()} / 2))));
}

PixelPoint PlaceBelowToolbar(const PixelRect& browser, int pageTop, int width, int height,
                             const PixelRect& workArea) {
  PixelPoint at{std::max(browser.left, browser.Right() - width - kPlacementGap),
                pageTop + kPlacementGap};
  at.x = std::max(workArea.left, std::min(at.x, workArea.Right() - width));
  at.y = std::max(std::max(workArea.top, pageTop), std::min(at.y, workArea.Bottom() - height));
  return at;
}

}  // namespace ostrel
