#include "store/WebUsers.h"

#include <algorithm>

#include "store/Blocks.h"
#include "store/Codec.h"
#include "store/SlotLimits.h"
#include "store/SlotWriter.h"
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

bool AllNul(const std::string& slot) {
  return std::all_of(slot.begin(), slot.end(), [](char c) { return c == '\0'; });
}

}  // namespace

WebUsers::WebUsers(StoreContext& context) : mContext(context) {}
WebUsers::~WebUsers() = default;

void WebUsers::FileOpen() { mFile = Open(); }
void WebUsers::FileClose() { mFile.reset(); }

std::unique_ptr<IRecordFile> WebUsers::Open() {
  return mContext.Files().Open(mContext.PasswordFileName, kUserSlotSize);
}

const std::string& WebUsers::UserName(int16_t Index) const {
  if (Index < 1 || Index > kMaxUsers) {
    throw OstrelError(err::kSubscript, "user " + std::to_string(Index) + " (1 to 12)");
  }
  return mNames[Index];
}

std::string WebUsers::EncodePassword(const std::string& strPassword) { return strPassword; }

std::string WebUsers::PackUser(int16_t id, const std::string& name,
                               const std::string& password) {
  return PackInteger(id) + PackString(name) + PackString(password);
}

// A slot that was never written (all NUL) is the empty record, without
// decrypting it.
std::string WebUsers::ReadRecord(IRecordFile& file, int16_t slot) {
  CheckIndex(slot);
  std::string text(kUserSlotSize, '\0');
  file.Read(slot, 1, text.data());
  if (AllNul(text)) return {};
  DecryptBlock(mContext, text, false);
  return text;
}

void WebUsers::WriteRecord(IRecordFile& file, int16_t slot, std::string record) {
  EncryptBlock(mContext, record, kUserSlotSize, false);
  WriteSlots(file, slot, record);
}

bool WebUsers::ReadUserName(IRecordFile& file, int16_t slot, std::string& name) {
  std::string text = ReadRecord(file, slot);
  if (text.empty()) return false;
  int16_t pos = 1;
  UnpackInteger(pos, text);
  name = UnpackString(pos, text);
  return !name.empty();
}

WebUsers::User WebUsers::ReadUser(int16_t slot) {
  CheckIndex(slot);
  std::string text = ReadRecord(*Open(), slot);
  User user;
  int16_t pos = 1;
  user.id = UnpackInteger(pos, text);
  user.name = UnpackString(pos, text);
  user.password = UnpackString(pos, text);
  return user;
}

int16_t WebUsers::GetUserID(int16_t Index) { return ReadUser(Index).id; }

void WebUsers::Load() {
  auto file = Open();
  std::array<std::string, 13> names = mNames;
  int16_t count = 0;
  if (file->Length() != 0) {
    count = kMaxUsers;
    for (int16_t i = 1; i <= kMaxUsers; ++i) {
      if (!ReadUserName(*file, i, names[i])) {
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
  return ReadUser(Index).password == EncodePassword(strPassword);
}

// The new user goes to the end of the table as it is in the file, so a
// Count made stale by DeleteUser (or never loaded) cannot overwrite a user
// or leave a gap that would hide the new one.
void WebUsers::CreateUser(int16_t& intLastUserID, const std::string& strUserName,
                          const std::string& strPassword) {
  auto file = Open();
  int16_t users = 0;
  std::string name;
  while (users < kMaxUsers && ReadUserName(*file, static_cast<int16_t>(users + 1), name)) {
    ++users;
  }
  if (users >= kMaxUsers) {
    throw OstrelError(err::kSubscript,
                      "The user table is full: a password file holds at most 12 users.");
  }
  int16_t id = ToInteger(intLastUserID + 1);
  std::string record = PackUser(id, strUserName, EncodePassword(strPassword));
  WriteRecord(*file, static_cast<int16_t>(users + 1), std::move(record));
  intLastUserID = id;
  mCount = static_cast<int16_t>(users + 1);
}

void WebUsers::ChangePassword(int16_t Index, const std::string& strPassword) {
  User user = ReadUser(Index);
  std::string record = PackUser(user.id, user.name, EncodePassword(strPassword));
  WriteRecord(*Open(), Index, std::move(record));
}

// Slots Index..12 are read raw, with an encrypted empty record after them,
// and written back one slot lower in a single write.
void WebUsers::DeleteUser(int16_t Index) {
  CheckIndex(Index);
  std::string empty;
  EncryptBlock(mContext, empty, kUserSlotSize, false);
  const int32_t moved = kMaxUsers - Index + 1;
  std::string slots(static_cast<size_t>(moved) * kUserSlotSize, '\0');
  auto file = Open();
  file->Read(Index, moved, slots.data());
  slots += empty;
  std::string_view all(slots);
  WriteSlots(*file, Index, all.substr(kUserSlotSize),
             all.substr(0, static_cast<size_t>(moved) * kUserSlotSize));
}

}  // namespace ostrel
