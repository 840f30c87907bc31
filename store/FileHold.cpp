#include "store/FileHold.h"

#include "store/Journal.h"
#include "support/ErrorNumbers.h"

namespace ostrel {

namespace {
constexpr int kReopens = 5;  // the path replaced again and again: go on with the last
}  // namespace

FileHold::FileHold(StoreContext& context, std::string path, bool exclusive)
    : mContext(context), mPath(std::move(path)), mExclusive(exclusive) {
  Open();
  Lock(exclusive ? FileLock::kExclusive : FileLock::kShared);
  SettleJournal();
}

FileHold::~FileHold() { mFile->Unlock(); }

OstrelError FileHold::ReadOnlyError(const std::string& description) {
  return OstrelError(err::kPermissionDenied, description,
                     "The password file is read-only (the file, its folder or its disk cannot be "
                     "written), so nothing was changed.");
}

// The file held so far (if any) is kept until the new one is open.
void FileHold::Open() {
  try {
    mFile = Files().Open(mPath, kRecordBytes);
    mReadOnly = false;
  } catch (const OstrelError& e) {
    if (e.Number() != err::kPermissionDenied) throw;
    if (mExclusive) throw ReadOnlyError(e.Description());
    mFile = Files().OpenForReading(mPath, kRecordBytes, Links::kFollow);
    mReadOnly = true;
  }
}

bool FileHold::StillNamed() {
  try {
    return Files().IdentityOf(mPath).SameFile(mFile->Identity());
  } catch (const OstrelError&) {
    return false;
  }
}

void FileHold::Lock(FileLock lock) {
  for (int reopened = 0;; ++reopened) {
    mFile->Lock(lock);
    if (reopened == kReopens || StillNamed()) break;
    Open();
  }
  mJournalPath = ostrel::JournalPath(Files().RealPath(mPath));
}

void FileHold::MakeExclusive() {
  if (mExclusive) return;
  if (mReadOnly) throw ReadOnlyError("change " + mPath + ": opened for reading only");
  mFile->Unlock();
  mExclusive = true;
  try {
    Lock(FileLock::kExclusive);
  } catch (...) {
    mExclusive = false;  // and no lock held: the operation ends here
    throw;
  }
  SettleJournal();
}

void FileHold::SettleJournal() {
  Journal journal = Journal::Find(mContext, mJournalPath, *mFile);
  switch (journal.Found()) {
    case Journal::State::kNone:
    case Journal::State::kOther:
      return;
    case Journal::State::kDamaged:
    case Journal::State::kUnproven:
      throw journal.Error();
    case Journal::State::kNotBegun:
    case Journal::State::kUnfinished:
      break;
  }
  if (mReadOnly) {
    if (journal.Found() == Journal::State::kNotBegun) return;
    throw OstrelError(err::kPermissionDenied, "undo the change in " + journal.Path() + ": read-only",
                      "A change to the password file was cut off, and it cannot be undone while "
                      "the file is read-only, so nothing was read. Make the file and its folder "
                      "writable and open it again; keep the file and " + journal.Path() +
                          " together.");
  }
  if (mExclusive) {
    journal.Resolve(Files(), *mFile);
    return;
  }
  // Under a shared lock a journal can only be one that a crash left (its
  // writer held the exclusive lock until it removed it): it is dealt with
  // under the exclusive lock, looked at afresh, and the lock made shared
  // again without letting go.
  mFile->Unlock();
  mExclusive = true;
  Lock(FileLock::kExclusive);
  SettleJournal();
  mFile->Lock(FileLock::kShared);
  mExclusive = false;
}

void FileHold::ReplaceWhole(std::string_view bytes) {
  if (!mExclusive) throw OstrelError(err::kInternalError, "password file: replaced without the lock");
  Files().WriteWhole(Files().RealPath(mPath), bytes);
  mFile->Unlock();
  Open();
  Lock(FileLock::kExclusive);
}

}  // namespace ostrel
