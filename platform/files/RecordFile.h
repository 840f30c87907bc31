#pragma once

#include <cstdint>
#include <string_view>

namespace ostrel {

// The two kinds of lock on a whole file: many shared holders at once, or
// one exclusive holder and nobody else.
enum class FileLock { kShared, kExclusive };

// One open file of fixed-length records, numbered from 1: record n covers
// bytes (n - 1) * RecordLength() .. n * RecordLength() - 1. The file is
// closed, and its lock released, when the object is destroyed.
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

  // Takes `lock` on the whole file for this open file, replacing the lock
  // it holds (a shared lock can be exchanged for an exclusive one, but
  // callers should rather Unlock first: two holders that both wait to
  // exchange would wait for each other). Waits while another open file -
  // of this program or another one, also over a network file system -
  // holds a lock that conflicts; after about kLockWaitSeconds raises
  // err::kPermissionDenied with an explanation that the file is in use.
  // A file opened for reading only can take only the shared lock.
  virtual void Lock(FileLock lock) = 0;

  // Releases the lock; nothing when none is held. Never fails.
  virtual void Unlock() noexcept = 0;

  static constexpr int kLockWaitSeconds = 20;
};

}  // namespace ostrel
