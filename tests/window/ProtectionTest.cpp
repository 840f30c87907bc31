// A password file protected with each person's password, through the
// window: made on Welcome, people added, changed and deleted, the file in
// use protected on Options, a forgotten password set anew.
#include "store/FileCheck.h"
#include "store/FileProtection.h"
#include "store/WebUsers.h"
#include "tests/window/WindowTest.h"

namespace ostrel::test {
namespace {

constexpr WrapLimits kQuick{1, 8};

class ProtectionTest : public WindowTest {
 protected:
  bool KeyHeld() { return W().Context()->DataCipher.HasKey(); }
  void NewUser(const std::string& name, const std::string& password) {
    if (W().CurrentPanel() == frmMain::kLogin) P().cmdNewUser->click();
    P().txtUserName->setText(QString::fromStdString(name));
    P().txtPassword1->setText(QString::fromStdString(password));
    P().txtPassword2->setText(QString::fromStdString(password));
    P().cmdOK[6]->click();
  }
  void LogOff() {
    P().cmdLogOff->click();
    ASSERT_EQ(W().CurrentPanel(), frmMain::kLogin);
  }
  bool Protected() {
    StoreContext context;
    return !FileCheck(context).Run(DefaultFile()).contentsChecked;
  }
};

TEST_F(ProtectionTest, AProtectedFileLivesThroughItsPeople) {
  Open();
  W().Context()->PasswordLimits = kQuick;
  P().txtEncryptionKey->setText(kKey);
  P().chkProtect->setChecked(true);
  P().cmdContinue->click();
  NewUser("ann", "pw");  // on the NewUser panel already
  ASSERT_EQ(W().CurrentPanel(), frmMain::kSiteList);
  EXPECT_TRUE(box_.questions.empty());  // who makes the file is not asked for its key
  EXPECT_TRUE(Protected());
  LogOff();
  EXPECT_FALSE(KeyHeld());

  box_.secrets = {"not the key"};
  NewUser("bob", "pw2");
  EXPECT_EQ(box_.shown, std::vector<std::string>{"Invalid encryption key. No user was created."});
  box_.secrets = {kKey};
  P().cmdOK[6]->click();
  ASSERT_EQ(W().CurrentPanel(), frmMain::kSiteList);
  LogOff();

  box_.shown.clear();
  LogIn(1, "pw2");
  EXPECT_EQ(box_.shown, std::vector<std::string>{"Invalid password."});
  EXPECT_FALSE(KeyHeld());
  LogIn(1, "pw");
  P().cmdChangePassword->click();
  P().txtOldPassword->setText("pw");
  P().txtNewPassword1->setText("pw3");
  P().txtNewPassword2->setText("pw3");
  P().cmdOK[7]->click();
  LogOff();
  LogIn(1, "pw3");
  ASSERT_EQ(W().CurrentPanel(), frmMain::kSiteList);
  idle_.Fire();  // the idle log-off forgets the key too
  ASSERT_EQ(W().CurrentPanel(), frmMain::kLogin);
  EXPECT_FALSE(KeyHeld());

  // Bob is deleted with the file's encryption key instead of his password.
  box_.answers = {true};
  P().cmbUserNames->setCurrentIndex(P().cmbUserNames->findData(2));
  P().txtPassword->setText(kKey);
  P().cmdDeleteUser->click();
  EXPECT_EQ(P().cmbUserNames->count(), 1);
  EXPECT_FALSE(KeyHeld());
}

TEST_F(ProtectionTest, OptionsProtectTheFileInUseAndResetAForgottenPassword) {
  Seed({{"ann", "pw"}, {"bob", "pw2"}}, {{1, "alpha"}, {2, "beta"}});
  Open();
  W().Context()->PasswordLimits = kQuick;
  P().cmdOptions->click();
  box_.answers = {true};
  box_.secrets = {"wrong key"};
  P().cmdProtectFile->click();
  EXPECT_FALSE(Protected());
  box_.answers = {true};
  box_.secrets = {kKey, "another key", "another key"};
  P().cmdProtectFile->click();
  ASSERT_TRUE(Protected());
  EXPECT_FALSE(KeyHeld());

  P().cmbUserNames->setCurrentIndex(P().cmbUserNames->findData(2));
  box_.secrets = {"another key", "fresh", "fresh"};
  P().cmdResetPassword->click();
  EXPECT_EQ(box_.shown.back(), "The password of bob was changed.");
  EXPECT_FALSE(KeyHeld());
  P().cmdCancel[9]->click();
  LogIn(2, "fresh");
  EXPECT_EQ(SiteNames(), std::vector<std::string>{"beta"});
}

// Protected by another program while ann is logged in: her next step sends
// her back to Login, and the next login opens the file as protected.
TEST_F(ProtectionTest, AFileProtectedElsewhereIsPickedUpAtTheNextLogin) {
  Seed({{"ann", "pw"}}, {{1, "alpha"}});
  Open();
  LogIn(1, "pw");
  std::unique_ptr<StoreContext> other = AnotherProgram();
  other->PasswordLimits = kQuick;
  FileProtection::Convert(*other, "");
  box_.answers = {true};
  P().lstSites->setCurrentRow(0);
  P().cmdEdit->click();
  P().cmdDeleteSite->click();
  ASSERT_EQ(W().CurrentPanel(), frmMain::kLogin);
  EXPECT_NE(box_.shown.back().find("log in again"), std::string::npos) << box_.shown.back();
  LogIn(1, "pw");
  EXPECT_EQ(SiteNames(), std::vector<std::string>{"alpha"});
}

}  // namespace
}  // namespace ostrel::test
