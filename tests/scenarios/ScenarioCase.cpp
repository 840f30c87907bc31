#include "ScenarioCase.h"

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>
#include <stdexcept>

namespace ostrel::scenario {

namespace {

using nlohmann::json;

void Fail(const std::string& what) { throw std::runtime_error("case.json: " + what); }

// "frame": absent or null (the top document), a position, or a list of them.
FramePath FrameOf(const json& step) {
  if (!step.contains("frame") || step["frame"].is_null()) return {};
  const json& frame = step["frame"];
  FramePath path;
  for (const json& position : frame.is_array() ? frame : json::array({frame})) {
    if (!position.is_number_integer() || position.get<int>() < 0) {
      Fail("\"frame\" must be a position or a list of positions, not " + frame.dump());
    }
    path.push_back(position.get<int>());
  }
  return path;
}

std::string Slashed(const std::string& path) { return path.rfind('/', 0) == 0 ? path : "/" + path; }

Action ActionOf(const json& name) {
  if (name == "press_other_tab") return Action::kPressOtherTab;
  if (name == "close_tab") return Action::kCloseTab;
  if (name == "close_window") return Action::kCloseWindow;
  if (name == "cancel") return Action::kCancel;
  if (name == "next_step") return Action::kNextStep;
  Fail("no such action: " + name.dump());
  return Action::kNone;
}

Step ReadStep(const json& j) {
  if (!j.is_object()) Fail("a step must be an object, not " + j.dump());
  Step step;
  step.frame = FrameOf(j);
  int kinds = 0;
  if (j.contains("click")) {
    step.kind = Step::Kind::kClick;
    step.selector = j["click"].get<std::string>();
    ++kinds;
  }
  if (j.contains("type")) {
    step.kind = Step::Kind::kType;
    step.selector = j["type"].get<std::string>();
    step.text = j.at("text").get<std::string>();
    ++kinds;
  }
  if (j.contains("press")) {
    step.kind = Step::Kind::kPress;
    step.text = j["press"].get<std::string>();
    step.selector = j.value("selector", "");
    ++kinds;
  }
  if (j.contains("wait")) {
    step.kind = Step::Kind::kWait;
    step.selector = j["wait"].get<std::string>();
    ++kinds;
  }
  if (j.contains("action")) {
    step.kind = Step::Kind::kAction;
    step.action = ActionOf(j["action"]);
    ++kinds;
  }
  if (kinds != 1) Fail("a step needs exactly one of click, type, press, wait, action: " + j.dump());
  return step;
}

// The older form: "type" (selector, text) steps, then one "submit".
void ReadTypeAndSubmit(const json& j, ScenarioCase& c) {
  for (const auto& typed : j.value("type", json::array())) {
    c.steps.push_back({Step::Kind::kType, FrameOf(typed), typed.at("selector").get<std::string>(),
                       typed.at("text").get<std::string>()});
  }
  const json& submit = j.at("submit");
  const std::string click = submit.value("click", "");
  const std::string press = submit.value("press", "");
  const std::string selector = submit.value("selector", "");
  if (!click.empty()) {
    c.steps.push_back({Step::Kind::kClick, FrameOf(submit), click, ""});
  } else if (!press.empty() && !selector.empty()) {
    c.steps.push_back({Step::Kind::kPress, FrameOf(submit), selector, press});
  } else {
    Fail("submit needs \"click\", or \"press\" with \"selector\"");
  }
}

std::map<std::string, std::string> PathMap(const json& j, const char* key) {
  std::map<std::string, std::string> map;
  const json entries = j.value(key, json::object());
  for (const auto& [from, to] : entries.items()) {
    map[Slashed(from)] = to.get<std::string>();
  }
  return map;
}

void ReadExpect(const json& expect, ScenarioCase& c) {
  c.expectMethod = expect.value("method", "POST");
  c.expectPath = Slashed(expect.at("path").get<std::string>());
  if (expect.contains("answer")) c.expectAnswer = Slashed(expect["answer"].get<std::string>());
  c.nothingSent = expect.value("nothing_sent", false);
  const json fields = expect.value("fields", json::object());
  for (const auto& [field, value] : fields.items()) {
    c.expectFields[field] = value.get<std::string>();
  }
  if (c.nothingSent && !c.expectFields.empty()) Fail("nothing_sent leaves no fields to expect");
}

}  // namespace

ScenarioCase LoadCase(const std::filesystem::path& folder) {
  std::ifstream in(folder / "case.json");
  if (!in) throw std::runtime_error("no case.json in " + folder.string());
  json j;
  try {
    j = json::parse(in);
  } catch (const json::exception& e) {
    throw std::runtime_error("case.json is not valid JSON: " + std::string(e.what()));
  }
  ScenarioCase c;
  c.name = folder.filename().string();
  c.folder = folder;
  try {
    c.start = j.at("start").get<std::string>();
    if (j.contains("steps")) {
      if (j.contains("type") || j.contains("submit")) Fail("\"steps\" replaces \"type\" and \"submit\"");
      for (const auto& step : j["steps"]) c.steps.push_back(ReadStep(step));
      if (c.steps.empty()) Fail("\"steps\" is empty");
    } else {
      ReadTypeAndSubmit(j, c);
    }
    if (j.contains("name")) c.siteName = j["name"].get<std::string>();
    if (j.contains("expect_name")) c.expectName = j["expect_name"].get<std::string>();
    if (j.contains("expect_recording")) {
      const json& expected = j["expect_recording"];
      if (expected != "refused" && expected != "ignored") {
        Fail("\"expect_recording\" can only be \"refused\" or \"ignored\"");
      }
      c.recordingRefused = expected == "refused";
      c.recordingIgnored = expected == "ignored";
    }
    c.replayServe = PathMap(j, "replay_serve");
    c.redirects = PathMap(j, "redirect");
    c.replayRedirects = PathMap(j, "replay_redirect");
    const json delays = j.value("delay", json::object());
    for (const auto& [path, ms] : delays.items()) {
      c.replayDelays[Slashed(path)] = ms.get<int>();
    }
    for (const auto& path : j.value("forbid", json::array())) c.forbid.push_back(Slashed(path.get<std::string>()));
    for (const auto& text : j.value("browser_keeps", json::array())) c.browserKeeps.push_back(text.get<std::string>());
    if (j.contains("expect")) {
      ReadExpect(j["expect"], c);
    } else if (!c.recordingRefused && !c.recordingIgnored) {
      Fail("\"expect\" is missing");
    }
    c.expectResponsive = j.value("expect_responsive", false);
    c.expectMessage = j.value("expect_message", "");
    if (j.contains("during_replay")) {
      const json& during = j["during_replay"];
      c.duringReplay = ActionOf(during.at("action"));
      c.duringReplayAfterMs = during.value("after", 0);
      if (!c.nothingSent) Fail("\"during_replay\" needs \"expect\": {\"nothing_sent\": true}");
    }
  } catch (const json::exception& e) {
    Fail(e.what());
  }
  return c;
}

std::vector<std::filesystem::path> CaseFolders(const std::filesystem::path& dir) {
  std::vector<std::filesystem::path> folders;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ignored)) {
    if (entry.is_directory() && std::filesystem::exists(entry.path() / "case.json")) {
      folders.push_back(entry.path());
    }
  }
  std::sort(folders.begin(), folders.end());
  return folders;
}

std::string Landing(const ScenarioCase& c, std::string path) {
  for (int hops = 0; hops < 10; ++hops) {
    auto it = c.redirects.find(path);
    if (it == c.redirects.end()) break;
    path = it->second;
  }
  std::error_code ignored;
  if (!path.empty() && path.back() != '/' &&
      std::filesystem::is_directory(c.folder / std::filesystem::path(path).relative_path(), ignored)) {
    path += '/';
  }
  return path;
}

}  // namespace ostrel::scenario
