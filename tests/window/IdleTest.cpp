// The log-off after a period without input in the window.
#include <cstdio>

#include "tests/common/FileBytes.h"
#include "tests/window/WindowTest.h"

namespace ostrel::test {
namespace {

constexpr int64_t kTenMinutes = 10 * 60 * 1000;

class IdleTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Seed({{"ann", "pw"}, {"bob", "b"}}, {{1, "alpha"}, {1, "beta"}});
    Open();
    LogIn(1, "pw");
    ASSERT_EQ(W().CurrentPanel(), frmMain::kSiteList);
  }
  // Every password box, with something typed in each.
  std::vector<QLineEdit*> PasswordBoxes() {
    const MainPanels& p = P();
    return {p.txtPassword,     p.txtPassword1,     p.txtPassword2,     p.txtOldPassword,
            p.txtNewPassword1, p.txtNewPassword2, p.txtEncryptionKey, p.txtNewPassword};
  }
};

TEST_F(IdleTest, TheSettingGivesThePeriodAndZeroTurnsItOff) {
  const std::pair<const char*, int64_t> rows[] = {
      {nullptr, kTenMinutes}, {"3", 3 * 60 * 1000}, {"0", -1}, {"-4", kTenMinutes},
      {"ten", kTenMinutes},   {"32767", 32767LL * 60 * 1000}};
  for (const auto& [setting, interval] : rows) {
    settings_.values.erase("IdleMinutes");
    if (setting) settings_.values["IdleMinutes"] = setting;
    idle_ = FakeTimer();
    Open();
    EXPECT_EQ(idle_.active, interval > 0) << (setting ? setting : "absent");
    if (interval > 0) {
      EXPECT_EQ(idle_.interval, interval) << setting;
    }
  }
  for (const std::string& write : settings_.writes) {
    EXPECT_EQ(write.rfind("IdleMinutes", 0), std::string::npos) << write;  // read, never written
  }
}

TEST_F(IdleTest, AfterThePeriodTheWindowLogsOffEmptiesThePasswordBoxesAndHides) {
  P().lstSites->setCurrentRow(1);
  P().txtSiteName->setText("a name being typed");
  for (QLineEdit* box : PasswordBoxes()) box->setText("secret");
  const std::string file = ReadFileBytes(DefaultFile());
  const auto settings = settings_.values;
  idle_.Fire();
  EXPECT_EQ(W().CurrentPanel(), frmMain::kLogin);
  EXPECT_FALSE(W().isVisible());
  for (QLineEdit* box : PasswordBoxes()) EXPECT_EQ(box->text(), "") << box->objectName().toStdString();
  // Nothing else changes.
  EXPECT_TRUE(W().IsLoaded());
  EXPECT_EQ(W().SelectedUserIndex(), 1);
  EXPECT_EQ(P().txtSiteName->text(), "a name being typed");
  EXPECT_EQ(ReadFileBytes(DefaultFile()), file);
  EXPECT_EQ(settings_.values, settings);
  EXPECT_TRUE(box_.shown.empty());
  // The button shows it again on Login, and the password is asked for.
  NoSite site;
  W().ShowOver(site);
  EXPECT_TRUE(W().isVisible());
  EXPECT_TRUE(idle_.active);
  LogIn(1, "pw");
  EXPECT_EQ(W().CurrentPanel(), frmMain::kSiteList);
}

TEST_F(IdleTest, OnlyInputInTheWindowStartsThePeriodOver) {
  const int starts = idle_.starts;
  QTest::keyClick(P().lstSites, Qt::Key_Down);
  QTest::mouseClick(P().cmdNewSite, Qt::LeftButton);  // a click leads to RecordReady
  EXPECT_EQ(idle_.starts, starts + 2);
  QWidget other;
  other.show();
  QTest::keyClick(&other, Qt::Key_A);
  QTest::mouseClick(&other, Qt::LeftButton);
  EXPECT_EQ(idle_.starts, starts + 2);
  EXPECT_EQ(idle_.interval, kTenMinutes);
}

TEST_F(IdleTest, WorkUnderWayIsNeverCutAndAWholePeriodFollowsIt) {
  hooks_->inProgress = true;  // a recording or a Go To
  W().ShowPanel(frmMain::kRecording);
  idle_.Fire();
  idle_.Fire();
  EXPECT_EQ(W().CurrentPanel(), frmMain::kRecording);
  EXPECT_TRUE(W().isVisible());
  EXPECT_EQ(idle_.interval, IdleWatch::kBusyRetryMs);
  hooks_->inProgress = false;
  W().ShowPanel(frmMain::kNameSite);
  idle_.Fire();  // it has just ended: a whole period from now
  EXPECT_EQ(W().CurrentPanel(), frmMain::kNameSite);
  EXPECT_EQ(idle_.interval, kTenMinutes);
  idle_.Fire();
  EXPECT_EQ(W().CurrentPanel(), frmMain::kLogin);
  EXPECT_FALSE(W().isVisible());
}

TEST_F(IdleTest, AnOpenMessageBoxIsNotPulledAway) {
  // The period runs out while a question is open: the handler asking it
  // must come back to the window as it left it.
  box_.onAsk = [this] { idle_.Fire(); };
  P().lstSites->setCurrentRow(0);
  P().cmdEdit->click();
  box_.answers = {false};
  P().cmdDeleteSite->click();
  EXPECT_EQ(W().CurrentPanel(), frmMain::kModifySite);
  EXPECT_TRUE(W().isVisible());
  EXPECT_TRUE(idle_.active);
}

TEST_F(IdleTest, AWindowWithoutUsersStaysOnItsPanel) {
  window_.reset();
  std::remove(DefaultFile().c_str());
  Open();
  ASSERT_EQ(W().CurrentPanel(), frmMain::kWelcome);
  P().txtEncryptionKey->setText("a long key");
  idle_.Fire();
  EXPECT_EQ(W().CurrentPanel(), frmMain::kWelcome);
  EXPECT_EQ(P().txtEncryptionKey->text(), "");
  EXPECT_FALSE(W().isVisible());
}

TEST_F(IdleTest, AClosedWindowWatchesNothing) {
  W().close();
  EXPECT_FALSE(idle_.active);
}

}  // namespace
}  // namespace ostrel::test
