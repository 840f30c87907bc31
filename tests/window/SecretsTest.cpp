// Copying a site's user name or password with care, and the password
// generator of ModifySite, on the real clipboard.
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "tests/window/WindowTest.h"
#include "window/PasswordGenerator.h"

namespace ostrel::test {
namespace {

// The clipboard's text, and its hint for clipboard managers.
std::pair<std::string, std::string> Clipboard() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  if (!data) return {};
  return {data->text().toStdString(), data->data("x-kde-passwordManagerHint").toStdString()};
}

class CopyTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    SeedSite noUser(1, "no user"), noPassword(1, "no password");
    noUser.userName = "";
    noPassword.hasPassword = false;
    Seed({{"ann", "a"}}, {{1, "bank", "b4nk"}, noUser, noPassword});
    Open();
    LogIn(1, "a");
    QGuiApplication::clipboard()->setText("earlier");
  }
};

// From the menu, or its shortcuts in the list or the filter box; 30 s
// later, or at log-off, taken off unless something else was copied since.
TEST_F(CopyTest, CopiesMarkedAsASecretAndTakesItOffAgain) {
  const std::pair<std::function<void()>, std::string> rows[] = {
      {[this] { P().actCopyPassword->trigger(); }, "b4nk"},
      {[this] { P().lstSites->setFocus(); Key(Qt::Key_B, Qt::ControlModifier); }, "me"},
      {[this] { P().txtFilter->setFocus(); Key(Qt::Key_C, Qt::ControlModifier); }, "b4nk"},
  };
  for (const auto& [copy, copied] : rows) {
    copy();
    EXPECT_EQ(Clipboard(), std::make_pair(copied, std::string("secret")));
  }
  EXPECT_EQ(clipboardTimer_.interval, 30 * 1000);
  clipboardTimer_.Fire();
  EXPECT_EQ(Clipboard().first, "");
  P().actCopyUserName->trigger();
  QGuiApplication::clipboard()->setText("me");  // another program's, the same text
  clipboardTimer_.Fire();
  EXPECT_EQ(Clipboard().first, "me");
  P().actCopyUserName->trigger();
  P().cmdLogOff->click();
  EXPECT_EQ(Clipboard().first, "");
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
}

// Generated into both masked boxes, shown on request, copied with care,
// saved with OK.
TEST_F(CopyTest, GenerateFillsBothMaskedBoxesAndOkSavesIt) {
  P().cmdEdit->click();
  P().cmdGenerate->click();
  const QString password = P().txtNewPassword->text();
  EXPECT_EQ(password.size(), 20);
  EXPECT_EQ(P().txtNewPasswordConfirm->text(), password);
  P().chkShowPassword->click();
  EXPECT_EQ(P().txtNewPasswordConfirm->echoMode(), QLineEdit::Normal);
  P().cmdCopyNewPassword->click();
  EXPECT_EQ(Clipboard(), std::make_pair(password.toStdString(), std::string("secret")));
  P().cmdNewPassword->click();
  EXPECT_EQ(ReadSites(DefaultFile(), kKey)[0].passwords, std::vector<std::string>{password.toStdString()});
  P().cmdEdit->click();  // shown again, masked again
  EXPECT_EQ(P().txtNewPassword->echoMode(), QLineEdit::Password);
}

// The length and the kinds of characters chosen; each kind chosen is in it.
TEST_F(CopyTest, GenerateFollowsTheLengthAndKindsChosen) {
  P().cmdEdit->click();
  P().spnLength->setValue(128);
  P().chkLower->setChecked(false);
  P().chkDigits->setChecked(false);
  P().cmdGenerate->click();
  const std::string password = P().txtNewPassword->text().toStdString();
  const std::string upper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ", symbols = PasswordGenerator::kSymbols;
  EXPECT_EQ(password.size(), 128u);
  EXPECT_EQ(password.find_first_not_of(upper + symbols), std::string::npos) << password;
  EXPECT_NE(password.find_first_of(symbols), std::string::npos) << password;
  P().chkUpper->setChecked(false);
  P().chkSymbols->setChecked(false);
  P().cmdGenerate->click();
  EXPECT_EQ(box_.shown, std::vector<std::string>{"Choose at least one kind of character for the new password."});
}

}  // namespace
}  // namespace ostrel::test
