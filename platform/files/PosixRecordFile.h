#pragma once

#include <string>

#include "platform/files/RecordFile.h"

namespace ostrel {

// A record file on a POSIX file descriptor, which it owns and closes.
//
// Locks are fcntl record locks over the whole file, taken as open file
// description locks where the system has them (Linux 3.15 on): such a lock
// belongs to this open file, not to the process, so two windows of one
// program exclude each other as two programs do, and closing another
// descriptor of the same file does not drop it. Elsewhere the classic
// per-process fcntl lock is used.
class PosixRecordFile : public IRecordFile {
 public:
  enum class Mode { kReadWrite, kReadOnly };

  // kReadWrite opens (creating with mode 0600) `path`; kReadOnly opens an
  // existing file without creating it. Raises the file error.
  PosixRecordFile(const std::string& path, int32_t recordLength,
                  Mode mode = Mode::kReadWrite);
  ~PosixRecordFile() override;
  PosixRecordFile(const PosixRecordFile&) = delete;
  PosixRecordFile& operator=(const PosixRecordFile&) = delete;

  int32_t RecordLength() const override { return mRecordLength; }
  void Read(int32_t first, int32_t count, char* out) override;
  void Write(int32_t first, std::string_view data) override;
  void Sync() override;
  int64_t Length() override;
  void Truncate(int64_t length) override;
  void Lock(FileLock lock) override;
  void Unlock() noexcept override;

 private:
  int64_t Offset(int32_t record) const;
  // One attempt without waiting; false when another holder is in the way.
  bool TryLock(short type);

  std::string mPath;
  int32_t mRecordLength;
  int mFd = -1;
  bool mLocked = false;
};

}  // namespace ostrel
