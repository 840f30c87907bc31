#include "platform/files/PosixRecordFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <time.h>

#include <algorithm>
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

PosixRecordFile::PosixRecordFile(const std::string& path, int32_t recordLength, Mode mode)
    : mPath(path), mRecordLength(recordLength) {
  if (recordLength < 1) {
    throw OstrelError(err::kBadRecordLength, "record length " + std::to_string(recordLength));
  }
  const int flags = mode == Mode::kReadOnly ? O_RDONLY : O_RDWR | O_CREAT;
  mFd = ::open(path.c_str(), flags | O_CLOEXEC, 0600);
  if (mFd < 0) throw ErrorFromErrno(errno, "open", path);
}

PosixRecordFile::~PosixRecordFile() {
  if (mFd >= 0) ::close(mFd);  // releases the lock too
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

bool PosixRecordFile::TryLock(short type) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;  // from byte 0 to the end, however long the file grows
  for (;;) {
#ifdef F_OFD_SETLK
    if (::fcntl(mFd, F_OFD_SETLK, &lock) == 0) return true;
    if (errno == EINVAL) {
      lock.l_pid = 0;
      if (::fcntl(mFd, F_SETLK, &lock) == 0) return true;
    }
#else
    if (::fcntl(mFd, F_SETLK, &lock) == 0) return true;
#endif
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EACCES) return false;
    throw ErrorFromErrno(errno, "lock", mPath);
  }
}

// The wait polls rather than blocks, so that it can give up: a program
// that hangs while holding the lock must not freeze every other one. Holders
// keep the lock for one operation (milliseconds, a second or two at most).
void PosixRecordFile::Lock(FileLock kind) {
  const short type = kind == FileLock::kExclusive ? F_WRLCK : F_RDLCK;
  timespec pause{0, 200'000};
  timespec start{};
  ::clock_gettime(CLOCK_MONOTONIC, &start);
  while (!TryLock(type)) {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    if (now.tv_sec - start.tv_sec >= kLockWaitSeconds) {
      throw OstrelError(err::kPermissionDenied,
                        "lock " + mPath + ": still held by another holder after " +
                            std::to_string(kLockWaitSeconds) + " s",
                        "The password file is in use by another Ostrel window or program; please try again.");
    }
    ::nanosleep(&pause, nullptr);
    pause.tv_nsec = std::min<long>(pause.tv_nsec * 2, 10'000'000);
  }
  mLocked = true;
}

void PosixRecordFile::Unlock() noexcept {
  if (!mLocked) return;
  struct flock lock {};
  lock.l_type = F_UNLCK;
  lock.l_whence = SEEK_SET;
#ifdef F_OFD_SETLK
  if (::fcntl(mFd, F_OFD_SETLK, &lock) != 0 && errno == EINVAL) ::fcntl(mFd, F_SETLK, &lock);
#else
  ::fcntl(mFd, F_SETLK, &lock);
#endif
  mLocked = false;
}

}  // namespace ostrel
