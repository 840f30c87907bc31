// Users and login: log in, create a user, delete a user with all of their
// sites, change the password, log off, the about box.
#include <optional>
#include <string>

#include <QLineEdit>

#include "store/FileProtection.h"
#include "store/SlotLimits.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"
#include "support/WindowPlacement.h"
#include "window/Text.h"
#include "window/WidgetGeometry.h"
#include "window/frmAbout.h"
#include "window/frmMain.h"

namespace ostrel {

namespace {

const char kNoMatch[] = "Your new password entries did not match.";
const char kBlankPassword[] =
    "Please enter a password: it may not be empty or made of blanks only.";

std::string TooLongText() {
  return "The user name and the password are too long: together they may have at most " +
         std::to_string(kMaxUserNamePasswordBytes) + " bytes.";
}

// A protected file stores no password: only the name counts.
bool TooLong(bool isProtected, const std::string& name, const std::string& password, std::string& why) {
  if (isProtected) {
    why = "The user name is too long: in a file protected with each person's password it may have at most " +
          std::to_string(kMaxProtectedUserNameBytes) + " bytes.";
    return name.size() > static_cast<size_t>(kMaxProtectedUserNameBytes);
  }
  why = TooLongText();
  return name.size() + password.size() > static_cast<size_t>(kMaxUserNamePasswordBytes);
}

}  // namespace

std::optional<std::string> frmMain::NewPasswordTypedTwice(QLineEdit* first, QLineEdit* second) {
  const std::string password = TrimBlanks(Text(first));
  const bool match = password == TrimBlanks(Text(second));
  if (match && !IsBlank(password)) return password;
  // A blank password would let anyone log in with a bare Enter.
  Message(match ? kBlankPassword : kNoMatch);
  first->clear();
  second->clear();
  first->setFocus();
  return std::nullopt;
}

void frmMain::cmdOK_Click(int16_t Index) {
  switch (Index) {
    case kLogin: LoginOK(); break;
    case kNewUser: NewUserOK(); break;
    case kModifyPassword: ModifyPasswordOK(); break;
    case kOptions: OptionsOK(); break;
    default: break;
  }
}

void frmMain::LoginOK() {
  const int16_t i = SelectedUserIndex();
  if (i == -1) {
    // Nobody to log in: the table is not asked at all.
    Message("Select a user from the list before you click on the OK button.");
    return;
  }
  PickUpHeader();
  if (Users->CheckPassword(i, Text(mPanels.txtPassword))) {
    SaveSetting("User", std::to_string(i));
    mLoggedInUserID = Users->GetUserID(i);
    RefreshSiteList();
    ShowPanel(kSiteList);
    SelectFirstSite();
  } else {
    ShowError(err::kInvalidPassword);
    mPanels.txtPassword->clear();
    mPanels.txtPassword->setFocus();
  }
}

void frmMain::NewUserOK() {
  MainPanels& p = mPanels;
  const std::string name = TrimBlanks(Text(p.txtUserName));
  if (IsBlank(name)) {
    p.txtUserName->setFocus();
    p.txtPassword1->clear();
    p.txtPassword2->clear();
    return;
  }
  for (int16_t i = 1; i <= Users->Count(); ++i) {
    if (Users->UserName(i) == name) {
      // The login list could not tell the two apart.
      Message("There is already a user named \"" + name + "\". Please choose another name.");
      p.txtUserName->setFocus();
      p.txtUserName->selectAll();
      return;
    }
  }
  const std::optional<std::string> password = NewPasswordTypedTwice(p.txtPassword1, p.txtPassword2);
  if (!password) return;
  const std::string& first = *password;
  if (Users->Count() >= kMaxUsers) {
    Message("This Ostrel file already holds " + std::to_string(kMaxUsers) +
            " users, the most it can hold. Delete a user before you create another one.");
    return;
  }
  std::string why;
  if (TooLong(mContext->Protected(), name, first, why)) {
    Message(why);
    return;
  }
  // Only who knows the file's encryption key adds a person to a protected
  // file (whoever is creating the file holds its data key already).
  if (mContext->Protected() && !mContext->DataCipher.HasKey() &&
      !UnlockWithEncryptionKey("To create a user, type the encryption key of this Ostrel file:",
                               "Invalid encryption key. No user was created.")) {
    return;
  }
  int16_t lastUserID = FileHeader->LastUserID();
  if (lastUserID == INT16_MAX) throw OstrelError(err::kOverflow);
  // The header takes the new id first: if writing the user then fails, an id
  // is skipped, but no two users can ever get the same one.
  FileHeader->SetLastUserID(static_cast<int16_t>(lastUserID + 1));
  Users->CreateUser(lastUserID, name, first);
  SaveSetting("User", "-2");
  FillUserList();
  mLoggedInUserID = lastUserID;
  RefreshSiteList();
  ShowPanel(kSiteList);
}

void frmMain::ModifyPasswordOK() {
  MainPanels& p = mPanels;
  const int16_t i = SelectedUserIndex();
  if (!Users->CheckPassword(i, TrimBlanks(Text(p.txtOldPassword)))) {
    ShowError(err::kInvalidPassword);
    ShowPanel(kModifyPassword);
    return;
  }
  const std::optional<std::string> password =
      NewPasswordTypedTwice(p.txtNewPassword1, p.txtNewPassword2);
  if (!password) return;
  const std::string& first = *password;
  std::string why;
  if (TooLong(mContext->Protected(), Users->UserName(i), first, why)) {
    Message(why);
    return;
  }
  Users->ChangePassword(i, first);
  ShowPanel(kSiteList);
}

void frmMain::cmdNewUser_Click() {
  ShowPanel(kNewUser);
  mPanels.txtUserName->setFocus();
}

// Only the user themself may delete their user and sites: the password
// typed in the Password box must be theirs.
void frmMain::cmdDeleteUser_Click() {
  const int16_t i = SelectedUserIndex();
  if (i == -1) {
    Message("Select a user from the list before you click on the Delete button.");
    return;
  }
  const std::string name = Users->UserName(i);
  const std::string typed = Text(mPanels.txtPassword);
  // A protected file takes the file's encryption key as well (for a person
  // who left); either leaves the data key in memory only for this handler.
  const FileProtection::LockOnExit relock(*mContext);
  const bool allowed = Users->CheckPassword(i, typed) ||
                       (mContext->Protected() && !typed.empty() &&
                        FileProtection::Unlock(*mContext, *FileHeader, TrimBlanks(typed)));
  if (!allowed) {
    Message(typed.empty() ? "To delete the user " + name + ", type their password" +
                                (mContext->Protected() ? " (or the file's encryption key)" : "") +
                                " in the Password box, then click on the Delete button."
                          : "Invalid password. The user " + name + " was not deleted.");
    mPanels.txtPassword->clear();
    mPanels.txtPassword->setFocus();
    return;
  }
  if (!Ask("Delete the user " + name + " and all of their sites?")) return;
  // One change: the user and all of their sites, or nothing.
  Users->DeleteUserWithSites(i, name);
  SaveSetting("User", "-1");
  FillUserList();
  ShowPanel(kLogin);
}

void frmMain::cmdChangePassword_Click() {
  ShowPanel(kModifyPassword);
  mPanels.txtOldPassword->setFocus();
}

void frmMain::cmdLogOff_Click() {
  if (mHooks) mHooks->EndRecording();
  ForgetUser();
  ShowPanel(kLogin);
  mPanels.txtPassword->setFocus();
}

void frmMain::cmdAbout_Click() {
  frmAbout about(*mServices.messages, *mServices.tools, this,
                 {mContext->PasswordFileName, mServices.browserVersion});
  WidgetGeometry aboutGeometry(about);
  WidgetGeometry mainGeometry(*this);
  CentreForm(aboutGeometry, mainGeometry.Top(), mainGeometry.Left(), mainGeometry.Height(),
             mainGeometry.Width());
  about.exec();
}

void frmMain::LogOffIdle() {
  if (mHooks) mHooks->EndRecording();
  if (mCurrentPanel != kWelcome && mPanels.cmbUserNames->count() > 0) ShowPanel(kLogin);
  ForgetUser();
  hide();
}

void frmMain::ForgetUser() {
  mLoggedInUserID = -1;
  if (mContext) FileProtection::Lock(*mContext);
  for (QLineEdit* box : mPanels.SecretBoxes()) box->clear();
  mPanels.lstSites->clear();
  mPanels.txtFilter->clear();
  mClipboard->Clear();
  mListedOwner = -1;
  UpdateCaption();
}

int16_t frmMain::CurrentUserID() {
  if (!Users) throw OstrelError(err::kObjectRequired);
  // The entry chosen in the user list is nobody's until a login: nothing is
  // read or saved for a user who has not typed their password.
  if (mLoggedInUserID == -1) {
    throw OstrelError(err::kObjectRequired, "nobody is logged in", "Please log in first.");
  }
  int16_t id = -1;
  try {
    id = Users->GetUserID(SelectedUserIndex());
  } catch (const OstrelError&) {
    // An empty slot now: the same case as below.
  }
  // Another program may have deleted a user above this one in the table:
  // the entry chosen at login then stands for somebody else.
  if (id != mLoggedInUserID) {
    mLoggedInUserID = -1;
    mPanels.lstSites->clear();
    FillUserList();
    ShowPanel(kLogin);
    throw OstrelError(err::kRecordChanged, "user " + std::to_string(SelectedUserIndex()) + " is now another user",
                      "The list of users was changed by another Ostrel window or program in the meantime; "
                      "please log in again.");
  }
  return id;
}

}  // namespace ostrel
