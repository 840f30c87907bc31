#include "page/Positions.h"

#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel::positions {

void Check(int32_t position, int32_t count, const char* what) {
  if (position < 1 || position > count) {
    throw OstrelError(err::kSubscript, std::string(what) + " position " +
                                           std::to_string(position) +
                                           " is outside 1.." +
                                           std::to_string(count));
  }
}

std::unique_ptr<IElement> Require(std::unique_ptr<IElement> element,
                                  const char* what, int32_t index) {
  if (!element) {
    throw OstrelError(err::kObjectDisconnected,
                      std::string(what) + " " + std::to_string(index) +
                          " is no longer in the page");
  }
  return element;
}

int16_t ToIndex(int32_t i) {
  if (i < 0 || i > INT16_MAX) {
    throw OstrelError(err::kOverflow,
                      "position " + std::to_string(i) + " does not fit 16 bits");
  }
  return static_cast<int16_t>(i);
}

}  // namespace ostrel::positions
