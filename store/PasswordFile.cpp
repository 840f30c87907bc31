#include "store/PasswordFile.h"

#include <algorithm>
#include <vector>

#include "store/Journal.h"
#include "support/ErrorNumbers.h"

namespace ostrel {

namespace {

constexpr int64_t kPieceBytes = 1 << 20;  // read at once while keeping old bytes

int32_t RecordAt(int64_t offset) {
  if (offset < 0 || offset % PasswordFile::kRecordBytes != 0) {
    throw OstrelError(err::kInternalError,
                      "password file: offset " + std::to_string(offset) + " is not a slot boundary");
  }
  return static_cast<int32_t>(offset / PasswordFile::kRecordBytes + 1);
}

int32_t RecordsIn(int64_t bytes) {
  if (bytes < 0 || bytes % PasswordFile::kRecordBytes != 0) {
    throw OstrelError(err::kInternalError,
                      "password file: " + std::to_string(bytes) + " bytes are not whole slots");
  }
  return static_cast<int32_t>(bytes / PasswordFile::kRecordBytes);
}

}  // namespace

FileHold::FileHold(IRecordFiles& files, std::string path, bool exclusive)
    : mFiles(files), mPath(std::move(path)), mExclusive(exclusive) {
  mFile = mFiles.Open(mPath, PasswordFile::kRecordBytes);
  mFile->Lock(exclusive ? FileLock::kExclusive : FileLock::kShared);
  // Under a shared lock a journal can only be one that a crash left: its
  // writer held the exclusive lock until it removed it.
  if (mFiles.Exists(JournalPath(mPath))) {
    if (exclusive) {
      Recover();
    } else {
      mFile->Unlock();
      mFile->Lock(FileLock::kExclusive);
      Recover();
      mFile->Lock(FileLock::kShared);
    }
  }
}

FileHold::~FileHold() { mFile->Unlock(); }

void FileHold::Recover() { RecoverJournal(mFiles, mPath, *mFile); }

void FileHold::MakeExclusive() {
  if (mExclusive) return;
  mFile->Unlock();
  mFile->Lock(FileLock::kExclusive);
  mExclusive = true;
  Recover();
}

PasswordFile::PasswordFile(StoreContext& context, Access access) {
  std::shared_ptr<FileHold> held = context.HeldFile();
  if (held && held->Path() == context.PasswordFileName) {
    if (access == Access::kWrite) held->MakeExclusive();
    mHold = std::move(held);
    return;
  }
  mHold = std::make_shared<FileHold>(context.Files(), context.PasswordFileName,
                                     access == Access::kWrite);
  if (!held) context.SetHeldFile(mHold);
}

PasswordFile::~PasswordFile() = default;

void PasswordFile::Read(int64_t offset, int64_t bytes, char* out) {
  File().Read(RecordAt(offset), RecordsIn(bytes), out);
}

FileChange::FileChange(PasswordFile& file) : mFile(file) {
  if (!file.Writable()) {
    throw OstrelError(err::kInternalError, "password file: a change needs the exclusive lock");
  }
  mJournal = std::make_unique<JournalWriter>(file.Files(), file.Path(), file.Length());
}

FileChange::~FileChange() {
  if (mDone) return;
  if (mCommitted) {
    Undo();
  } else {
    mJournal->Discard();
  }
}

void FileChange::Keep(int64_t offset, int64_t bytes, int32_t slotBytes) {
  const int64_t end = std::min(offset + bytes, mFile.Length());
  const int64_t pieceBytes = kPieceBytes / slotBytes * slotBytes;
  std::vector<char> piece;
  for (int64_t at = offset; at < end; at += pieceBytes) {
    const int64_t size = std::min<int64_t>(pieceBytes, end - at);
    const int64_t whole = (size + slotBytes - 1) / slotBytes * slotBytes;
    piece.resize(static_cast<size_t>(whole));
    mFile.Read(at, whole, piece.data());
    mJournal->Keep(at, std::string_view(piece.data(), piece.size()), slotBytes);
  }
}

void FileChange::Commit() {
  mJournal->Commit();
  mCommitted = true;
}

void FileChange::Write(int64_t offset, std::string_view bytes) {
  if (!mCommitted) throw OstrelError(err::kInternalError, "password file: write before commit");
  try {
    mFile.File().Write(RecordAt(offset), bytes);
  } catch (const OstrelError& failure) {
    Fail(failure);
  }
}

void FileChange::Finish() {
  try {
    mFile.File().Sync();
  } catch (const OstrelError& failure) {
    Fail(failure);
  }
  mDone = true;
  try {
    mJournal->Remove();
  } catch (const OstrelError& failure) {
    // Left in place, the journal would undo the finished change at the next
    // open: undo it now, so that what the person is told holds.
    mDone = false;
    Fail(failure);
  }
}

void FileChange::Undo() noexcept {
  try {
    RecoverJournal(mFile.Files(), mFile.Path(), mFile.File());
    mDone = true;
  } catch (...) {
    // The journal stays: the next open of the file puts the old bytes back.
  }
}

void FileChange::Fail(const OstrelError& failure) {
  Undo();
  if (mDone) throw failure;
  mDone = true;
  throw OstrelError(failure.Number(),
                    failure.Description() +
                        "; the old content could not be put back yet (the next open will)",
                    "The password file could not be written; its old content will be put back the "
                    "next time Ostrel opens it.");
}

void FileChange::Replace(PasswordFile& file, int64_t offset, std::string_view bytes,
                         int32_t slotBytes) {
  FileChange change(file);
  change.Keep(offset, static_cast<int64_t>(bytes.size()), slotBytes);
  change.Commit();
  change.Write(offset, bytes);
  change.Finish();
}

}  // namespace ostrel
