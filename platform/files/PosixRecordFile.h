#pragma once

#include <string>

#include "platform/files/RecordFile.h"

namespace ostrel {

// A record file on a POSIX file descriptor, which it owns and closes.
//
// Only a regular file is opened, and the open never waits: the path is
// looked at first, and the descriptor is opened without blocking (a FIFO
// would wait for a writer) and looked at again. See IRecordFiles for the
// errors.
//
// Locks are fcntl record locks, taken as open file description locks where
// the system has them (Linux 3.15 on): such a lock belongs to this open
// file, not to the process, so two windows of one program exclude each
// other as two programs do, and closing another descriptor of the same file
// does not drop it. Elsewhere the classic per-process fcntl lock is used.
// The lock covers bytes 0 .. kTurnstile - 1 (far beyond the longest password
// file). Whoever asks for it first takes the one byte at kTurnstile, of the
// same kind, waits for the lock, and then lets the byte go: a holder that
// lets go and asks again for a lock that conflicts with the waiter's finds
// the byte taken and queues behind it. (Programs that lock the whole file
// without the turnstile still exclude and are excluded as before.)
class PosixRecordFile : public IRecordFile {
 public:
  enum class Mode {
    kReadWrite,          // creating the file (mode 0600) when missing
    kReadOnly,           // an existing file
    kReadOnlyNoLinks,    // an existing file, not through a symbolic link
    kCreateNew,          // a new file, not through a link; nothing may be there
  };
  static constexpr int64_t kTurnstile = int64_t{1} << 30;

  // Raises the file error (see IRecordFiles).
  PosixRecordFile(const std::string& path, int32_t recordLength, Mode mode);
  ~PosixRecordFile() override;
  PosixRecordFile(const PosixRecordFile&) = delete;
  PosixRecordFile& operator=(const PosixRecordFile&) = delete;

  int32_t RecordLength() const override { return mRecordLength; }
  void Read(int32_t first, int32_t count, char* out) override;
  void Write(int32_t first, std::string_view data) override;
  void Sync() override;
  int64_t Length() override;
  void Truncate(int64_t length) override;
  FileIdentity Identity() override;
  void Lock(FileLock lock) override;
  void Unlock() noexcept override;

 private:
  int64_t Offset(int32_t record) const;
  // One attempt on bytes start .. start + length - 1 without waiting;
  // false when another holder is in the way.
  bool TryRange(short type, int64_t start, int64_t length);
  void ReleaseRange(int64_t start, int64_t length) noexcept;

  std::string mPath;
  int32_t mRecordLength;
  int mFd = -1;
  bool mLocked = false;
};

}  // namespace ostrel
