#pragma once

#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "ScenarioCase.h"
#include "platform/devtools/DevToolsBrowser.h"

namespace ostrel::scenario {

// Acts on a tab as a person would, with real input events: types into an
// element (in the top document, or in the frame that `frame` leads to,
// whatever its origin or site), clicks it with the mouse, or presses a key
// in it. A selector "host >>> inner" finds inner inside the shadow trees
// under host, open or closed, at any depth. Throws std::runtime_error when
// the element is not on the page.
class PageInput {
 public:
  explicit PageInput(DevToolsBrowser& tab) : tab_(tab) {}

  void Type(const FramePath& frame, const std::string& selector, const std::string& text);
  void Click(const FramePath& frame, const std::string& selector);
  // An empty selector presses the key wherever the focus is.
  void Press(const FramePath& frame, const std::string& selector, const std::string& key);
  // Whether the element is on the page and shown; false while the page is
  // being replaced.
  bool Shown(const FramePath& frame, const std::string& selector);

  // The address (as the document shows it now, history.pushState
  // included) and readiness ("loading", "interactive", "complete") of the
  // top document and of every frame below it; empty while the page is
  // being replaced.
  std::vector<std::pair<std::string, std::string>> Documents();

 private:
  // An element found: the session and world it lives in, its handle there,
  // and its centre in the tab's viewport.
  struct Found {
    DevToolsSession* session = nullptr;
    int64_t world = 0;
    std::string object;
    double x = 0, y = 0;
  };
  Found Locate(const FramePath& frame, const std::string& selector);
  void Focus(const Found& found);
  // Ostrel's input world in the frame (made once per document).
  int64_t WorldOf(DevToolsSession& session, const std::string& frame);
  nlohmann::json CallOn(DevToolsSession& session, const std::string& object, const std::string& function,
                        const nlohmann::json& arguments = nlohmann::json::array(), bool by_value = true);
  std::string Evaluate(DevToolsSession& session, int64_t world, const std::string& expression);
  std::string InShadowTrees(DevToolsSession& session, int64_t world, const std::string& host,
                            const std::string& selector);
  void Key(const std::string& type, const std::string& key);

  DevToolsBrowser& tab_;
};

}  // namespace ostrel::scenario
