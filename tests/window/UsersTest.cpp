// Login, creating and deleting users, changing the password, logging off.
#include <fstream>

#include "store/BuiltInKey.h"
#include "store/FileInfo.h"
#include "store/WebUsers.h"
#include "tests/common/FileBytes.h"
#include "tests/window/WindowTest.h"

namespace ostrel::test {
namespace {

int16_t LastUserID(const std::string& path) {
  StoreContext context;
  context.HeaderCipher.SetSecret(BuildBuiltInKey());
  context.PasswordFileName = path;
  return FileInfo(context).LastUserID();
}

const char kInvalid[] = "Invalid password.";
const char kNoMatch[] = "Your new password entries did not match.";
const char kBlank[] = "Please enter a password: it may not be empty or made of blanks only.";
const char kSelectToDelete[] = "Select a user from the list before you click on the Delete button.";

class LoginTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Seed({{"ann", "pw"}, {"bob", "secret"}}, {{2, "bob's"}, {1, "alpha"}});
    Open();
  }
};

// Another program deletes ann while bob is logged in: bob's entry of the
// list now stands where ann's was. Nothing of anybody is shown or changed
// for it: the window asks for a login again.
TEST_F(LoginTest, AUserDeletedByAnotherProgramSendsTheWindowBackToLogin) {
  LogIn(2, "secret");
  ASSERT_EQ(SiteNames(), std::vector<std::string>{"bob's"});
  WebUsers(*AnotherProgram()).DeleteUserWithSites(1, "ann");
  const std::string before = ReadFileBytes(DefaultFile());
  box_.shown.clear();
  P().lstSites->setCurrentRow(0);
  P().cmdEdit->click();
  P().txtNewSiteName->setText("renamed");
  P().cmdRenameSite->click();
  ASSERT_EQ(box_.shown.size(), 1u);
  EXPECT_NE(box_.shown[0].find("log in again"), std::string::npos) << box_.shown[0];
  EXPECT_EQ(W().CurrentPanel(), frmMain::kLogin);
  EXPECT_TRUE(SiteNames().empty());
  EXPECT_EQ(ReadFileBytes(DefaultFile()), before);
}

TEST_F(LoginTest, TheRightPasswordShowsTheUsersSites) {
  LogIn(1, "pw");
  EXPECT_EQ(W().CurrentPanel(), frmMain::kSiteList);
  EXPECT_EQ(settings_.values["User"], "1");
  EXPECT_EQ(SiteNames(), std::vector<std::string>{"alpha"});
  EXPECT_EQ(SiteSlots(), std::vector<int>{2});
  EXPECT_TRUE(box_.shown.empty());
}

TEST_F(LoginTest, AWrongPasswordIsRefusedAndTheBoxEmptied) {
  P().txtPassword->setFocus();
  LogIn(2, "Secret");
  EXPECT_EQ(box_.shown, std::vector<std::string>{kInvalid});
  EXPECT_EQ(W().CurrentPanel(), frmMain::kLogin);
  EXPECT_EQ(P().txtPassword->text(), "");
  EXPECT_EQ(Focus(), P().txtPassword);
  EXPECT_EQ(settings_.values.count("User"), 0u);
}

TEST_F(LoginTest, OkWithNobodySelectedLogsNobodyIn) {
  P().cmbUserNames->setCurrentIndex(-1);
  P().txtPassword->setText("pw");
  P().cmdOK[4]->click();
  EXPECT_EQ(box_.shown,
            std::vector<std::string>{"Select a user from the list before you click on the OK button."});
  EXPECT_EQ(W().CurrentPanel(), frmMain::kLogin);
  EXPECT_EQ(P().lstSites->count(), 0);
}

// Nothing of the user who logged off stays in the window, not even in the
// boxes of panels hidden behind Login.
TEST_F(LoginTest, LogOffKeepsTheUserAndAsksForThePasswordAgain) {
  LogIn(2, "secret");
  EXPECT_EQ(W().windowTitle(), "Ostrel - bob");
  for (QLineEdit* box : PasswordBoxes()) box->setText("secret");
  P().cmdLogOff->click();
  EXPECT_EQ(W().CurrentPanel(), frmMain::kLogin);
  EXPECT_EQ(W().windowTitle(), "Ostrel");
  EXPECT_EQ(W().SelectedUserIndex(), 2);
  for (QLineEdit* box : PasswordBoxes()) EXPECT_EQ(box->text(), "") << box->objectName().toStdString();
  EXPECT_EQ(P().lstSites->count(), 0);
  EXPECT_EQ(Focus(), P().txtPassword);
}

class NewUserTest : public WindowTest {
 protected:
  void Create(const std::string& name, const std::string& first, const std::string& second) {
    if (W().CurrentPanel() != frmMain::kNewUser) P().cmdNewUser->click();
    P().txtUserName->setText(QString::fromUtf8(name));
    P().txtPassword1->setText(QString::fromUtf8(first));
    P().txtPassword2->setText(QString::fromUtf8(second));
    P().cmdOK[6]->click();
  }
};

TEST_F(NewUserTest, ACreatedUserIsRememberedAndLoggedIn) {
  Seed({{"ann", "pw"}}, {{1, "alpha"}});
  Open();
  Create("  bob  ", "b", "b");
  EXPECT_EQ(W().CurrentPanel(), frmMain::kSiteList);
  EXPECT_EQ(settings_.values["User"], "2");
  EXPECT_EQ(W().SelectedUserIndex(), 2);
  EXPECT_EQ(P().lstSites->count(), 0);
  EXPECT_EQ(ReadUserNames(DefaultFile(), kKey), (std::vector<std::string>{"ann", "bob"}));
  EXPECT_EQ(LastUserID(DefaultFile()), 2);
}

TEST_F(NewUserTest, AnEmptyNameIsIgnoredQuietly) {
  Seed({{"ann", "pw"}});
  Open();
  const std::string before = ReadFileBytes(DefaultFile());
  Create("   ", "b", "b");
  EXPECT_TRUE(box_.shown.empty());
  EXPECT_EQ(W().CurrentPanel(), frmMain::kNewUser);
  EXPECT_EQ(P().txtPassword1->text() + P().txtPassword2->text(), "");
  EXPECT_EQ(Focus(), P().txtUserName);
  EXPECT_EQ(ReadFileBytes(DefaultFile()), before);
}

TEST_F(NewUserTest, MismatchedPasswordsAreRefused) {
  Seed({{"ann", "pw"}});
  Open();
  const std::string before = ReadFileBytes(DefaultFile());
  Create("bob", "one", "One");
  EXPECT_EQ(box_.shown, std::vector<std::string>{kNoMatch});
  EXPECT_EQ(P().txtUserName->text(), "bob");
  EXPECT_EQ(P().txtPassword1->text() + P().txtPassword2->text(), "");
  EXPECT_EQ(Focus(), P().txtPassword1);
  EXPECT_EQ(ReadFileBytes(DefaultFile()), before);
}

TEST_F(NewUserTest, BlankPasswordsAndATakenNameAreRefusedAndNothingWritten) {
  Seed({{"ann", ""}});  // an older file's empty password still logs in
  Open();
  const std::string before = ReadFileBytes(DefaultFile());
  for (const char* blank : {"", "   ", "\t", "\xC2\xA0"}) {
    Create("bob", blank, blank);
    EXPECT_EQ(Focus(), P().txtPassword1) << blank;
  }
  Create(" ann ", "x", "x");  // the login list could not tell the two apart
  EXPECT_EQ(box_.shown, (std::vector<std::string>{kBlank, kBlank, kBlank, kBlank,
                                                  "There is already a user named \"ann\". "
                                                  "Please choose another name."}));
  EXPECT_EQ(W().CurrentPanel(), frmMain::kNewUser);
  EXPECT_EQ(ReadFileBytes(DefaultFile()), before);
  W().ShowPanel(frmMain::kLogin);
  LogIn(1, "");
  EXPECT_EQ(W().CurrentPanel(), frmMain::kSiteList);
}

TEST_F(NewUserTest, APasswordIsStoredWithoutItsBlanks) {
  Seed({{"ann", "pw"}});
  Open();
  Create("bob", "pass ", "pass ");
  P().cmdLogOff->click();
  LogIn(2, "pass ");  // typed again with the trailing blank
  EXPECT_EQ(box_.shown, std::vector<std::string>{kInvalid});
  LogIn(2, "pass");
  EXPECT_EQ(W().CurrentPanel(), frmMain::kSiteList);
}

TEST_F(NewUserTest, AThirteenthUserIsRefusedAndNothingWritten) {
  std::vector<SeedUser> twelve;
  for (int i = 1; i <= 12; ++i) twelve.push_back({"user" + std::to_string(i), "pw"});
  Seed(twelve);
  settings_.values["User"] = "3";
  Open();
  const std::string before = ReadFileBytes(DefaultFile());
  Create("thirteen", "pw", "pw");
  ASSERT_EQ(box_.shown.size(), 1u);
  EXPECT_NE(box_.shown[0].find("12 users"), std::string::npos) << box_.shown[0];
  EXPECT_EQ(W().CurrentPanel(), frmMain::kNewUser);
  EXPECT_EQ(ReadFileBytes(DefaultFile()), before);
  EXPECT_EQ(settings_.values["User"], "3");
  EXPECT_EQ(ReadUserNames(DefaultFile(), kKey).size(), 12u);
}

TEST_F(NewUserTest, ANameAndPasswordTooLongTogetherAreRefused) {
  Seed({{"ann", "pw"}});
  Open();
  const std::string before = ReadFileBytes(DefaultFile());
  Create(std::string(100, 'n'), std::string(49, 'p'), std::string(49, 'p'));
  ASSERT_EQ(box_.shown.size(), 1u);
  EXPECT_NE(box_.shown[0].find("too long"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(DefaultFile()), before);
  box_.shown.clear();
  Create(std::string(100, 'n'), std::string(48, 'p'), std::string(48, 'p'));  // exactly fits
  EXPECT_TRUE(box_.shown.empty());
  EXPECT_EQ(W().CurrentPanel(), frmMain::kSiteList);
}

TEST_F(NewUserTest, CancelOnNewUserHidesTheWindowAndWritesNothing) {
  Seed({{"ann", "pw"}});
  Open();
  const std::string before = ReadFileBytes(DefaultFile());
  P().cmdNewUser->click();
  P().txtUserName->setText("bob");
  P().cmdCancel[6]->click();
  EXPECT_FALSE(W().isVisible());
  EXPECT_EQ(ReadFileBytes(DefaultFile()), before);
}

class DeleteUserTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    // ann's sites lie around one of bob's.
    Seed({{"ann", "a"}, {"bob", "b"}}, {{1, "ann 1"}, {2, "bob 1"}, {1, "ann 2"}});
    settings_.values["User"] = "1";
    Open();
  }
  // Types password into the Password box and presses Delete User.
  void Delete(const std::string& password) {
    P().txtPassword->setText(QString::fromStdString(password));
    P().cmdDeleteUser->click();
  }
};

TEST_F(DeleteUserTest, RemovesTheUserAndOnlyTheirSites) {
  Delete("a");
  EXPECT_EQ(box_.questions,
            std::vector<std::string>{"Delete the user ann and all of their sites?"});
  EXPECT_EQ(W().CurrentPanel(), frmMain::kLogin);
  EXPECT_EQ(P().txtPassword->text(), "");
  EXPECT_EQ(settings_.values["User"], "-1");
  EXPECT_EQ(W().SelectedUserIndex(), -1);
  EXPECT_EQ(ReadUserNames(DefaultFile(), kKey), std::vector<std::string>{"bob"});
  const std::vector<StoredSite> sites = ReadSites(DefaultFile(), kKey);
  ASSERT_EQ(sites.size(), 1u);
  EXPECT_EQ(sites[0].name, "bob 1");
  EXPECT_EQ(sites[0].ownerID, 2);

  LogIn(1, "b");
  EXPECT_EQ(SiteNames(), std::vector<std::string>{"bob 1"});
  EXPECT_EQ(SiteSlots(), std::vector<int>{1});
}

// Only the user themself may delete their user: anyone else at the Login
// panel is told so, and nothing is asked or deleted.
TEST_F(DeleteUserTest, WithoutTheUsersPasswordNothingIsDeleted) {
  const std::pair<const char*, const char*> rows[] = {
      {"", "To delete the user ann, type their password in the Password box, then click on "
           "the Delete button."},
      {"b", "Invalid password. The user ann was not deleted."},  // bob's
  };
  const std::string before = ReadFileBytes(DefaultFile());
  for (const auto& [typed, message] : rows) {
    box_.shown.clear();
    P().cmdOK[4]->setFocus();
    Delete(typed);
    EXPECT_EQ(box_.shown, std::vector<std::string>{message}) << typed;
    EXPECT_EQ(Focus(), P().txtPassword);
  }
  EXPECT_TRUE(box_.questions.empty());
  EXPECT_EQ(ReadFileBytes(DefaultFile()), before);
  EXPECT_EQ(W().SelectedUserIndex(), 1);
}

TEST_F(DeleteUserTest, DeletingAgainAtOnceAsksForAUser) {
  Delete("a");
  box_.shown.clear();
  Delete("b");
  EXPECT_EQ(box_.shown, std::vector<std::string>{kSelectToDelete});
  EXPECT_EQ(ReadUserNames(DefaultFile(), kKey), std::vector<std::string>{"bob"});
}

// Another program deleted ann after this window listed the users: bob is
// in her slot now, and must not go in her place, even with his password.
TEST_F(DeleteUserTest, AUserMovedByAnotherProgramIsNotDeleted) {
  WebUsers(*AnotherProgram()).DeleteUserWithSites(1, "ann");
  const std::string changed = ReadFileBytes(DefaultFile());
  Delete("b");
  EXPECT_EQ(ReadFileBytes(DefaultFile()), changed);
  ASSERT_EQ(box_.shown.size(), 1u);
  EXPECT_NE(box_.shown[0].find("list of users was changed"), std::string::npos);
  EXPECT_EQ(W().CurrentPanel(), frmMain::kLogin);
  EXPECT_EQ(P().cmbUserNames->count(), 1);
  EXPECT_EQ(ReadUserNames(DefaultFile(), kKey), std::vector<std::string>{"bob"});
}

TEST_F(DeleteUserTest, NoChangesNothingNotEvenTheSelection) {
  const std::string before = ReadFileBytes(DefaultFile());
  box_.answers = {false};
  Delete("a");
  EXPECT_EQ(ReadFileBytes(DefaultFile()), before);
  EXPECT_EQ(W().SelectedUserIndex(), 1);
  EXPECT_EQ(settings_.values["User"], "1");
  EXPECT_TRUE(box_.shown.empty());
}

class ChangePasswordTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Seed({{"ann", "old"}});
    Open();
    LogIn(1, "old");
    P().cmdChangePassword->click();
    ASSERT_EQ(W().CurrentPanel(), frmMain::kModifyPassword);
  }
  void Change(const std::string& old, const std::string& first, const std::string& second) {
    P().txtOldPassword->setText(QString::fromStdString(old));
    P().txtNewPassword1->setText(QString::fromStdString(first));
    P().txtNewPassword2->setText(QString::fromStdString(second));
    P().cmdOK[7]->click();
  }
};

TEST_F(ChangePasswordTest, OpensWithTheFocusOnTheOldPassword) {
  EXPECT_EQ(Focus(), P().txtOldPassword);
}

TEST_F(ChangePasswordTest, AWrongOldPasswordEmptiesAllThreeBoxes) {
  Change("wrong", "new", "new");
  EXPECT_EQ(box_.shown, std::vector<std::string>{kInvalid});
  EXPECT_EQ(W().CurrentPanel(), frmMain::kModifyPassword);
  EXPECT_EQ(P().txtOldPassword->text() + P().txtNewPassword1->text() + P().txtNewPassword2->text(),
            "");
}

TEST_F(ChangePasswordTest, MismatchedNewPasswordsEmptyOnlyTheNewBoxes) {
  Change("old", "new", "neW");
  EXPECT_EQ(box_.shown, std::vector<std::string>{kNoMatch});
  EXPECT_EQ(P().txtOldPassword->text(), "old");
  EXPECT_EQ(P().txtNewPassword1->text() + P().txtNewPassword2->text(), "");
  EXPECT_EQ(Focus(), P().txtNewPassword1);
}

TEST_F(ChangePasswordTest, ABlankNewPasswordIsRefused) {
  const std::string before = ReadFileBytes(DefaultFile());
  Change("old", "  ", " ");
  EXPECT_EQ(box_.shown, std::vector<std::string>{kBlank});
  EXPECT_EQ(W().CurrentPanel(), frmMain::kModifyPassword);
  EXPECT_EQ(ReadFileBytes(DefaultFile()), before);
}

TEST_F(ChangePasswordTest, TheNewPasswordIsStoredTrimmed) {
  Change(" old ", " new ", "new");
  EXPECT_TRUE(box_.shown.empty());
  EXPECT_EQ(W().CurrentPanel(), frmMain::kSiteList);
  P().cmdLogOff->click();
  LogIn(1, "old");
  EXPECT_EQ(box_.shown, std::vector<std::string>{kInvalid});
  LogIn(1, "new");
  EXPECT_EQ(W().CurrentPanel(), frmMain::kSiteList);
}

}  // namespace
}  // namespace ostrel::test
