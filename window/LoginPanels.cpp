#include "store/SlotLimits.h"
#include "window/MainPanels.h"
#include "window/PanelLayout.h"

namespace ostrel {

namespace {

using namespace panel_geometry;

QFont Bold(QFont font, int pixelSize = 0) {
  font.setBold(true);
  if (pixelSize > 0) font.setPixelSize(pixelSize);
  return font;
}

}  // namespace

void BuildLoginPanels(QWidget* window, MainPanels& p, ControlList& controls) {
  PanelLayout ui(controls);
  const int kPassword = kMaxUserNamePasswordBytes;

  // 4 Login
  QGroupBox* f = p.fra[4] = ui.Frame(window, "fra", 23, 4, kLeft, 0, kWidth, kHeight);
  p.lblLoginWelcome = ui.Label(f, "lblLoginWelcome", 24,
                               "Welcome to Ostrel. Please enter your User Name and Password.", 240,
                               240, 3825, 540);
  QGroupBox* login = p.fraLogin = ui.Frame(f, "fraLogin", 48, -1, 120, 840, 4065, 2250);
  p.cmdDeleteUser = ui.Button(login, "cmdDeleteUser", 49, "&Delete User", 2700, 1710, 1245);
  p.cmdNewUser = ui.Button(login, "cmdNewUser", 50, "&New User", 1380, 1710, 1245);
  p.cmbUserNames = new QComboBox(login);
  p.cmbUserNames->setEditable(false);
  PanelLayout::Place(p.cmbUserNames, 1380, 270, 2565, 345);
  ui.Register(p.cmbUserNames, ControlKind::ComboBox, "cmbUserNames", 51);
  p.txtPassword = ui.TextBox(login, "txtPassword", 52, kPassword, true, 1380, 780, 2565);
  p.cmdCancel[4] = ui.Button(login, "cmdCancel", 53, "Cancel", 2700, 1260, 1245,
                             PanelLayout::kButtonHeight, 4);
  p.cmdOK[4] = ui.Button(login, "cmdOK", 54, "OK", 1380, 1260, 1245, PanelLayout::kButtonHeight, 4);
  p.lblLabels[1] = ui.Label(login, "lblLabels", 55, "Password:", 120, 810, 1200, 285, 1);
  p.lblLabels[0] = ui.Label(login, "lblLabels", 56, "User Name:", 120, 315, 1200, 285, 0);
  p.cmdAbout = ui.Button(f, "cmdAbout", 69, "About Ostrel", 2385, kBottomTop, 1800);
  p.cmdOptions = ui.Button(f, "cmdOptions", 70, "Options", 120, kBottomTop, 1800);

  // 5 Welcome
  f = p.fra[5] = ui.Frame(window, "fra", 25, 5, kLeft, 0, kWidth, kHeight);
  p.txtEncryptionKey = ui.TextBox(f, "txtEncryptionKey", 26, kMaxEncryptionKeyBytes, true, 240,
                                  1560, 3825);
  p.cmdCancel[5] = ui.Button(f, "cmdCancel", 27, "Cancel", kCancelLeft, kBottomTop, kPairWidth,
                             PanelLayout::kButtonHeight, 5);
  p.cmdContinue = ui.Button(f, "cmdContinue", 28, "Continue", kOkLeft, kBottomTop, kPairWidth);
  p.lblWelcome = ui.Label(f, "lblWelcome", 29, "Welcome to Ostrel !", 240, 180, 3825, 330);
  p.lblWelcome->setFont(Bold(p.lblWelcome->font(), 14));
  p.lblWelcomeKey = ui.Label(f, "lblWelcomeKey", 30,
                             "Please enter an encryption key made of at least 8 letters and "
                             "numbers (up to 20). This key will be used to encrypt all your "
                             "information to ensure privacy of all your usernames and passwords.",
                             240, 540, 3825, 1005);
  p.txtInitialFilePathName = ui.TextBox(f, "txtInitialFilePathName", 76, kPathBytes, false, 240,
                                        2835, 3375);
  p.chkProtect = ui.CheckBox(f, "chkProtect", {26, 1}, "Protect the file with each person's password",
                             240, 1905, 3825, false);
  p.lblWelcomeFile = ui.Label(f, "lblWelcomeFile", 77,
                              "If you already have a Ostrel file containing your username and "
                              "password information, please enter it here:",
                              240, 2145, 3825, 690);
  p.cmdOpenFile = ui.PictureButton(f, "cmdOpenFile", 78, 3660, 2820);

  // 6 NewUser
  f = p.fra[6] = ui.Frame(window, "fra", 31, 6, kLeft, 0, kWidth, kHeight);
  p.lblLabels[4] = ui.Label(f, "lblLabels", 0, "Confirm Password:", 240, 1890, 1560, 285, 4);
  p.lblLabels[2] = ui.Label(f, "lblLabels", 1, "User Name:", 240, 930, 1560, 285, 2);
  p.lblLabels[3] = ui.Label(f, "lblLabels", 2, "Password:", 240, 1410, 1560, 285, 3);
  p.lblNewUser = ui.Label(f, "lblNewUser", 32, "Create a new user:", 240, 300, 3825, 330);
  p.lblNewUser->setFont(Bold(p.lblNewUser->font()));
  p.txtUserName = ui.TextBox(f, "txtUserName", 33, kPassword, false, 1860, 900, 2205);
  p.txtPassword1 = ui.TextBox(f, "txtPassword1", 34, kPassword, true, 1860, 1380, 2205);
  p.txtPassword2 = ui.TextBox(f, "txtPassword2", 35, kPassword, true, 1860, 1860, 2205);
  p.cmdCancel[6] = ui.Button(f, "cmdCancel", 37, "Cancel", kCancelLeft, kBottomTop, kPairWidth,
                             PanelLayout::kButtonHeight, 6);
  p.cmdOK[6] = ui.Button(f, "cmdOK", 38, "OK", kOkLeft, kBottomTop, kPairWidth,
                         PanelLayout::kButtonHeight, 6);

  // 7 ModifyPassword
  f = p.fra[7] = ui.Frame(window, "fra", 36, 7, kLeft, 0, kWidth, kHeight);
  p.txtOldPassword = ui.TextBox(f, "txtOldPassword", 39, kPassword, true, 2220, 900, 1845);
  p.txtNewPassword1 = ui.TextBox(f, "txtNewPassword1", 40, kPassword, true, 2220, 1380, 1845);
  p.txtNewPassword2 = ui.TextBox(f, "txtNewPassword2", 41, kPassword, true, 2220, 1860, 1845);
  p.cmdCancel[7] = ui.Button(f, "cmdCancel", 42, "Cancel", kCancelLeft, kBottomTop, kPairWidth,
                             PanelLayout::kButtonHeight, 7);
  p.cmdOK[7] = ui.Button(f, "cmdOK", 43, "OK", kOkLeft, kBottomTop, kPairWidth,
                         PanelLayout::kButtonHeight, 7);
  p.lblLabels[5] = ui.Label(f, "lblLabels", 44, "Old Password:", 240, 930, 1950, 285, 5);
  p.lblLabels[6] = ui.Label(f, "lblLabels", 45, "New Password:", 240, 1410, 1950, 285, 6);
  p.lblLabels[7] = ui.Label(f, "lblLabels", 46, "Confirm New Password:", 240, 1890, 1950, 285, 7);
  p.lblModifyPassword = ui.Label(f, "lblModifyPassword", 47, "Modify password:", 240, 300, 3825,
                                 330);
  p.lblModifyPassword->setFont(Bold(p.lblModifyPassword->font()));
}

}  // namespace ostrel
