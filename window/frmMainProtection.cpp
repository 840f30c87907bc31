// A password file protected with each person's password: picking up a file
// protected elsewhere, the encryption key asked in a short dialog, protecting
// the file in use and setting a forgotten password anew (Options).
#include <optional>
#include <string>

#include "store/FileProtection.h"
#include "store/SlotLimits.h"
#include "window/Text.h"
#include "window/frmMain.h"

namespace ostrel {

namespace {

const char kProtected[] = "This Ostrel file is protected with each person's password already.";

}  // namespace

void frmMain::PickUpHeader() {
  auto header = std::make_unique<FileInfo>(*mContext);
  if (header->Protected() != mContext->Protected()) FileProtection::Prepare(*mContext, *header);
  FileHeader = std::move(header);
}

bool frmMain::ProtectedElsewhere() {
  try {
    return !mContext->Protected() && FileInfo(*mContext).Protected();
  } catch (const OstrelError&) {
    return false;
  }
}

bool frmMain::UnlockWithEncryptionKey(const std::string& prompt, const std::string& refused) {
  const std::optional<std::string> typed = mServices.messages->AskSecret(prompt);
  if (!typed) return false;
  const std::string key = TrimBlanks(*typed);
  const bool right = mContext->Protected() ? FileProtection::Unlock(*mContext, *FileHeader, key)
                                           : !key.empty() && key == FileHeader->EncryptionKey();
  if (!right) Message(refused);
  return right;
}

// The recovery key stays the file's encryption key unless the person types
// a new one (twice) in the second dialog.
void frmMain::cmdProtectFile_Click() {
  PickUpHeader();
  if (FileHeader->Protected()) {
    Message(kProtected);
    return;
  }
  if (!Ask("Protect this Ostrel file with each person's password? From then on it opens only with "
           "a user's password or the file's encryption key. This cannot be undone.")) {
    return;
  }
  if (!UnlockWithEncryptionKey("Type the encryption key of this Ostrel file:",
                               "Invalid encryption key. The file was not changed.")) {
    return;
  }
  const std::optional<std::string> typed = mServices.messages->AskSecret(
      "The encryption key will open the file and reset forgotten passwords. Click OK to keep it, "
      "or type a new encryption key of at least 8 characters:");
  if (!typed) return;
  std::string recovery = TrimBlanks(*typed);
  if (!recovery.empty()) {
    if (CharacterCount(recovery) < static_cast<size_t>(kMinEncryptionKeyLength)) {
      Message("The encryption key has to be at least 8 character long. The file was not changed.");
      return;
    }
    const std::optional<std::string> again = mServices.messages->AskSecret("Type the new encryption key again:");
    if (!again || TrimBlanks(*again) != recovery) {
      if (again) Message("The two encryption keys did not match. The file was not changed.");
      return;
    }
  }
  SetBusy(true);
  try {
    FileProtection::Convert(*mContext, recovery);
  } catch (...) {
    SetBusy(false);
    throw;
  }
  SetBusy(false);
  FileProtection::Lock(*mContext);
  FileHeader = std::make_unique<FileInfo>(*mContext);
  Message("This Ostrel file is now protected with each person's password.");
}

void frmMain::cmdResetPassword_Click() {
  const int16_t i = SelectedUserIndex();
  if (i == -1) {
    Message("Select the user on the Login panel first, then come back to set a new password.");
    return;
  }
  PickUpHeader();
  const std::string name = Users->UserName(i);
  const FileProtection::LockOnExit relock(*mContext);
  if (!UnlockWithEncryptionKey("To set a new password for " + name + ", type the encryption key of this Ostrel file:",
                               "Invalid encryption key. The password was not changed.")) {
    return;
  }
  const std::optional<std::string> first = mServices.messages->AskSecret("The new password for " + name + ":");
  if (!first) return;
  const std::optional<std::string> second = mServices.messages->AskSecret("The new password again:");
  if (!second) return;
  const std::string password = TrimBlanks(*first);
  if (password != TrimBlanks(*second) || IsBlank(password)) {
    Message(IsBlank(password) ? "Please enter a password: it may not be empty or made of blanks only."
                              : "Your new password entries did not match.");
    return;
  }
  if (!mContext->Protected() && name.size() + password.size() > static_cast<size_t>(kMaxUserNamePasswordBytes)) {
    Message("The user name and the password are too long: together they may have at most " +
            std::to_string(kMaxUserNamePasswordBytes) + " bytes.");
    return;
  }
  Users->ChangePassword(i, password);
  Message("The password of " + name + " was changed.");
}

}  // namespace ostrel
