// Tab, Enter and Escape as the window handles them before its controls.
#include <QDialog>
#include <QSignalSpy>

#include "tests/platform/qt/ModalAnswer.h"
#include "tests/window/WindowTest.h"

namespace ostrel::test {
namespace {

class KeysTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Seed({{"ann", "pw"}, {"bob", "pw2"}}, {{2, "other"}, {1, "alpha"}, {1, "beta"}});
    Open();
    ASSERT_EQ(W().CurrentPanel(), frmMain::kLogin);
  }
  void ToSiteList() {
    LogIn(1, "pw");
    ASSERT_EQ(W().CurrentPanel(), frmMain::kSiteList);
  }
};

TEST_F(KeysTest, EnterInThePasswordBoxLogsIn) {
  P().cmbUserNames->setCurrentIndex(0);
  P().txtPassword->setFocus();
  QSignalSpy returnPressed(P().txtPassword, &QLineEdit::returnPressed);
  Type(P().txtPassword, "pw");
  Key(Qt::Key_Return);
  EXPECT_EQ(W().CurrentPanel(), frmMain::kSiteList);
  EXPECT_EQ(returnPressed.count(), 0);  // the box never saw the key
}

TEST_F(KeysTest, EnterOnTheKeypadCountsAsEnter) {
  P().cmbUserNames->setCurrentIndex(0);
  P().txtPassword->setFocus();
  Type(P().txtPassword, "pw");
  Key(Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(W().CurrentPanel(), frmMain::kSiteList);
}

TEST_F(KeysTest, EscapeOnLoginHidesTheWindow) {
  P().txtPassword->setFocus();
  Key(Qt::Key_Escape);
  EXPECT_FALSE(W().isVisible());
  EXPECT_EQ(W().CurrentPanel(), frmMain::kLogin);
}

TEST_F(KeysTest, EnterOnAFocusedButtonPressesThatButton) {
  P().cmdNewUser->setFocus();
  ASSERT_TRUE(P().cmdOK[4]->Default());
  Key(Qt::Key_Return);
  EXPECT_EQ(W().CurrentPanel(), frmMain::kNewUser);
}

TEST_F(KeysTest, EnterOnTheAboutButtonDoesNothing) {
  bool opened = false;
  auto* answer = new ModalAnswerer<QDialog>([&opened](QDialog* dialog) {
    opened = true;
    dialog->reject();
  });
  P().cmdAbout->setFocus();
  Key(Qt::Key_Return);
  QCoreApplication::processEvents();
  EXPECT_FALSE(opened);
  EXPECT_EQ(W().CurrentPanel(), frmMain::kLogin);
  EXPECT_TRUE(box_.shown.empty());
  delete answer;
}

TEST_F(KeysTest, WithoutAFocusEnterPressesTheDefaultButton) {
  P().cmbUserNames->setCurrentIndex(0);
  P().txtPassword->setText("wrong");
  W().setFocus();
  ASSERT_EQ(W().focusWidget(), &W());
  QTest::keyClick(&W(), Qt::Key_Return);
  EXPECT_EQ(box_.shown, std::vector<std::string>{"Invalid password."});
}

TEST_F(KeysTest, ModifiedEnterTabAndEscapeDoNothing) {
  P().cmbUserNames->setCurrentIndex(0);
  P().txtPassword->setFocus();
  Type(P().txtPassword, "pw");
  Key(Qt::Key_Return, Qt::ControlModifier);
  Key(Qt::Key_Return, Qt::ShiftModifier);
  Key(Qt::Key_Escape, Qt::ShiftModifier);
  Key(Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(W().CurrentPanel(), frmMain::kLogin);
  EXPECT_TRUE(W().isVisible());
  EXPECT_EQ(Focus(), P().txtPassword);
  EXPECT_EQ(P().txtPassword->text(), "pw");
}

TEST_F(KeysTest, ShiftTabFromThePasswordGoesToTheUserList) {
  P().txtPassword->setFocus();
  Key(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(Focus(), P().cmbUserNames);
}

TEST_F(KeysTest, TabOnLoginOkKeepsTheFocusBecauseALabelIsNext) {
  P().cmdOK[4]->setFocus();
  Key(Qt::Key_Tab);
  EXPECT_EQ(Focus(), P().cmdOK[4]);
}

TEST_F(KeysTest, TabWalksNewUserByTabIndex) {
  P().cmdNewUser->click();
  ASSERT_EQ(Focus(), P().txtUserName);
  const QWidget* expected[] = {P().txtPassword1, P().txtPassword2, P().cmdCancel[6], P().cmdOK[6],
                               P().cmdOK[6]};  // then txtOldPassword (39), in a disabled panel
  for (const QWidget* next : expected) {
    Key(Qt::Key_Tab);
    EXPECT_EQ(Focus(), next) << Focus()->objectName().toStdString();
  }
  Key(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(Focus(), P().cmdCancel[6]);
}

TEST_F(KeysTest, TabOnSiteListFollowsTheTabIndexes) {
  ToSiteList();
  P().lstSites->setFocus();
  Key(Qt::Key_Tab);
  EXPECT_EQ(Focus(), P().cmdLogOff);
  P().cmdGoto->setFocus();
  Key(Qt::Key_Tab);  // fra(3) is disabled, txtSiteName sits in a disabled panel
  EXPECT_EQ(Focus(), P().cmdGoto);
  P().cmdNewSite->setFocus();
  Key(Qt::Key_Backtab, Qt::ShiftModifier);  // fra(0), 3, is a frame: no wrap, no move
  EXPECT_EQ(Focus(), P().cmdNewSite);
}

TEST_F(KeysTest, EnterInTheSiteListGoesToTheSelectedSite) {
  ToSiteList();
  ASSERT_EQ(SiteNames(), (std::vector<std::string>{"alpha", "beta"}));
  P().lstSites->setFocus();
  P().lstSites->setCurrentRow(1);
  Key(Qt::Key_Return);
  ASSERT_NE(hooks_, nullptr);
  EXPECT_EQ(hooks_->calls, std::vector<std::string>{"GoTo 3"});
}

TEST_F(KeysTest, EnterInTheSiteListWithNothingSelectedDoesNothing) {
  ToSiteList();
  P().lstSites->setFocus();
  P().lstSites->clearSelection();
  Key(Qt::Key_Return);
  EXPECT_TRUE(hooks_->calls.empty());
  EXPECT_EQ(W().CurrentPanel(), frmMain::kSiteList);
}

TEST_F(KeysTest, EscapeOnSiteListLogsOff) {
  ToSiteList();
  P().lstSites->setFocus();
  P().lstSites->setCurrentRow(0);
  Key(Qt::Key_Escape);
  EXPECT_EQ(W().CurrentPanel(), frmMain::kLogin);
  EXPECT_EQ(Focus(), P().txtPassword);
  EXPECT_EQ(W().SelectedUserIndex(), 1);
  EXPECT_TRUE(W().isVisible());
}

TEST_F(KeysTest, EscapeOnRecordingPressesItsCancel) {
  ToSiteList();
  P().cmdNewSite->click();
  W().ShowPanel(frmMain::kRecording);
  Key(Qt::Key_Escape);
  EXPECT_EQ(W().CurrentPanel(), frmMain::kSiteList);
}

TEST_F(KeysTest, EscapeRunsOneHandlerOnly) {
  // Cancel on ModifyPassword makes Log Off the cancel button; Escape must
  // not then log off as well.
  ToSiteList();
  P().cmdChangePassword->click();
  ASSERT_EQ(Focus(), P().txtOldPassword);
  Key(Qt::Key_Escape);
  EXPECT_EQ(W().CurrentPanel(), frmMain::kSiteList);
}

TEST_F(KeysTest, AfterEachSwitchTheKeysWorkWithoutAClick) {
  P().cmbUserNames->setCurrentIndex(0);
  ASSERT_EQ(Focus(), P().txtPassword);
  Type(Focus(), "pw");
  Key(Qt::Key_Return);
  ASSERT_EQ(W().CurrentPanel(), frmMain::kSiteList);
  EXPECT_EQ(Focus(), P().txtFilter);
  Key(Qt::Key_Tab);  // the filter (after 5) to lstSites (6) to cmdLogOff (7)
  Key(Qt::Key_Tab);
  EXPECT_EQ(Focus(), P().cmdLogOff);
  Key(Qt::Key_Return);
  ASSERT_EQ(W().CurrentPanel(), frmMain::kLogin);
  P().cmdOptions->click();
  ASSERT_EQ(W().CurrentPanel(), frmMain::kOptions);
  Key(Qt::Key_Return);  // OK on Options
  EXPECT_EQ(W().CurrentPanel(), frmMain::kLogin);
  Key(Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(Focus(), P().cmbUserNames);
}

TEST_F(KeysTest, EnterOnModifySiteFollowsTheFieldTypedIn) {
  ToSiteList();
  P().lstSites->setCurrentRow(0);
  P().cmdEdit->click();
  QTest::mouseClick(P().txtNewSiteName, Qt::LeftButton);
  P().txtNewSiteName->selectAll();
  Type(P().txtNewSiteName, "gamma");
  Key(Qt::Key_Return);
  EXPECT_EQ(W().CurrentPanel(), frmMain::kSiteList);
  EXPECT_EQ(SiteNames(), (std::vector<std::string>{"gamma", "beta"}));
}

}  // namespace
}  // namespace ostrel::test
