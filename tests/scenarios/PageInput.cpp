#include "PageInput.h"

#include <stdexcept>

namespace ostrel::scenario {

namespace {

// Finds the element, scrolls it into view, focuses it (and its frame) and
// answers its centre in the top window's coordinates.
constexpr char kFocus[] = R"JS(
(function (frame, selector) {
  const win = frame < 0 ? window : window.frames[frame];
  if (!win) return null;
  const el = win.document.querySelector(selector);
  if (!el) return null;
  el.scrollIntoView({block: 'center'});
  if (frame >= 0) win.focus();
  el.focus();
  const r = el.getBoundingClientRect();
  let x = r.left + r.width / 2, y = r.top + r.height / 2;
  if (frame >= 0) {
    const f = win.frameElement.getBoundingClientRect();
    x += f.left + win.frameElement.clientLeft;
    y += f.top + win.frameElement.clientTop;
  }
  return {x: x, y: y};
})
)JS";

}  // namespace

std::pair<double, double> PageInput::Focus(int frame, const std::string& selector) {
  const std::string expression = std::string(kFocus) + "(" + std::to_string(frame) + ", " +
                                 nlohmann::json(selector).dump() + ")";
  auto r = tab_.Call("Runtime.evaluate", {{"expression", expression}, {"returnByValue", true}});
  const auto& value = r["result"].value("value", nlohmann::json());
  if (!value.is_object()) throw std::runtime_error("no element " + selector + " on the page");
  return {value.value("x", 0.0), value.value("y", 0.0)};
}

void PageInput::Type(int frame, const std::string& selector, const std::string& text) {
  Focus(frame, selector);
  tab_.Call("Input.insertText", {{"text", text}});
}

void PageInput::Click(int frame, const std::string& selector) {
  const auto [x, y] = Focus(frame, selector);
  tab_.Call("Input.dispatchMouseEvent", {{"type", "mouseMoved"}, {"x", x}, {"y", y}});
  for (const char* type : {"mousePressed", "mouseReleased"}) {
    tab_.Call("Input.dispatchMouseEvent",
              {{"type", type}, {"x", x}, {"y", y}, {"button", "left"}, {"buttons", 1}, {"clickCount", 1}});
  }
}

void PageInput::Press(int frame, const std::string& selector, const std::string& key) {
  Focus(frame, selector);
  Key("keyDown", key);
  Key("keyUp", key);
}

void PageInput::Key(const std::string& type, const std::string& key) {
  nlohmann::json params = {{"type", type}, {"key", key}, {"code", key}};
  if (key == "Enter") {
    params["windowsVirtualKeyCode"] = 13;
    if (type == "keyDown") params["text"] = "\r";
  } else if (key == "Tab") {
    params["windowsVirtualKeyCode"] = 9;
  } else if (key.size() == 1 && type == "keyDown") {
    params["text"] = key;
  }
  tab_.Call("Input.dispatchKeyEvent", params);
}

}  // namespace ostrel::scenario
