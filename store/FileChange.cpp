#include "store/FileChange.h"

#include <algorithm>
#include <vector>

#include "store/ChangeMark.h"
#include "store/FileHold.h"
#include "store/Journal.h"
#include "store/JournalWriter.h"
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

}  // namespace

FileChange::FileChange(PasswordFile& file, int32_t sitesAfter) : mFile(file) {
  if (!file.Writable()) {
    throw OstrelError(err::kInternalError, "password file: a change needs the exclusive lock");
  }
  StoreContext& context = file.Context();
  const int32_t sites =
      sitesAfter == kSitesKept ? ChangeMark::Read(context, file.File()).sites : sitesAfter;
  try {
    mMark = ChangeMark::Image(context, sites, file.JournalPath());
  } catch (const OstrelError& e) {
    if (e.Number() != err::kCipherNoSecret) throw;
  }
  CreateJournal();
  Keep(ChangeMark::kOffset, ChangeMark::kBytes, ChangeMark::kBytes);
}

FileChange::~FileChange() {
  if (mDone) return;
  if (mCommitted) {
    Undo();
  } else {
    mJournal->Discard();
  }
}

void FileChange::CreateJournal() {
  const FileIdentity identity = mFile.File().Identity();
  JournalHeader header;
  header.device = identity.device;
  header.inode = identity.inode;
  header.oldLength = mFile.Length();
  mFile.Read(ChangeMark::kOffset, ChangeMark::kBytes, header.markBefore.data());
  header.markAfter = mMark.empty() ? header.markBefore : mMark;
  // Another name of the file finds the journal through the mark only once
  // the mark is on disk: it then goes first, synced.
  mMarkFirst = identity.links > 1;
  try {
    mJournal = std::make_unique<JournalWriter>(mFile.Files(), mFile.JournalPath(), std::move(header));
  } catch (const OstrelError& e) {
    if (e.Number() == err::kPermissionDenied) throw FileHold::ReadOnlyError(e.Description());
    if (e.Number() != err::kFileExists) throw;
    Journal found = Journal::At(mFile.Files(), mFile.JournalPath(), mFile.File());
    const Journal::State state = found.Found();
    if (state == Journal::State::kOther || state == Journal::State::kUnproven ||
        state == Journal::State::kDamaged) {
      throw found.Error();
    }
    // The file's own journal, which opening it could not remove.
    throw FileHold::ReadOnlyError(e.Description());
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
  if (mMarkFirst) WriteMark();
}

// The mark written last needs no room that the change's writes did not
// find: an append on a full disk fails before anything in place changed.
void FileChange::WriteMark() {
  if (mMark.empty()) return;
  try {
    mFile.File().Write(RecordAt(ChangeMark::kOffset), mMark);
    if (mMarkFirst) mFile.File().Sync();
  } catch (const OstrelError& failure) {
    Fail(failure);
  }
}

void FileChange::Write(int64_t offset, std::string_view bytes) {
  if (!mCommitted) throw OstrelError(err::kInternalError, "password file: write before commit");
  const int64_t end = offset + static_cast<int64_t>(bytes.size());
  if (offset < ChangeMark::kOffset + ChangeMark::kBytes && end > ChangeMark::kOffset) {
    throw OstrelError(err::kInternalError, "password file: a write over the change mark");
  }
  try {
    mFile.File().Write(RecordAt(offset), bytes);
  } catch (const OstrelError& failure) {
    Fail(failure);
  }
}

void FileChange::Finish() {
  if (!mMarkFirst) WriteMark();
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
    Journal journal = Journal::At(mFile.Files(), mFile.JournalPath(), mFile.File());
    if (journal.Found() == Journal::State::kUnfinished) {
      journal.Resolve(mFile.Files(), mFile.File());
      mDone = true;
    }
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
                         int32_t slotBytes, int32_t sitesAfter) {
  FileChange change(file, sitesAfter);
  change.Keep(offset, static_cast<int64_t>(bytes.size()), slotBytes);
  change.Commit();
  change.Write(offset, bytes);
  change.Finish();
}

}  // namespace ostrel
