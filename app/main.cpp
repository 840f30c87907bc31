// ostrel: starts Chromium with Ostrel's toolbar button and a profile of its
// own, and opens the Ostrel window in front of the browser window whose
// button is pressed. Ends when the browser exits.
#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "app/OstrelSession.h"
#include "platform/qt/QtMessageBox.h"
#include "support/OstrelError.h"

namespace {

constexpr char kUsage[] =
    "Usage: ostrel [--headless] [--browser PATH] [--profile DIR] [--version] [--help]\n"
    "Starts Chromium with the Ostrel toolbar button. Press the button (or\n"
    "Alt+Shift+O) in a tab to open the Ostrel window for that tab.\n"
    "  --headless       run the browser without a window\n"
    "  --browser PATH   the Chromium program (default: chromium on PATH)\n"
    "  --profile DIR    the browser profile (default: the Ostrel folder in the\n"
    "                   XDG data folder, e.g. ~/.local/share/Ostrel/profile)\n"
    "  --version        print the version and end\n";

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

bool HasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  ostrel::SessionOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
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
  if (options.headless && !HasDisplay() && !std::getenv("QT_QPA_PLATFORM")) {
    // Without a display the window is drawn offscreen, as the browser is.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName("Ostrel");
  QApplication::setQuitOnLastWindowClosed(false);
  ostrel::QtMessageBox box;
  try {
    ostrel::OstrelSession session(
        options, [] { return ostrel::WindowServices{}; }, box, [] { QApplication::quit(); });
    std::cout << "Ostrel is running: press the Ostrel button in the browser's toolbar." << std::endl;
    return app.exec();
  } catch (const ostrel::OstrelError& e) {
    std::cerr << "ostrel: " << e.what() << " (" << e.Number() << ")\n";
    return 1;
  }
}
