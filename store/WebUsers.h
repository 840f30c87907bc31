#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "store/PasswordFile.h"
#include "store/StoreContext.h"

namespace ostrel {

// The table of the people sharing one password file: slots 1..12 of the
// 256-byte view, one user per slot (table index = slot number), each slot a
// packed record
//   user id (integer), user name (short string), password (short string)
// encrypted with context.DataCipher. In a protected file (see
// FileProtection) the third field is instead the file's data key wrapped
// under the password (KeyWrap), and the slot is encrypted with
// context.HeaderCipher and bound to its place (Blocks.h), so the names can
// be listed before anyone logs in. The table ends at the first slot that
// is empty (never written, or an encrypted empty record) or holds an empty
// name. Ids come from the header's LastUserID and are never reused.
//
// Every member that touches the file opens it and closes it before it
// returns, holding it locked meanwhile (shared to read, exclusive to
// change; see PasswordFile), and makes each change as one journaled change
// that a crash cannot leave half done. FileOpen/FileClose are kept for
// callers that want the file held open (shared), the members do not need it. Index arguments are 1-based: below 1
// raises err::kBadRecordNumber (63) and above 12 err::kSubscript (9), both
// before anything is read or written. A slot that cannot be decrypted raises
// err::kCorruptedFile; reading a user from an empty slot raises
// err::kInvalidArgument.
class WebUsers {
 public:
  explicit WebUsers(StoreContext& context);
  ~WebUsers();

  bool Loaded() const { return mLoaded; }
  void FileOpen();
  void FileClose();

  // Users found by the last Load, plus one per CreateUser since.
  int16_t Count() const { return mCount; }

  // The name cached by the last Load; outside 1..12 err::kSubscript.
  const std::string& UserName(int16_t Index) const;

  int16_t GetUserID(int16_t Index);

  // Reads the names of the table (opening, and so creating, the file); a
  // zero-length file gives Count 0. On failure Count and the names keep
  // their previous values.
  void Load();

  // True exactly when the stored password equals strPassword byte for byte.
  // In a protected file: when strPassword opens the user's wrap, which then
  // also keys context.DataCipher with the file's data key (one slow
  // derivation); a wrap that is not whole raises err::kCorruptedFile.
  bool CheckPassword(int16_t Index, const std::string& strPassword);

  // In a protected file CreateUser and ChangePassword wrap the data key that
  // context.DataCipher holds (err::kCipherNoSecret when it holds none) under
  // the password, with context.PasswordLimits.
  //
  // Writes a new user with id intLastUserID + 1 into slot Count + 1 and
  // then sets intLastUserID to that id and adds one to Count; the caller
  // stores intLastUserID back into the header. Refused before anything is
  // written, with nothing changed: 12 users already (err::kSubscript), name
  // plus password over kMaxUserNamePasswordBytes (err::kBadRecordLength),
  // either over 255 bytes (err::kInvalidArgument), intLastUserID 32767
  // (err::kOverflow). The names are not updated: Load again.
  void CreateUser(int16_t& intLastUserID, const std::string& strUserName,
                  const std::string& strPassword);

  // Rewrites slot Index with the same id and name and a new password (the
  // caller checks the old one first).
  void ChangePassword(int16_t Index, const std::string& strPassword);

  // Removes the user in slot Index: the raw bytes of slots Index+1..12 move
  // down one slot and slot 12 becomes an encrypted empty record, all in one
  // write that is taken back if it fails. Count and names are stale until
  // the next Load; the user's site records are the caller's business.
  void DeleteUser(int16_t Index);

  // Deletes the user in slot Index, which the caller listed with the name
  // `listedName`, together with all of that user's site records, as one
  // change under one exclusive lock (see WebRecord::DeleteSitesOf). When the
  // slot no longer holds a user of that name (another window or program
  // changed the table), raises err::kRecordChanged and changes nothing.
  // Returns how many site slots went.
  int32_t DeleteUserWithSites(int16_t Index, const std::string& listedName);

 private:
  struct User {
    int16_t id = 0;
    std::string name;
    std::string password;  // a protected file: the wrap
  };

  std::string ReadRecord(PasswordFile& file, int16_t slot);
  void WriteRecord(PasswordFile& file, int16_t slot, std::string record);
  bool ReadUserName(PasswordFile& file, int16_t slot, std::string& name);
  User ReadUser(int16_t slot);
  User ReadUser(PasswordFile& file, int16_t slot);
  // The raw slots Index..12 moved down one, with an empty record in 12.
  std::string Shifted(PasswordFile& file, int16_t Index);
  std::string EncodePassword(const std::string& strPassword);
  static std::string PackUser(int16_t id, const std::string& name,
                              const std::string& password);

  StoreContext& mContext;
  std::array<std::string, 13> mNames;  // [1..12]
  int16_t mCount = 0;
  bool mLoaded = false;
  std::unique_ptr<PasswordFile> mFile;
};

}  // namespace ostrel
