#include "app/ProfilePreferences.h"

#include <fstream>
#include <initializer_list>
#include <nlohmann/json.hpp>

namespace ostrel {

namespace {

// The browser's own helpers that would keep or offer what is typed into
// pages: its password saving, and its form suggestions and form history
// (which would store every recorded and replayed user name, and whose
// drop-down can swallow a click during a recording).
const std::initializer_list<std::initializer_list<const char*>> kTurnedOff = {
    {"credentials_enable_service"},
    {"profile", "password_manager_enabled"},
    {"autofill", "enabled"},
    {"autofill", "profile_enabled"},
    {"autofill", "credit_card_enabled"},
};

// Sets the preference at path to false; false when a part of the path is
// there but is not an object (the file is not one we understand).
bool TurnOff(nlohmann::json& prefs, std::initializer_list<const char*> path, bool& changed) {
  nlohmann::json* node = &prefs;
  const char* last = *(path.end() - 1);
  for (const char* key : path) {
    if (key == last) break;
    if (node->contains(key) && !(*node)[key].is_object()) return false;
    node = &(*node)[key];
  }
  if (!node->contains(last) || (*node)[last] != false) {
    (*node)[last] = false;
    changed = true;
  }
  return true;
}

// Replaces Default/Sessions (a folder of session files) by an empty file.
bool KeepNoSessions(const std::filesystem::path& folder) {
  const std::filesystem::path sessions = folder / "Sessions";
  std::error_code error;
  if (std::filesystem::is_regular_file(std::filesystem::symlink_status(sessions, error))) return true;
  std::filesystem::remove_all(sessions, error);
  if (error) return false;
  std::ofstream(sessions, std::ios::trunc);
  return std::filesystem::is_regular_file(std::filesystem::symlink_status(sessions, error));
}

}  // namespace

bool PrepareProfile(const std::filesystem::path& profile, const std::string& extensionId) {
  const std::filesystem::path folder = profile / "Default";
  const std::filesystem::path file = folder / "Preferences";
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  if (!KeepNoSessions(folder)) return false;
  nlohmann::json prefs = nlohmann::json::object();
  if (std::filesystem::exists(file, ignored)) {
    std::ifstream in(file);
    prefs = nlohmann::json::parse(in, nullptr, false);
    if (prefs.is_discarded() || !prefs.is_object()) return false;
  }
  if (prefs.contains("extensions") && !prefs["extensions"].is_object()) return false;
  nlohmann::json& pinned = prefs["extensions"]["pinned_extensions"];
  bool changed = false;
  if (!pinned.is_array()) {
    pinned = nlohmann::json::array();
    changed = true;
  }
  bool found = false;
  for (const auto& id : pinned) found = found || id == extensionId;
  if (!found) {
    pinned.push_back(extensionId);
    changed = true;
  }
  for (const auto& path : kTurnedOff) {
    if (!TurnOff(prefs, path, changed)) return false;
  }
  if (!changed) return true;
  // Written beside and renamed over, so a failure leaves the old file whole.
  const std::filesystem::path temp = folder / "Preferences.ostrel-new";
  {
    std::ofstream out(temp, std::ios::trunc);
    out << prefs.dump();
    if (!out) return false;
  }
  std::filesystem::rename(temp, file, ignored);
  return !ignored;
}

}  // namespace ostrel
