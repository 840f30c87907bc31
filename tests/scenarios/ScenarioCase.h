#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ostrel::scenario {

// One text typed into the page: frame is -1 for the top document, else the
// position in the top document's frames.
struct TypeStep {
  int frame = -1;
  std::string selector;
  std::string text;
};

// How the recorded login is submitted: a click on click, or the key press
// in the element selector.
struct SubmitStep {
  int frame = -1;
  std::string click;
  std::string press;
  std::string selector;
};

// One end-to-end case: a folder of pages and its case.json.
struct ScenarioCase {
  std::string name;  // the folder's name
  std::filesystem::path folder;
  std::string start;
  std::vector<TypeStep> type;
  SubmitStep submit;
  std::optional<std::string> siteName;      // "name"
  std::optional<std::string> expectName;    // "expect_name"
  std::map<std::string, std::string> replayServe;
  std::string expectMethod;
  std::string expectPath;
  std::map<std::string, std::string> expectFields;
};

// Reads folder/case.json; throws std::runtime_error naming what is wrong.
ScenarioCase LoadCase(const std::filesystem::path& folder);

// The case folders directly under dir (those holding a case.json), by name.
std::vector<std::filesystem::path> CaseFolders(const std::filesystem::path& dir);

}  // namespace ostrel::scenario
