#pragma once

#include <string>

namespace ostrel {

// The per-user settings store of Ostrel: string values under the application
// "Ostrel", section "Settings". Keys in use: "FileName", "MainLeft",
// "MainTop", "User".
class ISettings {
 public:
  virtual ~ISettings() = default;
  // The stored value of key, or fallback when none is stored.
  virtual std::string GetSetting(const std::string& key, const std::string& fallback) = 0;
  // Stores value under key, replacing what was there.
  virtual void SaveSetting(const std::string& key, const std::string& value) = 0;
};

}  // namespace ostrel
