// Tab, Enter and Escape, seen before the focused control sees them.
#include <QKeyEvent>

#include "window/frmMain.h"

namespace ostrel {

bool frmMain::HandleKey(QKeyEvent* event) {
  int16_t keyCode = 0, shift = 0;
  if (!KeyDispatcher::Translate(*event, keyCode, shift)) return false;
  // On SiteList, Escape empties the filter box before it logs off.
  if (keyCode == KeyDispatcher::kEscape && shift == 0 && mLoaded && mCurrentPanel == kSiteList &&
      !mPanels.txtFilter->text().isEmpty()) {
    mPanels.txtFilter->clear();
    return true;
  }
  // Tab never reaches Qt's own focus chain, and Enter and Escape never reach
  // the focused control.
  if (mLoaded) Guarded([&] { mKeys->KeyDown(keyCode, shift, focusWidget()); });
  return true;
}

void frmMain::PressButton(const ControlEntry& button) {
  const std::string& name = button.name;
  const int16_t index = button.index;
  if (name == "cmdCancel") cmdCancel_Click(index);
  else if (name == "cmdChangePassword") cmdChangePassword_Click();
  else if (name == "cmdContinue") cmdContinue_Click();
  else if (name == "cmdDeleteSite") cmdDeleteSite_Click();
  else if (name == "cmdDeleteUser") cmdDeleteUser_Click();
  else if (name == "cmdEdit") cmdEdit_Click();
  else if (name == "cmdGoto") cmdGoto_Click();
  else if (name == "cmdLogOff") cmdLogOff_Click();
  else if (name == "cmdNewPassword") cmdNewPassword_Click();
  else if (name == "cmdNewSite") cmdNewSite_Click();
  else if (name == "cmdNewUser") cmdNewUser_Click();
  else if (name == "cmdOK") cmdOK_Click(index);
  else if (name == "cmdRecord") cmdRecord_Click();
  else if (name == "cmdRenameSite") cmdRenameSite_Click();
  else if (name == "cmdReRecord") cmdReRecord_Click();
  else if (name == "cmdSave") cmdSave_Click();
  else if (name == "cmdNextStep") cmdNextStep_Click();
  else if (name == "cmdGenerate") cmdGenerate_Click();
  else if (name == "cmdCopyNewPassword") cmdCopyNewPassword_Click();
  // The about, options and file buttons work only with their own click.
}

void frmMain::CancelButton(const ControlEntry& button) {
  if (button.name == "cmdCancel") {
    cmdCancel_Click(button.index);
  } else if (button.name == "cmdLogOff") {
    cmdLogOff_Click();
  }
}

}  // namespace ostrel
