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
#include "support/OstrelError.h"

namespace ostrel {

namespace {

void CheckRecordNumber(int32_t first) {
  if (first < 1) {
    throw OstrelError(err::kBadRecordNumber,
                      "record " + std::to_string(first) + " (records start at 1)");
  }
}

// Raises unless `st` is a regular file.
void CheckRegular(const struct stat& st, const std::string& path) {
  if (S_ISREG(st.st_mode)) return;
  if (S_ISDIR(st.st_mode)) throw OstrelError(err::kPathFileAccess, "open " + path + ": a folder");
  const char* what = S_ISLNK(st.st_mode)    ? "a symbolic link"
                     : S_ISFIFO(st.st_mode) ? "a pipe (FIFO)"
                     : S_ISSOCK(st.st_mode) ? "a socket"
                                            : "a device";
  throw OstrelError(err::kBadFileMode, "open " + path + ": " + what + ", not a regular file");
}

int OpenFlags(PosixRecordFile::Mode mode) {
  using Mode = PosixRecordFile::Mode;
  const int always = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
  switch (mode) {
    case Mode::kReadWrite: return always | O_RDWR | O_CREAT;
    case Mode::kReadOnly: return always | O_RDONLY;
    case Mode::kReadOnlyNoLinks: return always | O_RDONLY | O_NOFOLLOW;
    case Mode::kCreateNew: return always | O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW;
  }
  return always | O_RDONLY;
}

// Waits for a lock in growing pauses, and gives up after kLockWaitSeconds.
// It polls rather than blocks, so that it can give up: a program that hangs
// while holding the lock must not freeze every other one.
class LockWait {
 public:
  explicit LockWait(const std::string& path) : mPath(path) {
    ::clock_gettime(CLOCK_MONOTONIC, &mStart);
  }
  void Pause() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    if (now.tv_sec - mStart.tv_sec >= IRecordFile::kLockWaitSeconds) {
      throw OstrelError(err::kPermissionDenied,
                        "lock " + mPath + ": still held by another holder after " +
                            std::to_string(IRecordFile::kLockWaitSeconds) + " s",
                        "The password file is in use by another Ostrel window or program; please try again.");
    }
    ::nanosleep(&mPause, nullptr);
    mPause.tv_nsec = std::min<long>(mPause.tv_nsec * 2, 10'000'000);
  }

 private:
  const std::string& mPath;
  timespec mStart{};
  timespec mPause{0, 200'000};
};

}  // namespace

PosixRecordFile::PosixRecordFile(const std::string& path, int32_t recordLength, Mode mode)
    : mPath(path), mRecordLength(recordLength) {
  if (recordLength < 1) {
    throw OstrelError(err::kBadRecordLength, "record length " + std::to_string(recordLength));
  }
  // Looked at before it is opened, so that opening a device has no effect.
  struct stat st {};
  const bool noLinks = mode == Mode::kReadOnlyNoLinks || mode == Mode::kCreateNew;
  if (mode != Mode::kCreateNew && (noLinks ? ::lstat(path.c_str(), &st) : ::stat(path.c_str(), &st)) == 0) {
    CheckRegular(st, path);
  }
  mFd = ::open(path.c_str(), OpenFlags(mode), 0600);
  if (mFd < 0) throw ErrorFromErrno(errno, mode == Mode::kCreateNew ? "create" : "open", path);
  try {
    if (::fstat(mFd, &st) != 0) throw ErrorFromErrno(errno, "stat", path);
    CheckRegular(st, path);
    const int flags = ::fcntl(mFd, F_GETFL);
    if (flags < 0 || ::fcntl(mFd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
      throw ErrorFromErrno(errno, "open", path);
    }
  } catch (...) {
    ::close(mFd);
    throw;
  }
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

FileIdentity PosixRecordFile::Identity() {
  struct stat st {};
  if (::fstat(mFd, &st) != 0) throw ErrorFromErrno(errno, "stat", mPath);
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino),
          static_cast<uint32_t>(st.st_uid), static_cast<uint64_t>(st.st_nlink)};
}

bool PosixRecordFile::TryRange(short type, int64_t start, int64_t length) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = start;
  lock.l_len = length;
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

void PosixRecordFile::ReleaseRange(int64_t start, int64_t length) noexcept {
  struct flock lock {};
  lock.l_type = F_UNLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = start;
  lock.l_len = length;
#ifdef F_OFD_SETLK
  if (::fcntl(mFd, F_OFD_SETLK, &lock) != 0 && errno == EINVAL) ::fcntl(mFd, F_SETLK, &lock);
#else
  ::fcntl(mFd, F_SETLK, &lock);
#endif
}

// Holders keep the lock for one operation (milliseconds, a second or two
// at most); the turnstile is held only while waiting for it.
void PosixRecordFile::Lock(FileLock kind) {
  const short type = kind == FileLock::kExclusive ? F_WRLCK : F_RDLCK;
  if (mLocked && kind == FileLock::kShared && TryRange(type, 0, kTurnstile)) return;
  LockWait wait(mPath);
  // The turnstile is taken as the lock is: readers waiting together do not
  // hold each other back (and a file open for reading only could not take
  // a write lock), while a waiting writer holds back everybody after it.
  while (!TryRange(type, kTurnstile, 1)) wait.Pause();
  try {
    while (!TryRange(type, 0, kTurnstile)) wait.Pause();
  } catch (...) {
    ReleaseRange(kTurnstile, 1);
    throw;
  }
  ReleaseRange(kTurnstile, 1);
  mLocked = true;
}

void PosixRecordFile::Unlock() noexcept {
  if (!mLocked) return;
  ReleaseRange(0, kTurnstile);
  mLocked = false;
}

}  // namespace ostrel
