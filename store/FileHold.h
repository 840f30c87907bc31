#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/files/RecordFile.h"
#include "platform/files/RecordFiles.h"
#include "store/StoreContext.h"
#include "support/OstrelError.h"

namespace ostrel {

// The password file opened and locked for one operation, through 256-byte
// records. Made with the lock it needs, it first deals with what lies where
// the file's journal goes (see Journal.h): a change that a crash cut off is
// undone (under the exclusive lock, taken for that moment by a reader), a
// journal whose change never began is removed, a damaged one raises
// err::kCorruptedFile, one that cannot be proven the file's
// err::kUnknownJournal, and what is certainly not its journal is left alone
// (no change can be made while it is there). Owned by the PasswordFile
// objects that share it.
//
// A file that may be read but not written is held for reading only: a
// reader is served, a writer (and an unfinished change, which could not be
// undone) gets err::kPermissionDenied saying that the file is read-only.
// After the lock is granted the path must still name the open file (it may
// have been replaced meanwhile, see ReplaceWhole); otherwise it is opened
// again.
class FileHold {
 public:
  static constexpr int32_t kRecordBytes = 256;

  // Raises the file error when the file cannot be opened, locked (in use
  // for more than IRecordFile::kLockWaitSeconds) or its journal dealt with.
  FileHold(StoreContext& context, std::string path, bool exclusive);
  ~FileHold();
  FileHold(const FileHold&) = delete;
  FileHold& operator=(const FileHold&) = delete;

  IRecordFile& File() { return *mFile; }
  IRecordFiles& Files() { return mContext.Files(); }
  StoreContext& Context() { return mContext; }
  // The path as named, and where its journal goes (beside the real file).
  const std::string& Path() const { return mPath; }
  const std::string& JournalPath() const { return mJournalPath; }
  bool Exclusive() const { return mExclusive; }
  bool ReadOnly() const { return mReadOnly; }

  // Exchanges a shared lock for the exclusive one: the shared lock is
  // released first (so two holders cannot wait for each other), and what
  // was read under it may have changed once the exclusive lock is held.
  void MakeExclusive();

  // Held exclusively: makes the file hold exactly `bytes`, whole or not at
  // all (IRecordFiles::WriteWhole over the real path), then holds the new
  // file. For a file that is still empty, so no journal is needed.
  void ReplaceWhole(std::string_view bytes);

  // The error for a change of a file that may not be written.
  static OstrelError ReadOnlyError(const std::string& description);

 private:
  void Open();
  // Takes the lock on a file the path still names.
  void Lock(FileLock lock);
  bool StillNamed();
  void SettleJournal();

  StoreContext& mContext;
  std::string mPath;
  std::string mJournalPath;
  std::unique_ptr<IRecordFile> mFile;
  bool mExclusive;
  bool mReadOnly = false;
};

}  // namespace ostrel
