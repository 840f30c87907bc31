#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/files/FileError.h"
#include "platform/files/PosixRecordFiles.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"
#include "tests/common/ErrorNumberOf.h"
#include "tests/common/FileBytes.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

class RecordFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "ostrel-files-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    path_ = (dir_ / "ostrel.xps").string();
  }
  void TearDown() override { fs::remove_all(dir_); }


  fs::path dir_;
  std::string path_;
  PosixRecordFiles files_;
};

TEST_F(RecordFileTest, OpenCreatesAnEmptyFileReadableOnlyByItsOwner) {
  auto file = files_.Open(path_, 256);
  struct stat st {};
  ASSERT_EQ(::stat(path_.c_str(), &st), 0);
  EXPECT_EQ(st.st_size, 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(file->Length(), 0);
}

TEST_F(RecordFileTest, ReadPastTheEndGivesNulBytes) {
  test::WriteFileBytes(path_, std::string(300, 'a'));
  auto file = files_.Open(path_, 256);
  std::string buf(512, 'x');
  file->Read(1, 2, buf.data());
  EXPECT_EQ(buf, std::string(300, 'a') + std::string(212, '\0'));
  file->Read(16, 1, buf.data());
  EXPECT_EQ(buf.substr(0, 256), std::string(256, '\0'));
}

TEST_F(RecordFileTest, WriteExtendsTheFileAndAGapReadsAsNul) {
  auto file = files_.Open(path_, 256);
  file->Write(16, std::string(256, 'h'));
  EXPECT_EQ(file->Length(), 4096);
  std::string bytes = test::ReadFileBytes(path_);
  EXPECT_EQ(bytes.substr(0, 3840), std::string(3840, '\0'));
  EXPECT_EQ(bytes.substr(3840), std::string(256, 'h'));
}

TEST_F(RecordFileTest, TwoViewsOverTheSameBytes) {
  files_.Open(path_, 2048)->Write(3, std::string(2048, 's'));
  std::string slot(256, '\0');
  auto small = files_.Open(path_, 256);
  small->Read(17, 1, slot.data());
  EXPECT_EQ(slot, std::string(256, 's'));
  small->Read(16, 1, slot.data());
  EXPECT_EQ(slot, std::string(256, '\0'));
}

TEST_F(RecordFileTest, RecordNumbersBelowOneAreRefusedBeforeAnyAccess) {
  test::WriteFileBytes(path_, std::string(512, 'a'));
  auto file = files_.Open(path_, 256);
  std::string buf(256, 'x');
  EXPECT_EQ(test::ErrorNumberOf([&] { file->Read(0, 1, buf.data()); }), err::kBadRecordNumber);
  EXPECT_EQ(test::ErrorNumberOf([&] { file->Read(-1, 1, buf.data()); }), err::kBadRecordNumber);
  EXPECT_EQ(buf, std::string(256, 'x'));
  EXPECT_EQ(test::ErrorNumberOf([&] { file->Write(0, std::string(256, 'b')); }), err::kBadRecordNumber);
  EXPECT_EQ(test::ReadFileBytes(path_), std::string(512, 'a'));
}

TEST_F(RecordFileTest, PartialRecordWriteIsRefused) {
  auto file = files_.Open(path_, 256);
  EXPECT_EQ(test::ErrorNumberOf([&] { file->Write(1, std::string(100, 'b')); }), err::kBadRecordNumber);
  EXPECT_EQ(file->Length(), 0);
}

TEST_F(RecordFileTest, TruncateCutsTheFile) {
  auto file = files_.Open(path_, 256);
  file->Write(1, std::string(1024, 'b'));
  file->Truncate(256);
  EXPECT_EQ(test::ReadFileBytes(path_), std::string(256, 'b'));
}

TEST_F(RecordFileTest, FileLengthOfAMissingFileIsFileNotFound) {
  EXPECT_EQ(test::ErrorNumberOf([&] { files_.FileLength(path_); }), err::kFileMissing);
  test::WriteFileBytes(path_, std::string(77, 'a'));
  EXPECT_EQ(files_.FileLength(path_), 77);
}

TEST_F(RecordFileTest, OpenErrorsCarryTheirOwnNumbers) {
  test::WriteFileBytes(path_, "x");
  EXPECT_EQ(test::ErrorNumberOf([&] { files_.Open(path_ + "/inside", 256); }), err::kPathNotFound);
  EXPECT_EQ(test::ErrorNumberOf([&] { files_.Open(dir_.string(), 256); }), err::kPathFileAccess);
  EXPECT_EQ(test::ErrorNumberOf([&] { files_.Open((dir_ / "no" / "such").string(), 256); }),
            err::kFileMissing);
}

TEST_F(RecordFileTest, ReadOnlyFileIsPermissionDenied) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may open any file";
  test::WriteFileBytes(path_, "x");
  ASSERT_EQ(::chmod(path_.c_str(), 0400), 0);
  EXPECT_EQ(test::ErrorNumberOf([&] { files_.Open(path_, 256); }), err::kPermissionDenied);
}

// Only regular files are opened, and none of these waits: a pipe would
// block an open or a read for as long as nobody writes to it.
TEST_F(RecordFileTest, WhatIsNotARegularFileIsRefusedAtOnce) {
  const std::string pipe = (dir_ / "pipe").string();
  const std::string socket = (dir_ / "socket").string();
  const std::string link = (dir_ / "link").string();
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socket.c_str());
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  test::WriteFileBytes(path_, std::string(256, 'a'));
  fs::create_symlink(path_, link);
  const std::pair<std::string, int32_t> cases[] = {
      {pipe, err::kBadFileMode}, {socket, err::kBadFileMode}, {"/dev/null", err::kBadFileMode},
      {"/dev/zero", err::kBadFileMode}, {dir_.string(), err::kPathFileAccess}};
  for (const auto& [path, number] : cases) {
    EXPECT_EQ(test::ErrorNumberOf([&] { files_.Open(path, 256); }), number) << path;
    EXPECT_EQ(test::ErrorNumberOf([&] { files_.OpenForReading(path, 256, Links::kFollow); }), number) << path;
    EXPECT_EQ(test::ErrorNumberOf([&] { files_.CreateNew(path, 1); }), err::kFileExists) << path;
  }
  ::close(listener);
  EXPECT_EQ(test::ErrorNumberOf([&] { files_.OpenForReading(link, 256, Links::kRefuse); }), err::kBadFileMode);
  EXPECT_EQ(files_.OpenForReading(link, 256, Links::kFollow)->Length(), 256);
}

// A new file is made only where nothing is, a dangling link included, and
// nothing is written through a link.
TEST_F(RecordFileTest, CreateNewNeverFollowsALink) {
  const std::string victim = (dir_ / "victim").string();
  const std::string link = (dir_ / "new").string();
  fs::create_symlink(victim, link);
  EXPECT_EQ(test::ErrorNumberOf([&] { files_.CreateNew(link, 1); }), err::kFileExists);
  EXPECT_FALSE(fs::exists(victim));
  fs::remove(link);
  files_.CreateNew(link, 1)->Write(1, "x");
  EXPECT_EQ(fs::status(link).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(test::ErrorNumberOf([&] { files_.CreateNew(link, 1); }), err::kFileExists);
  EXPECT_EQ(test::ReadFileBytes(link), "x");
}

// The same file by another name: the same identity, and the same real path
// through a symbolic link (also for a file not made yet).
TEST_F(RecordFileTest, AnotherNameIsTheSameFile) {
  test::WriteFileBytes(path_, "abc");
  const std::string hard = (dir_ / "hard.xps").string();
  const std::string soft = (dir_ / "soft").string();
  fs::create_hard_link(path_, hard);
  fs::create_directory_symlink(dir_, soft);
  const FileIdentity open = files_.Open(hard, 1)->Identity();
  EXPECT_TRUE(open.SameFile(files_.IdentityOf(path_)));
  EXPECT_EQ(open.links, 2u);
  EXPECT_EQ(open.owner, ::geteuid());
  EXPECT_EQ(files_.RealPath(soft + "/ostrel.xps"), fs::canonical(path_).string());
  EXPECT_EQ(files_.RealPath(soft + "/none.xps"), fs::canonical(dir_).string() + "/none.xps");
}

TEST_F(RecordFileTest, WriteWholeReplacesTheFileAndLeavesNothingElse) {
  test::WriteFileBytes(path_, "old");
  files_.WriteWhole(path_, std::string(4096, 'w'));
  EXPECT_EQ(test::ReadFileBytes(path_), std::string(4096, 'w'));
  EXPECT_EQ(fs::status(path_).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
  EXPECT_EQ(test::ErrorNumberOf([&] { files_.WriteWhole((dir_ / "no" / "x").string(), "x"); }),
            err::kFileMissing);
}

TEST_F(RecordFileTest, CopyReplacesTheTargetWhole) {
  test::WriteFileBytes(path_, std::string(5000, 'n'));
  std::string target = (dir_ / "copy.xps").string();
  test::WriteFileBytes(target, "old content");
  files_.CopyFile(path_, target);
  EXPECT_EQ(test::ReadFileBytes(target), std::string(5000, 'n'));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

TEST_F(RecordFileTest, NewCopyIsReadableOnlyByItsOwner) {
  test::WriteFileBytes(path_, "abc");
  std::string target = (dir_ / "copy.xps").string();
  files_.CopyFile(path_, target);
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(RecordFileTest, FailedCopyLeavesTheTargetAndNoLeftovers) {
  std::string target = (dir_ / "copy.xps").string();
  test::WriteFileBytes(target, "keep me");
  EXPECT_EQ(test::ErrorNumberOf([&] { files_.CopyFile(path_, target); }), err::kFileMissing);
  EXPECT_EQ(test::ReadFileBytes(target), "keep me");
  test::WriteFileBytes(path_, "abc");
  EXPECT_EQ(test::ErrorNumberOf([&] { files_.CopyFile(path_, (dir_ / "none" / "c.xps").string()); }),
            err::kFileMissing);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

TEST(ErrorFromErrno, MapsEachKindOfFailureToItsNumber) {
  EXPECT_EQ(ErrorFromErrno(ENOENT, "open", "/p").Number(), err::kFileMissing);
  EXPECT_EQ(ErrorFromErrno(EACCES, "open", "/p").Number(), err::kPermissionDenied);
  EXPECT_EQ(ErrorFromErrno(EPERM, "open", "/p").Number(), err::kPermissionDenied);
  EXPECT_EQ(ErrorFromErrno(EROFS, "write", "/p").Number(), err::kPermissionDenied);
  EXPECT_EQ(ErrorFromErrno(ENOSPC, "write", "/p").Number(), err::kDiskFull);
  EXPECT_EQ(ErrorFromErrno(EIO, "read", "/p").Number(), err::kDeviceIo);
  EXPECT_EQ(ErrorFromErrno(EEXIST, "create", "/p").Number(), err::kFileExists);
  EXPECT_EQ(ErrorFromErrno(ELOOP, "open", "/p").Number(), err::kBadFileMode);
  EXPECT_NE(err::kFileMissing, err::kPermissionDenied);
  EXPECT_NE(err::kDeviceIo, err::kPermissionDenied);
  EXPECT_EQ(ErrorFromErrno(EACCES, "open", "/home/a/ostrel.xps").Description(),
            "open /home/a/ostrel.xps: Permission denied");
}

}  // namespace
}  // namespace ostrel
