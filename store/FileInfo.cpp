#include "store/FileInfo.h"

#include "store/Blocks.h"
#include "store/Codec.h"
#include "store/SlotLimits.h"
#include "store/SlotWriter.h"
#include "support/OstrelError.h"

namespace ostrel {

namespace {
constexpr int32_t kReservedSlot = 15;
constexpr int32_t kHeaderSlot = 16;
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

int16_t FileInfo::LastUserID() { return Header().LastUserID; }

void FileInfo::SetLastUserID(int16_t intUserID) {
  ChangeHeader([&](Fields& fields) { fields.LastUserID = intUserID; });
}

int16_t FileInfo::Version() { return Header().Version; }

void FileInfo::SetVersion(int16_t intVersion) {
  ChangeHeader([&](Fields& fields) { fields.Version = intVersion; });
}

std::string FileInfo::EncryptionKey() { return Header().EncryptionKey; }

void FileInfo::SetEncryptionKey(const std::string& strKey) {
  ChangeHeader([&](Fields& fields) { fields.EncryptionKey = strKey; });
}

void FileInfo::ChangeHeader(const std::function<void(Fields&)>& change) {
  Fields fields = Header();
  change(fields);
  WriteHeader(fields);
  mFields = std::move(fields);
}

FileInfo::Fields FileInfo::UnpackHeader(const std::string& text, bool withKey) {
  Fields fields;
  int16_t pos = 1;
  fields.LastUserID = UnpackInteger(pos, text);
  fields.Version = UnpackByte(pos, text);
  if (withKey) fields.EncryptionKey = UnpackString(pos, text);
  return fields;
}

const FileInfo::Fields& FileInfo::Header() {
  if (mLoaded) return mFields;
  if (IsEmpty()) {
    mFields = Fields{};
    return mFields;
  }
  std::string slots(2 * kUserSlotSize, '\0');
  mContext.Files().Open(mContext.PasswordFileName, kUserSlotSize)
      ->Read(kReservedSlot, 2, slots.data());
  std::string reserved = slots.substr(0, kUserSlotSize);
  std::string header = slots.substr(kUserSlotSize);
  DecryptBlock(mContext, reserved, true);
  DecryptBlock(mContext, header, true);
  mFields = UnpackHeader(header, true);
  mLoaded = true;
  return mFields;
}

// Both slots are encrypted before the file is opened, and written in one
// write that is taken back if it fails.
void FileInfo::WriteHeader(const Fields& fields) {
  std::string header = PackInteger(fields.LastUserID) +
                       PackByte(ToByte(fields.Version)) +
                       PackString(fields.EncryptionKey);
  EncryptBlock(mContext, header, kUserSlotSize, true);
  std::string slots;
  EncryptBlock(mContext, slots, kUserSlotSize, true);
  slots += header;
  auto file = mContext.Files().Open(mContext.PasswordFileName, kUserSlotSize);
  WriteSlots(*file, kReservedSlot, slots);
}

std::string FileInfo::ReadHeaderSlot16() {
  std::string header(kUserSlotSize, '\0');
  mContext.Files().Open(mContext.PasswordFileName, kUserSlotSize)
      ->Read(kHeaderSlot, 1, header.data());
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

// A header below version 2 may hold anything in slot 15, so slot 15 is
// rewritten from slot 16 before anything tries to decrypt it.
void FileInfo::Upgrade() {
  if (ReadVersion() < kCurrentVersion) {
    mFields = UnpackHeader(ReadHeaderSlot16(), true);
    WriteHeader(mFields);
  }
  SetVersion(kCurrentVersion);
}

}  // namespace ostrel
