#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/files/RecordFile.h"

namespace ostrel {

// Whether opening a path may follow a symbolic link in its place.
enum class Links { kFollow, kRefuse };

// All access to the password file, its journal and its copies goes through
// this interface. PosixRecordFiles is the real one; tests wrap it to make
// writes fail part-way or to cut the power at a chosen moment.
//
// Only regular files are opened: a folder raises err::kPathFileAccess
// (75), a device, pipe (FIFO) or socket err::kBadFileMode (54), found
// without waiting (an open never blocks on a FIFO), before anything is read.
class IRecordFiles {
 public:
  virtual ~IRecordFiles() = default;

  // Opens `path` for reading and writing records of `recordLength` bytes,
  // creating an empty file (mode 0600) when none exists. The caller owns
  // the returned file; destroying it closes the file. Failures raise the
  // platform's file error (see ErrorFromErrno); a file that may not be
  // written raises err::kPermissionDenied (70).
  virtual std::unique_ptr<IRecordFile> Open(const std::string& path,
                                            int32_t recordLength) = 0;

  // Opens an existing file for reading only: nothing is created and the
  // file can be neither written nor locked exclusively. A missing file
  // raises err::kFileMissing (53); with Links::kRefuse a symbolic link in
  // the file's place raises err::kBadFileMode.
  virtual std::unique_ptr<IRecordFile> OpenForReading(const std::string& path,
                                                      int32_t recordLength, Links links) = 0;

  // Creates a new empty file (mode 0600) at `path` and opens it for
  // reading and writing, never through a symbolic link: anything already
  // there, a dangling link included, raises err::kFileExists (58).
  virtual std::unique_ptr<IRecordFile> CreateNew(const std::string& path,
                                                 int32_t recordLength) = 0;

  // The length in bytes of the file at `path`; a missing file raises
  // err::kFileMissing (53), other failures their own file error.
  virtual int64_t FileLength(const std::string& path) = 0;

  // The identity of the file `path` names now (links followed); raises the
  // file error when there is none.
  virtual FileIdentity IdentityOf(const std::string& path) = 0;

  // `path` with every symbolic link resolved, so that the same file
  // reached through a link gives the same path; `path` itself when it
  // cannot be resolved (no such file).
  virtual std::string RealPath(const std::string& path) = 0;

  // The user this program runs as: the owner of the files it creates.
  virtual uint32_t Owner() = 0;

  // Whether something exists at `path` (a link is not followed); failures
  // other than "no such file" raise their file error.
  virtual bool Exists(const std::string& path) = 0;

  // Removes the name `path` (a link itself, not what it names); a missing
  // file is not an error.
  virtual void Remove(const std::string& path) = 0;

  // Waits until the folder holding `path` has reached the disk, so that a
  // file created or removed there stays created or removed after a power
  // cut.
  virtual void SyncFolder(const std::string& path) = 0;

  // Makes `path` a file (mode 0600) holding exactly `bytes`, whole or not
  // at all: they are written to a new file beside it, synced, renamed over
  // whatever `path` named and the folder synced. A failure leaves `path` as
  // it was and raises the file error.
  virtual void WriteWhole(const std::string& path, std::string_view bytes) = 0;

  // Copies the file `source` to `target`, replacing `target` only once the
  // whole copy is on disk: a failure leaves `target` as it was (or absent)
  // and raises the platform's file error. A new target gets mode 0600. The
  // caller holds the source locked (see PasswordFile::Copy), so that no
  // program writes it meanwhile.
  virtual void CopyFile(const std::string& source, const std::string& target) = 0;
};

}  // namespace ostrel
