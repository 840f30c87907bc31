// Figures for the Ostrel window on a password file with 12 users and 1,000
// sites: loading the window up to the Login panel, and logging in up to the
// filled SiteList. The browser takes no part. Goal: each at most 300 ms.
// Runs offscreen unless a display is chosen (QT_QPA_PLATFORM).
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/qt/QtSettings.h"
#include "tests/window/Fakes.h"
#include "tests/window/StoreSeed.h"
#include "window/frmMain.h"

using namespace ostrel;

namespace {

constexpr int kRuns = 9;
constexpr int kUsers = 12;
constexpr int kSites = 1000;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void Print(const char* what, const std::vector<double>& ms) {
  std::printf("%-44s median %7.1f ms   min %7.1f   max %7.1f   (%d runs)\n", what, Median(ms),
              *std::min_element(ms.begin(), ms.end()), *std::max_element(ms.begin(), ms.end()),
              static_cast<int>(ms.size()));
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  QTemporaryDir work;
  const std::string folder = work.path().toStdString();

  // User 1 owns every other site, the eleven others share the rest.
  std::vector<test::SeedUser> users;
  for (int i = 1; i <= kUsers; ++i) users.push_back({"user " + std::to_string(i), "pw"});
  std::vector<test::SeedSite> sites;
  int own = 0;
  for (int k = 0; k < kSites; ++k) {
    const int16_t owner = k % 2 == 0 ? 1 : static_cast<int16_t>(2 + (k / 2) % (kUsers - 1));
    own += owner == 1;
    sites.emplace_back(owner, "site " + std::to_string(k + 1));
  }
  QElapsedTimer seedClock;
  seedClock.start();
  test::SeedPasswordFile(folder + "/ostrel.xps", "bench key", users, sites);
  std::printf("password file: %d users, %d sites, %lld bytes (made in %lld ms)\n", kUsers, kSites,
              static_cast<long long>(QFileInfo(QString::fromStdString(folder + "/ostrel.xps")).size()),
              static_cast<long long>(seedClock.elapsed()));

  test::FakeMessageBox box;
  QtSettings settings(work.filePath("Ostrel.conf"));
  settings.SaveSetting("User", "1");
  WindowServices services;
  services.messages = &box;
  services.settings = &settings;
  services.documentsFolder = [folder] { return folder; };

  std::vector<double> load, login, loadAndLogin;
  for (int run = 0; run < kRuns; ++run) {
    QElapsedTimer clock;
    clock.start();
    frmMain window(services);
    window.Load();
    window.show();
    QApplication::processEvents();
    const double loaded = clock.nsecsElapsed() / 1e6;
    if (window.CurrentPanel() != frmMain::kLogin) {
      std::fprintf(stderr, "the window did not reach Login\n");
      return 1;
    }
    window.Panels().txtPassword->setText("pw");
    QElapsedTimer loginClock;
    loginClock.start();
    window.Panels().cmdOK[4]->click();
    QApplication::processEvents();
    const double loggedIn = loginClock.nsecsElapsed() / 1e6;
    if (window.CurrentPanel() != frmMain::kSiteList || window.Panels().lstSites->count() != own ||
        !box.shown.empty()) {
      std::fprintf(stderr, "the login did not fill the site list\n");
      return 1;
    }
    load.push_back(loaded);
    login.push_back(loggedIn);
    loadAndLogin.push_back(loaded + loggedIn);
    window.close();
  }
  Print("load to the Login panel", load);
  std::printf("%-44s %d of %d sites listed\n", "", own, kSites);
  Print("login to the filled SiteList", login);
  Print("both together", loadAndLogin);
  std::printf("goal: each at most 300 ms\n");
  return 0;
}
