#include "store/Journal.h"

#include <algorithm>

#include "store/ChangeMark.h"
#include "store/JournalEntries.h"
#include "support/ErrorNumbers.h"

namespace ostrel {

namespace {

// Writes runs of adjacent entries with one write each; a run that the file
// holds already is not written (so that undoing an append on a full disk
// needs no room).
class Restorer {
 public:
  explicit Restorer(IRecordFile& file) : mFile(file) {}
  void Add(const JournalEntries::Entry& entry) {
    if (entry.offset != mStart + static_cast<int64_t>(mRun.size()) ||
        mRun.size() + static_cast<size_t>(entry.length) > JournalEntries::kBufferBytes) {
      Flush();
      mStart = entry.offset;
    }
    mRun.append(entry.kept);
    mRun.append(static_cast<size_t>(entry.length) - entry.kept.size(), '\0');
  }
  void Flush() {
    if (mRun.empty()) return;
    const int32_t record = static_cast<int32_t>(mStart / mFile.RecordLength() + 1);
    mHeld.resize(mRun.size());
    mFile.Read(record, static_cast<int32_t>(mRun.size() / mFile.RecordLength()), mHeld.data());
    if (mHeld != mRun || mStart + static_cast<int64_t>(mRun.size()) > mFile.Length()) {
      mFile.Write(record, mRun);
    }
    mRun.clear();
  }

 private:
  IRecordFile& mFile;
  int64_t mStart = 0;
  std::string mRun;
  std::string mHeld;
};

// The file's change mark as it is now.
std::string MarkOf(IRecordFile& file) {
  std::string slot(ChangeMark::kBytes, '\0');
  file.Read(static_cast<int32_t>(ChangeMark::kOffset / file.RecordLength() + 1),
            ChangeMark::kBytes / file.RecordLength(), slot.data());
  return slot;
}

}  // namespace

std::string JournalPath(const std::string& realPath) { return realPath + "-journal"; }

Journal Journal::Find(StoreContext& context, const std::string& path, IRecordFile& file) {
  Journal own = Inspect(context.Files(), path, file, false);
  if (own.mState != State::kNone || file.Identity().links < 2) return own;
  const std::string named = ChangeMark::Read(context, file).journal;
  if (named.empty() || named == path) return own;
  return Inspect(context.Files(), named, file, true);
}

Journal Journal::Inspect(IRecordFiles& files, const std::string& path, IRecordFile& file, bool named) {
  Journal journal;
  journal.mPath = path;
  if (!files.Exists(path)) return journal;
  try {
    journal.mJournal = files.OpenForReading(path, 1, Links::kRefuse);
  } catch (const OstrelError& e) {
    switch (e.Number()) {
      case err::kFileMissing: return journal;
      case err::kBadFileMode: journal.Refuse(State::kOther, "is not a file (it is a link, a pipe, a device or a socket)"); break;
      case err::kPathFileAccess: journal.Refuse(State::kOther, "is a folder"); break;
      case err::kPermissionDenied: journal.Refuse(State::kUnproven, "may not be read by you"); break;
      default: throw;
    }
    if (named) journal.mState = State::kNone;
    return journal;
  }
  journal.Classify(files, file);
  // Through another name only a journal that names this very file counts.
  if (named && !journal.mNamesThisFile) journal.mState = State::kNone;
  return journal;
}

void Journal::Classify(IRecordFiles& files, IRecordFile& file) {
  const FileIdentity mine = mJournal->Identity();
  const FileIdentity owner = file.Identity();
  if (mine.owner != owner.owner && mine.owner != files.Owner()) {
    return Refuse(State::kUnproven, "belongs to another user");
  }
  if (mine.links != 1) return Refuse(State::kUnproven, "has other names (hard links)");
  const int64_t size = mJournal->Length();
  std::string head(static_cast<size_t>(std::min<int64_t>(size, JournalHeader::kEntriesOffset)), '\0');
  if (!head.empty()) mJournal->Read(1, static_cast<int32_t>(head.size()), head.data());
  const JournalHeader::Found found = mHeader.Decode(head, size);
  const bool old = mHeader.layout == JournalHeader::Layout::kOld;
  if (found == JournalHeader::Found::kUnwritten) {
    mState = State::kNotBegun;
    return;
  }
  bool whole = false;
  if (found == JournalHeader::Found::kWhole) {
    JournalEntries entries(*mJournal, mHeader.EntriesOffset(), mHeader.entryBytes, mHeader.EntriesSeed());
    JournalEntries::Entry entry;
    while (entries.Next(entry)) {
    }
    whole = entries.Sound() && mHeader.Agrees(entries.Checksum()) &&
            (old || entries.Count() == mHeader.entries);
  }
  if (!whole) {
    // An earlier layout wrote its header without a sync before it: one that
    // does not add up may have been cut off before its change began.
    mState = old ? State::kNotBegun : State::kDamaged;
    return;
  }
  if (!old && !mHeader.Marks(MarkOf(file))) {
    return Refuse(State::kOther, "was written for another file, or for this one before it was "
                                 "replaced (by a backup, say)");
  }
  mNamesThisFile = !old && mHeader.device == owner.device && mHeader.inode == owner.inode;
  mState = State::kUnfinished;
}

bool Journal::Resolve(IRecordFiles& files, IRecordFile& file) {
  if (mState != State::kUnfinished && mState != State::kNotBegun) return false;
  const bool undo = mState == State::kUnfinished;
  if (undo) {
    JournalEntries entries(*mJournal, mHeader.EntriesOffset(), mHeader.entryBytes, mHeader.EntriesSeed());
    Restorer restorer(file);
    JournalEntries::Entry entry;
    while (entries.Next(entry)) restorer.Add(entry);
    restorer.Flush();
    if (file.Length() > mHeader.oldLength) file.Truncate(mHeader.oldLength);
    file.Sync();
  }
  mJournal.reset();
  mState = State::kNone;
  try {
    files.Remove(mPath);
    files.SyncFolder(mPath);
  } catch (const OstrelError&) {
    // The file is whole; a journal that stays (in a folder that may not be
    // written) only puts back what the file holds already the next time,
    // and no change is made while it is there.
  }
  return undo;
}

OstrelError Journal::Error() const {
  if (mState == State::kDamaged) {
    return OstrelError(err::kCorruptedFile, "journal " + mPath + ": damaged after its change began",
                       "A change to the password file was cut off, and its journal (" + mPath +
                           ") is damaged, so Ostrel cannot undo the change; nothing was read or "
                           "changed. Keep both files as they are (move or copy them only together) "
                           "and restore the password file from a backup if you have one.");
  }
  const std::string where = mPath + " lies where the password file's journal goes, but it " + mWhy;
  if (mState == State::kUnproven) {
    return OstrelError(err::kUnknownJournal, "journal " + mPath + ": " + mWhy,
                       where + ", so Ostrel cannot tell whether a change to the password file was "
                               "cut off; nothing was read or changed. Keep both files until whoever "
                               "made it has opened the password file, or remove it if you know it "
                               "is not needed.");
  }
  return OstrelError(err::kUnknownJournal, "journal " + mPath + ": " + mWhy,
                     where + ", so Ostrel did not use it and changed nothing. Remove it if you do "
                             "not need it, then try again.");
}

}  // namespace ostrel
