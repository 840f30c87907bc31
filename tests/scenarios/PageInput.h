#pragma once

#include <string>

#include "platform/devtools/DevToolsSession.h"

namespace ostrel::scenario {

// Acts on a tab as a person would, with real input events: focuses an
// element (in the top document, or in frame `frame` of it, -1 for none)
// and types into it, clicks it with the mouse, or presses a key in it.
// Throws std::runtime_error when the element is not on the page.
class PageInput {
 public:
  explicit PageInput(DevToolsSession& tab) : tab_(tab) {}

  void Type(int frame, const std::string& selector, const std::string& text);
  void Click(int frame, const std::string& selector);
  void Press(int frame, const std::string& selector, const std::string& key);

 private:
  // Focuses the element and returns its centre in the tab's viewport.
  std::pair<double, double> Focus(int frame, const std::string& selector);
  void Key(const std::string& type, const std::string& key);

  DevToolsSession& tab_;
};

}  // namespace ostrel::scenario
