#include "store/FileInfo.h"

#include "store/Blocks.h"
#include "store/ChangeMark.h"
#include "store/Codec.h"
#include "store/FileChange.h"
#include "store/SlotLimits.h"
#include "store/PasswordFile.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

namespace {
constexpr int64_t kReservedOffset = ChangeMark::kOffset;  // slot 15
constexpr int64_t kHeaderOffset = 15 * kUserSlotSize;     // slot 16

bool operator==(const FileInfo::Fields& a, const FileInfo::Fields& b) {
  return a.LastUserID == b.LastUserID && a.Version == b.Version &&
         a.EncryptionKey == b.EncryptionKey && a.Identity == b.Identity && a.Recovery == b.Recovery;
}
}  // namespace

FileInfo::FileInfo(StoreContext& context) : mContext(context) {
  if (!IsEmpty()) Upgrade();
}

bool FileInfo::IsEmpty() {
  if (mIsEmpty) {
    try {
      mIsEmpty = mContext.Files().FileLength(mContext.PasswordFileName) == 0;
    } catch (const OstrelError&) {
      mIsEmpty = true;
    }
  }
  return mIsEmpty;
}

int16_t FileInfo::LastUserID() {
  if (!IsEmpty()) {
    PasswordFile file(mContext, PasswordFile::Access::kRead);
    mFields = ReadFields(file);
    mLoaded = true;
  }
  return Header().LastUserID;
}

void FileInfo::SetLastUserID(int16_t intUserID) {
  ChangeHeader([&](Fields& fields) { fields.LastUserID = intUserID; });
}

int16_t FileInfo::Version() { return Header().Version; }

void FileInfo::SetVersion(int16_t intVersion) {
  ChangeHeader([&](Fields& fields) { fields.Version = intVersion; });
}

std::string FileInfo::EncryptionKey() { return Header().EncryptionKey; }

// The data is encrypted with the key: a file's key is set once, when it is
// made, and never replaced (that would make everything in it unreadable).
void FileInfo::SetEncryptionKey(const std::string& strKey) {
  ChangeHeader([&](Fields& fields) { fields.EncryptionKey = strKey; });
}

bool FileInfo::Protected() { return Header().Version >= kProtectedVersion; }

std::string FileInfo::Identity() { return Header().Identity; }

std::string FileInfo::Recovery() { return Header().Recovery; }

void FileInfo::CreateProtected(const std::string& identity, const std::string& recovery) {
  if (!IsEmpty()) {
    throw OstrelError(err::kRecordChanged, "the file has a header already",
                      "This password file was set up by another Ostrel window or program in the "
                      "meantime, so it was not changed; close this window and open it again.");
  }
  ChangeHeader([&](Fields& fields) {
    fields.Version = kProtectedVersion;
    fields.Identity = identity;
    fields.Recovery = recovery;
  });
}

const FileInfo::Fields& FileInfo::Reload(PasswordFile& file) {
  mFields = ReadFields(file);
  mLoaded = file.Length() != 0;
  return mFields;
}

// Under the exclusive lock, the header in the file must still be the one
// this object last saw (none, when it saw an empty file): otherwise another
// window or program changed it meanwhile (a user created there would get the
// same id as one created here; a key set there would be overwritten).
void FileInfo::ChangeHeader(const std::function<void(Fields&)>& change) {
  const Fields seen = mLoaded ? mFields : (IsEmpty() ? Fields{} : Header());
  Fields fields = seen;
  change(fields);
  const std::string slot = EncodeHeader(fields);
  // The data is encrypted with the key: a file's key is set once, when it
  // is made, and never replaced (that would make everything unreadable).
  if (!seen.EncryptionKey.empty() && fields.EncryptionKey != seen.EncryptionKey) {
    throw OstrelError(err::kRecordChanged, "the header holds another encryption key",
                      "This password file already has an encryption key (another Ostrel "
                      "window or program set it up), so it was not changed; close this "
                      "window and open it again to use the file.");
  }
  PasswordFile file(mContext, PasswordFile::Access::kWrite);
  const Fields current = ReadFields(file);
  if (!(current == seen)) {
    mFields = current;
    mLoaded = file.Length() != 0;
    throw OstrelError(err::kRecordChanged, "the header changed since it was read",
                      "Another Ostrel window or program changed the password file at the same "
                      "moment, so nothing was changed; please try again.");
  }
  WriteHeader(file, slot);
  mFields = std::move(fields);
  mLoaded = true;
}

FileInfo::Fields FileInfo::UnpackHeader(const std::string& text, bool withKey) {
  Fields fields;
  int16_t pos = 1;
  fields.LastUserID = UnpackInteger(pos, text);
  fields.Version = UnpackByte(pos, text);
  if (!withKey) return fields;
  fields.EncryptionKey = UnpackString(pos, text);
  if (fields.Version >= kProtectedVersion) {
    fields.Identity = UnpackString(pos, text);
    fields.Recovery = UnpackString(pos, text);
  }
  return fields;
}

const FileInfo::Fields& FileInfo::Header() {
  if (mLoaded) return mFields;
  if (IsEmpty()) {
    mFields = Fields{};
    return mFields;
  }
  PasswordFile file(mContext, PasswordFile::Access::kRead);
  mFields = ReadFields(file);
  mLoaded = file.Length() != 0;
  return mFields;
}

// The header's fields; slot 15 must be readable too from version 2 on
// (below, it may hold anything). A file emptied by undoing its first
// header write has none: all fields 0.
FileInfo::Fields FileInfo::ReadFields(PasswordFile& file) {
  if (file.Length() == 0) return Fields{};
  std::string slots(2 * kUserSlotSize, '\0');
  file.Read(kReservedOffset, 2 * kUserSlotSize, slots.data());
  std::string reserved = slots.substr(0, kUserSlotSize);
  std::string header = slots.substr(kUserSlotSize);
  DecryptBlock(mContext, header, true);
  const Fields fields = UnpackHeader(header, true);
  if (fields.Version >= kCurrentVersion) DecryptBlock(mContext, reserved, true);
  return fields;
}

// Slot 16, encrypted before the file is opened. Slot 15 is the change mark,
// which every change writes.
std::string FileInfo::EncodeHeader(const Fields& fields) {
  std::string header = PackInteger(fields.LastUserID) +
                       PackByte(ToByte(fields.Version)) +
                       PackString(fields.EncryptionKey);
  if (fields.Version >= kProtectedVersion) header += PackString(fields.Identity) + PackString(fields.Recovery);
  EncryptBlock(mContext, header, kUserSlotSize, true);
  return header;
}

// A file that is still empty is made whole at once: the header, its change
// mark and the user slots never written (NUL), so that a crash leaves it
// empty or whole and no journal lingers.
void FileInfo::WriteHeader(PasswordFile& file, const std::string& slot) {
  if (file.Length() == 0) {
    file.CreateWhole(std::string(kReservedOffset, '\0') +
                     ChangeMark::Image(mContext, 0, file.JournalPath()) + slot);
  } else {
    FileChange::Replace(file, kHeaderOffset, slot, kUserSlotSize);
  }
}

std::string FileInfo::ReadHeaderSlot16() {
  std::string header(kUserSlotSize, '\0');
  PasswordFile(mContext, PasswordFile::Access::kRead).Read(kHeaderOffset, kUserSlotSize, header.data());
  DecryptBlock(mContext, header, true);
  return header;
}

int16_t FileInfo::ReadVersion() {
  if (mIsEmpty) {
    mFields.Version = 0;
    return 0;
  }
  Fields fields = UnpackHeader(ReadHeaderSlot16(), false);
  mFields.LastUserID = fields.LastUserID;
  mFields.Version = fields.Version;
  return fields.Version;
}

// Only a header below the current version is written: one of version 2 is
// left as it is, and a read-only file is read as it is. Slot 16 is rewritten
// with version 2 and slot 15 (which below version 2 may hold anything) with
// a change mark, as one change, before anything tries to decrypt slot 15.
void FileInfo::Upgrade() {
  PasswordFile file(mContext, PasswordFile::Access::kRead);
  if (file.Length() == 0) {
    // Opening undid a first header write that a crash cut off.
    mIsEmpty = true;
    return;
  }
  if (ReadVersion() >= kCurrentVersion || file.ReadOnly()) return;
  PasswordFile writer(mContext, PasswordFile::Access::kWrite);
  if (ReadVersion() >= kCurrentVersion) return;
  Fields fields = UnpackHeader(ReadHeaderSlot16(), true);
  fields.Version = kCurrentVersion;
  WriteHeader(writer, EncodeHeader(fields));
  mFields = std::move(fields);
  mLoaded = true;
}

}  // namespace ostrel
