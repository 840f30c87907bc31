#include "PageInput.h"

#include <set>
#include <stdexcept>

namespace ostrel::scenario {

namespace {

constexpr char kInputWorld[] = "ostrel-scenario-input";

// this: a window; the element that holds its frame at index.
constexpr char kFrameElementAt[] = R"JS(
(index) => {
  const target = window[index];
  const search = (root) => {
    for (const el of root.querySelectorAll('*')) {
      if ((el.localName === 'iframe' || el.localName === 'frame') && el.contentWindow === target) return el;
      const found = el.shadowRoot && search(el.shadowRoot);
      if (found) return found;
    }
    return null;
  };
  return target ? search(document) : null;
}
)JS";

constexpr char kCentre[] = R"JS(
function(scroll) {
  if (scroll) this.scrollIntoView({block: 'center'});
  const r = this.getBoundingClientRect();
  return [r.left + r.width / 2, r.top + r.height / 2, this.getClientRects().length];
}
)JS";

constexpr char kContentOrigin[] = R"JS(
function() {
  const r = this.getBoundingClientRect();
  return [r.left + this.clientLeft, r.top + this.clientTop];
}
)JS";

std::vector<std::string> SelectorParts(const std::string& selector) {
  std::vector<std::string> parts;
  size_t at = 0;
  for (;;) {
    const size_t next = selector.find(">>>", at);
    std::string part = selector.substr(at, next == std::string::npos ? std::string::npos : next - at);
    const size_t first = part.find_first_not_of(' '), last = part.find_last_not_of(' ');
    parts.push_back(first == std::string::npos ? "" : part.substr(first, last - first + 1));
    if (next == std::string::npos) return parts;
    at = next + 3;
  }
}

// The shadow roots under node (described with pierce), in tree order, not
// looking into the documents of frames.
void ShadowRoots(const nlohmann::json& node, std::vector<int64_t>& roots) {
  for (const auto& root : node.value("shadowRoots", nlohmann::json::array())) {
    roots.push_back(root.value("backendNodeId", int64_t{0}));
    ShadowRoots(root, roots);
  }
  for (const auto& child : node.value("children", nlohmann::json::array())) ShadowRoots(child, roots);
}

}  // namespace

int64_t PageInput::WorldOf(DevToolsSession& session, const std::string& frame) {
  auto made = session.Call("Page.createIsolatedWorld", {{"frameId", frame}, {"worldName", kInputWorld}});
  return made.value("executionContextId", int64_t{0});
}

nlohmann::json PageInput::CallOn(DevToolsSession& session, const std::string& object, const std::string& function,
                                 const nlohmann::json& arguments, bool by_value) {
  nlohmann::json args = nlohmann::json::array();
  for (const auto& a : arguments) args.push_back({{"value", a}});
  auto r = session.Call("Runtime.callFunctionOn", {{"objectId", object}, {"functionDeclaration", function},
                                                   {"arguments", args}, {"returnByValue", by_value}});
  if (r.contains("exceptionDetails")) throw std::runtime_error("a script of the scenario failed");
  return by_value ? r["result"].value("value", nlohmann::json()) : nlohmann::json(r["result"].value("objectId", ""));
}

std::string PageInput::Evaluate(DevToolsSession& session, int64_t world, const std::string& expression) {
  auto r = session.Call("Runtime.evaluate", {{"expression", expression}, {"contextId", world}});
  if (r.contains("exceptionDetails")) return {};
  return r["result"].value("objectId", "");
}

std::string PageInput::InShadowTrees(DevToolsSession& session, int64_t world, const std::string& host,
                                     const std::string& selector) {
  auto described = session.Call("DOM.describeNode", {{"objectId", host}, {"depth", -1}, {"pierce", true}});
  std::vector<int64_t> roots;
  ShadowRoots(described.value("node", nlohmann::json::object()), roots);
  for (const int64_t root : roots) {
    auto resolved = session.Call("DOM.resolveNode", {{"backendNodeId", root}, {"executionContextId", world}});
    const std::string object = resolved["object"].value("objectId", "");
    if (object.empty()) continue;
    const auto found = CallOn(session, object, "function(s) { return this.querySelector(s); }", {selector}, false);
    if (found.is_string() && !found.get<std::string>().empty()) return found.get<std::string>();
  }
  return {};
}

PageInput::Found PageInput::Locate(const FramePath& frame, const std::string& selector) {
  Found found;
  found.session = &tab_.Session();
  auto tree = found.session->Call("Page.getFrameTree");
  std::string frame_id = tree["frameTree"]["frame"].value("id", "");
  found.world = WorldOf(*found.session, frame_id);
  std::vector<std::pair<DevToolsSession*, std::string>> frame_elements;
  for (const int position : frame) {
    const std::string element =
        Evaluate(*found.session, found.world, "(" + std::string(kFrameElementAt) + ")(" + std::to_string(position) + ")");
    if (element.empty()) throw std::runtime_error("no frame " + std::to_string(position) + " on the page");
    frame_elements.emplace_back(found.session, element);
    frame_id = found.session->Call("DOM.describeNode", {{"objectId", element}})["node"].value("frameId", "");
    found.session = &tab_.SessionOfFrame(frame_id);
    found.world = WorldOf(*found.session, frame_id);
  }
  const std::vector<std::string> parts = SelectorParts(selector);
  const nlohmann::json first = parts[0];
  found.object = Evaluate(*found.session, found.world, "document.querySelector(" + first.dump() + ")");
  for (size_t i = 1; i < parts.size() && !found.object.empty(); ++i) {
    found.object = InShadowTrees(*found.session, found.world, found.object, parts[i]);
  }
  if (found.object.empty()) throw std::runtime_error("no element " + selector + " on the page");
  const auto centre = CallOn(*found.session, found.object, kCentre, {true});
  found.x = centre.at(0).get<double>();
  found.y = centre.at(1).get<double>();
  if (centre.at(2).get<int>() == 0) found.x = found.y = -1;
  for (const auto& [session, element] : frame_elements) {
    const auto origin = CallOn(*session, element, kContentOrigin);
    found.x += origin.at(0).get<double>();
    found.y += origin.at(1).get<double>();
  }
  return found;
}

// The browser's own focus, which crosses processes; an element that takes
// none itself (a custom element that hands it on) is asked in the page.
void PageInput::Focus(const Found& found) {
  try {
    found.session->Call("DOM.focus", {{"objectId", found.object}});
  } catch (const std::exception&) {
    CallOn(*found.session, found.object, "function() { this.focus(); }");
  }
}

void PageInput::Type(const FramePath& frame, const std::string& selector, const std::string& text) {
  Focus(Locate(frame, selector));
  tab_.Session().Call("Input.insertText", {{"text", text}});
}

void PageInput::Click(const FramePath& frame, const std::string& selector) {
  const Found found = Locate(frame, selector);
  DevToolsSession& tab = tab_.Session();
  tab.Call("Input.dispatchMouseEvent", {{"type", "mouseMoved"}, {"x", found.x}, {"y", found.y}});
  for (const char* type : {"mousePressed", "mouseReleased"}) {
    tab.Call("Input.dispatchMouseEvent", {{"type", type}, {"x", found.x}, {"y", found.y}, {"button", "left"},
                                          {"buttons", 1}, {"clickCount", 1}});
  }
}

void PageInput::Press(const FramePath& frame, const std::string& selector, const std::string& key) {
  if (!selector.empty()) {
    Focus(Locate(frame, selector));
  }
  Key("keyDown", key);
  Key("keyUp", key);
}

bool PageInput::Shown(const FramePath& frame, const std::string& selector) {
  try {
    return Locate(frame, selector).x >= 0;
  } catch (const std::exception&) {
    return false;
  }
}

std::vector<std::pair<std::string, std::string>> PageInput::Documents() {
  std::vector<std::pair<std::string, std::string>> documents;
  std::set<std::string> seen;
  try {
    tab_.ForEachSession([&](DevToolsSession& session) {
      std::vector<nlohmann::json> frames = {session.Call("Page.getFrameTree")["frameTree"]};
      while (!frames.empty()) {
        const nlohmann::json node = frames.back();
        frames.pop_back();
        for (const auto& child : node.value("childFrames", nlohmann::json::array())) frames.push_back(child);
        const std::string id = node["frame"].value("id", "");
        if (id.empty() || seen.count(id)) continue;
        try {
          const int64_t world = WorldOf(session, id);
          auto r = session.Call("Runtime.evaluate", {{"expression", "[location.href, document.readyState]"},
                                                     {"contextId", world}, {"returnByValue", true}});
          const auto value = r["result"].value("value", nlohmann::json());
          if (!value.is_array() || value.size() != 2) continue;
          seen.insert(id);
          documents.emplace_back(value[0].get<std::string>(), value[1].get<std::string>());
        } catch (const std::exception&) {
          // A frame of another process, answered by its own session.
        }
      }
    });
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
  tab_.Session().Call("Input.dispatchKeyEvent", params);
}

}  // namespace ostrel::scenario
