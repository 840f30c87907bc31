#pragma once

#include <string>

#include "platform/files/RecordFile.h"

namespace ostrel {

// A record file on a POSIX file descriptor, which it owns and closes.
class PosixRecordFile : public IRecordFile {
 public:
  // Opens (creating with mode 0600) `path`; raises the file error.
  PosixRecordFile(const std::string& path, int32_t recordLength);
  ~PosixRecordFile() override;
  PosixRecordFile(const PosixRecordFile&) = delete;
  PosixRecordFile& operator=(const PosixRecordFile&) = delete;

  int32_t RecordLength() const override { return mRecordLength; }
  void Read(int32_t first, int32_t count, char* out) override;
  void Write(int32_t first, std::string_view data) override;
  void Sync() override;
  int64_t Length() override;
  void Truncate(int64_t length) override;

 private:
  int64_t Offset(int32_t record) const;

  std::string mPath;
  int32_t mRecordLength;
  int mFd = -1;
};

}  // namespace ostrel
