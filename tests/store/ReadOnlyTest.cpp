// A password file that can be read but not written - the file itself, or
// its folder - opens for login, the site list and Go To, writes nothing,
// and refuses every change with a message saying it is read-only.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "store/FileInfo.h"
#include "store/Journal.h"
#include "store/WebRecord.h"
#include "store/WebUsers.h"
#include "support/ErrorNumbers.h"
#include "tests/store/StoreTestSupport.h"

namespace ostrel {
namespace {

using test::ErrorNumberOf;

const std::vector<std::string> kSites = {"one", "two", "three"};

class ReadOnlyFile : public test::StoreTest {
 protected:
  void SetUp() override {
    CreatePasswordFile();
    int16_t last = 0;
    WebUsers users(context);
    users.CreateUser(last, "ann", "ann-pw");
    users.CreateUser(last, "bob", "bob-pw");
    FileInfo(context).SetLastUserID(last);
    for (const std::string& name : kSites) AddSite(1, name);
    FileInfo{context};  // the version the window's next start leaves
    before = FileBytes();
  }

  std::string before;
};

// The parameter: the folder is read-only (else the file).
class ReadOnlyTest : public ReadOnlyFile, public ::testing::WithParamInterface<bool> {};

TEST_P(ReadOnlyTest, OpensForReadingAndRefusesEveryChange) {
  test::ReadOnly readOnly(GetParam() ? dir.Path() : context.PasswordFileName);
  if (!readOnly.Works()) GTEST_SKIP() << "cannot make it read-only here";

  FileInfo header(context);
  EXPECT_EQ(header.EncryptionKey(), test::kDataKey);
  WebUsers users(context);
  users.Load();
  EXPECT_EQ(users.Count(), 2);
  EXPECT_TRUE(users.CheckPassword(2, "bob-pw"));
  EXPECT_EQ(ListSites(1), kSites);
  WebRecord site(context);
  site.Retrieve(2);
  EXPECT_EQ(site.SiteName(), "two");

  int16_t slot = 1, last = 2;
  const std::pair<const char*, std::function<void()>> changes[] = {
      {"append", [&] { AddSite(1, "four"); }},
      {"save in place", [&] { site.Save(1, slot); }},
      {"delete a site", [&] { WebRecord(context).DeleteSite({1, 1, "one"}); }},
      {"delete a user's sites", [&] { WebRecord(context).DeleteSitesOf(1); }},
      {"create a user", [&] { users.CreateUser(last, "cid", "pw"); }},
      {"change a password", [&] { users.ChangePassword(1, "new"); }},
      {"delete a user", [&] { users.DeleteUserWithSites(1, "ann"); }},
      {"header", [&] { header.SetLastUserID(9); }}};
  for (const auto& [what, change] : changes) {
    const OstrelError e = test::ErrorOf(change);
    EXPECT_EQ(e.Number(), err::kPermissionDenied) << what;
    EXPECT_NE(e.Explanation().find("read-only"), std::string::npos) << what << ": " << e.Explanation();
  }
  EXPECT_EQ(FileBytes(), before);
  EXPECT_EQ(test::FolderNames(dir.Path()), std::vector<std::string>{"ostrel.xps"});
}

INSTANTIATE_TEST_SUITE_P(FileOrFolder, ReadOnlyTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "Folder" : "File";
                         });

// In a folder that may not be written, a change a crash cut off is undone
// in the file (which may be written); its journal stays, and no change is
// made while it is there. (A read-only file refuses to be read instead:
// see the crash trials.)
TEST_F(ReadOnlyFile, AReadOnlyFolderUndoesAnUnfinishedChangeAndKeepsItsJournal) {
  test::LeaveUnfinishedChange(context);
  test::ReadOnly readOnly(dir.Path());
  if (!readOnly.Works()) GTEST_SKIP() << "cannot make the folder read-only here";
  EXPECT_EQ(ListSites(1), kSites);
  EXPECT_EQ(FileBytes(), before);
  EXPECT_TRUE(test::FileExists(JournalPath(context.PasswordFileName)));
  EXPECT_EQ(ErrorNumberOf([&] { AddSite(1, "four"); }), err::kPermissionDenied);
}

// An old header (version 1) is read as it is, not upgraded.
TEST(ReadOnlyOldFile, IsReadWithoutAnUpgrade) {
  test::TempDir dir;
  StoreContext context;
  test::KeyContext(context);
  context.PasswordFileName = dir.Path() + "/old.xps";
  std::filesystem::copy_file(std::string(OSTREL_STORE_TEST_DATA) + "/version1-header.xps",
                             context.PasswordFileName);
  const std::string before = test::ReadFileBytes(context.PasswordFileName);
  test::ReadOnly readOnly(context.PasswordFileName);
  if (!readOnly.Works()) GTEST_SKIP() << "cannot make the file read-only here";
  FileInfo header(context);
  EXPECT_EQ(header.Version(), 1);
  EXPECT_EQ(header.EncryptionKey(), "sample data key");
  EXPECT_EQ(test::ReadFileBytes(context.PasswordFileName), before);
}

}  // namespace
}  // namespace ostrel
