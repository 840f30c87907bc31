#pragma once

#include <cstdint>
#include <string>

namespace ostrel {

// One input of a site record to fill on replay. Plain data.
struct ControlInfo {
  int16_t Index = 0;    // 0-based position in its form's controls
  int32_t CtlType = 0;  // 1 TEXT, 2 HIDDEN, 3 PASSWORD (0 other, 8 SUBMIT)
  std::string Name;
  std::string ID;       // stored and loaded, not used
  std::string Value;
};

}  // namespace ostrel
