// ostrel: starts Chromium with Ostrel's toolbar button and a profile of its
// own, and opens the Ostrel window in front of the browser window whose
// button is pressed. Ends when the browser exits. With --check it only
// checks a password file and prints what it found; with --protect it
// protects a password file with each person's password.
#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

#include "app/KeyInput.h"
#include "app/OstrelSession.h"
#include "app/ProcessHygiene.h"
#include "app/ProfileLock.h"
#include "app/QuitOnSignals.h"
#include "platform/qt/QtMessageBox.h"
#include "platform/qt/QtSettings.h"
#include "store/BuiltInKey.h"
#include "store/FileCheck.h"
#include "store/FileInfo.h"
#include "store/FileProtection.h"
#include "store/SlotLimits.h"
#include "support/DocumentsFolder.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"
#include "support/ShowError.h"

namespace {

constexpr char kUsage[] =
    "Usage: ostrel [--headless] [--browser PATH] [--profile DIR] [--version] [--help]\n"
    "       ostrel --check [FILE] [--key-file KEYFILE]\n"
    "       ostrel --protect FILE [--key-file KEYFILE]\n"
    "Starts Chromium with the Ostrel toolbar button. Press the button (or\n"
    "Alt+Shift+O) in a tab to open the Ostrel window for that tab.\n"
    "  --headless       run the browser without a window\n"
    "  --browser PATH   the Chromium program (default: chromium on PATH)\n"
    "  --profile DIR    the browser profile (default: the Ostrel folder in the\n"
    "                   XDG data folder, e.g. ~/.local/share/Ostrel/profile)\n"
    "  --version        print the version and end\n"
    "  --check [FILE]   check a password file (default: the one Ostrel uses) and\n"
    "                   print each damaged slot; changes nothing. A file protected\n"
    "                   with each person's password is checked without a key as\n"
    "                   far as its structure goes (its contents are not); with\n"
    "                   --key-file, whose first line is the file's encryption\n"
    "                   key, every slot is checked, and a wrong key is a problem\n"
    "  --protect FILE   protect FILE with each person's password (as the Options\n"
    "                   panel does; it cannot be undone): the key that opens it\n"
    "                   without a password is the first line of KEYFILE, or is\n"
    "                   typed at the terminal: the file's encryption key, or a\n"
    "                   new one of at least 8 characters\n"
    "Exit status: 0 the browser ended (with --check: the file is sound; with\n"
    "  --protect: it is protected), 1 the browser could not be started\n"
    "  (--check: problems were found; --protect: it was not protected),\n"
    "  2 a wrong argument, 3 Ostrel is already running on that profile;\n"
    "  with --check and --protect: 4 there is no such file, 5 it cannot be read, 6 it is not\n"
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

// Why a file could not be checked (or protected), in a plain sentence, and
// the exit status.
int CannotCheck(const ostrel::OstrelError& e, const char* what = "cannot be checked") {
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
  std::cout << what << ": " << why << std::endl;
  return status;
}

int Check(const std::string& path, const std::optional<std::string>& keyFile) {
  std::cout << path << "\n";
  try {
    ostrel::StoreContext context;
    const std::optional<std::string> key = keyFile ? ostrel::ReadKey(keyFile, "") : std::nullopt;
    const ostrel::FileCheck::Result result = ostrel::FileCheck(context).Run(path, key);
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

// The recovery key of --protect: the file's encryption key, or a new one
// (typed twice at a terminal). Nothing when none is given or they differ.
std::optional<std::string> RecoveryKey(const std::optional<std::string>& keyFile, const std::string& fileKey) {
  const std::optional<std::string> key = ostrel::ReadKey(keyFile, "Encryption key: ");
  if (!key || *key == fileKey || keyFile) return key;
  const std::optional<std::string> again = ostrel::ReadKey(keyFile, "A new encryption key: type it again: ");
  if (again != key) return std::nullopt;
  return key;
}

int Protect(const std::string& path, const std::optional<std::string>& keyFile) {
  std::cout << path << "\n";
  try {
    ostrel::StoreContext context;
    context.PasswordFileName = path;
    context.Files().FileLength(path);
    context.HeaderCipher.SetSecret(ostrel::BuildBuiltInKey());
    ostrel::FileInfo header(context);
    if (header.Protected()) {
      std::cout << "protected with each person's password already: nothing was changed" << std::endl;
      return 0;
    }
    const std::optional<std::string> key = RecoveryKey(keyFile, header.EncryptionKey());
    if (!key || key->size() < static_cast<size_t>(ostrel::kMinEncryptionKeyLength)) {
      std::cout << "not protected: no key of at least 8 characters was given" << std::endl;
      return 1;
    }
    ostrel::FileProtection::Convert(context, *key);
    std::cout << "protected with each person's password; "
              << (*key == header.EncryptionKey() ? "its encryption key" : "the new key")
              << " opens it and resets forgotten passwords" << std::endl;
    return 0;
  } catch (const ostrel::OstrelError& e) {
    ostrel::LogError(e);
    return CannotCheck(e, "not protected");
  }
}

// --check [FILE] or --protect FILE, each with [--key-file KEYFILE].
int FileCommand(const std::string& command, int argc, char** argv, int next) {
  std::optional<std::string> file;
  std::optional<std::string> keyFile;
  for (int i = next; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--key-file" && i + 1 < argc && !keyFile) {
      keyFile = argv[++i];
    } else if (!file && a.rfind("--", 0) != 0) {
      file = a;
    } else {
      std::cerr << "ostrel: " << command << " takes one file and a --key-file at most\n" << kUsage;
      return 2;
    }
  }
  if (command == "--check") return Check(file ? *file : DefaultPasswordFile(), keyFile);
  if (!file) {
    std::cerr << "ostrel: --protect needs the password file to protect\n" << kUsage;
    return 2;
  }
  return Protect(*file, keyFile);
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
    if (a == "--check" || a == "--protect") {
      return FileCommand(a, argc, argv, i + 1);
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
