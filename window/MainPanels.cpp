#include "window/MainPanels.h"

#include "store/SlotLimits.h"
#include "window/PanelLayout.h"
#include "window/Twips.h"

namespace ostrel {

namespace {

constexpr int kClientWidth = 4485;
constexpr int kClientHeight = 3945;

}  // namespace

void BuildMainPanels(QWidget* window, MainPanels& panels, ControlList& controls) {
  window->setFixedSize(TwipsToPixels(kClientWidth), TwipsToPixels(kClientHeight));
  BuildSiteListPanels(window, panels, controls);
  BuildLoginPanels(window, panels, controls);
  BuildSitePanels(window, panels, controls);
  // Each panel frame paints its whole area, so the one in front hides the
  // others.
  for (QGroupBox* frame : panels.fra) frame->setAutoFillBackground(true);
}

std::vector<QLineEdit*> MainPanels::SecretBoxes(int n) const {
  switch (n) {
    case 4: return {txtPassword};
    case 5: return {txtEncryptionKey};
    case 6: return {txtPassword1, txtPassword2};
    case 7: return {txtOldPassword, txtNewPassword1, txtNewPassword2};
    case 8: return {txtNewPassword, txtNewPasswordConfirm};
    default: return {};
  }
}

std::vector<QLineEdit*> MainPanels::SecretBoxes() const {
  std::vector<QLineEdit*> all;
  for (int n = 0; n < kPanelCount; ++n) {
    for (QLineEdit* box : SecretBoxes(n)) all.push_back(box);
  }
  return all;
}

void BuildSiteListPanels(QWidget* window, MainPanels& p, ControlList& controls) {
  PanelLayout ui(controls);
  using namespace panel_geometry;

  // 0 SiteList
  QGroupBox* f = p.fra[0] = ui.Frame(window, "fra", 3, 0, kLeft, 0, kWidth, kHeight);
  p.cmdNewSite = ui.Button(f, "cmdNewSite", 4, "New Site", 2940, 1200, 1245);
  p.cmdChangePassword = ui.Button(f, "cmdChangePassword", 5, "Change Ostrel Password", 120,
                                  kBottomTop, 2700);
  // The filter box above the list narrows it to the names holding what is
  // typed.
  p.txtFilter = ui.TextBox(f, "txtFilter", {5, 1}, 255, false, 120, 240, 2700);
  p.txtFilter->setPlaceholderText(QStringLiteral("Find a site"));
  p.txtFilter->setClearButtonEnabled(true);
  p.lstSites = new SiteList(f);
  PanelLayout::Place(p.lstSites, 120, 630, 2700, 2430);
  ui.Register(p.lstSites, ControlKind::ListBox, "lstSites", 6);
  p.lstSites->setContextMenuPolicy(Qt::ActionsContextMenu);
  p.actCopyUserName = new QAction(QStringLiteral("Copy &User Name"), p.lstSites);
  p.actCopyUserName->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
  p.actCopyPassword = new QAction(QStringLiteral("Copy &Password"), p.lstSites);
  p.actCopyPassword->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
  for (QAction* action : {p.actCopyUserName, p.actCopyPassword}) {
    action->setShortcutContext(Qt::WidgetShortcut);
    action->setShortcutVisibleInContextMenu(true);
    p.lstSites->addAction(action);
    p.txtFilter->addAction(action);
  }
  p.cmdLogOff = ui.Button(f, "cmdLogOff", 7, "Log Off", 2940, kBottomTop, 1245);
  p.cmdEdit = ui.Button(f, "cmdEdit", 8, "&Modify", 2940, 720, 1245);
  p.cmdGoto = ui.Button(f, "cmdGoto", 9, "&Go To", 2940, 240, 1245);

  // 3 NameSite
  f = p.fra[3] = ui.Frame(window, "fra", 10, 3, kLeft, 0, kWidth, kHeight);
  p.txtSiteName = ui.TextBox(f, "txtSiteName", 11, 255, false, 240, 1380, 3825);
  p.cmdCancel[3] = ui.Button(f, "cmdCancel", 12, "Cancel", kCancelLeft, kBottomTop, kPairWidth,
                             PanelLayout::kButtonHeight, 3);
  p.cmdSave = ui.Button(f, "cmdSave", 13, "&Save", kOkLeft, kBottomTop, kPairWidth);
  // The login goes on: a second page or view (the password after the user
  // name, a security question).
  p.cmdNextStep = ui.Button(f, "cmdNextStep", 90, "Record Another S&tep", kOkLeft, 2400, 3105);
  p.lblNameSite = ui.Label(f, "lblNameSite", 14,
                           "Your personal information for this website has been successfully "
                           "recorded. Please enter the name for the website:",
                           240, 360, 3825, 900);

  // 2 Recording
  f = p.fra[2] = ui.Frame(window, "fra", 15, 2, kLeft, 0, kWidth, kHeight);
  p.cmdCancel[2] = ui.Button(f, "cmdCancel", 16, "Cancel", 1440, kBottomTop, kPairWidth,
                             PanelLayout::kButtonHeight, 2);
  p.lblRecording = ui.Label(f, "lblRecording", 17,
                            "Now enter your username and password as you usually do and submit "
                            "your information.",
                            240, 1200, 3825, 900);

  // 1 RecordReady
  f = p.fra[1] = ui.Frame(window, "fra", 18, 1, kLeft, 0, kWidth, kHeight);
  p.cmdCancel[1] = ui.Button(f, "cmdCancel", 19, "Cancel", kCancelLeft, kBottomTop, kPairWidth,
                             PanelLayout::kButtonHeight, 1);
  p.cmdRecord = ui.Button(f, "cmdRecord", 20, "Start Recording", kOkLeft, kBottomTop, kPairWidth);
  p.lblReady = ui.Label(f, "lblReady", 21,
                        "Ostrel is now ready to record your username and password on the website "
                        "of your choice.",
                        240, 240, 3825, 660);
  p.lblReadyHowTo = ui.Label(f, "lblReadyHowTo", 22,
                             "Go to the login page of the website where you wish to use Ostrel and "
                             "then click on the Start Recording button to start recording.",
                             240, 1020, 3825, 900);
  p.lblReadyWarning = ui.Label(f, "lblReadyWarning", 83,
                               "Warning: Do not enter any information on the webpage until you "
                               "click on the Start Recording button.",
                               240, 2040, 3825, 900);
  QFont bold = p.lblReadyWarning->font();
  bold.setBold(true);
  p.lblReadyWarning->setFont(bold);
}

}  // namespace ostrel
