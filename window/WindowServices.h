#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/files/RecordFiles.h"
#include "platform/qt/IFileDialogs.h"
#include "platform/qt/ILockSignals.h"
#include "platform/qt/IOneShotTimer.h"
#include "platform/qt/ISettings.h"
#include "platform/qt/ISystemTools.h"
#include "support/MessageBox.h"

namespace ostrel {

// The platform services of the main window. Every member left empty is
// filled with the real one when the window is made: Qt message boxes and
// file dialogs over the window, the user's QSettings store, the Linux
// system tools, QTimers for the idle log-off and the clipboard, the
// desktop's lock signals over D-Bus, the XDG documents folder and
// the POSIX password files.
// Services given here are not owned and must outlive the window.
struct WindowServices {
  IMessageBox* messages = nullptr;
  IFileDialogs* dialogs = nullptr;
  ISettings* settings = nullptr;
  ISystemTools* tools = nullptr;
  // Measures the idle period after which the window logs off.
  IOneShotTimer* idleTimer = nullptr;
  // Measures how long a secret copied stays on the clipboard.
  IOneShotTimer* clipboardTimer = nullptr;
  // The screen locking or the machine suspending: the window logs off.
  ILockSignals* lockSignals = nullptr;
  // The folder of the default password file.
  std::function<std::string()> documentsFolder;
  // The file access of each load's StoreContext.
  std::function<std::unique_ptr<IRecordFiles>()> files;
  // The browser's name and version for the about box ("Chromium
  // 120.0.6099.224"); empty when not known.
  std::string browserVersion;
};

}  // namespace ostrel
