// The log-off after a period without input in the window.
#include <filesystem>

#include "tests/common/FileBytes.h"
#include "tests/window/WindowTest.h"

namespace ostrel::test {
namespace {

constexpr int64_t kMinute = 60 * 1000;

class IdleTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Seed({{"ann", "pw"}}, {{1, "alpha"}});
    Open();
    LogIn(1, "pw");
  }
};

TEST_F(IdleTest, TheSettingGivesThePeriodAndZeroTurnsItOff) {
  const std::pair<const char*, int64_t> rows[] = {
      {"", 10 * kMinute}, {"3", 3 * kMinute}, {"0", 0}, {"-4", 10 * kMinute}, {"ten", 10 * kMinute}};
  for (const auto& [setting, period] : rows) {
    settings_.values["IdleMinutes"] = setting;
    Open();
    EXPECT_EQ(idle_.active ? idle_.interval : 0, period) << setting;
  }
  W().close();
  EXPECT_FALSE(idle_.active);
}

TEST_F(IdleTest, ThePeriodEndsInALogOffThatChangesNothingElse) {
  const MainPanels& p = P();
  const std::vector<QLineEdit*> boxes = PasswordBoxes();
  for (QLineEdit* box : boxes) box->setText("secret");
  p.txtSiteName->setText("typed");
  const std::string file = ReadFileBytes(DefaultFile());
  const size_t writes = settings_.writes.size();
  idle_.Fire();
  EXPECT_EQ(W().CurrentPanel(), frmMain::kLogin);
  EXPECT_FALSE(W().isVisible());
  EXPECT_EQ(hooks_->ended, 1);  // a recording given up ends with it
  for (QLineEdit* box : boxes) EXPECT_EQ(box->text(), "") << box->objectName().toStdString();
  EXPECT_EQ(p.txtSiteName->text(), "typed");
  EXPECT_EQ(W().SelectedUserIndex(), 1);
  EXPECT_EQ(P().lstSites->count(), 0);
  EXPECT_EQ(W().windowTitle(), "Ostrel");
  EXPECT_EQ(ReadFileBytes(DefaultFile()), file);
  EXPECT_EQ(settings_.writes.size(), writes);
  NoSite site;
  W().ShowOver(site);  // the button starts a period
  EXPECT_TRUE(idle_.active);
}

TEST_F(IdleTest, OnlyInputInTheWindowStartsThePeriodOver) {
  QWidget other;
  other.show();
  const int starts = idle_.starts;
  QTest::keyClick(&other, Qt::Key_A);
  QTest::mouseClick(&other, Qt::LeftButton);
  EXPECT_EQ(idle_.starts, starts);
  QTest::keyClick(P().lstSites, Qt::Key_Down);
  EXPECT_GT(idle_.starts, starts);
}

TEST_F(IdleTest, WorkUnderWayOrAnOpenQuestionIsNeverCut) {
  hooks_->inProgress = true;  // a recording or a Go To
  idle_.Fire();
  EXPECT_EQ(idle_.interval, IdleWatch::kBusyRetryMs);
  hooks_->inProgress = false;
  box_.onAsk = [this] { idle_.Fire(); };  // the next look comes during a question
  P().lstSites->setCurrentRow(0);
  P().cmdEdit->click();
  box_.answers = {false};
  P().cmdDeleteSite->click();
  EXPECT_EQ(W().CurrentPanel(), frmMain::kModifySite);
  idle_.Fire();  // all has ended: a whole period follows
  EXPECT_EQ(idle_.interval, 10 * kMinute);
  idle_.Fire();
  EXPECT_EQ(W().CurrentPanel(), frmMain::kLogin);
  // A file without users keeps its panel.
  window_.reset();
  std::filesystem::remove(DefaultFile());
  Open();
  idle_.Fire();
  EXPECT_EQ(W().CurrentPanel(), frmMain::kWelcome);
}

}  // namespace
}  // namespace ostrel::test
