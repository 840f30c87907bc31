#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ostrel {

// Where a form's document sits among the frames, as a record stores it.
//
// A form of the top document is FrameIndex 255 with an empty FrameURL, and a
// form of a frame of the top document is FrameIndex = the frame's 0-based
// position with FrameURL = its address, as records always held them, for
// positions 0 to 253. Any other frame (nested deeper, or a first-level
// frame at position 254 or later, which would read as the marker below or
// as the top document) is stored as
//   FrameIndex  254 (kNestedFrame), a value no earlier record holds;
//   FrameURL    the positions of the frames from the top document down,
//               0-based, joined by '/', then one blank, then the address of
//               the frame's document: "0/2/1 https://a.example/login",
//               "300 https://a.example/login".
// An address holds no blank, so the first blank ends the path. Code that
// knew only first-level frames fails cleanly on such a record (it finds no
// frame 254) rather than filling the wrong document.
struct FramePath {
  static constexpr int16_t kTopLevelFrame = 255;
  static constexpr int16_t kNestedFrame = 254;
  // At most this deep (a frame of a frame of ... 8 levels).
  static constexpr size_t kMaxDepth = 8;

  std::vector<int16_t> positions;  // empty: the top document
  std::string url;                 // the frame document's address

  // The stored pair.
  int16_t FrameIndex() const;
  std::string FrameURL() const;
  // The path a stored pair stands for; a nested pair that cannot be read
  // gives an empty path (the top document) and its whole text as url.
  static FramePath FromStored(int16_t frameIndex, const std::string& frameURL);
  // The path part alone ("0/2/1"), for telling frames apart; empty for the
  // top document and first-level frames.
  static std::string NestedPart(int16_t frameIndex, const std::string& frameURL);
};

}  // namespace ostrel
