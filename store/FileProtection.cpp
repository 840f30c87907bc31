#include "store/FileProtection.h"

#include <algorithm>

#include "platform/cipher/KeyWrap.h"
#include "platform/cipher/SecretKey.h"
#include "store/Blocks.h"
#include "store/ChangeMark.h"
#include "store/Codec.h"
#include "store/FileChange.h"
#include "store/PasswordFile.h"
#include "store/SiteSlots.h"
#include "store/SlotLimits.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

namespace {

constexpr size_t kIdentityBytes = 16;
constexpr int64_t kUsersBytes = int64_t{kMaxUsers} * kUserSlotSize;
constexpr int64_t kHeaderOffset = 15 * kUserSlotSize;

bool AllNul(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == '\0'; });
}

// The user slots of the file as a protected file holds them: each user's
// password replaced by the data key wrapped under it, sealed for its place.
// Slots never written stay NUL.
std::string ProtectedUsers(StoreContext& old, StoreContext& context, const std::string& slots,
                           const SecretKey& dataKey) {
  std::string out(slots.size(), '\0');
  for (int16_t slot = 1; slot <= kMaxUsers; ++slot) {
    const size_t at = static_cast<size_t>(slot - 1) * kUserSlotSize;
    const std::string_view image = std::string_view(slots).substr(at, kUserSlotSize);
    if (AllNul(image)) continue;
    std::string text = DecryptSlot(old, image, false);
    std::string record;
    if (!text.empty()) {
      int16_t pos = 1;
      const int16_t id = UnpackInteger(pos, text);
      const std::string name = UnpackString(pos, text);
      const std::string password = UnpackString(pos, text);
      record = PackInteger(id) + PackString(name);
      if (record.size() + 1 + KeyWrap::kBytes > static_cast<size_t>(kMaxUserRecordBytes)) {
        throw OstrelError(err::kBadRecordLength, "user name \"" + name + "\" too long for a protected file",
                          "The user name \"" + name + "\" is too long for a file protected with each "
                          "person's password (at most " + std::to_string(kMaxProtectedUserNameBytes) +
                          " bytes). Nothing was changed.");
      }
      record += PackString(KeyWrap::Wrap(dataKey, password, context.PasswordLimits));
    }
    EncryptBlock(context, record, kUserSlotSize, true, static_cast<int64_t>(at));
    out.replace(at, kUserSlotSize, record);
  }
  return out;
}

// Writes site slots 1..count, read with `old`'s key, sealed anew under the
// context's data key for their places.
void ResealSites(StoreContext& old, StoreContext& context, PasswordFile& file, FileChange& change,
                 int16_t count) {
  const size_t runBytes = static_cast<size_t>(SiteSlots::kRunSlots) * kSiteSlotSize;
  std::string out;
  int32_t first = 1;
  SiteSlots(old, file).ForEach(1, count, [&](int32_t slot, std::string_view image) {
    std::string text = DecryptSlot(old, image, false);
    EncryptBlock(context, text, kSiteSlotSize, false, SiteSlots::OffsetOf(slot));
    out += text;
    if (out.size() >= runBytes || slot == count) {
      change.Write(SiteSlots::OffsetOf(first), out);
      first = slot + 1;
      out.clear();
    }
  });
}

}  // namespace

void FileProtection::Prepare(StoreContext& context, FileInfo& header) {
  if (header.Protected()) {
    context.DataCipher.ForgetKey();
    context.FileIdentity = header.Identity();
  } else {
    context.FileIdentity.clear();
    context.DataCipher.SetSecret(header.EncryptionKey());
  }
}

void FileProtection::Create(StoreContext& context, FileInfo& header, const std::string& recoveryKey) {
  const SecretKey dataKey = SecretKey::Random();
  const std::string identity = RandomBytes(kIdentityBytes);
  const std::string recovery = KeyWrap::Wrap(dataKey, recoveryKey, context.PasswordLimits);
  context.FileIdentity = identity;
  context.DataCipher.SetKey(dataKey);
  try {
    header.CreateProtected(identity, recovery);
  } catch (...) {
    context.FileIdentity.clear();
    context.DataCipher.ForgetKey();
    throw;
  }
}

bool FileProtection::Unlock(StoreContext& context, FileInfo& header, const std::string& recoveryKey) {
  SecretKey key;
  try {
    if (!KeyWrap::Unwrap(header.Recovery(), recoveryKey, key)) return false;
  } catch (const OstrelError& e) {
    if (e.Number() != err::kCipherBadData) throw;
    throw OstrelError(err::kCorruptedFile, "the recovery wrap in the header is damaged");
  }
  context.DataCipher.SetKey(key);
  return true;
}

void FileProtection::Lock(StoreContext& context) {
  if (context.Protected()) context.DataCipher.ForgetKey();
}

// The slow part (one derivation per user and one for the recovery wrap) runs
// under the shared lock; the change is made under the exclusive one only if
// the file's change mark shows that nobody changed the file meanwhile.
void FileProtection::Convert(StoreContext& context, const std::string& recoveryKey) {
  PasswordFile file(context, PasswordFile::Access::kRead);
  FileInfo header(context);
  const FileInfo::Fields fields = header.Reload(file);
  if (file.Length() == 0) {
    throw OstrelError(err::kFileNotFound, "the file has no header yet",
                      "This password file is not set up yet, so there is nothing to protect.");
  }
  if (fields.Version >= FileInfo::kProtectedVersion) {
    throw OstrelError(err::kInvalidArgument, "the file is protected already",
                      "This password file is protected with each person's password already.");
  }
  StoreContext old;
  old.HeaderCipher.SetKey(context.HeaderCipher.Key());
  old.DataCipher.SetSecret(fields.EncryptionKey);

  std::string mark(ChangeMark::kBytes, '\0');
  file.Read(ChangeMark::kOffset, ChangeMark::kBytes, mark.data());
  std::string slots(static_cast<size_t>(kUsersBytes), '\0');
  file.Read(0, kUsersBytes, slots.data());
  const SecretKey dataKey = SecretKey::Random();
  FileInfo::Fields protectedFields = fields;
  protectedFields.Version = FileInfo::kProtectedVersion;
  protectedFields.EncryptionKey.clear();
  protectedFields.Identity = RandomBytes(kIdentityBytes);
  protectedFields.Recovery =
      KeyWrap::Wrap(dataKey, recoveryKey.empty() ? fields.EncryptionKey : recoveryKey, context.PasswordLimits);

  EncryptionSvr previous = std::move(context.DataCipher);
  context.DataCipher = EncryptionSvr();
  context.DataCipher.SetKey(dataKey);
  context.FileIdentity = protectedFields.Identity;
  try {
    const std::string users = ProtectedUsers(old, context, slots, dataKey);
    const std::string headerSlot = header.EncodeHeader(protectedFields);
    PasswordFile writer(context, PasswordFile::Access::kWrite);
    std::string now(ChangeMark::kBytes, '\0');
    writer.Read(ChangeMark::kOffset, ChangeMark::kBytes, now.data());
    if (now != mark) {
      throw OstrelError(err::kRecordChanged, "the file changed while it was being protected",
                        "Another Ostrel window or program changed the password file at the same "
                        "moment, so nothing was changed; please try again.");
    }
    const int16_t count = SiteSlots(old, writer).Count();
    FileChange change(writer, count);
    change.Keep(0, kUsersBytes, kUserSlotSize);
    change.Keep(kHeaderOffset, kUserSlotSize, kUserSlotSize);
    change.Keep(SiteSlots::OffsetOf(1), int64_t{count} * kSiteSlotSize, kSiteSlotSize);
    change.Commit();
    change.Write(0, users);
    change.Write(kHeaderOffset, headerSlot);
    ResealSites(old, context, writer, change, count);
    change.Finish();
  } catch (...) {
    context.DataCipher = std::move(previous);
    context.FileIdentity.clear();
    throw;
  }
}

}  // namespace ostrel
