#include <gtest/gtest.h>

#include <filesystem>

#include "store/FileInfo.h"
#include "store/WebRecord.h"
#include "store/WebUsers.h"
#include "support/ErrorNumbers.h"
#include "tests/store/StoreTestSupport.h"

namespace ostrel {
namespace {

using test::ErrorNumberOf;

// Password files kept in data/, written by an earlier build: they also pin
// the file format, the built-in key and the key derivation, so a change to
// any of them that would make existing files unreadable fails here first.
//   damaged-site.xps     key "sample data key"; users ann (1), bob (2); sites
//                        alpha (1), beta (2), gamma (1); one byte of beta's
//                        slot changed.
//   version1-header.xps  slot 16 says version 1 (LastUserID 2), slot 15 holds
//                        an old unencrypted record; users ann, bob; site
//                        alpha of bob.
//   unfinished-change.xps  sound.xps (see FileCheckTest) with site slot 2
//                        overwritten and a slot appended by a change cut
//                        off; its journal, unfinished-change.xps-journal, is
//                        of the earlier layout (OSTRELJ1).
class SampleFilesTest : public ::testing::Test {
 protected:
  void Open(const std::string& name) {
    test::KeyContext(context);
    context.PasswordFileName = dir.Path() + "/" + name;
    std::filesystem::copy_file(std::string(OSTREL_STORE_TEST_DATA) + "/" + name,
                               context.PasswordFileName);
    FileInfo header(context);
    ASSERT_EQ(header.EncryptionKey(), "sample data key");
    context.DataCipher.SetSecret(header.EncryptionKey());
  }

  test::TempDir dir;
  StoreContext context;
};

TEST_F(SampleFilesTest, DamagedSiteSlotIsReportedAndTheRestStillReads) {
  Open("damaged-site.xps");
  WebUsers users(context);
  users.Load();
  ASSERT_EQ(users.Count(), 2);
  EXPECT_TRUE(users.CheckPassword(2, "bob-pw"));

  WebRecord list(context);
  list.FileOpen();
  EXPECT_EQ(list.RecordCount(), 3);
  std::string name;
  EXPECT_TRUE(list.Read(1, 1, name));
  EXPECT_EQ(name, "alpha");
  EXPECT_EQ(ErrorNumberOf([&] { list.Read(2, 2, name); }), err::kCorruptedFile);
  EXPECT_TRUE(list.Read(3, 1, name));
  EXPECT_EQ(name, "gamma");
  EXPECT_EQ(ErrorNumberOf([&] { WebRecord(context).Retrieve(2); }), err::kCorruptedFile);

  // Deleting moves raw bytes and needs no decryption of the damaged slot.
  list.Delete(2);
  EXPECT_EQ(list.RecordCount(), 2);
  EXPECT_TRUE(list.Read(2, 1, name));
  EXPECT_EQ(name, "gamma");
}

TEST_F(SampleFilesTest, VersionOneHeaderIsUpgradedAndKeepsEverything) {
  Open("version1-header.xps");
  FileInfo header(context);
  EXPECT_EQ(header.Version(), 2);
  EXPECT_EQ(header.LastUserID(), 2);
  WebUsers users(context);
  users.Load();
  ASSERT_EQ(users.Count(), 2);
  EXPECT_EQ(users.UserName(1), "ann");
  EXPECT_EQ(users.GetUserID(2), 2);
  WebRecord record(context);
  record.Retrieve(1);
  EXPECT_EQ(record.SiteName(), "alpha");
  EXPECT_EQ(record.Control(2).Value, "alpha-pass");
}

TEST_F(SampleFilesTest, AChangeCutOffUnderTheEarlierJournalLayoutIsUndone) {
  const std::string data = OSTREL_STORE_TEST_DATA;
  std::filesystem::copy_file(data + "/unfinished-change.xps-journal",
                             dir.Path() + "/unfinished-change.xps-journal");
  Open("unfinished-change.xps");
  EXPECT_EQ(test::ReadFileBytes(context.PasswordFileName), test::ReadFileBytes(data + "/sound.xps"));
  EXPECT_FALSE(test::FileExists(dir.Path() + "/unfinished-change.xps-journal"));
}

}  // namespace
}  // namespace ostrel
