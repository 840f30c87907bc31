#include "platform/files/PosixRecordFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/files/FileError.h"
#include "support/ErrorNumbers.h"

namespace ostrel {

namespace {
void CheckRecordNumber(int32_t first) {
  if (first < 1) {
    throw OstrelError(err::kBadRecordNumber,
                      "record " + std::to_string(first) + " (records start at 1)");
  }
}
}  // namespace

PosixRecordFile::PosixRecordFile(const std::string& path, int32_t recordLength)
    : mPath(path), mRecordLength(recordLength) {
  if (recordLength < 1) {
    throw OstrelError(err::kBadRecordLength, "record length " + std::to_string(recordLength));
  }
  mFd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (mFd < 0) throw ErrorFromErrno(errno, "open", path);
}

PosixRecordFile::~PosixRecordFile() {
  if (mFd >= 0) ::close(mFd);
}

int64_t PosixRecordFile::Offset(int32_t record) const {
  return static_cast<int64_t>(record - 1) * mRecordLength;
}

void PosixRecordFile::Read(int32_t first, int32_t count, char* out) {
  CheckRecordNumber(first);
  size_t wanted = static_cast<size_t>(count) * mRecordLength;
  size_t done = 0;
  int64_t offset = Offset(first);
  while (done < wanted) {
    ssize_t n = ::pread(mFd, out + done, wanted - done, offset + done);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw ErrorFromErrno(errno, "read", mPath);
    }
    if (n == 0) break;  // end of file: the rest reads as NUL
    done += static_cast<size_t>(n);
  }
  std::memset(out + done, 0, wanted - done);
}

void PosixRecordFile::Write(int32_t first, std::string_view data) {
  CheckRecordNumber(first);
  if (data.size() % mRecordLength != 0) {
    throw OstrelError(err::kBadRecordNumber,
                      "a write of " + std::to_string(data.size()) +
                          " bytes is not a whole number of records");
  }
  size_t done = 0;
  int64_t offset = Offset(first);
  while (done < data.size()) {
    ssize_t n = ::pwrite(mFd, data.data() + done, data.size() - done, offset + done);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw ErrorFromErrno(errno, "write", mPath);
    }
    done += static_cast<size_t>(n);
  }
}

void PosixRecordFile::Sync() {
  if (::fdatasync(mFd) != 0) throw ErrorFromErrno(errno, "sync", mPath);
}

int64_t PosixRecordFile::Length() {
  struct stat st {};
  if (::fstat(mFd, &st) != 0) throw ErrorFromErrno(errno, "stat", mPath);
  return st.st_size;
}

void PosixRecordFile::Truncate(int64_t length) {
  if (::ftruncate(mFd, length) != 0) throw ErrorFromErrno(errno, "truncate", mPath);
}

}  // namespace ostrel
