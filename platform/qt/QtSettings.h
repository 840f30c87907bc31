#pragma once

#include <QSettings>
#include <QString>
#include <memory>

#include "platform/qt/ISettings.h"

namespace ostrel {

// The settings store as QSettings, group "Settings". The default store is the
// user's own (organisation and application "Ostrel": ~/.config/Ostrel/Ostrel.conf
// on Linux); the other constructor uses the INI file at iniPath, for tests and
// portable set-ups. Every value is saved to disk before SaveSetting returns,
// in a file only its owner may read or write (0600).
class QtSettings : public ISettings {
 public:
  QtSettings();
  explicit QtSettings(const QString& iniPath);
  std::string GetSetting(const std::string& key, const std::string& fallback) override;
  void SaveSetting(const std::string& key, const std::string& value) override;
  // The file that holds the values.
  QString FileName() const { return settings_->fileName(); }

 private:
  std::unique_ptr<QSettings> settings_;
};

}  // namespace ostrel
