#pragma once

#include <cstdint>
#include <string>

#include "support/OstrelError.h"

namespace ostrel::test {

// The number of the OstrelError `call` raises; 0 when it raises none.
template <typename Call>
int32_t ErrorNumberOf(Call&& call) {
  try {
    call();
  } catch (const OstrelError& e) {
    return e.Number();
  }
  return 0;
}

// What the OstrelError `call` raises says to the person; empty when it
// raises none.
template <typename Call>
std::string ExplanationOf(Call&& call) {
  try {
    call();
  } catch (const OstrelError& e) {
    return e.Explanation();
  }
  return {};
}

}  // namespace ostrel::test
