// Operations by slot number check that the slot still holds the site the
// list showed; one-pass listing and deletion.
#include <gtest/gtest.h>

#include <functional>

#include "store/Blocks.h"
#include "store/WebRecord.h"
#include "store/WebUsers.h"
#include "support/ErrorNumbers.h"
#include "tests/store/StoreTestSupport.h"

namespace ostrel {
namespace {

using test::ErrorNumberOf;

class ListedSiteTest : public test::StoreTest {
 protected:
  void SetUp() override {
    CreatePasswordFile();
    // Slots: 1 ann a1, 2 bob b1, 3 ann a2, 4 ann a3 (ann is user 1, bob 2).
    AddSite(1, "a1");
    AddSite(2, "b1");
    AddSite(1, "a2");
    AddSite(1, "a3");
  }

  void DeleteSlot(int16_t slot) {
    WebRecord list(context);
    list.FileOpen();
    list.Delete(slot);
  }
};

// What another window or program did after the list was made, and the site
// the list showed that is no longer where it was.
struct Change {
  const char* what;
  ListedSite listed;
  std::function<void()> apply;
};

TEST_F(ListedSiteTest, EveryOperationOnAMovedSiteIsRefusedAndChangesNothing) {
  const std::vector<Change> changes = {
      {"a site before it deleted", {3, 1, "a2"}, [this] { DeleteSlot(2); }},
      {"deleted itself", {3, 1, "a2"}, [this] { DeleteSlot(3); }},
      {"renamed", {3, 1, "a2"},
       [this] {
         int16_t slot = 3;
         test::MakeSite(context, "renamed").Save(1, slot);
       }},
      {"now past the last record", {4, 1, "a3"}, [this] { DeleteSlot(1); }},
      {"taken over by another user", {1, 1, "a1"},
       [this] {
         int16_t slot = 1;
         test::MakeSite(context, "a1").Save(2, slot);
       }},
  };
  const std::string original = FileBytes();
  for (const Change& change : changes) {
    SCOPED_TRACE(change.what);
    test::WriteFileBytes(context.PasswordFileName, original);
    change.apply();
    const std::string changed = FileBytes();
    const ListedSite& listed = change.listed;
    const std::vector<std::function<void()>> operations = {
        [&] { WebRecord(context).CheckSite(listed); },
        [&] { WebRecord(context).Retrieve(listed); },
        [&] { test::MakeSite(context, "new name").Save(1, listed); },
        [&] { WebRecord(context).DeleteSite(listed); },
        [&] {
          StoreContext::ExpectSite expect(context, listed);
          WebRecord(context).Retrieve(listed.Slot);
        },
        [&] {
          StoreContext::ExpectSite expect(context, listed);
          int16_t slot = listed.Slot;
          test::MakeSite(context, "re-recorded").Save(1, slot);
        },
    };
    for (size_t i = 0; i < operations.size(); ++i) {
      EXPECT_EQ(ErrorNumberOf(operations[i]), err::kRecordChanged) << "operation " << i;
      EXPECT_EQ(FileBytes(), changed) << "operation " << i;
    }
  }
}

TEST_F(ListedSiteTest, OperationsOnASiteStillInPlaceWork) {
  const ListedSite a2{3, 1, "a2"};
  WebRecord(context).CheckSite(a2);
  WebRecord record(context);
  record.Retrieve(a2);
  EXPECT_EQ(record.SiteName(), "a2");
  record.SetSiteName("a2 renamed");
  record.Save(1, a2);
  {
    StoreContext::ExpectSite expect(context, {4, 1, "a3"});
    WebRecord(context).Retrieve(3);  // another slot: not checked
    WebRecord(context).Retrieve(4);
  }
  WebRecord(context).DeleteSite({1, 1, "a1"});
  EXPECT_EQ(ListSites(1), (std::vector<std::string>{"a2 renamed", "a3"}));
}

// An empty slot among the records, as an older program could leave: the
// list passes over it and deleting a user's sites closes it up.
TEST_F(ListedSiteTest, AGapIsPassedOverAndClosedUp) {
  std::string empty;
  EncryptBlock(context, empty, 2048, false);
  context.Files().Open(context.PasswordFileName, 2048)->Write(2 + 2, empty);
  const std::vector<ListedSite> sites = WebRecord(context).ListSites(1);
  ASSERT_EQ(sites.size(), 3u);
  EXPECT_EQ(sites[2].Slot, 4);
  EXPECT_EQ(WebRecord(context).DeleteSitesOf(7), 1);
  EXPECT_EQ(ListSites(1), (std::vector<std::string>{"a1", "a2", "a3"}));
  WebRecord list(context);
  list.FileOpen();
  EXPECT_EQ(list.RecordCount(), 3);
}

TEST_F(ListedSiteTest, DeletingAUsersSitesIsOnePassThatKeepsTheOrder) {
  AddSite(2, "b2");
  AddSite(1, "a4");
  const size_t length = FileBytes().size();
  EXPECT_EQ(WebRecord(context).DeleteSitesOf(1), 4);
  EXPECT_EQ(ListSites(2), (std::vector<std::string>{"b1", "b2"}));
  EXPECT_EQ(WebRecord(context).ListSites(2)[1].Slot, 2);
  EXPECT_EQ(FileBytes().size(), length);
  EXPECT_EQ(WebRecord(context).DeleteSitesOf(1), 0);
  EXPECT_EQ(FileBytes().size(), length);
}

TEST_F(ListedSiteTest, DeletingAUserTakesTheirSitesInTheSameChange) {
  WebUsers users(context);
  int16_t last = 0;
  for (const char* name : {"ann", "bob", "cid"}) users.CreateUser(last, name, "pw");
  EXPECT_EQ(ErrorNumberOf([&] { users.DeleteUserWithSites(2, "ann"); }), err::kRecordChanged);
  EXPECT_EQ(ListSites(2), std::vector<std::string>{"b1"});
  EXPECT_EQ(users.DeleteUserWithSites(1, "ann"), 3);
  users.Load();
  ASSERT_EQ(users.Count(), 2);
  EXPECT_EQ(users.UserName(1), "bob");
  EXPECT_EQ(users.GetUserID(1), 2);
  EXPECT_EQ(ListSites(2), std::vector<std::string>{"b1"});
  EXPECT_TRUE(ListSites(1).empty());
}

}  // namespace
}  // namespace ostrel
