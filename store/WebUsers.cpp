#include "store/WebUsers.h"

#include <algorithm>

#include "platform/cipher/KeyWrap.h"
#include "store/Blocks.h"
#include "store/Codec.h"
#include "store/FileChange.h"
#include "store/SiteSlots.h"
#include "store/SlotLimits.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

namespace {

void CheckIndex(int16_t index) {
  if (index < 1) {
    throw OstrelError(err::kBadRecordNumber,
                      "user " + std::to_string(index) + " (users start at 1)");
  }
  if (index > kMaxUsers) {
    throw OstrelError(err::kSubscript, "user " + std::to_string(index) + " (at most 12)");
  }
}

int64_t OffsetOf(int32_t slot) { return static_cast<int64_t>(slot - 1) * kUserSlotSize; }

bool AllNul(std::string_view slot) {
  return std::all_of(slot.begin(), slot.end(), [](char c) { return c == '\0'; });
}

}  // namespace

WebUsers::WebUsers(StoreContext& context) : mContext(context) {}
WebUsers::~WebUsers() = default;

void WebUsers::FileOpen() {
  mFile.reset();
  mFile = std::make_unique<PasswordFile>(mContext, PasswordFile::Access::kRead);
}
void WebUsers::FileClose() { mFile.reset(); }

const std::string& WebUsers::UserName(int16_t Index) const {
  if (Index < 1 || Index > kMaxUsers) {
    throw OstrelError(err::kSubscript, "user " + std::to_string(Index) + " (1 to 12)");
  }
  return mNames[Index];
}

// A protected file keeps no password: the data key wrapped under it.
std::string WebUsers::EncodePassword(const std::string& strPassword) {
  if (!mContext.Protected()) return strPassword;
  return KeyWrap::Wrap(mContext.DataCipher.Key(), strPassword, mContext.PasswordLimits);
}

std::string WebUsers::PackUser(int16_t id, const std::string& name,
                               const std::string& password) {
  return PackInteger(id) + PackString(name) + PackString(password);
}

// A slot that was never written (all NUL) is the empty record, without
// decrypting it.
std::string WebUsers::ReadRecord(PasswordFile& file, int16_t slot) {
  CheckIndex(slot);
  std::string text(kUserSlotSize, '\0');
  file.Read(OffsetOf(slot), kUserSlotSize, text.data());
  if (AllNul(text)) return {};
  DecryptBlock(mContext, text, mContext.Protected(), OffsetOf(slot));
  return text;
}

void WebUsers::WriteRecord(PasswordFile& file, int16_t slot, std::string record) {
  EncryptBlock(mContext, record, kUserSlotSize, mContext.Protected(), OffsetOf(slot));
  FileChange::Replace(file, OffsetOf(slot), record, kUserSlotSize);
}

bool WebUsers::ReadUserName(PasswordFile& file, int16_t slot, std::string& name) {
  std::string text = ReadRecord(file, slot);
  if (text.empty()) return false;
  int16_t pos = 1;
  UnpackInteger(pos, text);
  name = UnpackString(pos, text);
  return !name.empty();
}

WebUsers::User WebUsers::ReadUser(PasswordFile& file, int16_t slot) {
  std::string text = ReadRecord(file, slot);
  User user;
  int16_t pos = 1;
  user.id = UnpackInteger(pos, text);
  user.name = UnpackString(pos, text);
  user.password = UnpackString(pos, text);
  return user;
}

WebUsers::User WebUsers::ReadUser(int16_t slot) {
  CheckIndex(slot);
  PasswordFile file(mContext, PasswordFile::Access::kRead);
  return ReadUser(file, slot);
}

int16_t WebUsers::GetUserID(int16_t Index) { return ReadUser(Index).id; }

void WebUsers::Load() {
  PasswordFile file(mContext, PasswordFile::Access::kRead);
  std::array<std::string, 13> names = mNames;
  int16_t count = 0;
  if (file.Length() != 0) {
    count = kMaxUsers;
    for (int16_t i = 1; i <= kMaxUsers; ++i) {
      if (!ReadUserName(file, i, names[i])) {
        count = static_cast<int16_t>(i - 1);
        break;
      }
    }
  }
  mNames = std::move(names);
  mCount = count;
  mLoaded = true;
}

bool WebUsers::CheckPassword(int16_t Index, const std::string& strPassword) {
  const User user = ReadUser(Index);
  if (!mContext.Protected()) return user.password == strPassword;
  SecretKey key;
  try {
    if (!KeyWrap::Unwrap(user.password, strPassword, key)) return false;
  } catch (const OstrelError& e) {
    if (e.Number() != err::kCipherBadData) throw;
    throw OstrelError(err::kCorruptedFile, "the key wrap of user slot " + std::to_string(Index) + " is damaged");
  }
  mContext.DataCipher.SetKey(key);
  return true;
}

// The new user goes to the end of the table as it is in the file, so a
// Count made stale by DeleteUser (or never loaded) cannot overwrite a user
// or leave a gap that would hide the new one.
void WebUsers::CreateUser(int16_t& intLastUserID, const std::string& strUserName,
                          const std::string& strPassword) {
  PasswordFile file(mContext, PasswordFile::Access::kWrite);
  int16_t users = 0;
  std::string name;
  while (users < kMaxUsers && ReadUserName(file, static_cast<int16_t>(users + 1), name)) {
    ++users;
  }
  if (users >= kMaxUsers) {
    throw OstrelError(err::kSubscript, "the user table holds 12 users",
                      "The user table is full: a password file holds at most 12 users.");
  }
  int16_t id = ToInteger(intLastUserID + 1);
  std::string record = PackUser(id, strUserName, EncodePassword(strPassword));
  WriteRecord(file, static_cast<int16_t>(users + 1), std::move(record));
  intLastUserID = id;
  mCount = static_cast<int16_t>(users + 1);
}

void WebUsers::ChangePassword(int16_t Index, const std::string& strPassword) {
  CheckIndex(Index);
  PasswordFile file(mContext, PasswordFile::Access::kWrite);
  User user = ReadUser(file, Index);
  std::string record = PackUser(user.id, user.name, EncodePassword(strPassword));
  WriteRecord(file, Index, std::move(record));
}

// In a protected file each slot is sealed for its place: the moved users
// are sealed anew one slot lower (slots never written stay NUL).
std::string WebUsers::Shifted(PasswordFile& file, int16_t Index) {
  std::string empty;
  EncryptBlock(mContext, empty, kUserSlotSize, mContext.Protected(), OffsetOf(kMaxUsers));
  const int32_t moved = kMaxUsers - Index;
  std::string slots(static_cast<size_t>(moved) * kUserSlotSize, '\0');
  if (moved > 0) file.Read(OffsetOf(Index + 1), static_cast<int64_t>(slots.size()), slots.data());
  if (!mContext.Protected()) return slots + empty;
  std::string sealed;
  for (int32_t i = 0; i < moved; ++i) {
    const std::string_view image = std::string_view(slots).substr(static_cast<size_t>(i) * kUserSlotSize, kUserSlotSize);
    if (AllNul(image)) {
      sealed.append(image);
    } else {
      ResealSlot(mContext, image, true, OffsetOf(Index + 1 + i), OffsetOf(Index + i), kUserSlotSize, sealed);
    }
  }
  return sealed + empty;
}

// Slots Index+1..12 are read raw and written back one slot lower, with an
// encrypted empty record after them, as one change.
void WebUsers::DeleteUser(int16_t Index) {
  CheckIndex(Index);
  PasswordFile file(mContext, PasswordFile::Access::kWrite);
  FileChange::Replace(file, OffsetOf(Index), Shifted(file, Index), kUserSlotSize);
}

int32_t WebUsers::DeleteUserWithSites(int16_t Index, const std::string& listedName) {
  CheckIndex(Index);
  PasswordFile file(mContext, PasswordFile::Access::kWrite);
  std::string name;
  if (!ReadUserName(file, Index, name) || name != listedName) {
    throw OstrelError(err::kRecordChanged,
                      "user slot " + std::to_string(Index) + " no longer holds \"" + listedName + "\"",
                      "The list of users was changed by another Ostrel window or program in the "
                      "meantime, so nothing was deleted; please choose the user again.");
  }
  const int16_t id = ReadUser(file, Index).id;
  SiteSlots sites(mContext, file);
  const int16_t count = sites.Count();
  const SiteSlots::Removal removal = sites.OwnedBy(id, count);
  const std::string users = Shifted(file, Index);

  FileChange change(file, count - removal.Count());
  change.Keep(OffsetOf(Index), static_cast<int64_t>(users.size()), kUserSlotSize);
  sites.Keep(change, removal);
  change.Commit();
  change.Write(OffsetOf(Index), users);
  sites.Move(change, removal);
  change.Finish();
  return removal.Count();
}

}  // namespace ostrel
