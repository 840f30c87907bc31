#pragma once

#include <cstdint>
#include <string>

namespace ostrel {

// Where the login form of a site record sits. Plain data.
struct FormInfo {
  static constexpr int16_t kTopLevelFrame = 255;

  int16_t Index = 0;                  // 0-based position in its document's forms
  int16_t FrameIndex = kTopLevelFrame;  // 255 = top-level document, else frame position
  std::string FrameURL;               // address of the frame's document; empty at top level
  std::string Name;                   // the form's name, may be empty
  std::string ID;                     // stored and loaded, not used
  std::string Javascript;             // script to run instead of submitting; may be empty
};

}  // namespace ostrel
