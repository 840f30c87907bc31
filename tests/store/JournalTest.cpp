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
#include "store/SiteSlots.h"
#include "store/WebUsers.h"
#include "support/ErrorNumbers.h"
#include "tests/store/StoreTestSupport.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;
using test::ErrorNumberOf;

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

  // The error of saving one more site; 0 when it was saved.
  int32_t SaveError(OstrelError* caught = nullptr) {
    try {
      AddSite(1, "four");
    } catch (const OstrelError& e) {
      if (caught) *caught = e;
      return e.Number();
    }
    return 0;
  }

  std::string before;
};

// Whole journals are put back by a reader; a journal cut off before its
// change began is dropped; one damaged after that stops every operation.
enum class Damage { kNone, kLastByteMissing, kEntryByteChanged, kHeaderByteChanged, kByteAdded,
                    kHeaderOnly, kHeaderNeverWritten, kEmpty };

struct Case {
  const char* name;
  Damage damage;
  Journal::State found;
};

class JournalStateTest : public JournalTest, public ::testing::WithParamInterface<Case> {
 protected:
  void Damage(Damage damage) {
    std::string bytes = JournalBytes();
    switch (damage) {
      case Damage::kNone: return;
      case Damage::kLastByteMissing: bytes.pop_back(); break;
      case Damage::kEntryByteChanged: bytes[JournalHeader::kEntriesOffset + 20] ^= 1; break;
      case Damage::kHeaderByteChanged: bytes[30] ^= 1; break;
      case Damage::kByteAdded: bytes += 'z'; break;
      case Damage::kHeaderOnly: bytes.resize(JournalHeader::kBytes); break;
      case Damage::kHeaderNeverWritten: bytes.replace(0, JournalHeader::kBytes, JournalHeader::kBytes, '\0'); break;
      case Damage::kEmpty: bytes.clear(); break;
    }
    test::WriteFileBytes(Journal(), bytes);
  }
};

TEST_P(JournalStateTest, TheNextReaderPutsBackDropsOrStops) {
  test::LeaveUnfinishedChange(context);
  const std::string cutOff = FileBytes();
  ASSERT_NE(cutOff, before);
  Damage(GetParam().damage);
  const std::string journal = JournalBytes();
  {
    auto file = context.Files().OpenForReading(context.PasswordFileName, 256, Links::kFollow);
    EXPECT_EQ(Journal::Find(context, Journal(), *file).Found(), GetParam().found);
  }
  // The check only reports: the file and the journal stay as they are.
  EXPECT_FALSE(FileCheck(context).Run(context.PasswordFileName).Sound());
  EXPECT_EQ(FileBytes(), cutOff);
  EXPECT_EQ(JournalBytes(), journal);
  test::KeyContext(context);

  switch (GetParam().found) {
    case Journal::State::kUnfinished:
      EXPECT_EQ(ListSites(1), kSites);
      EXPECT_EQ(FileBytes(), before);
      EXPECT_FALSE(test::FileExists(Journal()));
      break;
    case Journal::State::kNotBegun:
      PasswordFile(context, PasswordFile::Access::kRead);
      EXPECT_EQ(FileBytes(), cutOff);
      EXPECT_FALSE(test::FileExists(Journal()));
      break;
    default: {
      OstrelError caught(0);
      EXPECT_EQ(ErrorNumberOf([&] { ListSites(1); }), err::kCorruptedFile);
      EXPECT_EQ(SaveError(&caught), err::kCorruptedFile);
      EXPECT_NE(caught.Explanation().find("Keep both files"), std::string::npos) << caught.Explanation();
      EXPECT_NE(caught.Explanation().find(Journal()), std::string::npos);
      EXPECT_EQ(FileBytes(), cutOff);
      EXPECT_EQ(JournalBytes(), journal);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Journals, JournalStateTest,
    ::testing::Values(Case{"Whole", Damage::kNone, Journal::State::kUnfinished},
                      Case{"LastByteMissing", Damage::kLastByteMissing, Journal::State::kDamaged},
                      Case{"EntryByteChanged", Damage::kEntryByteChanged, Journal::State::kDamaged},
                      Case{"HeaderByteChanged", Damage::kHeaderByteChanged, Journal::State::kDamaged},
                      Case{"ByteAdded", Damage::kByteAdded, Journal::State::kDamaged},
                      Case{"HeaderOnly", Damage::kHeaderOnly, Journal::State::kDamaged},
                      Case{"HeaderNeverWritten", Damage::kHeaderNeverWritten, Journal::State::kNotBegun},
                      Case{"Empty", Damage::kEmpty, Journal::State::kNotBegun}),
    [](const ::testing::TestParamInfo<Case>& info) { return info.param.name; });

// Things planted where the journal goes, on a file with no change pending:
// reading goes on, nothing planted is followed, read or removed, and every
// change is refused with a message naming the journal's path.
struct Plant {
  const char* name;
  std::function<void(const std::string& journal, const std::string& victim, StoreContext&)> plant;
  bool rootOnly = false;
};

class PlantedJournalTest : public JournalTest, public ::testing::WithParamInterface<Plant> {};

TEST_P(PlantedJournalTest, IsNeverUsedAndStopsEveryChange) {
  if (GetParam().rootOnly && ::geteuid() != 0) GTEST_SKIP() << "only root makes files for others";
  const std::string victim = dir.Path() + "/victim";
  test::WriteFileBytes(victim, "the person's other file");
  GetParam().plant(Journal(), victim, context);
  struct stat planted {};
  ASSERT_EQ(::lstat(Journal().c_str(), &planted), 0);

  EXPECT_EQ(ListSites(1), kSites);
  OstrelError caught(0);
  EXPECT_EQ(SaveError(&caught), err::kUnknownJournal);
  EXPECT_NE(caught.Explanation().find(Journal()), std::string::npos) << caught.Explanation();
  EXPECT_EQ(ErrorNumberOf([&] { FileCheck(context).Run(context.PasswordFileName); }), err::kUnknownJournal);

  EXPECT_EQ(FileBytes(), before);
  EXPECT_EQ(test::ReadFileBytes(victim), "the person's other file");
  struct stat after {};
  ASSERT_EQ(::lstat(Journal().c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, planted.st_ino);
  EXPECT_EQ(after.st_size, planted.st_size);
}

// A journal in the proper form whose marks are not the file's: what a forger
// who cannot read the file could write ("the file was 4,096 bytes long").
void Forge(const std::string& journal, StoreContext& context) {
  JournalHeader header;
  header.oldLength = 4096;
  header.markBefore.assign(JournalHeader::kMarkBytes, 'f');
  JournalWriter writer(context.Files(), journal, header);
  writer.Commit();
}

INSTANTIATE_TEST_SUITE_P(
    Planted, PlantedJournalTest,
    ::testing::Values(
        Plant{"LinkToAnotherFile",
              [](const std::string& j, const std::string& v, StoreContext&) { fs::create_symlink(v, j); }},
        Plant{"DanglingLink",
              [](const std::string& j, const std::string& v, StoreContext&) { fs::create_symlink(v + ".none", j); }},
        Plant{"HardLinkToAnotherFile",
              [](const std::string& j, const std::string& v, StoreContext&) { fs::create_hard_link(v, j); }},
        Plant{"Pipe", [](const std::string& j, const std::string&, StoreContext&) { ::mkfifo(j.c_str(), 0600); }},
        Plant{"Folder", [](const std::string& j, const std::string&, StoreContext&) { fs::create_directory(j); }},
        Plant{"ForgedJournal", [](const std::string& j, const std::string&, StoreContext& c) { Forge(j, c); }},
        Plant{"JournalOfAnotherUser",
              [](const std::string& j, const std::string&, StoreContext& c) {
                Forge(j, c);
                ASSERT_EQ(::chown(j.c_str(), 65534, 65534), 0);
              },
              true}),
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
  const FileCheck::Result check = FileCheck(context).Run(context.PasswordFileName);
  EXPECT_TRUE(check.Sound()) << ::testing::PrintToString(check.problems);
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
  EXPECT_EQ(SaveError(), err::kUnknownJournal);
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

// A journal of the earlier layout (header of 40 bytes, written with its
// entries) left by an older program is still put back.
TEST_F(JournalTest, AJournalOfTheEarlierLayoutIsPutBack) {
  std::string entries;
  auto put = [](std::string& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
  };
  const std::string old = before.substr(SiteSlots::OffsetOf(2), 2048);
  put(entries, static_cast<uint64_t>(SiteSlots::OffsetOf(2)), 8);
  put(entries, 2048, 4);
  put(entries, 2048, 4);
  entries += old;
  uint64_t checksum = JournalChecksum(kJournalSeed, entries.substr(0, 16));
  checksum = JournalChecksum(checksum, old);
  std::string fields;
  put(fields, before.size(), 8);
  put(fields, 1, 8);
  put(fields, entries.size(), 8);
  std::string journal = "OSTRELJ1" + fields;
  put(journal, JournalChecksum(checksum, fields), 8);
  test::WriteFileBytes(Journal(), journal + entries);
  std::string changed = before;
  changed.replace(SiteSlots::OffsetOf(2), 2048, std::string(2048, 'x'));
  test::WriteFileBytes(context.PasswordFileName, changed + std::string(2048, 'y'));

  EXPECT_EQ(ListSites(1), kSites);
  EXPECT_EQ(FileBytes(), before);
}

// Copying the file (Options) never copies a change half made.
TEST_F(JournalTest, ACopyIsMadeOnlyOnceAnUnfinishedChangeIsUndone) {
  const std::string copy = dir.Path() + "/copy.xps";
  test::LeaveUnfinishedChange(context);
  PasswordFile::Copy(context, copy);
  EXPECT_EQ(test::ReadFileBytes(copy), before);
  EXPECT_EQ(FileBytes(), before);

  test::LeaveUnfinishedChange(context);
  std::string journal = JournalBytes();
  journal.pop_back();
  test::WriteFileBytes(Journal(), journal);
  fs::remove(copy);
  EXPECT_EQ(ErrorNumberOf([&] { PasswordFile::Copy(context, copy); }), err::kCorruptedFile);
  EXPECT_FALSE(test::FileExists(copy));
}

}  // namespace
}  // namespace ostrel
