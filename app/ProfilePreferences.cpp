#include "app/ProfilePreferences.h"

#include <fstream>
#include <nlohmann/json.hpp>

namespace ostrel {

bool PrepareProfile(const std::filesystem::path& profile, const std::string& extensionId) {
  const std::filesystem::path folder = profile / "Default";
  const std::filesystem::path file = folder / "Preferences";
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  nlohmann::json prefs = nlohmann::json::object();
  if (std::filesystem::exists(file, ignored)) {
    std::ifstream in(file);
    prefs = nlohmann::json::parse(in, nullptr, false);
    if (prefs.is_discarded() || !prefs.is_object()) return false;
  }
  if (prefs.contains("extensions") && !prefs["extensions"].is_object()) return false;
  nlohmann::json& pinned = prefs["extensions"]["pinned_extensions"];
  if (!pinned.is_array()) pinned = nlohmann::json::array();
  if (prefs.contains("profile") && !prefs["profile"].is_object()) return false;
  if (!prefs.contains("profile")) prefs["profile"] = nlohmann::json::object();
  nlohmann::json& profile_prefs = prefs["profile"];
  const nlohmann::json offer = prefs.value("credentials_enable_service", nlohmann::json(true));
  const nlohmann::json manager = profile_prefs.value("password_manager_enabled", nlohmann::json(true));
  const bool ready = offer == false && manager == false;
  bool found = false;
  for (const auto& id : pinned) found = found || id == extensionId;
  if (found && ready) return true;
  if (!found) pinned.push_back(extensionId);
  prefs["credentials_enable_service"] = false;
  profile_prefs["password_manager_enabled"] = false;
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
