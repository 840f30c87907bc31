#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/files/RecordFile.h"

namespace ostrel {

// All access to the password file, its journal and its copies goes through
// this interface. PosixRecordFiles is the real one; tests wrap it to make
// writes fail part-way or to cut the power at a chosen moment.
class IRecordFiles {
 public:
  virtual ~IRecordFiles() = default;

  // Opens `path` for reading and writing records of `recordLength` bytes,
  // creating an empty file (mode 0600) when none exists. The caller owns
  // the returned file; destroying it closes the file. Failures raise the
  // platform's file error (see ErrorFromErrno).
  virtual std::unique_ptr<IRecordFile> Open(const std::string& path,
                                            int32_t recordLength) = 0;

  // Opens an existing file for reading only: nothing is created and the
  // file can be neither written nor locked exclusively. A missing file
  // raises err::kFileMissing (53).
  virtual std::unique_ptr<IRecordFile> OpenForReading(const std::string& path,
                                                      int32_t recordLength) = 0;

  // The length in bytes of the file at `path`; a missing file raises
  // err::kFileMissing (53), other failures their own file error.
  virtual int64_t FileLength(const std::string& path) = 0;

  // Whether something exists at `path`; failures other than "no such file"
  // raise their file error.
  virtual bool Exists(const std::string& path) = 0;

  // Removes the file at `path`; a missing file is not an error.
  virtual void Remove(const std::string& path) = 0;

  // Waits until the folder holding `path` has reached the disk, so that a
  // file created or removed there stays created or removed after a power
  // cut.
  virtual void SyncFolder(const std::string& path) = 0;

  // Copies the file `source` to `target`, replacing `target` only once the
  // whole copy is on disk: a failure leaves `target` as it was (or absent)
  // and raises the platform's file error. A new target gets mode 0600. The
  // source is read under a shared lock, so no other program writes it
  // meanwhile.
  virtual void CopyFile(const std::string& source, const std::string& target) = 0;
};

}  // namespace ostrel
