// Copying a site's user name or password with care, and the password
// generator of ModifySite, on the real clipboard.
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <set>

#include "tests/common/FileBytes.h"
#include "tests/window/WindowTest.h"
#include "window/PasswordGenerator.h"

namespace ostrel::test {
namespace {

const char kHint[] = "x-kde-passwordManagerHint";

// What the clipboard holds: its text, and its hint for clipboard managers.
std::pair<std::string, std::string> Clipboard() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  if (!data) return {};
  return {data->text().toStdString(), data->data(kHint).toStdString()};
}

void AnotherProgramCopies(const QString& text) { QGuiApplication::clipboard()->setText(text); }

class CopyTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    SeedSite noUser(1, "no user", "pw only");
    noUser.userName = "";
    SeedSite noPassword(1, "no password");
    noPassword.hasPassword = false;
    noPassword.userName = "ann@mail";
    Seed({{"ann", "a"}}, {{1, "bank", "b4nk"}, noUser, noPassword});
    Open();
    LogIn(1, "a");
    AnotherProgramCopies("earlier");
  }
};

// From the menu, or its shortcuts in the list or the filter box.
TEST_F(CopyTest, CopiesTheChosenSitesUserNameOrPasswordMarkedAsASecret) {
  EXPECT_EQ(P().actCopyUserName->shortcut().toString(), "Ctrl+B");
  EXPECT_EQ(P().actCopyPassword->shortcut().toString(), "Ctrl+C");
  EXPECT_EQ(P().lstSites->actions(), (QList<QAction*>{P().actCopyUserName, P().actCopyPassword}));
  const struct {
    const char* how;
    std::function<void()> copy;
    std::string copied;
  } rows[] = {
      {"menu, user name", [this] { P().actCopyUserName->trigger(); }, "me"},
      {"menu, password", [this] { P().actCopyPassword->trigger(); }, "b4nk"},
      {"Ctrl+B in the list", [this] { P().lstSites->setFocus(); Key(Qt::Key_B, Qt::ControlModifier); }, "me"},
      {"Ctrl+C in the list", [this] { P().lstSites->setFocus(); Key(Qt::Key_C, Qt::ControlModifier); }, "b4nk"},
      {"Ctrl+C in the filter", [this] { P().txtFilter->setFocus(); Key(Qt::Key_C, Qt::ControlModifier); }, "b4nk"},
  };
  for (const auto& row : rows) {
    AnotherProgramCopies("earlier");
    P().lstSites->setCurrentRow(0);
    row.copy();
    EXPECT_EQ(Clipboard(), std::make_pair(row.copied, std::string("secret"))) << row.how;
  }
  EXPECT_TRUE(box_.shown.empty());
}

TEST_F(CopyTest, NothingIsCopiedForALoginWithoutSuchAnInput) {
  P().lstSites->setCurrentRow(1);
  P().actCopyUserName->trigger();
  P().lstSites->setCurrentRow(2);
  P().actCopyPassword->trigger();
  EXPECT_EQ(box_.shown,
            (std::vector<std::string>{"This site's login holds no user name, so nothing was copied.",
                                      "This site's login holds no password, so nothing was copied."}));
  EXPECT_EQ(Clipboard().first, "earlier");
  P().lstSites->setCurrentRow(-1);  // nothing chosen: nothing happens
  P().actCopyPassword->trigger();
  EXPECT_EQ(box_.shown.size(), 2u);
}

// 30 seconds later, or at log-off, the copy is taken off the clipboard,
// unless something else was copied since.
TEST_F(CopyTest, TheCopyIsClearedAfterThirtySecondsOrAtLogOffIfStillThere) {
  P().actCopyPassword->trigger();
  EXPECT_EQ(clipboardTimer_.interval, 30 * 1000);
  clipboardTimer_.Fire();
  EXPECT_EQ(Clipboard().first, "");

  P().actCopyPassword->trigger();
  AnotherProgramCopies("b4nk");  // the same text, but not Ostrel's copy
  clipboardTimer_.Fire();
  EXPECT_EQ(Clipboard().first, "b4nk");

  P().lstSites->setCurrentRow(0);
  P().actCopyUserName->trigger();
  P().cmdLogOff->click();
  EXPECT_EQ(Clipboard().first, "");
  EXPECT_FALSE(clipboardTimer_.active);
}

class GeneratorTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Seed({{"ann", "a"}}, {{1, "bank", "b4nk"}});
    Open();
    LogIn(1, "a");
    P().cmdEdit->click();
    ASSERT_EQ(W().CurrentPanel(), frmMain::kModifySite);
  }
};

// Generated, masked, shown on request, copied with care, saved with OK.
TEST_F(GeneratorTest, GenerateFillsBothMaskedBoxesAndOkSavesIt) {
  P().cmdGenerate->click();
  const QString password = P().txtNewPassword->text();
  EXPECT_EQ(password.size(), 20);
  EXPECT_EQ(P().txtNewPasswordConfirm->text(), password);
  EXPECT_EQ(P().txtNewPassword->echoMode(), QLineEdit::Password);
  P().chkShowPassword->click();
  EXPECT_EQ(P().txtNewPassword->echoMode(), QLineEdit::Normal);
  EXPECT_EQ(P().txtNewPasswordConfirm->echoMode(), QLineEdit::Normal);
  P().cmdCopyNewPassword->click();
  EXPECT_EQ(Clipboard(), std::make_pair(password.toStdString(), std::string("secret")));
  P().cmdNewPassword->click();
  EXPECT_EQ(W().CurrentPanel(), frmMain::kSiteList);
  EXPECT_EQ(ReadSites(DefaultFile(), kKey)[0].passwords,
            std::vector<std::string>{password.toStdString()});
  // Shown again, the panel masks its boxes once more.
  P().cmdEdit->click();
  EXPECT_FALSE(P().chkShowPassword->isChecked());
  EXPECT_EQ(P().txtNewPassword->echoMode(), QLineEdit::Password);
}

TEST_F(GeneratorTest, LengthAndKindsOfCharactersAreThoseChosen) {
  const struct {
    int length;
    bool upper, lower, digits, symbols;
    const char* allowed;
  } rows[] = {
      {4, true, true, true, true, nullptr},
      {32, false, false, true, false, "0123456789"},
      {128, true, false, false, true, "ABCDEFGHIJKLMNOPQRSTUVWXYZ!#$%&*+-.:;=?@^_~"},
  };
  for (const auto& row : rows) {
    P().spnLength->setValue(row.length);
    P().chkUpper->setChecked(row.upper);
    P().chkLower->setChecked(row.lower);
    P().chkDigits->setChecked(row.digits);
    P().chkSymbols->setChecked(row.symbols);
    P().cmdGenerate->click();
    const std::string password = P().txtNewPassword->text().toStdString();
    EXPECT_EQ(password.size(), static_cast<size_t>(row.length));
    if (row.allowed) {
      EXPECT_EQ(password.find_first_not_of(row.allowed), std::string::npos) << password;
    }
    const std::pair<bool, const char*> kinds[] = {
        {row.upper, "ABCDEFGHIJKLMNOPQRSTUVWXYZ"},
        {row.lower, "abcdefghijklmnopqrstuvwxyz"},
        {row.digits, "0123456789"},
        {row.symbols, PasswordGenerator::kSymbols}};
    for (const auto& [chosen, kind] : kinds) {
      EXPECT_EQ(password.find_first_of(kind) != std::string::npos, chosen) << password;
    }
  }
  for (QCheckBox* kind : {P().chkUpper, P().chkLower, P().chkDigits, P().chkSymbols}) {
    kind->setChecked(false);
  }
  P().txtNewPassword->clear();
  P().cmdGenerate->click();
  EXPECT_EQ(box_.shown,
            std::vector<std::string>{"Choose at least one kind of character for the new password."});
  EXPECT_EQ(P().txtNewPassword->text(), "");
}

// Drawn from the random source: no two alike, every character of the
// alphabet in use.
TEST(PasswordGeneratorTest, PasswordsAreDrawnFromTheWholeAlphabet) {
  std::set<std::string> passwords;
  std::set<char> seen;
  for (int i = 0; i < 500; ++i) {
    const std::string password = PasswordGenerator::Generate({});
    passwords.insert(password);
    seen.insert(password.begin(), password.end());
  }
  EXPECT_EQ(passwords.size(), 500u);
  EXPECT_EQ(seen.size(), 26u + 26u + 10u + std::string(PasswordGenerator::kSymbols).size());
}

}  // namespace
}  // namespace ostrel::test
