// fcntl locks of record files, seen from another open file of this process
// and from another process.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/files/PosixRecordFile.h"
#include "platform/files/PosixRecordFiles.h"
#include "support/ErrorNumbers.h"
#include "tests/common/ErrorNumberOf.h"
#include "tests/common/FileBytes.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

// Whether a lock of `kind` on `length` bytes from `start` (0: to the end)
// could be taken now through a fresh descriptor.
bool Free(const std::string& path, FileLock kind, int64_t start = 0, int64_t length = 0) {
  const int fd = ::open(path.c_str(), O_RDWR);
  struct flock probe {};
  probe.l_type = kind == FileLock::kExclusive ? F_WRLCK : F_RDLCK;
  probe.l_whence = SEEK_SET;
  probe.l_start = start;
  probe.l_len = length;
  EXPECT_EQ(::fcntl(fd, F_OFD_GETLK, &probe), 0);
  ::close(fd);
  return probe.l_type == F_UNLCK;
}

class FileLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "ostrel-locks-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    path_ = (dir_ / "ostrel.xps").string();
    test::WriteFileBytes(path_, std::string(4096, 'a'));
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path dir_;
  std::string path_;
  PosixRecordFiles files_;
};

struct Case {
  FileLock held;
  FileLock wanted;
  bool free;
};

class FileLockConflictTest : public FileLockTest, public ::testing::WithParamInterface<Case> {};

// Another open file of the same program is kept out as another program is.
TEST_P(FileLockConflictTest, AnotherOpenFileSeesTheLock) {
  auto holder = files_.Open(path_, 256);
  holder->Lock(GetParam().held);
  EXPECT_EQ(Free(path_, GetParam().wanted), GetParam().free);
  holder->Unlock();
  EXPECT_TRUE(Free(path_, GetParam().wanted));
}

INSTANTIATE_TEST_SUITE_P(Kinds, FileLockConflictTest,
                         ::testing::Values(Case{FileLock::kShared, FileLock::kShared, true},
                                           Case{FileLock::kShared, FileLock::kExclusive, false},
                                           Case{FileLock::kExclusive, FileLock::kShared, false},
                                           Case{FileLock::kExclusive, FileLock::kExclusive, false}));

TEST_F(FileLockTest, ClosingAnotherDescriptorKeepsTheLock) {
  auto holder = files_.Open(path_, 256);
  holder->Lock(FileLock::kExclusive);
  files_.Open(path_, 256).reset();
  files_.OpenForReading(path_, 256, Links::kFollow).reset();
  EXPECT_FALSE(Free(path_, FileLock::kShared));
  holder.reset();
  EXPECT_TRUE(Free(path_, FileLock::kExclusive));
}

// A child holds the exclusive lock for a while; our exclusive lock waits
// until it lets go, then is granted.
TEST_F(FileLockTest, ALockWaitsForAnotherProgram) {
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    PosixRecordFiles files;
    auto file = files.Open(path_, 256);
    file->Lock(FileLock::kExclusive);
    if (::write(ready[1], "x", 1) != 1) ::_exit(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ::_exit(0);
  }
  char byte;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  const auto start = std::chrono::steady_clock::now();
  auto file = files_.Open(path_, 256);
  file->Lock(FileLock::kExclusive);
  const auto waited = std::chrono::steady_clock::now() - start;
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_GE(waited, std::chrono::milliseconds(200));
  EXPECT_TRUE(WIFEXITED(status));
  ::close(ready[0]);
  ::close(ready[1]);
}

// A holder that lets go and asks again at once queues behind a program
// that was waiting, so one that works without pause cannot keep another
// out. (The waiter says when it has the lock, then holds it a while.)
TEST_F(FileLockTest, AWaiterComesBeforeAHolderThatAsksAgain) {
  auto holder = files_.Open(path_, 256);
  holder->Lock(FileLock::kExclusive);
  int got[2];
  ASSERT_EQ(::pipe(got), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    PosixRecordFiles files;
    auto file = files.Open(path_, 256);
    file->Lock(FileLock::kExclusive);
    if (::write(got[1], "w", 1) != 1) ::_exit(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ::_exit(0);
  }
  ::close(got[1]);
  // The waiter is queued once it holds the turnstile byte.
  for (int i = 0; i < 10000 && Free(path_, FileLock::kExclusive, PosixRecordFile::kTurnstile, 1); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  holder->Unlock();
  holder->Lock(FileLock::kExclusive);
  ::fcntl(got[0], F_SETFL, O_NONBLOCK);
  char byte = 0;
  EXPECT_EQ(::read(got[0], &byte, 1), 1) << "the holder came back before the waiter";
  ::waitpid(child, nullptr, 0);
  ::close(got[0]);
}

TEST_F(FileLockTest, AFileOpenForReadingTakesOnlyTheSharedLock) {
  auto reader = files_.OpenForReading(path_, 256, Links::kFollow);
  reader->Lock(FileLock::kShared);
  EXPECT_FALSE(Free(path_, FileLock::kExclusive));
  EXPECT_NE(test::ErrorNumberOf([&] { reader->Lock(FileLock::kExclusive); }), 0);
  EXPECT_NE(test::ErrorNumberOf([&] { reader->Write(1, std::string(256, 'b')); }), 0);
  EXPECT_EQ(test::ReadFileBytes(path_), std::string(4096, 'a'));
  EXPECT_EQ(test::ErrorNumberOf([&] { files_.OpenForReading(path_ + ".none", 256, Links::kFollow); }),
            err::kFileMissing);
}

TEST_F(FileLockTest, ExistsRemoveAndSyncFolder) {
  const std::string other = (dir_ / "ostrel.xps-journal").string();
  EXPECT_FALSE(files_.Exists(other));
  files_.Open(other, 1).reset();
  EXPECT_TRUE(files_.Exists(other));
  files_.SyncFolder(other);
  files_.Remove(other);
  files_.Remove(other);  // gone already: no error
  EXPECT_FALSE(files_.Exists(other));
  EXPECT_EQ(test::ErrorNumberOf([&] { files_.SyncFolder((dir_ / "no" / "x").string()); }),
            err::kFileMissing);
}

}  // namespace
}  // namespace ostrel
