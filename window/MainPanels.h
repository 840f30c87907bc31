#pragma once

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <array>
#include <vector>

#include "window/CommandButton.h"
#include "window/ControlList.h"
#include "window/SiteList.h"

namespace ostrel {

// The panels of the main window and every control on them, by name. Built
// once by BuildMainPanels; the widgets belong to the window. Positions are
// in twips (15 per pixel): the client area is 4485 x 3945, each panel frame
// 4305 x 3855 at left 90, top 0, all ten on top of each other.
//
// Panel numbers: SiteList 0, RecordReady 1, Recording 2, NameSite 3,
// Login 4, Welcome 5, NewUser 6, ModifyPassword 7, ModifySite 8, Options 9.
struct MainPanels {
  static constexpr int kPanelCount = 10;

  std::array<QGroupBox*, kPanelCount> fra{};
  std::array<CommandButton*, kPanelCount> cmdCancel{};  // panels 1..9
  std::array<CommandButton*, kPanelCount> cmdOK{};      // panels 4, 6, 7, 9
  // 0 "User Name:", 1 "Password:" (Login); 2 "User Name:", 3 "Password:",
  // 4 "Confirm Password:" (NewUser); 5 "Old Password:", 6 "New Password:",
  // 7 "Confirm New Password:" (ModifyPassword).
  std::array<QLabel*, 8> lblLabels{};

  // 0 SiteList
  QLineEdit* txtFilter = nullptr;
  SiteList* lstSites = nullptr;
  // In the list's context menu, with their shortcuts (also from the
  // filter box): copy the chosen site's user name or password.
  QAction* actCopyUserName = nullptr;
  QAction* actCopyPassword = nullptr;
  CommandButton* cmdNewSite = nullptr;
  CommandButton* cmdChangePassword = nullptr;
  CommandButton* cmdLogOff = nullptr;
  CommandButton* cmdEdit = nullptr;
  CommandButton* cmdGoto = nullptr;

  // 1 RecordReady
  QLabel* lblReady = nullptr;
  QLabel* lblReadyHowTo = nullptr;
  QLabel* lblReadyWarning = nullptr;
  CommandButton* cmdRecord = nullptr;

  // 2 Recording
  QLabel* lblRecording = nullptr;

  // 3 NameSite
  QLabel* lblNameSite = nullptr;
  QLineEdit* txtSiteName = nullptr;
  CommandButton* cmdSave = nullptr;
  CommandButton* cmdNextStep = nullptr;

  // 4 Login
  QLabel* lblLoginWelcome = nullptr;
  CommandButton* cmdOptions = nullptr;
  CommandButton* cmdAbout = nullptr;
  QGroupBox* fraLogin = nullptr;
  QComboBox* cmbUserNames = nullptr;
  QLineEdit* txtPassword = nullptr;
  CommandButton* cmdNewUser = nullptr;
  CommandButton* cmdDeleteUser = nullptr;

  // 5 Welcome
  QLabel* lblWelcome = nullptr;
  QLabel* lblWelcomeKey = nullptr;
  QLabel* lblWelcomeFile = nullptr;
  QLineEdit* txtEncryptionKey = nullptr;
  QLineEdit* txtInitialFilePathName = nullptr;
  CommandButton* cmdOpenFile = nullptr;
  // A new file protected with each person's password (off by default).
  QCheckBox* chkProtect = nullptr;
  CommandButton* cmdContinue = nullptr;

  // 6 NewUser
  QLabel* lblNewUser = nullptr;
  QLineEdit* txtUserName = nullptr;
  QLineEdit* txtPassword1 = nullptr;
  QLineEdit* txtPassword2 = nullptr;

  // 7 ModifyPassword
  QLabel* lblModifyPassword = nullptr;
  QLineEdit* txtOldPassword = nullptr;
  QLineEdit* txtNewPassword1 = nullptr;
  QLineEdit* txtNewPassword2 = nullptr;

  // 8 ModifySite
  QGroupBox* Frame1 = nullptr;
  QLabel* lblRenameSite = nullptr;
  QLineEdit* txtNewSiteName = nullptr;
  CommandButton* cmdRenameSite = nullptr;
  QGroupBox* Frame2 = nullptr;
  QLabel* lblNewPassword = nullptr;
  QLineEdit* txtNewPassword = nullptr;
  QLabel* lblNewPasswordConfirm = nullptr;
  QLineEdit* txtNewPasswordConfirm = nullptr;
  // The password generator beside the two boxes.
  CommandButton* cmdGenerate = nullptr;
  QSpinBox* spnLength = nullptr;
  QLabel* lblLength = nullptr;
  QCheckBox* chkUpper = nullptr;
  QCheckBox* chkLower = nullptr;
  QCheckBox* chkDigits = nullptr;
  QCheckBox* chkSymbols = nullptr;
  QCheckBox* chkShowPassword = nullptr;
  CommandButton* cmdCopyNewPassword = nullptr;
  CommandButton* cmdNewPassword = nullptr;
  CommandButton* cmdDeleteSite = nullptr;
  CommandButton* cmdReRecord = nullptr;

  // 9 Options
  QLabel* lblOptions = nullptr;
  QGroupBox* Frame3 = nullptr;
  QLineEdit* txtFileName = nullptr;
  CommandButton* cmdChangeFile = nullptr;
  QLabel* lblCopyFile = nullptr;
  CommandButton* cmdCopyFile = nullptr;
  // Protecting the file in use with each person's password, and a
  // forgotten password set anew with the file's encryption key.
  CommandButton* cmdProtectFile = nullptr;
  CommandButton* cmdResetPassword = nullptr;

  // Every text box, for emptying them all when the window loads.
  std::vector<QLineEdit*> TextBoxes() const {
    return {txtSiteName,     txtPassword,     txtEncryptionKey, txtInitialFilePathName,
            txtUserName,     txtPassword1,    txtPassword2,     txtOldPassword,
            txtNewPassword1, txtNewPassword2, txtNewSiteName,   txtNewPassword,
            txtNewPasswordConfirm, txtFileName, txtFilter};
  }
  // The boxes of panel n that hold a secret (a password or the encryption
  // key); emptied whenever the panel is left and at every log-off.
  std::vector<QLineEdit*> SecretBoxes(int n) const;
  // The secret boxes of every panel.
  std::vector<QLineEdit*> SecretBoxes() const;
};

// Makes the ten panels with all their controls inside window (whose client
// area it sizes), registers every control with its name, array index and
// tab index in controls, and gives every text box its input limit.
void BuildMainPanels(QWidget* window, MainPanels& panels, ControlList& controls);

// Builders of single panels, used by BuildMainPanels.
void BuildSiteListPanels(QWidget* window, MainPanels& panels, ControlList& controls);  // 0..3
void BuildLoginPanels(QWidget* window, MainPanels& panels, ControlList& controls);     // 4..7
void BuildSitePanels(QWidget* window, MainPanels& panels, ControlList& controls);      // 8, 9

}  // namespace ostrel
