#pragma once

#include <string>
#include <utility>
#include <vector>

#include "ScenarioCase.h"
#include "platform/devtools/DevToolsSession.h"

namespace ostrel::scenario {

// Acts on a tab as a person would, with real input events: focuses an
// element (in the top document, or in the frame that `frame` leads to) and
// types into it, clicks it with the mouse, or presses a key in it. Throws
// std::runtime_error when the element is not on the page.
class PageInput {
 public:
  explicit PageInput(DevToolsSession& tab) : tab_(tab) {}

  void Type(const FramePath& frame, const std::string& selector, const std::string& text);
  void Click(const FramePath& frame, const std::string& selector);
  // An empty selector presses the key wherever the focus is.
  void Press(const FramePath& frame, const std::string& selector, const std::string& key);
  // Whether the element is on the page and shown; false while the page is
  // being replaced.
  bool Shown(const FramePath& frame, const std::string& selector);

  // The address and readiness ("loading", "interactive", "complete") of the
  // top document and of every frame below it that shares its origin; empty
  // while the page is being replaced.
  std::vector<std::pair<std::string, std::string>> Documents();

 private:
  // Focuses the element and returns its centre in the tab's viewport.
  std::pair<double, double> Focus(const FramePath& frame, const std::string& selector);
  nlohmann::json Evaluate(const std::string& function, const nlohmann::json& arguments);
  void Key(const std::string& type, const std::string& key);

  DevToolsSession& tab_;
};

}  // namespace ostrel::scenario
