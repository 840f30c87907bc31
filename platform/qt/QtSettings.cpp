#include "platform/qt/QtSettings.h"

#include <QFile>

namespace ostrel {

namespace {
const QString kSection = QStringLiteral("Settings");

QString KeyOf(const std::string& key) { return kSection + "/" + QString::fromStdString(key); }
}  // namespace

QtSettings::QtSettings()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QStringLiteral("Ostrel"), QStringLiteral("Ostrel"))) {}

QtSettings::QtSettings(const QString& iniPath)
    : settings_(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

std::string QtSettings::GetSetting(const std::string& key, const std::string& fallback) {
  const QVariant value = settings_->value(KeyOf(key));
  if (!value.isValid()) return fallback;
  return value.toString().toStdString();
}

void QtSettings::SaveSetting(const std::string& key, const std::string& value) {
  settings_->setValue(KeyOf(key), QString::fromStdString(value));
  settings_->sync();
  // The file says which password file is used and by whom: the user's own.
  QFile::setPermissions(settings_->fileName(), QFile::ReadOwner | QFile::WriteOwner);
}

}  // namespace ostrel
