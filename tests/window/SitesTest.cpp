// The site list of the logged-in user and the commands of ModifySite.
#include <fstream>
#include <functional>
#include <tuple>

#include "store/SiteSlots.h"
#include "store/WebRecord.h"

#include "tests/common/FileBytes.h"
#include "tests/window/WindowTest.h"

namespace ostrel::test {
namespace {

class SitesTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    // Slots: 1 ann "alpha", 2 bob "bravo", 3 ann "charlie" (two password inputs).
    Seed({{"ann", "a"}, {"bob", "b"}, {"cid", "c"}},
         {{1, "alpha", "p1"}, {2, "bravo"}, {1, "charlie", "p3", "pin"}});
    Open();
    LogIn(1, "a");
    ASSERT_EQ(W().CurrentPanel(), frmMain::kSiteList);
  }
  // Modify on the entry at row.
  void Modify(int row) {
    P().lstSites->setCurrentRow(row);
    P().cmdEdit->click();
    ASSERT_EQ(W().CurrentPanel(), frmMain::kModifySite);
  }
};

TEST_F(SitesTest, EachUserSeesOwnSitesWithTheirSlots) {
  EXPECT_EQ(SiteNames(), (std::vector<std::string>{"alpha", "charlie"}));
  EXPECT_EQ(SiteSlots(), (std::vector<int>{1, 3}));
  // The first site is chosen, so that Enter goes to it.
  EXPECT_EQ(W().SelectedSiteName(), "alpha");
  EXPECT_EQ(Focus(), P().txtFilter);
  P().cmdLogOff->click();
  LogIn(2, "b");
  EXPECT_EQ(SiteNames(), std::vector<std::string>{"bravo"});
  EXPECT_EQ(SiteSlots(), std::vector<int>{2});
}

TEST_F(SitesTest, AUserWithoutSitesSeesAnEmptyListAndModifyAndGoToDoNothing) {
  P().cmdLogOff->click();
  LogIn(3, "c");
  EXPECT_EQ(P().lstSites->count(), 0);
  P().cmdEdit->click();
  P().cmdGoto->click();
  EXPECT_EQ(W().CurrentPanel(), frmMain::kSiteList);
  EXPECT_TRUE(hooks_->calls.empty());
}

class FilterTest : public WindowTest {};

// Typing into the filter narrows the list to the names holding it, in any
// letter case, and chooses the first one shown; Down moves on, Enter goes,
// Escape empties the filter before it logs off; logging off forgets it.
TEST_F(FilterTest, TheFilterNarrowsTheListFromWhichDownEnterAndEscapeWork) {
  Seed({{"ann", "a"}}, {{1, "Bank of Alpha"}, {1, "alphabet soup"}, {1, "Mail"}, {1, "ALP"}});
  Open();
  LogIn(1, "a");
  const std::pair<const char*, std::vector<std::string>> rows[] = {
      {"ALPHA", {"Bank of Alpha", "alphabet soup"}}, {"  soup ", {"alphabet soup"}}, {"zz", {}}};
  for (const auto& [typed, shown] : rows) {
    P().txtFilter->setText(typed);
    EXPECT_EQ(SiteNames(), shown) << typed;
    EXPECT_EQ(W().SelectedSiteName(), shown.empty() ? "" : shown[0]) << typed;
  }
  P().txtFilter->clear();
  P().txtFilter->setFocus();
  Type(P().txtFilter, "al");
  Key(Qt::Key_Down);
  Key(Qt::Key_Down);  // past the hidden Mail
  EXPECT_EQ(W().SelectedSiteName(), "ALP");
  Key(Qt::Key_Return);
  EXPECT_EQ(hooks_->calls, std::vector<std::string>{"GoTo 4"});
  Key(Qt::Key_Escape);
  EXPECT_EQ(SiteNames().size(), 4u);
  Type(P().txtFilter, "soup");
  P().lstSites->setFocus();
  Key(Qt::Key_Escape);
  EXPECT_EQ(W().CurrentPanel(), frmMain::kSiteList);
  Type(P().txtFilter, "soup");
  P().cmdLogOff->click();
  LogIn(1, "a");
  EXPECT_EQ(SiteNames().size(), 4u);
}

TEST_F(SitesTest, ModifyOpensTheSiteWithItsName) {
  Modify(1);
  EXPECT_EQ(W().SiteIndex(), 3);
  EXPECT_EQ(P().txtNewSiteName->text(), "charlie");
  EXPECT_EQ(P().txtNewPassword->text(), "");
}

TEST_F(SitesTest, RenameStoresTheTrimmedNameInPlace) {
  Modify(1);
  P().txtNewSiteName->setText("  delta  ");
  P().cmdRenameSite->click();
  EXPECT_EQ(W().CurrentPanel(), frmMain::kSiteList);
  EXPECT_EQ(SiteNames(), (std::vector<std::string>{"alpha", "delta"}));
  EXPECT_EQ(SiteSlots(), (std::vector<int>{1, 3}));
  EXPECT_EQ(P().lstSites->currentRow(), -1);
  const std::vector<StoredSite> sites = ReadSites(DefaultFile(), kKey);
  EXPECT_EQ(sites[2].name, "delta");
  EXPECT_EQ(sites[2].passwords, (std::vector<std::string>{"p3", "pin"}));
}

TEST_F(SitesTest, ARenameToBlanksChangesNothing) {
  Modify(0);
  const std::string before = ReadFileBytes(DefaultFile());
  for (const char* blank : {"   ", "\t"}) {
    P().txtNewSiteName->setText(blank);
    P().cmdRenameSite->click();
  }
  EXPECT_EQ(W().CurrentPanel(), frmMain::kModifySite);
  EXPECT_EQ(ReadFileBytes(DefaultFile()), before);
  EXPECT_TRUE(box_.shown.empty());
}

TEST_F(SitesTest, ANewPasswordGoesIntoTheFirstPasswordInputOnly) {
  Modify(1);
  P().txtNewPassword->setText(" fresh ");
  P().txtNewPasswordConfirm->setText("fresh");
  P().cmdNewPassword->click();
  EXPECT_EQ(W().CurrentPanel(), frmMain::kSiteList);
  EXPECT_EQ(box_.shown, std::vector<std::string>{"The password of \"charlie\" was changed."});
  const std::vector<StoredSite> sites = ReadSites(DefaultFile(), kKey);
  EXPECT_EQ(sites[2].passwords, (std::vector<std::string>{"fresh", "pin"}));
  EXPECT_EQ(sites[0].passwords, std::vector<std::string>{"p1"});
  EXPECT_EQ(W().SelectedSiteName(), "charlie");
}

// Nothing typed changes nothing, quietly; two entries that differ, or a
// login without a password input, are refused with a message.
TEST_F(SitesTest, ANewPasswordIsRefusedUnlessTypedTwiceForALoginWithAPassword) {
  const std::unique_ptr<StoreContext> other = AnotherProgram();
  WebRecord record(*other);  // a login of ann's with a user name only
  record.SetSiteName("delta");
  record.SetForm(FormInfo{});
  record.AddControl({0, 1, "user", "", "me"});
  int16_t slot = -1;
  record.Save(1, slot);
  W().RefreshSiteList();
  const std::string before = ReadFileBytes(DefaultFile());
  const std::tuple<int, const char*, const char*, const char*> rows[] = {
      {0, "  ", "", nullptr},
      {0, "fresh", "Fresh", "Your new password entries did not match."},
      {2, "fresh", "fresh", "This site's login holds no password, so there is none to change. "
                            "Re-record the site to store a login with a password."}};
  for (const auto& [row, first, second, message] : rows) {
    box_.shown.clear();
    W().ShowPanel(frmMain::kSiteList);
    Modify(row);
    P().txtNewPassword->setText(first);
    P().txtNewPasswordConfirm->setText(second);
    P().cmdNewPassword->click();
    EXPECT_EQ(box_.shown, message ? std::vector<std::string>{message} : std::vector<std::string>{});
    EXPECT_EQ(W().CurrentPanel(), frmMain::kModifySite);
  }
  EXPECT_EQ(ReadFileBytes(DefaultFile()), before);
}

TEST_F(SitesTest, DeleteAnsweredNoChangesNothing) {
  Modify(0);
  const std::string before = ReadFileBytes(DefaultFile());
  box_.answers = {false};
  P().cmdDeleteSite->click();
  EXPECT_EQ(box_.questions,
            std::vector<std::string>{"Are you sure you want to delete this site from your list?"});
  EXPECT_EQ(W().CurrentPanel(), frmMain::kModifySite);
  EXPECT_EQ(ReadFileBytes(DefaultFile()), before);
}

TEST_F(SitesTest, DeletingMovesTheLaterSitesDown) {
  P().cmdLogOff->click();
  LogIn(2, "b");
  Modify(0);  // bravo, slot 2 of 3
  P().cmdDeleteSite->click();
  EXPECT_EQ(W().CurrentPanel(), frmMain::kSiteList);
  EXPECT_EQ(P().lstSites->count(), 0);
  P().cmdLogOff->click();
  LogIn(1, "a");
  EXPECT_EQ(SiteNames(), (std::vector<std::string>{"alpha", "charlie"}));
  EXPECT_EQ(SiteSlots(), (std::vector<int>{1, 2}));
}

TEST_F(SitesTest, AFailedWriteIsReportedAndChangesNothing) {
  Modify(1);
  const std::string before = ReadFileBytes(DefaultFile());
  failWrites_ = 1;
  P().txtNewSiteName->setText("delta");
  P().cmdRenameSite->click();
  EXPECT_EQ(box_.shown, std::vector<std::string>{"The disk is full."});
  EXPECT_EQ(W().CurrentPanel(), frmMain::kModifySite);
  EXPECT_EQ(ReadFileBytes(DefaultFile()), before);
  P().cmdCancel[8]->click();
  EXPECT_EQ(SiteNames(), (std::vector<std::string>{"alpha", "charlie"}));
}

TEST_F(SitesTest, GoToAndDoubleClickReplayTheChosenSlot) {
  P().lstSites->setCurrentRow(1);
  P().cmdGoto->click();
  const QPoint centre = P().lstSites->visualRowRect(0).center();
  QTest::mouseClick(P().lstSites->viewport(), Qt::LeftButton, {}, centre);
  QTest::mouseDClick(P().lstSites->viewport(), Qt::LeftButton, {}, centre);
  EXPECT_EQ(hooks_->calls, (std::vector<std::string>{"GoTo 3", "GoTo 1"}));
  EXPECT_EQ(W().CurrentPanel(), frmMain::kSiteList);
}

TEST_F(SitesTest, NewSiteAndReRecordLeadToRecordReady) {
  Modify(1);
  P().cmdReRecord->click();
  EXPECT_EQ(hooks_->calls, std::vector<std::string>{"ReRecord"});
  EXPECT_EQ(W().SiteIndex(), 3);
  W().ShowPanel(frmMain::kSiteList);
  P().cmdNewSite->click();
  EXPECT_EQ(W().CurrentPanel(), frmMain::kRecordReady);
  EXPECT_EQ(W().SiteIndex(), -1);
  P().cmdRecord->click();
  W().ShowPanel(frmMain::kNameSite);
  P().txtSiteName->setText("echo");
  P().cmdSave->click();
  EXPECT_EQ(hooks_->calls, (std::vector<std::string>{"ReRecord", "Record", "Save"}));
}

// Cancel on any recording panel, Log Off and the idle log-off end the
// recording, so that the page can no longer move the window.
TEST_F(SitesTest, GivingUpEndsTheRecording) {
  for (const int32_t panel : {frmMain::kRecordReady, frmMain::kRecording, frmMain::kNameSite}) {
    const int before = hooks_->ended;
    W().ShowPanel(panel);
    P().cmdCancel[panel]->click();
    EXPECT_EQ(hooks_->ended, before + 1) << panel;
    EXPECT_EQ(W().CurrentPanel(), frmMain::kSiteList);
  }
  const int before = hooks_->ended;
  P().cmdLogOff->click();
  EXPECT_EQ(hooks_->ended, before + 1);
}

// Another program deletes bob's bravo after ann's list was made: her
// charlie moves from slot 3 to 2. Whatever ann then does with charlie (by
// the slot her list showed) must not reach the record now in slot 3:
// the list is brought up to date, she is told, nothing is typed or written.
TEST_F(SitesTest, ASiteMovedByAnotherProgramIsNeitherReplayedNorChanged) {
  struct Command {
    const char* name;
    bool modifyFirst;  // chosen with Modify before the other program acts
    std::function<void()> press;
  };
  const std::vector<Command> commands = {
      {"Go To", false, [this] {
         P().lstSites->setCurrentRow(1);
         P().cmdGoto->click();
       }},
      {"Modify", false, [this] {
         P().lstSites->setCurrentRow(1);
         P().cmdEdit->click();
       }},
      {"Rename", true, [this] {
         P().txtNewSiteName->setText("renamed");
         P().cmdRenameSite->click();
       }},
      {"New Password", true, [this] {
         P().txtNewPassword->setText("fresh");
         P().txtNewPasswordConfirm->setText("fresh");
         P().cmdNewPassword->click();
       }},
      {"Delete Site", true, [this] { P().cmdDeleteSite->click(); }},
      {"Save of a re-recording", true, [this] {
         P().cmdReRecord->click();
         W().ShowPanel(frmMain::kNameSite);
         P().txtSiteName->setText("charlie");
         P().cmdSave->click();
       }},
  };
  const std::string seeded = ReadFileBytes(DefaultFile());
  for (const Command& command : commands) {
    SCOPED_TRACE(command.name);
    WriteFileBytes(DefaultFile(), seeded);
    W().ShowPanel(frmMain::kSiteList);
    W().RefreshSiteList();
    ASSERT_EQ(SiteSlots(), (std::vector<int>{1, 3}));
    if (command.modifyFirst) Modify(1);
    auto other = AnotherProgram();
    WebRecord(*other).DeleteSite({2, 2, "bravo"});
    {
      int16_t slot = -1;  // something of bob's in slot 3 now
      WebRecord record(*other);
      record.Retrieve(1);
      record.SetSiteName("bob's bank");
      record.Save(2, slot);
    }
    const std::string changed = ReadFileBytes(DefaultFile());
    box_.shown.clear();
    hooks_->calls.clear();

    command.press();

    EXPECT_EQ(box_.shown, std::vector<std::string>{kSiteChangedExplanation});
    EXPECT_EQ(ReadFileBytes(DefaultFile()), changed);
    for (const std::string& call : hooks_->calls) EXPECT_EQ(call, "ReRecord");
    EXPECT_EQ(W().CurrentPanel(), frmMain::kSiteList);
    EXPECT_EQ(SiteNames(), (std::vector<std::string>{"alpha", "charlie"}));
    EXPECT_EQ(SiteSlots(), (std::vector<int>{1, 2}));
  }
}

TEST_F(SitesTest, ABlankSiteNameIsRefusedAndNothingSaved) {
  W().ShowPanel(frmMain::kNameSite);
  const std::string before = ReadFileBytes(DefaultFile());
  for (const char* blank : {"", "   ", "\t "}) {
    P().txtSiteName->setText(blank);
    P().cmdSave->click();
    EXPECT_EQ(Focus(), P().txtSiteName) << blank;
  }
  EXPECT_EQ(box_.shown, std::vector<std::string>(3, "Please enter a name for the website."));
  EXPECT_TRUE(hooks_->calls.empty());
  EXPECT_EQ(W().CurrentPanel(), frmMain::kNameSite);
  EXPECT_EQ(ReadFileBytes(DefaultFile()), before);
}

TEST_F(SitesTest, SelectSiteFindsTheEntryByItsSlot) {
  W().SelectSite(3);
  EXPECT_EQ(W().SelectedSiteName(), "charlie");
  W().SelectSite(2);  // bob's: not in this list, the selection stays
  EXPECT_EQ(W().SelectedSiteName(), "charlie");
  W().SelectSite(-1);
  EXPECT_EQ(W().SelectedSiteName(), "charlie");
}

}  // namespace
}  // namespace ostrel::test
