// The about box: its texts, its place over the main window, System Info.
#include <QDialog>

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
  QString caption, title, version, description, ok, sysInfo;
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

TEST_F(SysInfoTest, AProgramThatWillNotStartIsUnavailable) {
  tools_.registry[kInfoKey] = "/no/such/tool";
  tools_.startWorks = false;
  about_.cmdSysInfo->click();
  EXPECT_EQ(box_.shown, std::vector<std::string>{kUnavailable});
}

TEST(SysInfoOnLinuxTest, WithoutARegistryTheToolIsUnavailable) {
  FakeMessageBox box;
  LinuxSystemTools tools;
  frmAbout about(box, tools);
  about.show();
  about.cmdSysInfo->click();
  EXPECT_EQ(box.shown, std::vector<std::string>{kUnavailable});
  EXPECT_TRUE(about.isVisible());
}

}  // namespace
}  // namespace ostrel::test
