// Every input is held to what its record can store, counted in UTF-8 bytes.
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

#include "store/BuiltInKey.h"
#include "store/SlotLimits.h"
#include "store/WebRecord.h"
#include "tests/common/FileBytes.h"
#include "tests/window/WindowTest.h"

namespace ostrel::test {
namespace {

class LimitsTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Seed({{"ann", "a"}}, {{1, "small"}});
    AppendBigSite();
    Open();
    LogIn(1, "a");
    ASSERT_EQ(W().CurrentPanel(), frmMain::kSiteList);
  }
  // Slot 2: a record of ann two bytes short of the slot's limit; its
  // password input (the first) holds 250 bytes.
  void AppendBigSite() {
    StoreContext context;
    context.HeaderCipher.SetSecret(BuildBuiltInKey());
    context.DataCipher.SetSecret(kKey);
    context.PasswordFileName = DefaultFile();
    WebRecord record(context);
    record.SetSiteName("big");
    record.SetURL("http://127.0.0.1/big");
    record.SetForm(FormInfo{});
    for (int16_t i = 0; i < 5; ++i) {
      record.AddControl({i, i == 0 ? 3 : 2, "f" + std::to_string(i), "", std::string(250, 'v')});
    }
    const int32_t pad = kMaxSiteRecordBytes - 2 - record.PackedLength() - 7;  // 5 + name "f5"
    record.AddControl({5, 2, "f5", "", std::string(pad, 'w')});
    ASSERT_EQ(record.PackedLength(), kMaxSiteRecordBytes - 2);
    int16_t slot = -1;
    record.Save(1, slot);
  }
  // Whether text fits box when pasted into it (empty before).
  static bool Accepts(QLineEdit* box, const QString& text) {
    box->clear();
    box->insert(text);
    return box->text() == text;
  }
};

TEST_F(LimitsTest, EveryTextBoxRefusesMoreBytesThanItsRecordHolds) {
  const MainPanels& p = P();
  const std::pair<QLineEdit*, int> limits[] = {
      {p.txtPassword, kMaxUserNamePasswordBytes},    {p.txtUserName, kMaxUserNamePasswordBytes},
      {p.txtPassword1, kMaxUserNamePasswordBytes},   {p.txtPassword2, kMaxUserNamePasswordBytes},
      {p.txtOldPassword, kMaxUserNamePasswordBytes}, {p.txtNewPassword1, kMaxUserNamePasswordBytes},
      {p.txtNewPassword2, kMaxUserNamePasswordBytes}, {p.txtEncryptionKey, kMaxEncryptionKeyBytes},
      {p.txtSiteName, 255},                           {p.txtNewSiteName, 255},
      {p.txtNewPassword, 255},                        {p.txtNewPasswordConfirm, 255},
      {p.txtFileName, 4096},
      {p.txtInitialFilePathName, 4096}};
  for (const auto& [box, bytes] : limits) {
    EXPECT_TRUE(Accepts(box, QString(bytes, 'x'))) << box->objectName().toStdString();
    EXPECT_FALSE(Accepts(box, QString(bytes + 1, 'x'))) << box->objectName().toStdString();
  }
}

TEST_F(LimitsTest, TypingStopsAtTheLimitCountingBytes) {
  W().ShowPanel(frmMain::kModifySite);
  P().txtNewSiteName->setFocus();
  Type(P().txtNewSiteName, std::string(200, 'a'));
  Type(P().txtNewSiteName, "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"
                           "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"
                           "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"
                           "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9");  // 30 x e-acute
  EXPECT_EQ(P().txtNewSiteName->text().toUtf8().size(), 254);  // 200 + 27 x 2
  Type(P().txtNewSiteName, "b");
  EXPECT_EQ(P().txtNewSiteName->text().toUtf8().size(), 255);
}

// A page title longer than the name box takes is cut to fit, between two
// characters, so that the name can still be edited.
TEST_F(LimitsTest, AProposedNameIsCutToFitTheBoxBetweenCharacters) {
  const std::string key = "\xf0\x9f\x94\x91";  // 4 bytes, two UTF-16 units
  const std::pair<std::string, std::string> rows[] = {
      {std::string(300, 'a'), std::string(255, 'a')},
      {std::string(254, 'a') + "\xc3\xa9", std::string(254, 'a')},
      {std::string(253, 'a') + key + "b", std::string(253, 'a')},
      {std::string(251, 'a') + key + "b", std::string(251, 'a') + key},
      {"Sign in", "Sign in"},
  };
  W().ShowPanel(frmMain::kNameSite);
  for (const auto& [title, proposed] : rows) {
    W().ProposeSiteName(title);
    EXPECT_EQ(P().txtSiteName->text().toStdString(), proposed) << title.size();
    Key(Qt::Key_End);
    Key(Qt::Key_Backspace);
    EXPECT_LT(P().txtSiteName->text().toUtf8().size(), static_cast<qsizetype>(proposed.size()));
  }
}

TEST_F(LimitsTest, ARenameThatWouldOverflowTheSlotIsRefused) {
  P().lstSites->setCurrentRow(1);
  P().cmdEdit->click();
  ASSERT_EQ(P().txtNewSiteName->text(), "big");
  const std::string before = ReadFileBytes(DefaultFile());
  P().txtNewSiteName->setText(QString(255, 'n'));
  P().cmdRenameSite->click();
  ASSERT_EQ(box_.shown.size(), 1u);
  EXPECT_NE(box_.shown[0].find("too long"), std::string::npos);
  EXPECT_EQ(W().CurrentPanel(), frmMain::kModifySite);
  EXPECT_EQ(ReadFileBytes(DefaultFile()), before);
}

TEST_F(LimitsTest, ANewPasswordThatWouldOverflowTheSlotIsRefused) {
  P().lstSites->setCurrentRow(1);
  P().cmdEdit->click();
  const std::string before = ReadFileBytes(DefaultFile());
  P().txtNewPassword->setText(QString(253, 'p'));  // 3 bytes more than the old value
  P().txtNewPasswordConfirm->setText(QString(253, 'p'));
  P().cmdNewPassword->click();
  ASSERT_EQ(box_.shown.size(), 1u);
  EXPECT_NE(box_.shown[0].find("too long"), std::string::npos);
  EXPECT_EQ(W().CurrentPanel(), frmMain::kModifySite);
  EXPECT_EQ(ReadFileBytes(DefaultFile()), before);

  P().txtNewPassword->setText(QString(252, 'p'));  // exactly fills the slot
  P().txtNewPasswordConfirm->setText(QString(252, 'p'));
  P().cmdNewPassword->click();
  EXPECT_EQ(box_.shown.size(), 2u);  // and the change is told
  EXPECT_EQ(W().CurrentPanel(), frmMain::kSiteList);
  EXPECT_EQ(ReadSites(DefaultFile(), kKey)[1].passwords[0], std::string(252, 'p'));
}

TEST_F(LimitsTest, NamesThatFitAreStoredWhole) {
  P().lstSites->setCurrentRow(0);
  P().cmdEdit->click();
  const QString name = QString::fromUtf8("caf\xc3\xa9 ") + QString(249, 'x');  // 255 bytes trimmed
  P().txtNewSiteName->setText(name);
  P().cmdRenameSite->click();
  EXPECT_TRUE(box_.shown.empty());
  EXPECT_EQ(SiteNames()[0], name.trimmed().toStdString());
}

class WelcomeLimitsTest : public WindowTest {};

TEST_F(WelcomeLimitsTest, AnOverlongKeyIsRefusedAndNothingWritten) {
  Open();
  P().txtEncryptionKey->setText(QString(kMaxEncryptionKeyBytes + 1, 'k'));
  P().cmdContinue->click();
  ASSERT_EQ(box_.shown.size(), 1u);
  EXPECT_NE(box_.shown[0].find("too long"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(DefaultFile()));
  P().txtEncryptionKey->setText(QString(kMaxEncryptionKeyBytes, 'k'));
  P().cmdContinue->click();
  EXPECT_EQ(W().CurrentPanel(), frmMain::kNewUser);
  struct stat info {};
  ASSERT_EQ(stat(DefaultFile().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

}  // namespace
}  // namespace ostrel::test
