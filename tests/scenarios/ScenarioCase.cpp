#include "ScenarioCase.h"

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>
#include <stdexcept>

namespace ostrel::scenario {

namespace {

int FrameOf(const nlohmann::json& step) {
  if (!step.contains("frame") || step["frame"].is_null()) return -1;
  return step["frame"].get<int>();
}

}  // namespace

ScenarioCase LoadCase(const std::filesystem::path& folder) {
  std::ifstream in(folder / "case.json");
  if (!in) throw std::runtime_error("no case.json in " + folder.string());
  nlohmann::json j;
  try {
    j = nlohmann::json::parse(in);
  } catch (const nlohmann::json::exception& e) {
    throw std::runtime_error("case.json is not valid JSON: " + std::string(e.what()));
  }
  ScenarioCase c;
  c.name = folder.filename().string();
  c.folder = folder;
  try {
    c.start = j.at("start").get<std::string>();
    const nlohmann::json steps = j.value("type", nlohmann::json::array());
    for (const auto& step : steps) {
      c.type.push_back({FrameOf(step), step.at("selector").get<std::string>(), step.at("text").get<std::string>()});
    }
    const auto& submit = j.at("submit");
    c.submit.frame = FrameOf(submit);
    c.submit.click = submit.value("click", "");
    c.submit.press = submit.value("press", "");
    c.submit.selector = submit.value("selector", "");
    if (c.submit.click.empty() && (c.submit.press.empty() || c.submit.selector.empty())) {
      throw std::runtime_error("submit needs \"click\", or \"press\" with \"selector\"");
    }
    if (j.contains("name")) c.siteName = j["name"].get<std::string>();
    if (j.contains("expect_name")) c.expectName = j["expect_name"].get<std::string>();
    const nlohmann::json serve = j.value("replay_serve", nlohmann::json::object());
    for (const auto& [from, to] : serve.items()) {
      c.replayServe[from] = to.get<std::string>();
    }
    const auto& expect = j.at("expect");
    c.expectMethod = expect.value("method", "POST");
    c.expectPath = expect.at("path").get<std::string>();
    const nlohmann::json fields = expect.value("fields", nlohmann::json::object());
    for (const auto& [field, value] : fields.items()) {
      c.expectFields[field] = value.get<std::string>();
    }
  } catch (const nlohmann::json::exception& e) {
    throw std::runtime_error("case.json: " + std::string(e.what()));
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

}  // namespace ostrel::scenario
