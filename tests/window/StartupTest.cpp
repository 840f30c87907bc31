// Start-up, the settings, the first file, Options and unload.
#include <QFile>
#include <filesystem>
#include <tuple>
#include <fstream>
#include <sys/stat.h>

#include "platform/qt/QtSettings.h"
#include "store/BuiltInKey.h"
#include "store/FileInfo.h"
#include "tests/common/FileBytes.h"
#include "tests/window/WindowTest.h"

namespace ostrel::test {
namespace {

namespace fs = std::filesystem;

// The encryption key in the header of the file at path.
std::string HeaderKey(const std::string& path) {
  StoreContext context;
  context.HeaderCipher.SetSecret(BuildBuiltInKey());
  context.PasswordFileName = path;
  return FileInfo(context).EncryptionKey();
}

std::vector<std::string> Names(const QComboBox* list) {
  std::vector<std::string> names;
  for (int i = 0; i < list->count(); ++i) names.push_back(list->itemText(i).toStdString());
  return names;
}

const char kNotFound[] = "Your Ostrel file cannot be found.";
const char kInvalid[] = "The file you selected is invalid.";

// Files of other programs: a short text, a block of zeros (which reads as
// empty slots), binary data. Ostrel refuses each and never writes to it.
const std::vector<std::string>& ForeignFiles() {
  static const std::vector<std::string> contents = {
      "my notes\n", std::string(4096, '\0'), "\x89PNG\r\n" + std::string(5000, '\xff')};
  return contents;
}
const char kShortKey[] = "The encryption key has to be at least 8 character long";

class StartupTest : public WindowTest {};

TEST_F(StartupTest, NoSettingAndNoFileLeadToWelcomeOnTheDefaultPath) {
  Open();
  EXPECT_EQ(W().CurrentPanel(), frmMain::kWelcome);
  EXPECT_EQ(W().Context()->PasswordFileName, DefaultFile());
  EXPECT_FALSE(fs::exists(DefaultFile()));
  EXPECT_TRUE(box_.shown.empty());
  EXPECT_EQ(settings_.values.count("FileName"), 0u);
}

TEST_F(StartupTest, TheRememberedUserIsSelected) {
  Seed({{"ann", "a"}, {"bob", "b"}, {"cid", "c"}});
  settings_.values["User"] = "2";
  Open();
  EXPECT_EQ(W().CurrentPanel(), frmMain::kLogin);
  EXPECT_EQ(Names(P().cmbUserNames), (std::vector<std::string>{"ann", "bob", "cid"}));
  EXPECT_EQ(P().cmbUserNames->currentText(), "bob");
  EXPECT_EQ(W().SelectedUserIndex(), 2);
}

TEST_F(StartupTest, AnAbsentOrVanishedUserSelectsNobody) {
  Seed({{"ann", "a"}, {"bob", "b"}});
  Open();
  EXPECT_EQ(W().SelectedUserIndex(), -1);
  settings_.values["User"] = "5";
  Open();
  EXPECT_EQ(W().SelectedUserIndex(), -1);
  settings_.values["User"] = "not a number";
  Open();
  EXPECT_EQ(W().SelectedUserIndex(), -1);
}

TEST_F(StartupTest, AFileWithoutUsersLeadsToNewUser) {
  Seed({});
  Open();
  EXPECT_EQ(W().CurrentPanel(), frmMain::kNewUser);
}

TEST_F(StartupTest, AnEmptyRememberedFileFallsBackToTheDefaultForThisRun) {
  Seed({{"ann", "a"}});
  std::ofstream(Path("empty.xps"));
  settings_.values["FileName"] = Path("empty.xps");
  Open();
  EXPECT_EQ(W().Context()->PasswordFileName, DefaultFile());
  EXPECT_EQ(W().CurrentPanel(), frmMain::kLogin);
  EXPECT_EQ(settings_.values["FileName"], Path("empty.xps"));
}

TEST_F(StartupTest, ARememberedFileElsewhereIsUsed) {
  SeedPasswordFile(Path("elsewhere.xps"), kKey, {{"zoe", "z"}}, {});
  settings_.values["FileName"] = Path("elsewhere.xps");
  Open();
  EXPECT_EQ(W().Context()->PasswordFileName, Path("elsewhere.xps"));
  EXPECT_EQ(Names(P().cmbUserNames), std::vector<std::string>{"zoe"});
}

TEST_F(StartupTest, TheWindowGoesWhereItWasAndIsRememberedInTwips) {
  settings_.values["MainLeft"] = "3000";
  settings_.values["MainTop"] = "1500.5";
  Open();
  EXPECT_EQ(W().pos(), QPoint(200, 100));
  EXPECT_TRUE(W().HasPosition());
  W().move(100, 50);
  W().close();
  EXPECT_FALSE(W().IsLoaded());
  EXPECT_EQ(settings_.values["MainLeft"], "1500");
  EXPECT_EQ(settings_.values["MainTop"], "750");
}

TEST_F(StartupTest, UnreadablePositionsFallBackTo1000Twips) {
  settings_.values["MainLeft"] = "left";
  Open();
  EXPECT_EQ(W().pos().x(), 1000 / 15);
}

TEST_F(StartupTest, OnlyBothEdgesStoredAndReadableAreAPositionOfItsOwn) {
  // Without one, the toolbar button places the window over its browser.
  const std::tuple<const char*, const char*, bool> rows[] = {
      {"", "", false},  {"3000", "", false}, {"inf", "15", false},
      {"1e30", "0", false}, {"-450", "0", true}, {"3000", "1500", true}};
  for (const auto& [left, top, has] : rows) {
    if (window_) window_->close();  // which stores its place
    settings_.values = {{"MainLeft", left}, {"MainTop", top}};
    Open();
    EXPECT_EQ(W().HasPosition(), has) << left << " " << top;
  }
}

TEST_F(StartupTest, TheButtonShowsTheWindowWhereItWasAndRestoresAMinimisedOne) {
  Seed({{"ann", "pw"}});
  Open();
  NoSite site;
  W().ShowOver(site);
  W().move(120, 90);
  P().cmdCancel[4]->click();  // hidden, still loaded
  W().ShowOver(site);
  EXPECT_EQ(W().pos(), QPoint(120, 90));
  EXPECT_TRUE(W().HasPosition());
  W().showMinimized();
  W().ShowOver(site);
  EXPECT_FALSE(W().isMinimized());
  EXPECT_TRUE(QTest::qWaitForWindowActive(&W()));
}

TEST_F(StartupTest, UnloadWhileMinimizedKeepsTheStoredPosition) {
  settings_.values["MainLeft"] = "3000";
  settings_.values["MainTop"] = "1500";
  Open();
  W().showMinimized();
  settings_.writes.clear();
  W().close();
  EXPECT_TRUE(settings_.writes.empty());
  EXPECT_EQ(settings_.values["MainLeft"], "3000");
}

TEST_F(StartupTest, ClosingUnloadsAndTheNextLoadAsksForTheLoginAgain) {
  Seed({{"ann", "pw"}});
  Open();
  LogIn(1, "pw");
  ASSERT_EQ(W().CurrentPanel(), frmMain::kSiteList);
  P().txtOldPassword->setText("typed");
  W().close();
  EXPECT_FALSE(W().IsLoaded());
  EXPECT_EQ(P().txtOldPassword->text(), "");
  EXPECT_EQ(W().Context(), nullptr);
  W().Load();
  EXPECT_TRUE(W().IsLoaded());
  EXPECT_EQ(W().CurrentPanel(), frmMain::kLogin);
  EXPECT_EQ(P().txtPassword->text(), "");
  EXPECT_EQ(P().lstSites->count(), 0);
}

TEST_F(StartupTest, ADamagedHeaderIsReportedAndTheWindowStaysUnloaded) {
  std::ofstream(DefaultFile()) << std::string(4096, 'x');
  Open();
  EXPECT_FALSE(W().IsLoaded());
  EXPECT_EQ(W().Context(), nullptr);
  EXPECT_EQ(box_.shown, std::vector<std::string>{
                            "The file containing your Ostrel information has been corrupted, "
                            "please re-record again your login information."});
  NoSite site;
  W().ShowOver(site);
  EXPECT_FALSE(W().isVisible());
}

TEST_F(StartupTest, AFileThatIsNotAnOstrelFileIsNamedAndLeftAsItIs) {
  WriteFileBytes(DefaultFile(), ForeignFiles()[1]);
  Open();
  EXPECT_FALSE(W().IsLoaded());
  EXPECT_EQ(box_.shown, std::vector<std::string>{std::string(kInvalid) + "\nThe file " + DefaultFile() +
                                                 " is not an Ostrel file, so Ostrel left it as it is. Move or "
                                                 "rename it, then open Ostrel again to make a new one."});
  // Named in the settings, such a file counts as missing: the default is used.
  fs::rename(DefaultFile(), Path("zeros.xps"));
  settings_.values["FileName"] = Path("zeros.xps");
  Open();
  EXPECT_EQ(W().CurrentPanel(), frmMain::kWelcome);
  EXPECT_EQ(W().Context()->PasswordFileName, DefaultFile());
  EXPECT_EQ(ReadFileBytes(Path("zeros.xps")), ForeignFiles()[1]);
}

class WelcomeTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Open();
    ASSERT_EQ(W().CurrentPanel(), frmMain::kWelcome);
  }
  void Continue(const std::string& key, const std::string& path = "") {
    P().txtEncryptionKey->setText(QString::fromStdString(key));
    P().txtInitialFilePathName->setText(QString::fromStdString(path));
    P().cmdContinue->click();
  }
};

TEST_F(WelcomeTest, AKeyOfSevenIsRefusedAndNothingIsWritten) {
  Continue("1234567");
  EXPECT_EQ(box_.shown, std::vector<std::string>{kShortKey});
  EXPECT_EQ(W().CurrentPanel(), frmMain::kWelcome);
  EXPECT_EQ(P().txtEncryptionKey->text(), "1234567");
  EXPECT_FALSE(fs::exists(DefaultFile()));
}

TEST_F(WelcomeTest, SevenCharactersInsideBlanksCountAsSeven) {
  Continue("   1234567   ");
  EXPECT_EQ(box_.shown, std::vector<std::string>{kShortKey});
  EXPECT_FALSE(fs::exists(DefaultFile()));
}

TEST_F(WelcomeTest, TheKeysLengthCountsCharactersNotBytes) {
  const std::string seven = "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9";  // 14 bytes
  const std::string eight = seven + "\xe2\x82\xac";
  Continue(seven);
  EXPECT_EQ(box_.shown, std::vector<std::string>{kShortKey});
  Continue(eight);
  EXPECT_EQ(W().CurrentPanel(), frmMain::kNewUser);
  EXPECT_EQ(HeaderKey(DefaultFile()), eight);
}

// A file of another program typed or chosen here is refused like a missing
// one: the path box is emptied and the key decides.
// A file of another program typed here is refused like a missing one: the
// path box is emptied and the key decides.
TEST_F(WelcomeTest, AFileThatIsNotAnOstrelFileIsRefusedAndLeftAsItIs) {
  WriteFileBytes(Path("notes.xps"), ForeignFiles()[0]);
  Continue("short", Path("notes.xps"));
  EXPECT_EQ(box_.shown, (std::vector<std::string>{kInvalid, kShortKey}));
  Continue("abcdefgh", Path("notes.xps"));
  EXPECT_EQ(W().CurrentPanel(), frmMain::kNewUser);
  EXPECT_EQ(W().Context()->PasswordFileName, DefaultFile());
  EXPECT_EQ(ReadFileBytes(Path("notes.xps")), ForeignFiles()[0]);
}

TEST_F(WelcomeTest, AKeyOfEightCreatesAPrivateFileAndLeadsToNewUser) {
  Continue("  abcdefgh ");
  EXPECT_TRUE(box_.shown.empty());
  EXPECT_EQ(W().CurrentPanel(), frmMain::kNewUser);
  ASSERT_TRUE(fs::exists(DefaultFile()));
  EXPECT_EQ(HeaderKey(DefaultFile()), "abcdefgh");
  struct stat info {};
  ASSERT_EQ(stat(DefaultFile().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(settings_.values.count("FileName"), 0u);
}

TEST_F(WelcomeTest, TheNewFileTakesItsFirstUserWhoIsLoggedIn) {
  Continue("abcdefgh");
  P().txtUserName->setText("ann");
  P().txtPassword1->setText("pw");
  P().txtPassword2->setText("pw");
  P().cmdOK[6]->click();
  EXPECT_EQ(W().CurrentPanel(), frmMain::kSiteList);
  EXPECT_EQ(ReadUserNames(DefaultFile(), "abcdefgh"), std::vector<std::string>{"ann"});
  EXPECT_EQ(settings_.values["User"], "1");
}

TEST_F(WelcomeTest, AnExistingFileIsOpenedAndRemembered) {
  SeedPasswordFile(Path("mine.xps"), kKey, {{"ann", "a"}}, {});
  Continue("", Path("mine.xps"));
  EXPECT_TRUE(box_.shown.empty());
  EXPECT_EQ(W().CurrentPanel(), frmMain::kLogin);
  EXPECT_EQ(settings_.values["FileName"], Path("mine.xps"));
  EXPECT_EQ(W().Context()->PasswordFileName, Path("mine.xps"));
  EXPECT_EQ(Names(P().cmbUserNames), std::vector<std::string>{"ann"});
}

TEST_F(WelcomeTest, AMissingFileAndAShortKeyShowBothMessages) {
  Continue("short", Path("missing.xps"));
  EXPECT_EQ(box_.shown, (std::vector<std::string>{kNotFound, kShortKey}));
  EXPECT_EQ(P().txtInitialFilePathName->text(), "");
  EXPECT_EQ(W().CurrentPanel(), frmMain::kWelcome);
}

TEST_F(WelcomeTest, BrowseFillsThePathOnlyWithAnExistingFile) {
  SeedPasswordFile(Path("mine.xps"), kKey, {{"ann", "a"}}, {});
  dialogs_.results = {Path("missing.xps"), Path("mine")};
  P().cmdOpenFile->click();
  EXPECT_EQ(box_.shown, std::vector<std::string>{kNotFound});
  EXPECT_EQ(P().txtInitialFilePathName->text(), "");
  P().cmdOpenFile->click();  // typed without its extension
  EXPECT_EQ(P().txtInitialFilePathName->text().toStdString(), Path("mine.xps"));
  ASSERT_EQ(dialogs_.calls.size(), 2u);
  EXPECT_FALSE(dialogs_.calls[0].save);
  EXPECT_EQ(dialogs_.calls[0].title, "Open");
  EXPECT_EQ(dialogs_.calls[0].folder, "");
  EXPECT_EQ(dialogs_.calls[0].filter, "All Files (*.xps)");
}

class OptionsTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Seed({{"ann", "pw"}}, {{1, "alpha"}});
    SeedPasswordFile(Path("other.xps"), "other key", {{"zoe", "z"}, {"yves", "y"}}, {});
    Open();
    P().cmdOptions->click();
    ASSERT_EQ(W().CurrentPanel(), frmMain::kOptions);
  }
  void Accept(const std::string& path) {
    P().txtFileName->setText(QString::fromStdString(path));
    P().cmdOK[9]->click();
  }
};

TEST_F(OptionsTest, TheSamePathWithATrailingBlankChangesNothing) {
  settings_.writes.clear();
  Accept(DefaultFile() + " ");
  EXPECT_EQ(W().CurrentPanel(), frmMain::kLogin);
  EXPECT_TRUE(box_.shown.empty());
  EXPECT_TRUE(settings_.writes.empty());
}

TEST_F(OptionsTest, APathDifferingInCaseIsCheckedAsANewOne) {
  std::string upper = DefaultFile();
  upper.replace(upper.size() - 10, 10, "OSTREL.XPS");
  Accept(upper);
  EXPECT_EQ(box_.shown, std::vector<std::string>{kNotFound});
  EXPECT_EQ(W().CurrentPanel(), frmMain::kLogin);
  EXPECT_EQ(W().Context()->PasswordFileName, DefaultFile());
  EXPECT_EQ(settings_.values.count("FileName"), 0u);
}

TEST_F(OptionsTest, ANewFileIsOpenedAtOnceAndTheOldOneIsNeverWritten) {
  const std::string before = ReadFileBytes(DefaultFile());
  Accept(Path("other.xps"));
  EXPECT_TRUE(box_.shown.empty());
  EXPECT_EQ(W().CurrentPanel(), frmMain::kLogin);
  EXPECT_EQ(settings_.values["FileName"], Path("other.xps"));
  EXPECT_EQ(Names(P().cmbUserNames), (std::vector<std::string>{"zoe", "yves"}));

  P().cmdNewUser->click();
  P().txtUserName->setText("xena");
  P().txtPassword1->setText("x");
  P().txtPassword2->setText("x");
  P().cmdOK[6]->click();
  EXPECT_EQ(W().CurrentPanel(), frmMain::kSiteList);
  EXPECT_EQ(ReadUserNames(Path("other.xps"), "other key"),
            (std::vector<std::string>{"zoe", "yves", "xena"}));
  EXPECT_EQ(ReadFileBytes(DefaultFile()), before);
  EXPECT_TRUE(P().lstSites->count() == 0);
}

TEST_F(OptionsTest, AnUnreadableNewFileChangesNothing) {
  std::ofstream(Path("bad.xps")) << std::string(4096, 'x');
  Accept(Path("bad.xps"));
  ASSERT_EQ(box_.shown.size(), 1u);
  EXPECT_NE(box_.shown[0].find("corrupted"), std::string::npos);
  EXPECT_EQ(W().CurrentPanel(), frmMain::kOptions);
  EXPECT_EQ(W().Context()->PasswordFileName, DefaultFile());
  EXPECT_EQ(settings_.values.count("FileName"), 0u);
  P().cmdCancel[9]->click();
  LogIn(1, "pw");
  EXPECT_EQ(SiteNames(), std::vector<std::string>{"alpha"});
}

// Chosen with the browse button or typed: refused, left as it is.
TEST_F(OptionsTest, AFileThatIsNotAnOstrelFileIsRefusedAndLeftAsItIs) {
  for (const std::string& content : ForeignFiles()) {
    WriteFileBytes(Path("foreign.xps"), content);
    box_.shown.clear();
    dialogs_.results = {Path("foreign.xps")};
    P().cmdChangeFile->click();
    EXPECT_EQ(P().txtFileName->text().toStdString(), DefaultFile());
    Accept(Path("foreign.xps"));
    EXPECT_EQ(box_.shown, (std::vector<std::string>{kInvalid, kInvalid}));
    EXPECT_EQ(W().Context()->PasswordFileName, DefaultFile());
    EXPECT_EQ(ReadFileBytes(Path("foreign.xps")), content);
    P().cmdOptions->click();
  }
  EXPECT_EQ(settings_.values.count("FileName"), 0u);
}

TEST_F(OptionsTest, ChangeFileOnlyFillsTheBox) {
  dialogs_.results = {Path("other.xps")};
  P().cmdChangeFile->click();
  ASSERT_EQ(dialogs_.calls.size(), 1u);
  EXPECT_EQ(dialogs_.calls[0].title, "Select another Ostrel file");
  EXPECT_EQ(dialogs_.calls[0].folder, Folder());
  EXPECT_EQ(dialogs_.calls[0].filter, "All Files (*.xps)");
  EXPECT_EQ(P().txtFileName->text().toStdString(), Path("other.xps"));
  EXPECT_EQ(W().Context()->PasswordFileName, DefaultFile());
  P().cmdCancel[9]->click();
  EXPECT_EQ(W().Context()->PasswordFileName, DefaultFile());
}

TEST_F(OptionsTest, CopyReplacesTheTargetWithoutAQuestion) {
  std::ofstream(Path("copy.xps")) << "old";
  dialogs_.results = {Path("copy.xps")};
  P().cmdCopyFile->click();
  ASSERT_EQ(dialogs_.calls.size(), 1u);
  EXPECT_TRUE(dialogs_.calls[0].save);
  EXPECT_EQ(dialogs_.calls[0].title, "Copy your Ostrel file to another location");
  EXPECT_EQ(dialogs_.calls[0].folder, Folder());
  EXPECT_EQ(ReadFileBytes(Path("copy.xps")), ReadFileBytes(DefaultFile()));
  EXPECT_TRUE(box_.shown.empty());
  EXPECT_TRUE(box_.questions.empty());
}

TEST_F(OptionsTest, ANameWithoutAnExtensionGetsXps) {
  const std::pair<const char*, const char*> copies[] = {
      {"copy", "copy.xps"}, {"dot.", "dot.xps"}, {".hidden", ".hidden.xps"}, {"keep.bak", "keep.bak"}};
  for (const auto& [typed, made] : copies) {
    dialogs_.results = {Path(typed)};
    P().cmdCopyFile->click();
    EXPECT_EQ(ReadFileBytes(Path(made)), ReadFileBytes(DefaultFile())) << typed;
  }
  // Opening: the .xps file of that name, unless only the name as typed exists.
  SeedPasswordFile(Path("plain"), kKey, {{"ann", "pw"}}, {});  // saved without its extension
  dialogs_.results = {Path("other"), Path("plain")};
  P().cmdChangeFile->click();
  EXPECT_EQ(P().txtFileName->text().toStdString(), Path("other.xps"));
  P().cmdChangeFile->click();
  EXPECT_EQ(P().txtFileName->text().toStdString(), Path("plain"));
  EXPECT_TRUE(box_.shown.empty());
}

TEST_F(OptionsTest, CopyOntoItselfLeavesTheFileIntact) {
  const std::string before = ReadFileBytes(DefaultFile());
  dialogs_.results = {DefaultFile(), Folder() + "/./ostrel.xps"};
  P().cmdCopyFile->click();
  P().cmdCopyFile->click();
  EXPECT_EQ(ReadFileBytes(DefaultFile()), before);
  EXPECT_TRUE(box_.shown.empty());
}

TEST_F(OptionsTest, AFailedCopyIsReportedAndTheSourceUntouched) {
  const std::string before = ReadFileBytes(DefaultFile());
  dialogs_.results = {Path("no/such/folder/copy.xps")};
  P().cmdCopyFile->click();
  ASSERT_EQ(box_.shown.size(), 1u);
  EXPECT_FALSE(box_.shown[0].empty());
  EXPECT_EQ(ReadFileBytes(DefaultFile()), before);
  EXPECT_EQ(W().CurrentPanel(), frmMain::kOptions);
}

TEST_F(OptionsTest, ACancelledDialogDoesNothing) {
  P().cmdCopyFile->click();
  P().cmdChangeFile->click();
  EXPECT_EQ(P().txtFileName->text().toStdString(), DefaultFile());
  EXPECT_TRUE(box_.shown.empty());
}

// The settings through the real QSettings store in a temporary file.
TEST(StartupRealSettingsTest, SettingsLiveInTheOstrelSettingsSection) {
  QTemporaryDir dir;
  const QString ini = dir.filePath("Ostrel.conf");
  const std::string folder = dir.path().toStdString();
  FakeMessageBox box;
  {
    QtSettings settings(ini);
    WindowServices services;
    services.messages = &box;
    services.settings = &settings;
    services.documentsFolder = [folder] { return folder; };
    frmMain window(services);
    window.Load();
    window.show();
    window.Panels().txtEncryptionKey->setText("abcdefgh");
    window.Panels().cmdContinue->click();
    window.Panels().txtUserName->setText("ann");
    window.Panels().txtPassword1->setText("pw");
    window.Panels().txtPassword2->setText("pw");
    window.Panels().cmdOK[6]->click();
    ASSERT_EQ(window.CurrentPanel(), frmMain::kSiteList);
    window.move(30, 40);
    window.close();
  }
  QSettings check(ini, QSettings::IniFormat);
  EXPECT_EQ(check.value("Settings/User").toString(), "1");
  EXPECT_EQ(check.value("Settings/MainLeft").toString(), "450");
  EXPECT_EQ(check.value("Settings/MainTop").toString(), "600");
  EXPECT_FALSE(check.contains("Settings/FileName"));
  EXPECT_TRUE(box.shown.empty());
}

}  // namespace
}  // namespace ostrel::test
