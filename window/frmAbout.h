#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <string>
#include <vector>

#include "platform/qt/ISystemTools.h"
#include "support/MessageBox.h"

namespace ostrel {

// The about box: title, version and description of Ostrel, the password
// file in use and the versions of the parts Ostrel is built on (Chromium,
// Qt, libsodium), and a button that starts the system's information tool.
// Shown modally over the main window (exec()); messages and the tool go
// through the services given, which must outlive the box.
class frmAbout : public QDialog {
 public:
  // What the box tells besides its fixed texts.
  struct Facts {
    std::string fileName;        // the password file in use; empty: none yet
    std::string browserVersion;  // "Chromium 120.0.6099.224"; empty: not known
  };

  // The system information tools of the common desktops, in the order
  // they are looked for on the search path, each with its arguments.
  static const std::vector<std::vector<std::string>>& DesktopTools();

  frmAbout(IMessageBox& messages, ISystemTools& tools, QWidget* owner = nullptr,
           const Facts& facts = {});

  // Starts the system information tool named by the registry, else the
  // first of DesktopTools() found; when there is none or it cannot be
  // started, shows "System Information Is Unavailable At This Time". The
  // box stays open.
  void StartSysInfo();

  QLabel* lblTitle = nullptr;
  QLabel* lblVersion = nullptr;
  QLabel* lblDescription = nullptr;
  QLabel* lblDisclaimer = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* lblFileInUse = nullptr;
  QLabel* lblComponents = nullptr;
  QLabel* picLogo = nullptr;
  QPushButton* cmdOK = nullptr;
  QPushButton* cmdSysInfo = nullptr;

 private:
  IMessageBox& mMessages;
  ISystemTools& mTools;
};

}  // namespace ostrel
