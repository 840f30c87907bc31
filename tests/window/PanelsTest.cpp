// The ten panels: texts, sizes, tab indexes, masking, and what ShowPanel
// and Cancel do.
#include <set>

#include "tests/window/WindowTest.h"

namespace ostrel::test {
namespace {

class PanelsTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Seed({{"ann", "pw"}}, {{1, "alpha"}});
    Open();
    ASSERT_EQ(W().CurrentPanel(), frmMain::kLogin);
  }
  int TabIndexOf(const QWidget* widget) const {
    const ControlEntry* entry = W().Controls().Find(widget);
    return entry ? entry->tabIndex : -1;
  }
  frmMain& W() const { return *window_; }
  // The panel frame that is seen: the one under the window's centre.
  QWidget* FrontFrame() const {
    QWidget* seen = window_->childAt(window_->width() / 2, window_->height() / 2);
    for (QGroupBox* frame : P().fra) {
      if (frame == seen || frame->isAncestorOf(seen)) return frame;
    }
    return nullptr;
  }
};

TEST_F(PanelsTest, CaptionsAreExactlyAsWritten) {
  const MainPanels& p = P();
  EXPECT_EQ(W().windowTitle(), "Ostrel");
  EXPECT_EQ(p.cmdNewSite->text(), "New Site");
  EXPECT_EQ(p.cmdChangePassword->text(), "Change Ostrel Password");
  EXPECT_EQ(p.cmdLogOff->text(), "Log Off");
  EXPECT_EQ(p.cmdEdit->text(), "&Modify");
  EXPECT_EQ(p.cmdGoto->text(), "&Go To");
  EXPECT_EQ(p.cmdRecord->text(), "Start Recording");
  EXPECT_EQ(p.cmdSave->text(), "&Save");
  EXPECT_EQ(p.cmdOptions->text(), "Options");
  EXPECT_EQ(p.cmdAbout->text(), "About Ostrel");
  EXPECT_EQ(p.cmdNewUser->text(), "&New User");
  EXPECT_EQ(p.cmdDeleteUser->text(), "&Delete User");
  EXPECT_EQ(p.cmdContinue->text(), "Continue");
  EXPECT_EQ(p.cmdRenameSite->text(), "OK");
  EXPECT_EQ(p.cmdNewPassword->text(), "OK");
  EXPECT_EQ(p.cmdDeleteSite->text(), "&Delete Site");
  EXPECT_EQ(p.cmdReRecord->text(), "&Re-record");
  EXPECT_EQ(p.cmdCopyFile->text(), "Copy ");
  EXPECT_EQ(p.Frame3->title(), "Your Ostrel file");
  EXPECT_EQ(p.fraLogin->title(), "");
  for (int n = 1; n <= 9; ++n) EXPECT_EQ(p.cmdCancel[n]->text(), "Cancel") << n;
  for (int n : {4, 6, 7, 9}) EXPECT_EQ(p.cmdOK[n]->text(), "OK") << n;
  EXPECT_EQ(p.cmdCancel[0], nullptr);
  EXPECT_EQ(p.cmdOK[5], nullptr);
}

TEST_F(PanelsTest, LabelsAreExactlyAsWritten) {
  const MainPanels& p = P();
  EXPECT_EQ(p.lblReady->text(), "Ostrel is now ready to record your username and password on the "
                                "website of your choice.");
  EXPECT_EQ(p.lblReadyHowTo->text(),
            "Go to the login page of the website where you wish to use Ostrel and then click on "
            "the Start Recording button to start recording.");
  EXPECT_EQ(p.lblReadyWarning->text(), "Warning: Do not enter any information on the webpage "
                                       "until you click on the Start Recording button.");
  EXPECT_EQ(p.lblRecording->text(), "Now enter your username and password as you usually do and "
                                    "submit your information.");
  EXPECT_EQ(p.lblNameSite->text(),
            "Your personal information for this website has been successfully recorded. Please "
            "enter the name for the website:");
  EXPECT_EQ(p.lblLoginWelcome->text(),
            "Welcome to Ostrel. Please enter your User Name and Password.");
  EXPECT_EQ(p.lblWelcome->text(), "Welcome to Ostrel !");
  EXPECT_EQ(p.lblWelcomeKey->text(),
            "Please enter an encryption key made of at least 8 letters and numbers (up to 20). "
            "This key will be used to encrypt all your information to ensure privacy of all your "
            "usernames and passwords.");
  EXPECT_EQ(p.lblWelcomeFile->text(), "If you already have a Ostrel file containing your username "
                                      "and password information, please enter it here:");
  EXPECT_EQ(p.lblNewUser->text(), "Create a new user:");
  EXPECT_EQ(p.lblModifyPassword->text(), "Modify password:");
  EXPECT_EQ(p.lblRenameSite->text(), "Rename Site:");
  EXPECT_EQ(p.lblNewPassword->text(), "New Password:");
  EXPECT_EQ(p.lblOptions->text(), "Ostrel Options");
  EXPECT_EQ(p.lblCopyFile->text(),
            "To copy your current Ostrel file to another location, click here ");
  const char* labels[] = {"User Name:",    "Password:",     "User Name:",
                          "Password:",     "Confirm Password:", "Old Password:",
                          "New Password:", "Confirm New Password:"};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(p.lblLabels[i]->text(), labels[i]) << i;
}

TEST_F(PanelsTest, SizesAreInTwipsAtFifteenPerPixel) {
  EXPECT_EQ(W().size(), QSize(4485 / 15, 3945 / 15));
  // A fixed size, so no maximise button.
  EXPECT_EQ(W().minimumSize(), W().maximumSize());
  EXPECT_FALSE(W().windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(W().windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  for (QGroupBox* frame : P().fra) EXPECT_EQ(frame->geometry(), QRect(6, 0, 287, 257));
}

TEST_F(PanelsTest, TabIndexesAreThoseOfTheTable) {
  const MainPanels& p = P();
  const std::pair<const QWidget*, int> expected[] = {
      {p.fra[0], 3}, {p.fra[3], 10}, {p.fra[2], 15}, {p.fra[1], 18}, {p.fra[4], 23},
      {p.fra[5], 25}, {p.fra[6], 31}, {p.fra[7], 36}, {p.fraLogin, 48}, {p.fra[8], 57},
      {p.Frame1, 58}, {p.Frame2, 67}, {p.fra[9], 71}, {p.Frame3, 74},
      {p.cmdNewSite, 4}, {p.cmdChangePassword, 5}, {p.lstSites, 6}, {p.cmdLogOff, 7},
      {p.cmdEdit, 8}, {p.cmdGoto, 9}, {p.cmdCancel[1], 19}, {p.cmdRecord, 20},
      {p.lblReady, 21}, {p.lblReadyHowTo, 22}, {p.lblReadyWarning, 83},
      {p.cmdCancel[2], 16}, {p.lblRecording, 17}, {p.txtSiteName, 11}, {p.cmdCancel[3], 12},
      {p.cmdSave, 13}, {p.lblNameSite, 14}, {p.lblLoginWelcome, 24}, {p.cmdDeleteUser, 49},
      {p.cmdNewUser, 50}, {p.cmbUserNames, 51}, {p.txtPassword, 52}, {p.cmdCancel[4], 53},
      {p.cmdOK[4], 54}, {p.lblLabels[1], 55}, {p.lblLabels[0], 56}, {p.cmdAbout, 69},
      {p.cmdOptions, 70}, {p.txtEncryptionKey, 26}, {p.cmdCancel[5], 27}, {p.cmdContinue, 28},
      {p.lblWelcome, 29}, {p.lblWelcomeKey, 30}, {p.txtInitialFilePathName, 76},
      {p.lblWelcomeFile, 77}, {p.cmdOpenFile, 78}, {p.lblLabels[4], 0}, {p.lblLabels[2], 1},
      {p.lblLabels[3], 2}, {p.lblNewUser, 32}, {p.txtUserName, 33}, {p.txtPassword1, 34},
      {p.txtPassword2, 35}, {p.cmdCancel[6], 37}, {p.cmdOK[6], 38}, {p.txtOldPassword, 39},
      {p.txtNewPassword1, 40}, {p.txtNewPassword2, 41}, {p.cmdCancel[7], 42}, {p.cmdOK[7], 43},
      {p.lblLabels[5], 44}, {p.lblLabels[6], 45}, {p.lblLabels[7], 46},
      {p.lblModifyPassword, 47}, {p.txtNewSiteName, 59}, {p.cmdRenameSite, 60},
      {p.txtNewPassword, 61}, {p.cmdNewPassword, 62}, {p.cmdReRecord, 63},
      {p.cmdDeleteSite, 64}, {p.lblRenameSite, 65}, {p.cmdCancel[8], 66},
      {p.lblNewPassword, 68}, {p.cmdOK[9], 72}, {p.cmdCancel[9], 73}, {p.lblOptions, 75},
      {p.cmdChangeFile, 79}, {p.txtFileName, 80}, {p.cmdCopyFile, 81}, {p.lblCopyFile, 82}};
  std::set<int> seen;
  for (const auto& [widget, tab] : expected) {
    EXPECT_EQ(TabIndexOf(widget), tab) << widget->objectName().toStdString();
    seen.insert(tab);
  }
  EXPECT_EQ(seen.size(), 84u);
  // Controls added since come after one of those, each in a place of its own.
  std::set<int32_t> places;
  for (const ControlEntry& entry : W().Controls().Entries()) {
    EXPECT_TRUE(places.insert(entry.TabPosition()).second) << entry.name;
  }
  LogIn(1, "pw");
  P().cmdEdit->click();
  Key(Qt::Key_Tab);  // from txtNewPassword (61)
  EXPECT_EQ(Focus(), P().txtNewPasswordConfirm);
}

TEST_F(PanelsTest, PasswordBoxesShowStars) {
  const MainPanels& p = P();
  for (QLineEdit* box : PasswordBoxes()) {
    EXPECT_EQ(box->echoMode(), QLineEdit::Password) << box->objectName().toStdString();
    EXPECT_EQ(box->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, box), '*');
  }
  for (QLineEdit* box : {p.txtUserName, p.txtSiteName, p.txtNewSiteName, p.txtFileName,
                         p.txtInitialFilePathName}) {
    EXPECT_EQ(box->echoMode(), QLineEdit::Normal) << box->objectName().toStdString();
  }
}

TEST_F(PanelsTest, OnlyTheShownPanelIsEnabledAndInFront) {
  for (int n = 0; n < 10; ++n) EXPECT_EQ(P().fra[n]->isEnabled(), n == 4) << n;
  EXPECT_EQ(FrontFrame(), P().fra[4]);
  W().ShowPanel(frmMain::kOptions);
  for (int n = 0; n < 10; ++n) EXPECT_EQ(P().fra[n]->isEnabled(), n == 9) << n;
  EXPECT_EQ(FrontFrame(), P().fra[9]);
  EXPECT_EQ(W().CurrentPanel(), 9);
}

TEST_F(PanelsTest, SwitchingToTheShownPanelRunsItsWorkAgain) {
  P().txtPassword->setText("typed");
  W().ShowPanel(frmMain::kLogin);
  EXPECT_EQ(P().txtPassword->text(), "");
  EXPECT_TRUE(P().fra[4]->isEnabled());
}

TEST_F(PanelsTest, EachPanelSetsItsDefaultAndCancelButtons) {
  const MainPanels& p = P();
  struct Row {
    int panel;
    CommandButton* cancel;
    CommandButton* defaultButton;
  };
  const Row rows[] = {{0, p.cmdLogOff, p.cmdGoto},       {1, p.cmdCancel[1], p.cmdRecord},
                      {3, p.cmdCancel[3], p.cmdSave},    {4, p.cmdCancel[4], p.cmdOK[4]},
                      {5, p.cmdCancel[5], p.cmdContinue}, {6, p.cmdCancel[6], p.cmdOK[6]},
                      {7, p.cmdCancel[7], p.cmdOK[7]},   {8, p.cmdCancel[8], p.cmdNewPassword},
                      {9, p.cmdCancel[9], p.cmdOK[9]}};
  for (const Row& row : rows) {
    W().ShowPanel(row.panel);
    int defaults = 0, cancels = 0;
    for (const ControlEntry& entry : W().Controls().Entries()) {
      if (entry.kind != ControlKind::CommandButton) continue;
      auto* button = static_cast<CommandButton*>(entry.widget);
      defaults += button->Default();
      cancels += button->Cancel();
    }
    EXPECT_TRUE(row.defaultButton->Default()) << row.panel;
    EXPECT_TRUE(row.cancel->Cancel()) << row.panel;
    EXPECT_EQ(defaults, 1) << row.panel;
    EXPECT_EQ(cancels, 1) << row.panel;
  }
}

TEST_F(PanelsTest, RecordingKeepsTheDefaultOnTheDisabledRecordButton) {
  W().ShowPanel(frmMain::kRecordReady);
  W().ShowPanel(frmMain::kRecording);
  EXPECT_TRUE(P().cmdRecord->Default());
  EXPECT_FALSE(P().fra[1]->isEnabled());
  EXPECT_TRUE(P().cmdCancel[2]->Cancel());
  EXPECT_FALSE(P().cmdCancel[1]->Cancel());
}

TEST_F(PanelsTest, NewUserEmptiesItsBoxesAndFocusesTheName) {
  W().ShowPanel(frmMain::kNewUser);
  P().txtUserName->setText("x");
  P().txtPassword1->setText("y");
  P().txtPassword2->setText("z");
  P().cmdOK[4]->setFocus();
  W().ShowPanel(frmMain::kNewUser);
  EXPECT_EQ(P().txtUserName->text() + P().txtPassword1->text() + P().txtPassword2->text(), "");
  EXPECT_EQ(Focus(), P().txtUserName);
}

TEST_F(PanelsTest, EverySwitchGivesTheFocusToThePanelsOwnControl) {
  const MainPanels& p = P();
  // Each switch leaves a panel whose control held the focus.
  const std::pair<int, QWidget*> rows[] = {
      {0, p.txtFilter},      {1, p.cmdRecord},      {2, p.cmdCancel[2]},
      {3, p.txtSiteName},    {0, p.txtFilter},      {7, p.txtOldPassword},
      {8, p.txtNewPassword}, {4, p.txtPassword},    {9, p.txtFileName},
      {6, p.txtUserName},    {5, p.txtEncryptionKey}, {4, p.txtPassword}};
  for (const auto& [panel, control] : rows) {
    W().ShowPanel(panel);
    EXPECT_EQ(Focus(), control) << panel;
    EXPECT_TRUE(control->hasFocus()) << panel;
  }
}

TEST_F(PanelsTest, ANameToGiveBringsTheWindowForwardWithTheNameSelected) {
  LogIn(1, "pw");
  W().ShowPanel(frmMain::kRecording);
  QWidget browser;  // the person typed the login into another window
  browser.show();
  browser.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&browser));
  W().showMinimized();
  W().ShowPanel(frmMain::kNameSite);
  W().ProposeSiteName("Example Login");
  EXPECT_TRUE(QTest::qWaitForWindowActive(&W()));
  EXPECT_FALSE(W().isMinimized());
  EXPECT_TRUE(P().txtSiteName->hasFocus());
  EXPECT_EQ(P().txtSiteName->selectedText(), "Example Login");
}

TEST_F(PanelsTest, ModifyPasswordEmptiesItsBoxesWithoutMovingTheFocus) {
  LogIn(1, "pw");
  P().lstSites->setFocus();
  W().ShowPanel(frmMain::kModifyPassword);
  P().txtOldPassword->setText("a");
  P().txtNewPassword1->setText("b");
  P().txtNewPassword2->setText("c");
  P().txtNewPassword2->setFocus();
  W().ShowPanel(frmMain::kModifyPassword);
  EXPECT_EQ(P().txtOldPassword->text() + P().txtNewPassword1->text() + P().txtNewPassword2->text(),
            "");
  EXPECT_EQ(Focus(), P().txtNewPassword2);
}

TEST_F(PanelsTest, OptionsShowsThePasswordFilePath) {
  W().ShowPanel(frmMain::kOptions);
  EXPECT_EQ(P().txtFileName->text().toStdString(), DefaultFile());
}

TEST_F(PanelsTest, OnModifySiteTheDefaultFollowsTheFieldTypedIn) {
  LogIn(1, "pw");
  P().lstSites->setCurrentRow(0);
  P().cmdEdit->click();
  ASSERT_EQ(W().CurrentPanel(), frmMain::kModifySite);
  EXPECT_EQ(Focus(), P().txtNewPassword);
  EXPECT_TRUE(P().cmdNewPassword->Default());
  QTest::mouseClick(P().txtNewSiteName, Qt::LeftButton);
  EXPECT_TRUE(P().cmdRenameSite->Default());
  EXPECT_FALSE(P().cmdNewPassword->Default());
  QTest::mouseClick(P().txtNewPassword, Qt::LeftButton);
  EXPECT_TRUE(P().cmdNewPassword->Default());
  EXPECT_FALSE(P().cmdRenameSite->Default());
}

TEST_F(PanelsTest, CancelLeadsWhereItShould) {
  for (int n : {1, 2, 3, 7, 8}) {
    W().ShowPanel(n);
    P().cmdCancel[n]->click();
    EXPECT_EQ(W().CurrentPanel(), frmMain::kSiteList) << n;
    EXPECT_TRUE(W().isVisible());
  }
  W().ShowPanel(frmMain::kOptions);
  P().cmdCancel[9]->click();
  EXPECT_EQ(W().CurrentPanel(), frmMain::kLogin);
}

TEST_F(PanelsTest, CancelOnLoginWelcomeAndNewUserHidesTheWindowAsItIs) {
  for (int n : {4, 5, 6}) {
    W().show();
    W().ShowPanel(n);
    P().cmdCancel[n]->click();
    EXPECT_FALSE(W().isVisible()) << n;
    EXPECT_TRUE(W().IsLoaded()) << n;
    EXPECT_EQ(W().CurrentPanel(), n);
  }
  EXPECT_TRUE(box_.shown.empty());
}

// Activating the window gives the panel's first field the focus only when
// no control of the panel has it: the focus a handler put in a password box
// stays there, so what is typed next is masked.
TEST_F(PanelsTest, ActivationKeepsTheFocusAHandlerGaveAndOtherwiseFocusesTheFirstField) {
  QWidget other;
  auto reactivate = [&] {
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    W().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&W()));
  };
  P().cmdNewUser->click();
  P().txtUserName->setText("bob");
  P().txtPassword1->setText("one");
  P().txtPassword2->setText("two");
  P().cmdOK[6]->click();
  ASSERT_EQ(Focus(), P().txtPassword1);
  reactivate();  // as when the message box closes
  EXPECT_EQ(Focus(), P().txtPassword1);
  Type(Focus(), "s3cret");
  EXPECT_EQ(P().txtPassword1->text(), "s3cret");
  EXPECT_EQ(P().txtUserName->text(), "bob");

  W().ShowPanel(frmMain::kLogin);
  Focus()->clearFocus();  // nothing of the panel has it
  reactivate();
  EXPECT_EQ(Focus(), P().txtPassword);
}

// A panel left keeps nothing secret typed into it; one shown again keeps
// it until it is left.
TEST_F(PanelsTest, LeavingAPanelEmptiesItsPasswordBoxes) {
  const std::pair<int, std::vector<QLineEdit*>> panels[] = {
      {frmMain::kLogin, {P().txtPassword}},
      {frmMain::kWelcome, {P().txtEncryptionKey}},
      {frmMain::kNewUser, {P().txtPassword1, P().txtPassword2}},
      {frmMain::kModifyPassword, {P().txtOldPassword, P().txtNewPassword1, P().txtNewPassword2}},
      {frmMain::kModifySite, {P().txtNewPassword, P().txtNewPasswordConfirm}},
  };
  for (const auto& [n, boxes] : panels) {
    W().ShowPanel(n);
    for (QLineEdit* box : boxes) box->setText("secret");
    W().ShowPanel(frmMain::kOptions);
    for (QLineEdit* box : boxes) EXPECT_EQ(box->text(), "") << box->objectName().toStdString();
  }
  W().ShowPanel(frmMain::kWelcome);
  P().txtEncryptionKey->setText("kept key");
  W().ShowPanel(frmMain::kWelcome);
  EXPECT_EQ(P().txtEncryptionKey->text(), "kept key");
}

}  // namespace
}  // namespace ostrel::test
