#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include "platform/qt/ISystemTools.h"
#include "support/MessageBox.h"

namespace ostrel {

// The about box: title, version and description of Ostrel, and a button
// that starts the system's information tool. Shown modally over the main
// window (exec()); messages and the tool go through the services given,
// which must outlive the box.
class frmAbout : public QDialog {
 public:
  frmAbout(IMessageBox& messages, ISystemTools& tools, QWidget* owner = nullptr);

  // Starts the system information tool named by the registry; when there
  // is none (always so on Linux) or it cannot be started, shows "System
  // Information Is Unavailable At This Time". The box stays open.
  void StartSysInfo();

  QLabel* lblTitle = nullptr;
  QLabel* lblVersion = nullptr;
  QLabel* lblDescription = nullptr;
  QLabel* lblDisclaimer = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* picLogo = nullptr;
  QPushButton* cmdOK = nullptr;
  QPushButton* cmdSysInfo = nullptr;

 private:
  IMessageBox& mMessages;
  ISystemTools& mTools;
};

}  // namespace ostrel
