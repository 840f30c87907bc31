#pragma once

#include <cstdint>
#include <string_view>

namespace ostrel {

// The two kinds of lock on a whole file: many shared holders at once, or
// one exclusive holder and nobody else.
enum class FileLock { kShared, kExclusive };

// Which file an open file or a path is (device and inode), whose it is and
// how many names (hard links) it has.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  uint32_t owner = 0;
  uint64_t links = 0;
  bool SameFile(const FileIdentity& other) const {
    return device == other.device && inode == other.inode;
  }
};

// One open regular file of fixed-length records, numbered from 1: record n
// covers bytes (n - 1) * RecordLength() .. n * RecordLength() - 1. The file
// is closed, and its lock released, when the object is destroyed.
class IRecordFile {
 public:
  virtual ~IRecordFile() = default;

  // The record length the file was opened with.
  virtual int32_t RecordLength() const = 0;

  // Reads `count` whole records starting at record `first` into `out`,
  // which must hold count * RecordLength() bytes. Bytes that lie past the
  // end of the file read as NUL. `first` below 1 fails with
  // err::kBadRecordNumber (63) before anything is read; a failing read
  // raises the platform's file error.
  virtual void Read(int32_t first, int32_t count, char* out) = 0;

  // Writes `data`, a whole number of records, starting at record `first`.
  // Writing past the end extends the file; a gap reads as NUL bytes.
  // `first` below 1 or a partial record fails with err::kBadRecordNumber
  // (63) before anything is written. A failing write raises the platform's
  // file error; part of `data` may then have reached the file, and it is up
  // to the caller to put the old bytes back.
  virtual void Write(int32_t first, std::string_view data) = 0;

  // Waits until what was written has reached the disk; raises the file
  // error when it cannot.
  virtual void Sync() = 0;

  // The current length of the file in bytes.
  virtual int64_t Length() = 0;

  // Cuts the file back to `length` bytes.
  virtual void Truncate(int64_t length) = 0;

  // The open file's identity now (its links may change while it is open).
  virtual FileIdentity Identity() = 0;

  // Takes `lock` on the whole file for this open file. A shared lock asked
  // for while the exclusive one is held replaces it at once, without
  // letting go; to exchange a shared lock for the exclusive one, Unlock
  // first (two holders that both wait to exchange would wait for each
  // other). Waits while another open file - of this program or another
  // one, also over a network file system - holds a lock that conflicts.
  // Waiters are served in turn: once one waits, a holder that lets go and
  // asks again for a lock that conflicts queues behind it, so a program
  // that works without pause cannot keep another out for longer than one of
  // its operations. After about kLockWaitSeconds raises
  // err::kPermissionDenied with an explanation that the file is in use. A
  // file opened for reading only can take only the shared lock.
  virtual void Lock(FileLock lock) = 0;

  // Releases the lock; nothing when none is held. Never fails.
  virtual void Unlock() noexcept = 0;

  static constexpr int kLockWaitSeconds = 20;
};

}  // namespace ostrel
