// What lies where the password file's journal goes, on real files: a change
// cut off after its journal reached the disk is put back by the next
// operation; a journal damaged after its change began stops everything and
// says to keep both files; anything that is not the file's own journal - a
// link, a pipe, a folder, a forged journal, one left from before a backup
// was restored - is never read back, never followed, and no change is made
// while it is there.
#include "store/Journal.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <thread>

#include "store/FileCheck.h"
#include "store/FileInfo.h"
#include "store/JournalWriter.h"
#include "store/PasswordFile.h"
#include "store/WebUsers.h"
#include "support/ErrorNumbers.h"
#include "tests/store/StoreTestSupport.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;
using test::ErrorNumberOf;
using test::ErrorOf;

const std::vector<std::string> kSites = {"one", "two", "three"};

class JournalTest : public test::StoreTest {
 protected:
  void SetUp() override {
    CreatePasswordFile();
    int16_t last = 0;
    WebUsers(context).CreateUser(last, "ann", "pw");
    FileInfo(context).SetLastUserID(last);
    for (const std::string& name : kSites) AddSite(1, name);
    before = FileBytes();
  }

  std::string Journal() const { return JournalPath(context.PasswordFileName); }
  std::string JournalBytes() { return test::ReadFileBytes(Journal()); }
  OstrelError SaveError() { return ErrorOf([&] { AddSite(1, "four"); }); }

  std::string before;
};

// A whole journal is put back by the next reader (and before a copy is
// made); one cut off before its change began is dropped; one damaged after
// that stops every operation, a copy included.
struct Case {
  const char* name;
  std::function<void(std::string&)> damage;
  Journal::State found;
};

class JournalStateTest : public JournalTest, public ::testing::WithParamInterface<Case> {};

TEST_P(JournalStateTest, TheNextReaderPutsBackDropsOrStops) {
  test::LeaveUnfinishedChange(context);
  const std::string cutOff = FileBytes();
  ASSERT_NE(cutOff, before);
  std::string journal = JournalBytes();
  GetParam().damage(journal);
  test::WriteFileBytes(Journal(), journal);
  // The check only reports: the file and the journal stay as they are.
  FileCheck(context).Run(context.PasswordFileName);
  EXPECT_EQ(FileBytes(), cutOff);
  EXPECT_EQ(JournalBytes(), journal);
  test::KeyContext(context);

  const std::string copy = dir.Path() + "/copy.xps";
  const OstrelError copied = ErrorOf([&] { PasswordFile::Copy(context, copy); });
  if (GetParam().found == Journal::State::kDamaged) {
    const OstrelError saved = SaveError();
    EXPECT_EQ(ErrorNumberOf([&] { ListSites(1); }), err::kCorruptedFile);
    EXPECT_EQ(saved.Number(), err::kCorruptedFile);
    EXPECT_NE(saved.Explanation().find("Keep both files"), std::string::npos) << saved.Explanation();
    EXPECT_NE(saved.Explanation().find(Journal()), std::string::npos);
    EXPECT_EQ(copied.Number(), err::kCorruptedFile);
    EXPECT_FALSE(test::FileExists(copy));
    EXPECT_EQ(FileBytes(), cutOff);
    EXPECT_EQ(JournalBytes(), journal);
    return;
  }
  EXPECT_EQ(copied.Number(), 0);
  const std::string kept = GetParam().found == Journal::State::kUnfinished ? before : cutOff;
  EXPECT_EQ(test::ReadFileBytes(copy), kept);
  EXPECT_EQ(FileBytes(), kept);
  EXPECT_FALSE(test::FileExists(Journal()));
}

INSTANTIATE_TEST_SUITE_P(
    Journals, JournalStateTest,
    ::testing::Values(
        Case{"Whole", [](std::string&) {}, Journal::State::kUnfinished},
        Case{"LastByteMissing", [](std::string& j) { j.pop_back(); }, Journal::State::kDamaged},
        Case{"EntryByteChanged", [](std::string& j) { j[JournalHeader::kEntriesOffset + 20] ^= 1; },
             Journal::State::kDamaged},
        Case{"HeaderByteChanged", [](std::string& j) { j[30] ^= 1; }, Journal::State::kDamaged},
        Case{"ByteAdded", [](std::string& j) { j += 'z'; }, Journal::State::kDamaged},
        Case{"HeaderOnly", [](std::string& j) { j.resize(JournalHeader::kBytes); }, Journal::State::kDamaged},
        Case{"HeaderNeverWritten", [](std::string& j) { j.replace(0, JournalHeader::kBytes, JournalHeader::kBytes, '\0'); },
             Journal::State::kNotBegun},
        Case{"Empty", [](std::string& j) { j.clear(); }, Journal::State::kNotBegun}),
    [](const ::testing::TestParamInfo<Case>& info) { return info.param.name; });

// Things planted where the journal goes, on a file with no change pending:
// nothing planted is followed, used or removed, and every change is refused
// with a message naming the journal's path. Reading goes on past what is
// certainly not the file's journal, but not past a regular file that might
// be one (a crash of another user's Ostrel may have left it).
struct Plant {
  const char* name;
  std::function<void(const std::string& journal, const std::string& victim, StoreContext&)> plant;
  bool read = true;
};

// A journal in the proper form whose marks are not the file's: what a forger
// who cannot read the file could write ("the file was 4,096 bytes long").
void Forge(const std::string& journal, StoreContext& context) {
  JournalHeader header;
  header.oldLength = 4096;
  header.markBefore.assign(JournalHeader::kMarkBytes, 'f');
  JournalWriter(context.Files(), journal, header).Commit();
}

class PlantedJournalTest : public JournalTest, public ::testing::WithParamInterface<Plant> {};

TEST_P(PlantedJournalTest, IsNeverUsedAndStopsEveryChange) {
  const std::string victim = dir.Path() + "/victim";
  test::WriteFileBytes(victim, "the person's other file");
  GetParam().plant(Journal(), victim, context);
  if (IsSkipped()) return;
  struct stat planted {}, after {};
  ASSERT_EQ(::lstat(Journal().c_str(), &planted), 0);

  EXPECT_EQ(ErrorNumberOf([&] { EXPECT_EQ(ListSites(1), kSites); }), GetParam().read ? 0 : err::kUnknownJournal);
  const OstrelError saved = SaveError();
  EXPECT_EQ(saved.Number(), err::kUnknownJournal);
  EXPECT_NE(saved.Explanation().find(Journal()), std::string::npos) << saved.Explanation();
  EXPECT_EQ(ErrorNumberOf([&] { FileCheck(context).Run(context.PasswordFileName); }), err::kUnknownJournal);

  EXPECT_EQ(FileBytes(), before);
  EXPECT_EQ(test::ReadFileBytes(victim), "the person's other file");
  ASSERT_EQ(::lstat(Journal().c_str(), &after), 0);
  EXPECT_TRUE(after.st_ino == planted.st_ino && after.st_size == planted.st_size);
}

INSTANTIATE_TEST_SUITE_P(
    Planted, PlantedJournalTest,
    ::testing::Values(
        Plant{"LinkToAnotherFile", [](auto& j, auto& v, auto&) { fs::create_symlink(v, j); }},
        Plant{"DanglingLink", [](auto& j, auto& v, auto&) { fs::create_symlink(v + ".none", j); }},
        Plant{"HardLinkToAnotherFile", [](auto& j, auto& v, auto&) { fs::create_hard_link(v, j); }, false},
        Plant{"Pipe", [](auto& j, auto&, auto&) { ::mkfifo(j.c_str(), 0600); }},
        Plant{"Folder", [](auto& j, auto&, auto&) { fs::create_directory(j); }},
        Plant{"ForgedJournal", [](auto& j, auto&, auto& c) { Forge(j, c); }},
        Plant{"JournalOfAnotherUser", [](auto& j, auto&, auto& c) {
                if (::geteuid() != 0) GTEST_SKIP() << "only root makes files for others";
                Forge(j, c);
                ASSERT_EQ(::chown(j.c_str(), 65534, 65534), 0);
              }, false}),
    [](const ::testing::TestParamInfo<Plant>& info) { return info.param.name; });

// Another program plants a link to the person's other file where the
// journal goes, again and again, while this one saves: no save ever writes
// through it, and every save is made whole or refused.
TEST_F(JournalTest, ALinkPlantedAgainAndAgainIsNeverFollowed) {
  const std::string victim = dir.Path() + "/victim";
  test::WriteFileBytes(victim, "the person's other file");
  std::atomic<bool> stop = false;
  std::thread planter([&] {
    const std::string staged = Journal() + ".link";
    while (!stop) {
      fs::remove(staged);
      fs::create_symlink(victim, staged);
      ::rename(staged.c_str(), Journal().c_str());
      std::this_thread::yield();
    }
  });
  std::vector<std::string> saved = kSites;
  int refused = 0;
  for (int i = 0; i < 300; ++i) {
    const std::string name = "s" + std::to_string(i);
    const int32_t error = ErrorNumberOf([&] { AddSite(1, name); });
    if (error == 0) saved.push_back(name);
    if (error == err::kUnknownJournal) ++refused;
    ASSERT_TRUE(error == 0 || error == err::kUnknownJournal) << error;
  }
  stop = true;
  planter.join();
  EXPECT_GT(refused, 0);
  EXPECT_EQ(test::ReadFileBytes(victim), "the person's other file");
  fs::remove(Journal());
  EXPECT_EQ(ListSites(1), saved);
  EXPECT_TRUE(FileCheck(context).Run(context.PasswordFileName).Sound());
}

// A backup restored over the file (bytes copied in place, same inode) after
// a crash: the journal was written for the file as it was then, so it is
// not put back onto the backup.
TEST_F(JournalTest, AJournalIsNeverPutBackOntoABackupRestoredOverTheFile) {
  const std::string backup = FileBytes();
  AddSite(1, "four");
  test::LeaveUnfinishedChange(context);
  test::WriteFileBytes(context.PasswordFileName, backup);
  EXPECT_EQ(ListSites(1), kSites);
  EXPECT_EQ(SaveError().Number(), err::kUnknownJournal);
  EXPECT_EQ(FileBytes(), backup);
  EXPECT_TRUE(test::FileExists(Journal()));
}

// The file reached by another name finds the journal that a change made
// beside the file as first named: through a symbolic link (the journal goes
// beside the real file) and through a hard link in another folder (the
// change mark, written first, names the journal; the last change was made
// through the link, so the mark named another journal before).
TEST_F(JournalTest, AnotherNameOfTheFileFindsItsJournal) {
  const std::string elsewhere = dir.Path() + "/elsewhere";
  fs::create_directory(elsewhere);
  const std::string first = context.PasswordFileName;
  const std::string soft = elsewhere + "/soft.xps";
  const std::string hard = elsewhere + "/hard.xps";
  fs::create_symlink(first, soft);
  fs::create_hard_link(first, hard);
  context.PasswordFileName = hard;
  AddSite(1, "four");
  const std::string whole = FileBytes();
  for (const std::string& name : {soft, hard}) {
    context.PasswordFileName = first;
    test::LeaveUnfinishedChange(context);
    context.PasswordFileName = name;
    EXPECT_EQ(ListSites(1), (std::vector<std::string>{"one", "two", "three", "four"})) << name;
    EXPECT_EQ(test::ReadFileBytes(first), whole) << name;
    EXPECT_FALSE(test::FileExists(JournalPath(first))) << name;
    EXPECT_EQ(test::FolderNames(elsewhere), (std::vector<std::string>{"hard.xps", "soft.xps"})) << name;
  }
}

}  // namespace
}  // namespace ostrel
