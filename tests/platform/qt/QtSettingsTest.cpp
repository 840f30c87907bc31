#include "platform/qt/QtSettings.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace ostrel {
namespace {

class QtSettingsTest : public ::testing::Test {
 protected:
  QString Ini() const { return dir_.filePath("Ostrel.conf"); }
  QTemporaryDir dir_;
};

TEST_F(QtSettingsTest, AbsentKeyGivesTheFallback) {
  QtSettings settings(Ini());
  EXPECT_EQ(settings.GetSetting("User", "-1"), "-1");
  EXPECT_EQ(settings.GetSetting("FileName", ""), "");
}

TEST_F(QtSettingsTest, ValuesLiveInTheSettingsSectionAndOutliveTheObject) {
  {
    QtSettings settings(Ini());
    settings.SaveSetting("FileName", "/home/ann/Documents/ostrel.xps");
    settings.SaveSetting("MainLeft", "1234.5");
  }
  QFile file(Ini());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(file.readAll());
  EXPECT_TRUE(text.startsWith("[Settings]")) << text.toStdString();

  QtSettings again(Ini());
  EXPECT_EQ(again.GetSetting("FileName", ""), "/home/ann/Documents/ostrel.xps");
  EXPECT_EQ(again.GetSetting("MainLeft", "1000"), "1234.5");
  const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                                    QFile::WriteOther | QFile::ExeOther;
  EXPECT_FALSE(QFile::permissions(Ini()) & others);  // the user's own file
  EXPECT_TRUE(QFile::permissions(Ini()).testFlags(QFile::ReadOwner | QFile::WriteOwner));
}

TEST_F(QtSettingsTest, KeepsUtf8AndEmptyValues) {
  QtSettings settings(Ini());
  settings.SaveSetting("FileName", "/tmp/d\xc3\xa9j\xc3\xa0 vu/ostrel.xps");
  settings.SaveSetting("User", "");
  QtSettings again(Ini());
  EXPECT_EQ(again.GetSetting("FileName", ""), "/tmp/d\xc3\xa9j\xc3\xa0 vu/ostrel.xps");
  EXPECT_EQ(again.GetSetting("User", "-1"), "");
}

TEST(QtSettingsUserStoreTest, DefaultStoreIsTheUsersOstrelFile) {
  // Only the location is checked: nothing is written into the user's own
  // settings.
  const QString name = QtSettings().FileName();
  EXPECT_TRUE(name.endsWith("/Ostrel/Ostrel.conf")) << name.toStdString();
}

}  // namespace
}  // namespace ostrel
