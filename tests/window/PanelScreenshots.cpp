// Shows the Ostrel window on a sample password file, brings up each of its
// ten panels in turn and saves a picture of each as <folder>/<n>-<name>.png.
// Run under a real X server (for example xvfb-run) to picture the real
// window:  window_panel_screenshots docs/panels
#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest/QTest>
#include <cstdio>

#include "platform/qt/QtMessageBox.h"
#include "platform/qt/QtSettings.h"
#include "tests/window/StoreSeed.h"
#include "window/frmMain.h"

using namespace ostrel;

namespace {

const char* const kNames[] = {"sitelist", "recordready",    "recording",  "namesite", "login",
                              "welcome",  "newuser", "modifypassword", "modifysite", "options"};

// Pictures the panel the window shows now.
void Grab(frmMain& window, const QString& folder) {
  window.raise();
  window.activateWindow();
  QTest::qWait(150);
  QPixmap picture = window.screen()->grabWindow(window.winId());
  if (picture.isNull()) picture = window.grab();
  const int panel = window.CurrentPanel();
  const QString file = QString("%1/%2-%3.png").arg(folder).arg(panel).arg(kNames[panel]);
  if (!picture.save(file)) std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
}

void SetText(QLineEdit* box, const char* text) { box->setText(QString::fromUtf8(text)); }

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  QDir().mkpath(folder);
  QTemporaryDir work;
  const std::string documents = work.path().toStdString();
  test::SeedPasswordFile(documents + "/ostrel.xps", "sample key",
                         {{"Ann", "a"}, {"Bob", "b"}, {"Carol", "c"}},
                         {{1, "Example Mail"}, {2, "Bob's bank"}, {1, "News site"},
                          {1, "Photo album"}, {1, "Travel bookings"}});

  QtSettings settings(work.filePath("Ostrel.conf"));
  QtMessageBox messages;
  WindowServices services;
  services.messages = &messages;
  services.settings = &settings;
  services.documentsFolder = [documents] { return documents; };
  frmMain window(services);
  settings.SaveSetting("User", "1");
  settings.SaveSetting("MainLeft", "1500");
  settings.SaveSetting("MainTop", "1500");
  window.Load();
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return 1;
  const MainPanels& p = window.Panels();

  window.ShowPanel(frmMain::kLogin);
  SetText(p.txtPassword, "a");
  Grab(window, folder);
  p.cmdOK[4]->click();
  p.lstSites->setCurrentRow(2);
  Grab(window, folder);
  window.ShowPanel(frmMain::kRecordReady);
  Grab(window, folder);
  window.ShowPanel(frmMain::kRecording);
  Grab(window, folder);
  window.ShowPanel(frmMain::kNameSite);
  window.ProposeSiteName("Example Shop - Sign in");
  Grab(window, folder);
  window.ShowPanel(frmMain::kWelcome);
  SetText(p.txtEncryptionKey, "sample key");
  Grab(window, folder);
  window.ShowPanel(frmMain::kNewUser);
  SetText(p.txtUserName, "Dora");
  SetText(p.txtPassword1, "dora's");
  SetText(p.txtPassword2, "dora's");
  Grab(window, folder);
  window.ShowPanel(frmMain::kModifyPassword);
  SetText(p.txtOldPassword, "a");
  SetText(p.txtNewPassword1, "a longer one");
  Grab(window, folder);
  window.ShowPanel(frmMain::kSiteList);
  p.lstSites->setCurrentRow(0);
  p.cmdEdit->click();
  p.cmdGenerate->click();
  Grab(window, folder);
  window.ShowPanel(frmMain::kOptions);
  Grab(window, folder);
  window.close();
  std::printf("pictures of the ten panels are in %s\n", qPrintable(folder));
  return 0;
}
