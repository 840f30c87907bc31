// Copying a site's user name or password, and the password generator of
// ModifySite.
#include "store/WebRecord.h"
#include "window/PasswordGenerator.h"
#include "window/Text.h"
#include "window/frmMain.h"

namespace ostrel {

namespace {

constexpr int32_t kTextInput = 1;      // control type codes
constexpr int32_t kPasswordInput = 3;

}  // namespace

void frmMain::CopyFromSite(int32_t ctlType) {
  const int row = ListIndex();
  if (mCurrentPanel != kSiteList || row < 0) return;
  WebRecord record(*mContext);
  record.Retrieve(ListedAt(row));
  // A login of several steps may hold its password in a later one.
  for (int16_t k = 1; k <= record.StepCount(); ++k) {
    for (const ControlInfo& control : record.Step(k).Controls) {
      if (control.CtlType == ctlType && !control.Value.empty()) {
        mClipboard->Put(control.Value);
        return;
      }
    }
  }
  Message(ctlType == kPasswordInput
              ? "This site's login holds no password, so nothing was copied."
              : "This site's login holds no user name, so nothing was copied.");
}

void frmMain::mnuCopyUserName_Click() { CopyFromSite(kTextInput); }

void frmMain::mnuCopyPassword_Click() { CopyFromSite(kPasswordInput); }

void frmMain::cmdGenerate_Click() {
  const MainPanels& p = mPanels;
  PasswordGenerator::Rules rules;
  rules.length = p.spnLength->value();
  rules.upper = p.chkUpper->isChecked();
  rules.lower = p.chkLower->isChecked();
  rules.digits = p.chkDigits->isChecked();
  rules.symbols = p.chkSymbols->isChecked();
  const std::string password = PasswordGenerator::Generate(rules);
  if (password.empty()) {
    Message("Choose at least one kind of character for the new password.");
    return;
  }
  p.txtNewPassword->setText(FromUtf8(password));
  p.txtNewPasswordConfirm->setText(FromUtf8(password));
  p.txtNewPassword->setFocus();
}

void frmMain::cmdCopyNewPassword_Click() {
  const std::string password = Text(mPanels.txtNewPassword);
  if (!password.empty()) mClipboard->Put(password);
}

void frmMain::chkShowPassword_Click(bool shown) {
  const QLineEdit::EchoMode mode = shown ? QLineEdit::Normal : QLineEdit::Password;
  mPanels.txtNewPassword->setEchoMode(mode);
  mPanels.txtNewPasswordConfirm->setEchoMode(mode);
}

}  // namespace ostrel
