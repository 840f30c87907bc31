#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/browser/Browser.h"

namespace ostrel::positions {

// Throws err::kSubscript unless 1 <= position <= count; what names the
// collection in the description.
void Check(int32_t position, int32_t count, const char* what);

// Returns element, or throws err::kObjectDisconnected naming what when the
// browser gave none (the page changed while it was being read).
std::unique_ptr<IElement> Require(std::unique_ptr<IElement> element,
                                  const char* what, int32_t index);

// The 0-based position i as a 16-bit index; err::kOverflow past 32767.
int16_t ToIndex(int32_t i);

}  // namespace ostrel::positions
