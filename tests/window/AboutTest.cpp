// The about box: its texts, its place over the main window, System Info.
#include <QDialog>
#include <QTemporaryDir>
#include <fstream>
#include <sodium.h>
#include <sys/stat.h>

#include "platform/qt/LinuxSystemTools.h"
#include "tests/platform/qt/ModalAnswer.h"
#include "tests/window/WindowTest.h"
#include "window/frmAbout.h"

namespace ostrel::test {
namespace {

const char kUnavailable[] = "System Information Is Unavailable At This Time";
const char kInfoKey[] = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO|PATH";
const char kLocationKey[] = "SOFTWARE\\Microsoft\\Shared Tools Location|MSINFO";

class AboutFromLoginTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Seed({{"ann", "a"}});
    settings_.values["MainLeft"] = "3000";
    settings_.values["MainTop"] = "1500";
    Open();
  }
};

TEST_F(AboutFromLoginTest, OpensModallyCentredOverTheMainWindow) {
  bool seen = false;
  QPoint aboutCentre;
  QString caption, title, version, description, ok, sysInfo, file, fileTip, components;
  bool modal = false;
  new ModalAnswerer<QDialog>([&](QDialog* dialog) {
    auto* about = dynamic_cast<frmAbout*>(dialog);
    ASSERT_NE(about, nullptr);
    seen = true;
    aboutCentre = about->frameGeometry().center();
    modal = about->isModal();
    caption = about->windowTitle();
    title = about->lblTitle->text();
    version = about->lblVersion->text();
    description = about->lblDescription->text();
    ok = about->cmdOK->text();
    sysInfo = about->cmdSysInfo->text();
    file = about->lblFileInUse->text();
    fileTip = about->lblFileInUse->toolTip();
    components = about->lblComponents->text();
    about->cmdOK->click();
  });
  P().cmdAbout->click();
  ASSERT_TRUE(seen);
  // The arithmetic is CentreForm's (tested with the support layer); here the
  // two windows' centres meet, give or take the rounding and the frames.
  const QPoint mainCentre = W().frameGeometry().center();
  EXPECT_LE(std::abs(aboutCentre.x() - mainCentre.x()), 3);
  EXPECT_LE(std::abs(aboutCentre.y() - mainCentre.y()), 3);
  EXPECT_GT(aboutCentre.x(), 0);
  EXPECT_TRUE(modal);
  EXPECT_EQ(caption, "About Ostrel");
  EXPECT_EQ(title, "Ostrel");
  EXPECT_EQ(version, "Version 1.0.0");
  EXPECT_EQ(description,
            "Your most secure storage for all your usernames and passwords on the Internet.");
  EXPECT_EQ(ok, "OK");
  EXPECT_EQ(sysInfo, "&System Info...");
  EXPECT_EQ(fileTip.toStdString(), DefaultFile());
  EXPECT_TRUE(file.startsWith("File: /") && file.endsWith("ostrel.xps")) << file.toStdString();
  EXPECT_EQ(components, QString("Built on Chromium (version not known), Qt %1 and libsodium %2.")
                            .arg(qVersion(), sodium_version_string()));
  EXPECT_EQ(W().CurrentPanel(), frmMain::kLogin);
}


class SysInfoTest : public ::testing::Test {
 protected:
  FakeMessageBox box_;
  FakeSystemTools tools_;
  frmAbout about_{box_, tools_};
};

TEST_F(SysInfoTest, TheFirstRegistryValueWinsOverTheSecond) {
  tools_.registry[kInfoKey] = "C:\\Tools\\info.exe";
  tools_.registry[kLocationKey] = "C:\\Shared";
  tools_.files["C:\\Shared\\MSINFO32.EXE"] = true;
  about_.cmdSysInfo->click();
  EXPECT_EQ(tools_.started, std::vector<std::string>{"C:\\Tools\\info.exe"});
  EXPECT_TRUE(box_.shown.empty());
}

TEST_F(SysInfoTest, TheSecondKeyNeedsTheProgramInItsFolder) {
  tools_.registry[kLocationKey] = "C:\\Shared";
  about_.cmdSysInfo->click();
  EXPECT_TRUE(tools_.started.empty());
  EXPECT_EQ(box_.shown, std::vector<std::string>{kUnavailable});

  tools_.files["C:\\Shared\\MSINFO32.EXE"] = true;
  about_.cmdSysInfo->click();
  EXPECT_EQ(tools_.started, std::vector<std::string>{"C:\\Shared\\MSINFO32.EXE"});
}

// Without the registry: the first of the desktops' tools that is on the
// search path and starts, with its arguments.
TEST_F(SysInfoTest, TheFirstDesktopToolFoundThatStartsIsStarted) {
  tools_.programs = {"xfce4-about", "gnome-control-center"};
  about_.cmdSysInfo->click();
  EXPECT_EQ(tools_.started, std::vector<std::string>{"/usr/bin/gnome-control-center info-overview"});
  tools_.startWorks = false;
  about_.cmdSysInfo->click();
  EXPECT_EQ(tools_.started.back(), "/usr/bin/xfce4-about");
  EXPECT_EQ(box_.shown, std::vector<std::string>{kUnavailable});
}

TEST_F(SysInfoTest, AProgramThatWillNotStartIsUnavailable) {
  tools_.registry[kInfoKey] = "/no/such/tool";
  tools_.startWorks = false;
  about_.cmdSysInfo->click();
  EXPECT_EQ(box_.shown, std::vector<std::string>{kUnavailable});
}

// On Linux, with the search path holding a tool (a script standing in for
// it) or none.
TEST(SysInfoOnLinuxTest, TheToolOnTheSearchPathIsStartedElseItIsUnavailable) {
  QTemporaryDir bin;
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", bin.path().toLocal8Bit());
  FakeMessageBox box;
  LinuxSystemTools tools;
  frmAbout about(box, tools);
  about.show();
  about.cmdSysInfo->click();
  EXPECT_EQ(box.shown, std::vector<std::string>{kUnavailable});
  EXPECT_TRUE(about.isVisible());

  const std::string tool = bin.filePath("hardinfo").toStdString();
  const QString mark = bin.filePath("started");
  std::ofstream(tool) << "#!/bin/sh\n: > '" << mark.toStdString() << "'\n";
  chmod(tool.c_str(), 0700);
  about.cmdSysInfo->click();
  qputenv("PATH", path);
  EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(mark); }, 5000));
  EXPECT_EQ(box.shown.size(), 1u);
}

}  // namespace
}  // namespace ostrel::test
