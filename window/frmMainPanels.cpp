// The panel switch, the keyboard roles it sets, focus on activation and
// Cancel.
#include "store/StoreContext.h"
#include "window/Text.h"
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

void frmMain::ShowPanel(int32_t n) {
  if (n < 0 || n >= MainPanels::kPanelCount) return;
  MainPanels& p = mPanels;
  // Disabling the frame that is shown again would take the focus out of it.
  if (mCurrentPanel != -1 && mCurrentPanel != n) p.fra[mCurrentPanel]->setEnabled(false);
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
      p.txtUserName->setFocus();
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
      p.txtNewPassword->setFocus();
      // Focus reaches the box only in an active window; the default button
      // follows it either way.
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
  p.fra[n]->raise();
}

void frmMain::Form_Activate() {
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
    case kNewUser:
      hide();
      break;
    case kOptions:
      ShowPanel(kLogin);
      break;
    default:
      ShowPanel(kSiteList);
      break;
  }
}

}  // namespace ostrel
