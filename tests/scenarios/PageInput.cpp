#include "PageInput.h"

#include <stdexcept>

namespace ostrel::scenario {

namespace {

// The window that a frame path leads to, or null.
constexpr char kWindowAt[] = R"JS(
const windowAt = (path) => {
  let win = window;
  for (const i of path) {
    win = win && i < win.frames.length ? win.frames[i] : null;
  }
  return win;
};
)JS";

// Finds the element, scrolls it into view, focuses its frames from the
// outside in and then it, and answers its centre in the top window's
// coordinates.
constexpr char kFocus[] = R"JS(
(path, selector) => {
  const win = windowAt(path);
  if (!win) return null;
  const el = win.document.querySelector(selector);
  if (!el) return null;
  el.scrollIntoView({block: 'center'});
  const chain = [];
  for (let w = win; w !== window; w = w.parent) chain.unshift(w);
  for (const w of chain) w.focus();
  el.focus();
  const r = el.getBoundingClientRect();
  let x = r.left + r.width / 2, y = r.top + r.height / 2;
  for (let w = win; w !== window; w = w.parent) {
    const f = w.frameElement.getBoundingClientRect();
    x += f.left + w.frameElement.clientLeft;
    y += f.top + w.frameElement.clientTop;
  }
  return {x: x, y: y};
}
)JS";

constexpr char kShown[] = R"JS(
(path, selector) => {
  const win = windowAt(path);
  const el = win && win.document.querySelector(selector);
  return !!el && el.getClientRects().length > 0;
}
)JS";

constexpr char kDocuments[] = R"JS(
() => {
  const found = [];
  const visit = (win, depth) => {
    try {
      found.push([win.location.href, win.document.readyState]);
    } catch (e) {
      return;
    }
    if (depth < 8) for (let i = 0; i < win.frames.length; ++i) visit(win.frames[i], depth + 1);
  };
  visit(window, 0);
  return found;
}
)JS";

}  // namespace

nlohmann::json PageInput::Evaluate(const std::string& function, const nlohmann::json& arguments) {
  std::string call = "(() => {" + std::string(kWindowAt) + "return (" + function + ")(";
  for (size_t i = 0; i < arguments.size(); ++i) call += (i ? ", " : "") + arguments[i].dump();
  call += "); })()";
  auto r = tab_.Call("Runtime.evaluate", {{"expression", call}, {"returnByValue", true}});
  if (r.contains("exceptionDetails")) return nullptr;
  return r["result"].value("value", nlohmann::json());
}

std::pair<double, double> PageInput::Focus(const FramePath& frame, const std::string& selector) {
  const auto value = Evaluate(kFocus, {frame, selector});
  if (!value.is_object()) throw std::runtime_error("no element " + selector + " on the page");
  return {value.value("x", 0.0), value.value("y", 0.0)};
}

void PageInput::Type(const FramePath& frame, const std::string& selector, const std::string& text) {
  Focus(frame, selector);
  tab_.Call("Input.insertText", {{"text", text}});
}

void PageInput::Click(const FramePath& frame, const std::string& selector) {
  const auto [x, y] = Focus(frame, selector);
  tab_.Call("Input.dispatchMouseEvent", {{"type", "mouseMoved"}, {"x", x}, {"y", y}});
  for (const char* type : {"mousePressed", "mouseReleased"}) {
    tab_.Call("Input.dispatchMouseEvent",
              {{"type", type}, {"x", x}, {"y", y}, {"button", "left"}, {"buttons", 1}, {"clickCount", 1}});
  }
}

void PageInput::Press(const FramePath& frame, const std::string& selector, const std::string& key) {
  if (!selector.empty()) Focus(frame, selector);
  Key("keyDown", key);
  Key("keyUp", key);
}

bool PageInput::Shown(const FramePath& frame, const std::string& selector) {
  try {
    return Evaluate(kShown, {frame, selector}) == true;
  } catch (const std::exception&) {
    return false;
  }
}

std::vector<std::pair<std::string, std::string>> PageInput::Documents() {
  std::vector<std::pair<std::string, std::string>> documents;
  try {
    for (const auto& d : Evaluate(kDocuments, nlohmann::json::array())) {
      documents.emplace_back(d.at(0).get<std::string>(), d.at(1).get<std::string>());
    }
  } catch (const std::exception&) {
    documents.clear();
  }
  return documents;
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
