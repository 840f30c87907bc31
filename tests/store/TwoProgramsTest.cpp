// Two programs on one password file at once.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "store/FileInfo.h"
#include "store/WebRecord.h"
#include "support/ErrorNumbers.h"
#include "tests/store/StoreTestSupport.h"

namespace ostrel {
namespace {

using test::ErrorNumberOf;

constexpr int kAppends = 200;

// Runs `work` in a child process; returns its exit status.
template <typename Work>
pid_t InChild(Work work) {
  const pid_t child = ::fork();
  if (child == 0) {
    try {
      work();
    } catch (...) {
      ::_exit(2);
    }
    ::_exit(0);
  }
  return child;
}

int Wait(pid_t child) {
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// One program appends; the other appends and deletes every other record it
// made, as the window does: from its list, checked against the slot, and
// listed again when another program moved it. Locking keeps every change
// whole: nothing is lost, nothing is twice, and no slot is left empty.
TEST(TwoProgramsTest, AppendingAndDeletingAtOnceLosesNothing) {
  test::TempDir dir;
  StoreContext context;
  test::KeyContext(context);
  // On a memory file system when there is one: the locks are the point
  // here, not how long syncs take.
  const std::string folder = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : dir.Path();
  context.PasswordFileName = folder + "/ostrel-two-" + std::to_string(::getpid()) + ".xps";
  struct Removed {
    std::string path;
    ~Removed() { std::filesystem::remove(path); }
  } removed{context.PasswordFileName};
  FileInfo(context).SetEncryptionKey(test::kDataKey);

  const pid_t appender = InChild([&] {
    for (int i = 0; i < kAppends; ++i) {
      int16_t index = -1;
      test::MakeSite(context, "A" + std::to_string(i)).Save(1, index);
    }
  });
  const pid_t deleter = InChild([&] {
    for (int i = 0; i < kAppends; ++i) {
      int16_t index = -1;
      test::MakeSite(context, "B" + std::to_string(i)).Save(2, index);
      if (i % 2 == 0) continue;
      const std::string doomed = "B" + std::to_string(i - 1);
      for (int attempt = 0;; ++attempt) {
        ListedSite listed;
        for (const ListedSite& site : WebRecord(context).ListSites(2)) {
          if (site.Name == doomed) listed = site;
        }
        if (ErrorNumberOf([&] { WebRecord(context).DeleteSite(listed); }) == 0) break;
        if (attempt == 50) ::_exit(3);
      }
    }
  });
  EXPECT_EQ(Wait(appender), 0);
  EXPECT_EQ(Wait(deleter), 0);

  std::vector<std::string> a, b;
  for (int i = 0; i < kAppends; ++i) {
    a.push_back("A" + std::to_string(i));
    if (i % 2 == 1) b.push_back("B" + std::to_string(i));
  }
  WebRecord list(context);
  list.FileOpen();
  const int16_t count = list.RecordCount();
  EXPECT_EQ(count, static_cast<int16_t>(a.size() + b.size()));
  std::vector<std::string> gotA, gotB;
  for (int16_t k = 1; k <= count; ++k) {
    std::string name;
    ASSERT_NO_THROW(list.Read(k, 1, name)) << "slot " << k << " is empty";
    if (list.Read(k, 1, name)) gotA.push_back(name);
    if (list.Read(k, 2, name)) gotB.push_back(name);
  }
  list.FileClose();
  EXPECT_EQ(gotA, a);
  EXPECT_EQ(gotB, b);
}

// Two windows (or programs) that read the header, then each create a user:
// only one may take the next id; the other is told and, trying again, gets
// the one after.
TEST(TwoProgramsTest, AUserIdIsNeverGivenTwice) {
  test::TempDir dir;
  StoreContext one, two;
  for (StoreContext* context : {&one, &two}) {
    test::KeyContext(*context);
    context->PasswordFileName = dir.Path() + "/ostrel.xps";
  }
  FileInfo(one).SetEncryptionKey(test::kDataKey);
  FileInfo first(one), second(two);
  const int16_t seenByFirst = first.LastUserID();
  const int16_t seenBySecond = second.LastUserID();
  first.SetLastUserID(static_cast<int16_t>(seenByFirst + 1));
  EXPECT_EQ(ErrorNumberOf([&] { second.SetLastUserID(static_cast<int16_t>(seenBySecond + 1)); }),
            err::kRecordChanged);
  EXPECT_EQ(FileInfo(one).LastUserID(), seenByFirst + 1);
  second.SetLastUserID(static_cast<int16_t>(second.LastUserID() + 1));
  EXPECT_EQ(FileInfo(one).LastUserID(), seenByFirst + 2);
}

// Two windows on the first-run panel, each setting up the same new file:
// the second must not replace the first one's key, which would make its
// users unreadable, not even when asked again.
TEST(TwoProgramsTest, ANewFileGetsOneKeyOnly) {
  test::TempDir dir;
  StoreContext one, two;
  for (StoreContext* context : {&one, &two}) {
    test::KeyContext(*context);
    context->PasswordFileName = dir.Path() + "/ostrel.xps";
  }
  FileInfo first(one), second(two);
  first.SetEncryptionKey("the first key");
  for (int attempt = 0; attempt < 2; ++attempt) {
    EXPECT_EQ(ErrorNumberOf([&] { second.SetEncryptionKey("the second key"); }), err::kRecordChanged);
  }
  second.SetLastUserID(static_cast<int16_t>(second.LastUserID() + 1));
  EXPECT_EQ(FileInfo(one).EncryptionKey(), "the first key");
}

}  // namespace
}  // namespace ostrel
