// A change cut off after its journal reached the disk: the next operation,
// reading or writing, puts the old bytes back; a journal cut off while it
// was written is dropped and the file left as it is.
#include "store/Journal.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "store/FileCheck.h"
#include "store/PasswordFile.h"
#include "store/SiteSlots.h"
#include "tests/store/StoreTestSupport.h"

namespace ostrel {
namespace {

enum class Damage { kNone, kLastByteMissing, kHeaderOnly, kBodyByteChanged, kChecksumChanged,
                    kByteAdded, kEmpty };

struct Case {
  const char* name;
  Damage damage;
  bool putBack;
};

class JournalTest : public test::StoreTest, public ::testing::WithParamInterface<Case> {
 protected:
  void SetUp() override {
    CreatePasswordFile();
    for (const char* name : {"one", "two", "three"}) AddSite(1, name);
    before = FileBytes();
    // The journal of a change of slots 2 and 3 that also appends a slot...
    {
      PasswordFile file(context, PasswordFile::Access::kWrite);
      JournalWriter journal(context.Files(), context.PasswordFileName, file.Length());
      journal.Keep(SiteSlots::OffsetOf(2), before.substr(SiteSlots::OffsetOf(2), 2 * 2048), 2048);
      journal.Commit();
      struct stat st {};
      ASSERT_EQ(::stat(JournalPath(context.PasswordFileName).c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & 0777, 0600u);
    }
    // ...cut off half way.
    std::string half = before;
    half.replace(SiteSlots::OffsetOf(2), 2048, std::string(2048, 'x'));
    half += std::string(2048, 'y');
    test::WriteFileBytes(context.PasswordFileName, half);
    cutOff = half;
  }

  std::string JournalBytes() { return test::ReadFileBytes(JournalPath(context.PasswordFileName)); }

  void Damage(Damage damage) {
    std::string bytes = JournalBytes();
    switch (damage) {
      case Damage::kNone: return;
      case Damage::kLastByteMissing: bytes.pop_back(); break;
      case Damage::kHeaderOnly: bytes.resize(40); break;
      case Damage::kBodyByteChanged: bytes[60] ^= 1; break;
      case Damage::kChecksumChanged: bytes[33] ^= 1; break;
      case Damage::kByteAdded: bytes += 'z'; break;
      case Damage::kEmpty: bytes.clear(); break;
    }
    test::WriteFileBytes(JournalPath(context.PasswordFileName), bytes);
  }

  std::string before;
  std::string cutOff;
};

TEST_P(JournalTest, TheNextReaderPutsBackOrDrops) {
  Damage(GetParam().damage);
  EXPECT_EQ(InspectJournal(context.Files(), context.PasswordFileName),
            GetParam().putBack ? JournalState::kValid : JournalState::kCutOff);
  // The check only reports: the file and the journal stay as they are.
  const std::string journal = JournalBytes();
  FileCheck check(context);
  EXPECT_EQ(check.Run(context.PasswordFileName).Sound(), false);
  EXPECT_EQ(FileBytes(), cutOff);
  EXPECT_EQ(JournalBytes(), journal);
  test::KeyContext(context);

  if (GetParam().putBack) {
    EXPECT_EQ(ListSites(1), (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(FileBytes(), before);
  } else {
    PasswordFile(context, PasswordFile::Access::kRead);
    EXPECT_EQ(FileBytes(), cutOff);
  }
  EXPECT_EQ(InspectJournal(context.Files(), context.PasswordFileName), JournalState::kNone);
}

INSTANTIATE_TEST_SUITE_P(Journals, JournalTest,
                         ::testing::Values(Case{"Whole", Damage::kNone, true},
                                           Case{"LastByteMissing", Damage::kLastByteMissing, false},
                                           Case{"HeaderOnly", Damage::kHeaderOnly, false},
                                           Case{"BodyByteChanged", Damage::kBodyByteChanged, false},
                                           Case{"ChecksumChanged", Damage::kChecksumChanged, false},
                                           Case{"ByteAdded", Damage::kByteAdded, false},
                                           Case{"Empty", Damage::kEmpty, false}),
                         [](const ::testing::TestParamInfo<Case>& info) { return info.param.name; });

}  // namespace
}  // namespace ostrel
