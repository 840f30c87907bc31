#include "window/MainPanels.h"
#include "window/PanelLayout.h"

namespace ostrel {

namespace {

using namespace panel_geometry;
constexpr int kStringBytes = 255;  // a short string of the site record

}  // namespace

void BuildSitePanels(QWidget* window, MainPanels& p, ControlList& controls) {
  PanelLayout ui(controls);

  // 8 ModifySite
  QGroupBox* f = p.fra[8] = ui.Frame(window, "fra", 57, 8, kLeft, 0, kWidth, kHeight);
  QGroupBox* rename = p.Frame1 = ui.Frame(f, "Frame1", 58, -1, 120, 120, 4065, 1215);
  p.txtNewSiteName = ui.TextBox(rename, "txtNewSiteName", 59, kStringBytes, false, 120, 690, 2940);
  p.cmdRenameSite = ui.Button(rename, "cmdRenameSite", 60, "OK", 3180, 660, 735);
  QGroupBox* password = p.Frame2 = ui.Frame(f, "Frame2", 67, -1, 120, 1455, 4065, 1215);
  p.txtNewPassword = ui.TextBox(password, "txtNewPassword", 61, kStringBytes, false, 120, 690,
                                2940);
  p.cmdNewPassword = ui.Button(password, "cmdNewPassword", 62, "OK", 3180, 660, 735);
  p.cmdReRecord = ui.Button(f, "cmdReRecord", 63, "&Re-record", 1485, kBottomTop, 1305);
  p.cmdDeleteSite = ui.Button(f, "cmdDeleteSite", 64, "&Delete Site", 120, kBottomTop, 1305);
  p.lblRenameSite = ui.Label(rename, "lblRenameSite", 65, "Rename Site:", 120, 300, 3780, 285);
  p.cmdCancel[8] = ui.Button(f, "cmdCancel", 66, "Cancel", 2880, kBottomTop, 1305,
                             PanelLayout::kButtonHeight, 8);
  p.lblNewPassword = ui.Label(password, "lblNewPassword", 68, "New Password:", 120, 300, 3780,
                              285);

  // 9 Options
  f = p.fra[9] = ui.Frame(window, "fra", 71, 9, kLeft, 0, kWidth, kHeight);
  p.cmdOK[9] = ui.Button(f, "cmdOK", 72, "OK", kOkLeft, kBottomTop, kPairWidth,
                         PanelLayout::kButtonHeight, 9);
  p.cmdCancel[9] = ui.Button(f, "cmdCancel", 73, "Cancel", kCancelLeft, kBottomTop, kPairWidth,
                             PanelLayout::kButtonHeight, 9);
  QGroupBox* file = p.Frame3 =
      ui.Frame(f, "Frame3", 74, -1, 120, 780, 4065, 2160, QStringLiteral("Your Ostrel file"));
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
}

}  // namespace ostrel
