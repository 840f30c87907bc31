// The panel switch, the keyboard roles it sets, focus on activation and
// Cancel.
#include "store/StoreContext.h"
#include "window/Text.h"
#include "store/FileProtection.h"
#include "window/frmMain.h"

namespace ostrel {

void frmMain::SetDefaultButton(CommandButton* button) {
  if (mDefaultButton == button) return;
  if (mDefaultButton) mDefaultButton->SetDefault(false);
  mDefaultButton = button;
  if (button) button->SetDefault(true);
}

void frmMain::SetCancelButton(CommandButton* button) {
  if (mCancelButton == button) return;
  if (mCancelButton) mCancelButton->SetCancel(false);
  mCancelButton = button;
  if (button) button->SetCancel(true);
}

QWidget* frmMain::FocusOfPanel(int32_t n) const {
  const MainPanels& p = mPanels;
  switch (n) {
    case kSiteList: return p.txtFilter;
    case kRecordReady: return p.cmdRecord;
    case kRecording: return p.cmdCancel[kRecording];
    case kNameSite: return p.txtSiteName;
    case kLogin: return p.txtPassword;
    case kWelcome: return p.txtEncryptionKey;
    case kNewUser: return p.txtUserName;
    case kModifyPassword: return p.txtOldPassword;
    case kModifySite: return p.txtNewPassword;
    default: return p.txtFileName;
  }
}

void frmMain::ShowPanel(int32_t n) {
  if (n < 0 || n >= MainPanels::kPanelCount) return;
  MainPanels& p = mPanels;
  const int32_t previous = mCurrentPanel;
  // Disabling the frame that is shown again would take the focus out of it.
  // A panel left keeps no secret typed into it.
  if (mCurrentPanel != -1 && mCurrentPanel != n) {
    p.fra[mCurrentPanel]->setEnabled(false);
    for (QLineEdit* box : p.SecretBoxes(mCurrentPanel)) box->clear();
    if (mCurrentPanel == kModifySite) p.chkShowPassword->setChecked(false);
  }
  p.fra[n]->setEnabled(true);
  switch (n) {
    case kSiteList:
      p.lstSites->clearSelection();
      p.lstSites->setCurrentRow(-1);
      SetCancelButton(p.cmdLogOff);
      SetDefaultButton(p.cmdGoto);
      break;
    case kRecordReady:
      SetCancelButton(p.cmdCancel[1]);
      SetDefaultButton(p.cmdRecord);
      break;
    case kRecording:
      SetCancelButton(p.cmdCancel[2]);
      break;
    case kNameSite:
      SetDefaultButton(p.cmdSave);
      SetCancelButton(p.cmdCancel[3]);
      break;
    case kLogin:
      p.txtPassword->clear();
      SetCancelButton(p.cmdCancel[4]);
      SetDefaultButton(p.cmdOK[4]);
      break;
    case kWelcome:
      SetCancelButton(p.cmdCancel[5]);
      SetDefaultButton(p.cmdContinue);
      break;
    case kNewUser:
      p.txtUserName->clear();
      p.txtPassword1->clear();
      p.txtPassword2->clear();
      SetCancelButton(p.cmdCancel[6]);
      SetDefaultButton(p.cmdOK[6]);
      break;
    case kModifyPassword:
      p.txtOldPassword->clear();
      p.txtNewPassword1->clear();
      p.txtNewPassword2->clear();
      SetCancelButton(p.cmdCancel[7]);
      SetDefaultButton(p.cmdOK[7]);
      break;
    case kModifySite:
      p.txtNewPassword->clear();
      p.txtNewPasswordConfirm->clear();
      // The focus goes to this box below; the default button follows it
      // even while the window is not active.
      SetDefaultButton(p.cmdNewPassword);
      SetCancelButton(p.cmdCancel[8]);
      break;
    case kOptions:
      p.txtFileName->setText(mContext ? FromUtf8(mContext->PasswordFileName) : QString());
      SetCancelButton(p.cmdCancel[9]);
      SetDefaultButton(p.cmdOK[9]);
      break;
  }
  mCurrentPanel = n;
  UpdateCaption();
  p.fra[n]->raise();
  // Disabling the old frame took the focus away. The panel's own control
  // takes it, except when the panel was switched to again with the focus
  // still inside (NewUser and ModifySite always take theirs).
  QWidget* focus = focusWidget();
  const bool keep = n == previous && focus && p.fra[n]->isAncestorOf(focus) && n != kNewUser &&
                    n != kModifySite;
  if (!keep) FocusOfPanel(n)->setFocus(Qt::OtherFocusReason);
  if (n == kNameSite) {
    // A recording ended in the browser: the window comes forward to be
    // given the site's name, which is ready to be typed over.
    p.txtSiteName->selectAll();
    if (isVisible()) {
      if (isMinimized()) showNormal();
      raise();
      activateWindow();
    }
  }
}

// The caption names the user while one is logged in.
void frmMain::UpdateCaption() {
  QString caption = QStringLiteral("Ostrel");
  if (mLoggedInUserID != -1) caption += QStringLiteral(" - ") + mPanels.cmbUserNames->currentText();
  if (windowTitle() != caption) setWindowTitle(caption);
}

// The focus a handler (or the person) put on a control of the panel shown
// stays there: moving it to the panel's first field would send the next
// keys typed for a password box into the plain user-name box.
void frmMain::Form_Activate() {
  if (mCurrentPanel < 0) return;
  QWidget* focus = focusWidget();
  if (focus && focus->isEnabled() && mPanels.fra[mCurrentPanel]->isAncestorOf(focus)) return;
  switch (mCurrentPanel) {
    case kLogin: mPanels.txtPassword->setFocus(); break;
    case kWelcome: mPanels.txtEncryptionKey->setFocus(); break;
    case kNewUser: mPanels.txtUserName->setFocus(); break;
    default: break;
  }
}

void frmMain::cmdCancel_Click(int16_t Index) {
  switch (Index) {
    case kLogin:
    case kWelcome:
      hide();
      break;
    case kNewUser:
      // The data key of a file just made is not kept for whoever comes back.
      if (mLoggedInUserID == -1) FileProtection::Lock(*mContext);
      hide();
      break;
    case kOptions:
      ShowPanel(kLogin);
      break;
    case kRecordReady:
    case kRecording:
    case kNameSite:
      // A recording given up is over: the page no longer moves the window.
      if (mHooks) mHooks->EndRecording();
      ShowPanel(kSiteList);
      break;
    default:
      ShowPanel(kSiteList);
      break;
  }
}

}  // namespace ostrel
