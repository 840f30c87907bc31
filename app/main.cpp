// ostrel: starts Chromium with Ostrel's toolbar button and a profile of its
// own, and opens the Ostrel window in front of the browser window whose
// button is pressed. Ends when the browser exits. With --check it only
// checks a password file and prints what it found.
#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "app/OstrelSession.h"
#include "app/ProcessHygiene.h"
#include "app/ProfileLock.h"
#include "app/QuitOnSignals.h"
#include "platform/qt/QtMessageBox.h"
#include "platform/qt/QtSettings.h"
#include "store/FileCheck.h"
#include "support/DocumentsFolder.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"
#include "support/ShowError.h"

namespace {

constexpr char kUsage[] =
    "Usage: ostrel [--headless] [--browser PATH] [--profile DIR] [--version] [--help]\n"
    "       ostrel --check [FILE]\n"
    "Starts Chromium with the Ostrel toolbar button. Press the button (or\n"
    "Alt+Shift+O) in a tab to open the Ostrel window for that tab.\n"
    "  --headless       run the browser without a window\n"
    "  --browser PATH   the Chromium program (default: chromium on PATH)\n"
    "  --profile DIR    the browser profile (default: the Ostrel folder in the\n"
    "                   XDG data folder, e.g. ~/.local/share/Ostrel/profile)\n"
    "  --version        print the version and end\n"
    "  --check [FILE]   check a password file (default: the one Ostrel uses) and\n"
    "                   print each damaged slot; changes nothing\n"
    "Exit status: 0 the browser ended (with --check: the file is sound),\n"
    "  1 the browser could not be started (--check: problems were found),\n"
    "  2 a wrong argument, 3 Ostrel is already running on that profile;\n"
    "  with --check: 4 there is no such file, 5 it cannot be read, 6 it is not\n"
    "  a regular file (a folder, device, pipe or socket), 7 something that is\n"
    "  not its journal lies where its journal goes.\n";

// The exit statuses of --check besides 0, 1 and 2.
enum CheckStatus { kNoSuchFile = 4, kUnreadable = 5, kNotAFile = 6, kNotItsJournal = 7 };

std::filesystem::path DefaultProfile() {
  const char* data = std::getenv("XDG_DATA_HOME");
  std::filesystem::path base;
  if (data && *data) {
    base = data;
  } else {
    const char* home = std::getenv("HOME");
    base = std::filesystem::path(home && *home ? home : ".") / ".local" / "share";
  }
  return base / "Ostrel" / "profile";
}

// The password file the window would open: the one the settings name when
// it exists, else ostrel.xps in the documents folder.
std::string DefaultPasswordFile() {
  const std::string named = ostrel::QtSettings().GetSetting("FileName", "");
  std::error_code ec;
  if (!named.empty() && std::filesystem::exists(named, ec)) return named;
  return ostrel::GetDocumentsFolder() + "/ostrel.xps";
}

// Why a file could not be checked, in a plain sentence, and the exit status.
int CannotCheck(const ostrel::OstrelError& e) {
  int status = kUnreadable;
  std::string why;
  switch (e.Number()) {
    case ostrel::err::kFileMissing:
    case ostrel::err::kPathNotFound:
      status = kNoSuchFile;
      why = "there is no such file.";
      break;
    case ostrel::err::kPathFileAccess:
      status = kNotAFile;
      why = "it is a folder, not a password file.";
      break;
    case ostrel::err::kBadFileMode:
      status = kNotAFile;
      why = "it is not a regular file (it is a device, a pipe or a socket), so it is not a password file.";
      break;
    case ostrel::err::kUnknownJournal:
      status = kNotItsJournal;
      why = e.Explanation();
      break;
    case ostrel::err::kPermissionDenied:
      why = e.Explanation().empty() ? "you may not read it." : e.Explanation();
      break;
    default:
      why = ostrel::ErrorMessage(e);
      break;
  }
  std::cout << "cannot be checked: " << why << std::endl;
  return status;
}

int Check(const std::string& path) {
  std::cout << path << "\n";
  try {
    ostrel::StoreContext context;
    const ostrel::FileCheck::Result result = ostrel::FileCheck(context).Run(path);
    for (const std::string& problem : result.problems) std::cout << "  " << problem << "\n";
    std::cout << result.summary << ": "
              << (result.Sound() ? std::string("sound")
                                 : std::to_string(result.problems.size()) + " problem(s) found")
              << std::endl;
    return result.Sound() ? 0 : 1;
  } catch (const ostrel::OstrelError& e) {
    ostrel::LogError(e);
    return CannotCheck(e);
  }
}

bool HasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  ostrel::HardenProcess();
  ostrel::SessionOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--check") {
      if (i + 2 < argc) {
        std::cerr << "ostrel: --check takes one file at most\n" << kUsage;
        return 2;
      }
      return Check(i + 1 < argc ? argv[i + 1] : DefaultPasswordFile());
    } else if (a == "--help" || a == "-h") {
      std::cout << kUsage;
      return 0;
    } else if (a == "--version") {
      std::cout << "ostrel " OSTREL_VERSION "\n";
      return 0;
    } else if (a == "--headless") {
      options.headless = true;
    } else if (a == "--browser" && i + 1 < argc) {
      options.browser = argv[++i];
    } else if (a == "--profile" && i + 1 < argc) {
      options.profile = argv[++i];
    } else {
      std::cerr << "ostrel: unknown argument " << a << "\n" << kUsage;
      return 2;
    }
  }
  if (options.profile.empty()) options.profile = DefaultProfile();
  // Somebody who sees the browser is shown the way on the first start.
  options.welcome = !options.headless;
  if (options.headless && !HasDisplay() && !std::getenv("QT_QPA_PLATFORM")) {
    // Without a display the window is drawn offscreen, as the browser is.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName("Ostrel");
  QApplication::setQuitOnLastWindowClosed(false);
  ostrel::QtMessageBox box;
  auto tell = [&](const std::string& text) {
    std::cerr << "ostrel: " << text << "\n";
    if (!options.headless) box.Show(text);
  };
  std::unique_ptr<ostrel::ProfileLock> lock;
  try {
    std::filesystem::create_directories(options.profile);
    lock = ostrel::ProfileLock::Take(options.profile);
  } catch (const std::exception& e) {
    tell(std::string("Ostrel cannot use its browser profile folder ") + options.profile.string() + ".");
    return 1;
  }
  if (!lock) {
    // The browser of the running one would open a tab of its own for a
    // second browser on the same profile: nothing is started.
    tell("Ostrel is already running.");
    return 3;
  }
  ostrel::QuitOnSignals quit_on_signals;
  try {
    ostrel::OstrelSession session(
        options, [] { return ostrel::WindowServices{}; }, box, [] { QApplication::quit(); });
    std::cout << "Ostrel is running: press the Ostrel button in the browser's toolbar." << std::endl;
    return app.exec();
  } catch (const ostrel::OstrelError& e) {
    ostrel::LogError(e);
    tell("Ostrel could not start its browser. " +
         (e.Explanation().empty() ? ostrel::PlainExplanation(e.Number()) : e.Explanation()));
    return 1;
  }
}
