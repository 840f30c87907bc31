#include "page/FramePath.h"

#include <charconv>
#include <cstdint>

namespace ostrel {

namespace {
// A first-level frame stored the way records always held it.
bool Plain(const std::vector<int16_t>& positions) {
  return positions.size() == 1 && positions[0] >= 0 && positions[0] < FramePath::kNestedFrame;
}
}  // namespace

int16_t FramePath::FrameIndex() const {
  if (positions.empty()) return kTopLevelFrame;
  if (Plain(positions)) return positions[0];
  return kNestedFrame;
}

std::string FramePath::FrameURL() const {
  if (positions.empty()) return {};
  if (Plain(positions)) return url;
  std::string text;
  for (size_t i = 0; i < positions.size(); ++i) {
    if (i > 0) text += '/';
    text += std::to_string(positions[i]);
  }
  return text + ' ' + url;
}

FramePath FramePath::FromStored(int16_t frameIndex, const std::string& frameURL) {
  FramePath path;
  if (frameIndex == kTopLevelFrame) return path;
  if (frameIndex != kNestedFrame) {
    path.positions = {frameIndex};
    path.url = frameURL;
    return path;
  }
  const size_t blank = frameURL.find(' ');
  const std::string steps = frameURL.substr(0, blank);
  path.url = blank == std::string::npos ? frameURL : frameURL.substr(blank + 1);
  for (size_t at = 0; at <= steps.size() && blank != std::string::npos;) {
    const size_t slash = std::min(steps.find('/', at), steps.size());
    int value = -1;
    const auto [end, error] = std::from_chars(steps.data() + at, steps.data() + slash, value);
    if (error != std::errc() || end != steps.data() + slash || value < 0 || value > INT16_MAX) {
      path.positions.clear();
      path.url = frameURL;
      return path;
    }
    path.positions.push_back(static_cast<int16_t>(value));
    at = slash + 1;
  }
  if (path.positions.empty() || Plain(path.positions) || path.positions.size() > kMaxDepth) {
    path.positions.clear();
    path.url = frameURL;
  }
  return path;
}

std::string FramePath::NestedPart(int16_t frameIndex, const std::string& frameURL) {
  if (frameIndex != kNestedFrame) return {};
  return frameURL.substr(0, frameURL.find(' '));
}

}  // namespace ostrel
