#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "store/StoreContext.h"

namespace ostrel {

// The password file's header: slot 16 of the 256-byte view holds
//   LastUserID (integer), Version (byte), EncryptionKey (short string),
//   and from version 3 on (a protected file, see FileProtection)
//   Identity (short string, 16 random bytes) and Recovery (short string,
//   the data key wrapped under the file's encryption key, see KeyWrap);
//   a protected file's EncryptionKey is empty,
// and slot 15 is a reserved record (an encrypted empty record), both
// encrypted with context.HeaderCipher, which must hold the built-in key
// before a FileInfo is made. Every file access uses the path that
// context.PasswordFileName holds at the time of the call.
//
// Construction on a non-empty file below the current version (2) brings the
// header to it and rewrites both header slots; it raises what that raises
// (err::kCorruptedFile when slot 16 cannot be decrypted, file errors). On a
// file of the current version, or one that may not be written, it only
// reads; on an empty or missing file it reads and writes nothing and
// creates no file.
//
// Getters load the header once (later calls use the fields in memory),
// except LastUserID, which reads the file each time: another window or
// program may have created a user since. Setters load, then write both
// header slots with the new value as one change under the exclusive lock;
// the field changes only once the write has succeeded. When the header in
// the file is no longer the one this object read, a setter raises
// err::kRecordChanged, writes nothing and takes the file's header (so that
// trying again works). On an empty file the getters give 0, 0 and "" and
// the first setter creates a 4096-byte file, whole or not at all.
class PasswordFile;

class FileInfo {
 public:
  struct Fields {
    int16_t LastUserID = 0;
    int16_t Version = 0;
    std::string EncryptionKey;
    std::string Identity;
    std::string Recovery;
  };

  static constexpr int16_t kCurrentVersion = 2;
  static constexpr int16_t kProtectedVersion = 3;

  explicit FileInfo(StoreContext& context);

  // True while the file is missing or has length 0; once false it stays
  // false for the life of the object.
  bool IsEmpty();

  int16_t LastUserID();
  void SetLastUserID(int16_t intUserID);

  // intVersion outside 0..255 raises err::kOverflow before the file is
  // touched.
  int16_t Version();
  void SetVersion(int16_t intVersion);

  // A key over kMaxEncryptionKeyBytes (SlotLimits.h) raises
  // err::kBadRecordLength (over 255: err::kInvalidArgument) before the file
  // is touched. A file's key is set once: replacing a key it holds by
  // another raises err::kRecordChanged and writes nothing.
  std::string EncryptionKey();
  void SetEncryptionKey(const std::string& strKey);

  // A protected file's identity and recovery wrap (empty otherwise).
  bool Protected();
  std::string Identity();
  std::string Recovery();
  // Makes an empty file a protected one (version 3) holding `identity` and
  // `recovery`, whole or not at all; raises err::kRecordChanged, writing
  // nothing, when the file has a header by now.
  void CreateProtected(const std::string& identity, const std::string& recovery);

  // The encrypted slot 16 holding `fields`.
  std::string EncodeHeader(const Fields& fields);
  // The fields of the header as the file holds them now (under `file`'s
  // lock), cached as the object's own.
  const Fields& Reload(PasswordFile& file);

 private:
  // The header's fields, loaded from the file on the first call.
  const Fields& Header();
  Fields ReadFields(PasswordFile& file);
  // Loads, applies change to a copy, writes it, then keeps it.
  void ChangeHeader(const std::function<void(Fields&)>& change);
  void WriteHeader(PasswordFile& file, const std::string& slot);
  int16_t ReadVersion();
  void Upgrade();
  std::string ReadHeaderSlot16();
  static Fields UnpackHeader(const std::string& text, bool withKey);

  StoreContext& mContext;
  bool mIsEmpty = true;
  bool mLoaded = false;
  Fields mFields;
};

}  // namespace ostrel
