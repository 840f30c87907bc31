#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/files/RecordFile.h"

namespace ostrel {

// All access to the password file and its copies goes through this
// interface. PosixRecordFiles is the real one; tests wrap it to make writes
// fail part-way.
class IRecordFiles {
 public:
  virtual ~IRecordFiles() = default;

  // Opens `path` for reading and writing records of `recordLength` bytes,
  // creating an empty file (mode 0600) when none exists. The caller owns
  // the returned file; destroying it closes the file. Failures raise the
  // platform's file error (see ErrorFromErrno).
  virtual std::unique_ptr<IRecordFile> Open(const std::string& path,
                                            int32_t recordLength) = 0;

  // The length in bytes of the file at `path`; a missing file raises
  // err::kFileMissing (53), other failures their own file error.
  virtual int64_t FileLength(const std::string& path) = 0;

  // Copies the file `source` to `target`, replacing `target` only once the
  // whole copy is on disk: a failure leaves `target` as it was (or absent)
  // and raises the platform's file error. A new target gets mode 0600.
  virtual void CopyFile(const std::string& source, const std::string& target) = 0;
};

}  // namespace ostrel
