#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/files/RecordFile.h"
#include "platform/files/RecordFiles.h"
#include "store/StoreContext.h"
#include "support/OstrelError.h"

namespace ostrel {

class JournalWriter;

// The password file opened and locked for one operation, through 256-byte
// records (the 2048-byte site slot k is records 8k + 9 .. 8k + 16). Made
// with the lock it needs, it first undoes any change that a crash cut off
// (see Journal.h). Owned by the PasswordFile objects that share it.
class FileHold {
 public:
  FileHold(IRecordFiles& files, std::string path, bool exclusive);
  ~FileHold();

  IRecordFile& File() { return *mFile; }
  IRecordFiles& Files() { return mFiles; }
  const std::string& Path() const { return mPath; }
  bool Exclusive() const { return mExclusive; }
  // Exchanges a shared lock for the exclusive one: the shared lock is
  // released first (so two holders cannot wait for each other), and what
  // was read under it may have changed once the exclusive lock is held.
  void MakeExclusive();

 private:
  // Holding the exclusive lock: undoes a cut-off change, if any.
  void Recover();

  IRecordFiles& mFiles;
  std::string mPath;
  std::unique_ptr<IRecordFile> mFile;
  bool mExclusive;
};

// One store operation's hold on context.PasswordFileName: shared for
// kRead, exclusive for kWrite, for as long as the object lives. Holds made
// on the same context while one lives share its open file and lock (a
// kWrite inside a kRead hold exchanges the lock, see MakeExclusive), so an
// operation may call others. Opening creates the file when it is missing.
// Raises the file error when the file cannot be opened, locked (in use for
// more than IRecordFile::kLockWaitSeconds) or recovered.
class PasswordFile {
 public:
  enum class Access { kRead, kWrite };
  static constexpr int32_t kRecordBytes = 256;

  PasswordFile(StoreContext& context, Access access);
  ~PasswordFile();
  PasswordFile(const PasswordFile&) = delete;
  PasswordFile& operator=(const PasswordFile&) = delete;

  IRecordFile& File() { return mHold->File(); }
  IRecordFiles& Files() { return mHold->Files(); }
  const std::string& Path() const { return mHold->Path(); }
  bool Writable() const { return mHold->Exclusive(); }
  int64_t Length() { return File().Length(); }

  // Reads `bytes` bytes at `offset` (both multiples of 256) into out; bytes
  // past the end of the file read as NUL.
  void Read(int64_t offset, int64_t bytes, char* out);

 private:
  std::shared_ptr<FileHold> mHold;
};

// One change of a file held for writing, made so that a crash at any
// instant leaves the file as it was before or as it is after, never a mix:
//   Keep every range about to change (its old bytes go to the journal),
//   Commit (the journal is on disk), Write the new bytes, Finish (the file
//   is on disk, the journal is removed).
// A failing Write or Finish puts the old bytes back at once and raises the
// failure (should putting back fail as well, the journal stays and the next
// open of the file puts them back, and the error says so). A change dropped
// between Commit and Finish (an error raised in between) is put back by the
// destructor. Writes must lie inside kept ranges or past the old end.
class FileChange {
 public:
  explicit FileChange(PasswordFile& file);
  ~FileChange();
  FileChange(const FileChange&) = delete;
  FileChange& operator=(const FileChange&) = delete;

  // Keeps the old bytes of offset..offset+bytes-1 (the part inside the
  // file), read in bounded pieces, slot by slot: offset and size are
  // multiples of slotBytes (256 or 2048).
  void Keep(int64_t offset, int64_t bytes, int32_t slotBytes);
  void Commit();
  void Write(int64_t offset, std::string_view bytes);
  void Finish();

  // The whole sequence for one range of whole slots.
  static void Replace(PasswordFile& file, int64_t offset, std::string_view bytes,
                      int32_t slotBytes);

 private:
  void Undo() noexcept;
  [[noreturn]] void Fail(const OstrelError& failure);

  PasswordFile& mFile;
  std::unique_ptr<JournalWriter> mJournal;
  bool mCommitted = false;
  bool mDone = false;
};

}  // namespace ostrel
