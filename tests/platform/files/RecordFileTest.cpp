#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

// Only regular files are opened, at once: a pipe would make an open or a
// read wait for as long as nobody writes to it.
TEST_F(RecordFileTest, WhatIsNotARegularFileIsRefusedAtOnce) {
  const std::string pipe = (dir_ / "pipe").string();
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  for (const std::string& path : {pipe, std::string("/dev/zero")}) {
    EXPECT_EQ(test::ErrorNumberOf([&] { files_.Open(path, 256); }), err::kBadFileMode) << path;
    EXPECT_EQ(test::ErrorNumberOf([&] { files_.OpenForReading(path, 256, Links::kFollow); }),
              err::kBadFileMode) << path;
  }
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
