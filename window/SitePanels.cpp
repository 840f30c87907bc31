#include "window/MainPanels.h"
#include "window/PanelLayout.h"
#include "window/PasswordGenerator.h"

namespace ostrel {

namespace {

using namespace panel_geometry;
constexpr int kStringBytes = 255;  // a short string of the site record

}  // namespace

void BuildSitePanels(QWidget* window, MainPanels& p, ControlList& controls) {
  PanelLayout ui(controls);

  // 8 ModifySite. The new password is typed twice, masked, like every
  // other password of the window.
  QGroupBox* f = p.fra[8] = ui.Frame(window, "fra", 57, 8, kLeft, 0, kWidth, kHeight);
  QGroupBox* rename = p.Frame1 = ui.Frame(f, "Frame1", 58, -1, 120, 60, 4065, 900);
  p.txtNewSiteName = ui.TextBox(rename, "txtNewSiteName", 59, kStringBytes, false, 120, 480, 2940);
  p.cmdRenameSite = ui.Button(rename, "cmdRenameSite", 60, "OK", 3180, 450, 735);
  QGroupBox* password = p.Frame2 = ui.Frame(f, "Frame2", 67, -1, 120, 1020, 4065, 2160);
  p.txtNewPassword = ui.TextBox(password, "txtNewPassword", 61, kStringBytes, true, 1740, 210,
                                2205);
  p.txtNewPasswordConfirm = ui.TextBox(password, "txtNewPasswordConfirm", {61, 1}, kStringBytes,
                                       true, 1740, 600, 2205);
  p.cmdGenerate = ui.Button(password, "cmdGenerate", {61, 2}, "&Generate", 120, 990, 1200);
  p.spnLength = ui.SpinBox(password, "spnLength", {61, 3}, PasswordGenerator::kMinLength,
                           PasswordGenerator::kMaxLength, PasswordGenerator::kDefaultLength, 1440,
                           1020, 780);
  p.lblLength = PanelLayout::PlainLabel(password, "characters", 2310, 1050, 1635, 285);
  p.chkUpper = ui.CheckBox(password, "chkUpper", {61, 4}, "A-Z", 120, 1395, 930, true);
  p.chkLower = ui.CheckBox(password, "chkLower", {61, 5}, "a-z", 1080, 1395, 930, true);
  p.chkDigits = ui.CheckBox(password, "chkDigits", {61, 6}, "0-9", 2040, 1395, 930, true);
  p.chkSymbols = ui.CheckBox(password, "chkSymbols", {61, 7}, "!#$%", 3000, 1395, 990, true);
  p.chkShowPassword = ui.CheckBox(password, "chkShowPassword", {61, 8}, "Sho&w", 120, 1740, 1200,
                                  false);
  p.cmdCopyNewPassword = ui.Button(password, "cmdCopyNewPassword", {61, 9}, "C&opy", 1440, 1710,
                                   1200);
  p.cmdNewPassword = ui.Button(password, "cmdNewPassword", 62, "OK", 3210, 1710, 735);
  p.cmdReRecord = ui.Button(f, "cmdReRecord", 63, "&Re-record", 1485, kBottomTop, 1305);
  p.cmdDeleteSite = ui.Button(f, "cmdDeleteSite", 64, "&Delete Site", 120, kBottomTop, 1305);
  p.lblRenameSite = ui.Label(rename, "lblRenameSite", 65, "Rename Site:", 120, 210, 3780, 285);
  p.cmdCancel[8] = ui.Button(f, "cmdCancel", 66, "Cancel", 2880, kBottomTop, 1305,
                             PanelLayout::kButtonHeight, 8);
  p.lblNewPassword = ui.Label(password, "lblNewPassword", 68, "New Password:", 120, 240, 1560,
                              285);
  p.lblNewPasswordConfirm = ui.Label(password, "lblNewPasswordConfirm", {68, 1},
                                     "Confirm Password:", 120, 630, 1560, 285);

  // 9 Options
  f = p.fra[9] = ui.Frame(window, "fra", 71, 9, kLeft, 0, kWidth, kHeight);
  p.cmdOK[9] = ui.Button(f, "cmdOK", 72, "OK", kOkLeft, kBottomTop, kPairWidth,
                         PanelLayout::kButtonHeight, 9);
  p.cmdCancel[9] = ui.Button(f, "cmdCancel", 73, "Cancel", kCancelLeft, kBottomTop, kPairWidth,
                             PanelLayout::kButtonHeight, 9);
  QGroupBox* file = p.Frame3 =
      ui.Frame(f, "Frame3", 74, -1, 120, 660, 4065, 2040, QStringLiteral("Your Ostrel file"));
  p.lblOptions = ui.Label(f, "lblOptions", 75, "Ostrel Options", 240, 240, 3825, 360);
  QFont heading = p.lblOptions->font();
  heading.setBold(true);
  heading.setPixelSize(14);
  p.lblOptions->setFont(heading);
  p.cmdChangeFile = ui.PictureButton(file, "cmdChangeFile", 79, 3540, 405);
  p.txtFileName = ui.TextBox(file, "txtFileName", 80, kPathBytes, false, 120, 420, 3345);
  p.cmdCopyFile = ui.Button(file, "cmdCopyFile", 81, "Copy ", 120, 1560, 1305);
  p.lblCopyFile = ui.Label(file, "lblCopyFile", 82,
                           "To copy your current Ostrel file to another location, click here ",
                           120, 960, 3780, 540);
  p.cmdProtectFile = ui.Button(f, "cmdProtectFile", {82, 1}, "Protect the File...", 120, 2760, 1995);
  p.cmdProtectFile->setToolTip(QStringLiteral("Protect the file with each person's password"));
  p.cmdResetPassword = ui.Button(f, "cmdResetPassword", {82, 2}, "Reset a Password...", 2190, 2760, 1995);
}

}  // namespace ostrel
