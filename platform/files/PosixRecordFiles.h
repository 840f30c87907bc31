#pragma once

#include "platform/files/RecordFiles.h"

namespace ostrel {

// The real files: POSIX open/pread/pwrite on the local file system.
class PosixRecordFiles : public IRecordFiles {
 public:
  std::unique_ptr<IRecordFile> Open(const std::string& path,
                                    int32_t recordLength) override;
  std::unique_ptr<IRecordFile> OpenForReading(const std::string& path,
                                              int32_t recordLength, Links links) override;
  std::unique_ptr<IRecordFile> CreateNew(const std::string& path,
                                         int32_t recordLength) override;
  int64_t FileLength(const std::string& path) override;
  FileIdentity IdentityOf(const std::string& path) override;
  std::string RealPath(const std::string& path) override;
  uint32_t Owner() override;
  bool Exists(const std::string& path) override;
  void Remove(const std::string& path) override;
  void SyncFolder(const std::string& path) override;
  void WriteWhole(const std::string& path, std::string_view bytes) override;
  void CopyFile(const std::string& source, const std::string& target) override;
};

}  // namespace ostrel
