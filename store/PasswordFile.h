#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/files/RecordFile.h"
#include "platform/files/RecordFiles.h"
#include "store/StoreContext.h"

namespace ostrel {

class FileHold;

// One store operation's hold on context.PasswordFileName (see FileHold):
// shared for kRead, exclusive for kWrite, for as long as the object lives.
// Holds made on the same context while one lives share its open file and
// lock (a kWrite inside a kRead hold exchanges the lock, see
// FileHold::MakeExclusive), so an operation may call others. Opening creates
// an empty file when it is missing (except where the file may not be
// written; a reader is then served by the file as it is). Raises the file
// error when the file cannot be opened, locked (in use for more than
// IRecordFile::kLockWaitSeconds) or its journal dealt with, and
// err::kPermissionDenied, explained, for kWrite on a read-only file.
// The file is read through 256-byte records (the 2048-byte site slot k is
// records 8k + 9 .. 8k + 16).
class PasswordFile {
 public:
  enum class Access { kRead, kWrite };
  static constexpr int32_t kRecordBytes = 256;

  PasswordFile(StoreContext& context, Access access);
  ~PasswordFile();
  PasswordFile(const PasswordFile&) = delete;
  PasswordFile& operator=(const PasswordFile&) = delete;

  IRecordFile& File();
  IRecordFiles& Files();
  StoreContext& Context();
  const std::string& Path() const;
  // Where the file's journal goes: beside the file, links resolved.
  const std::string& JournalPath() const;
  // Held exclusively, so that it may be changed.
  bool Writable() const;
  // Opened for reading only: the file may not be written.
  bool ReadOnly() const;
  int64_t Length() { return File().Length(); }

  // Reads `bytes` bytes at `offset` (both multiples of 256) into out; bytes
  // past the end of the file read as NUL.
  void Read(int64_t offset, int64_t bytes, char* out);

  // Makes a file that is still empty (Length() 0) hold `bytes`, whole or
  // not at all: a crash leaves it empty or whole, and no journal.
  void CreateWhole(std::string_view bytes);

  // Copies context.PasswordFileName to `target` (see IRecordFiles::CopyFile)
  // under the shared lock, as it is once a change that a crash cut off is
  // undone: never a file half changed. A missing file raises
  // err::kFileMissing; one whose cut-off change cannot be undone (damaged
  // journal, read-only file) raises that error and nothing is copied.
  static void Copy(StoreContext& context, const std::string& target);

 private:
  std::shared_ptr<FileHold> mHold;
};

}  // namespace ostrel
