#include "app/ProfilePreferences.h"

#include <fstream>
#include <nlohmann/json.hpp>

namespace ostrel {

bool PinToolbarButton(const std::filesystem::path& profile, const std::string& extensionId) {
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
  nlohmann::json& pinned = prefs["extensions"]["pinned_extensions"];
  if (!pinned.is_array()) pinned = nlohmann::json::array();
  for (const auto& id : pinned) {
    if (id == extensionId) return true;
  }
  pinned.push_back(extensionId);
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
