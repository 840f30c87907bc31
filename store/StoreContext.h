#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/cipher/KeyWrap.h"
#include "platform/files/RecordFiles.h"
#include "store/EncryptionSvr.h"
#include "store/ListedSite.h"

namespace ostrel {

class FileHold;

// What the store objects of one main window share: the path of the password
// file in use, the two cipher instances and the file access. One per main
// window load; store objects keep a reference to it, so it must outlive
// every FileInfo, WebUsers and WebRecord made with it.
//   PasswordFileName - full path of the password file; every store operation
//                      opens the file it names at that moment.
//   DataCipher       - keyed with the file's encryption key (header field
//                      EncryptionKey); protects user slots and site records.
//   HeaderCipher     - keyed with BuildBuiltInKey(); protects header slots.
//   FileIdentity     - empty, or for a protected file (header version 3,
//                      see FileProtection) its 16 random bytes: every user
//                      and site slot is then sealed with the file's identity
//                      and the slot's offset as associated data (Blocks.h),
//                      user slots under HeaderCipher and site slots under
//                      DataCipher keyed with the file's random data key.
// Both ciphers are created without a secret: SetSecret them before the first
// slot is read or written. A context is used from one thread only.
class StoreContext {
 public:
  // Uses the real files (PosixRecordFiles).
  StoreContext();
  // Uses `files` for every file access (tests pass a failing wrapper).
  explicit StoreContext(std::unique_ptr<IRecordFiles> files);
  ~StoreContext();

  std::string PasswordFileName;
  EncryptionSvr DataCipher;
  EncryptionSvr HeaderCipher;
  std::string FileIdentity;
  // The Argon2id limits of the wraps this context writes (tests lower them).
  WrapLimits PasswordLimits = KeyWrap::kDefaultLimits;

  bool Protected() const { return !FileIdentity.empty(); }

  // Opening slots, file lengths and copying files (the window copies the
  // password file through this).
  IRecordFiles& Files() { return *mFiles; }

  // The password file as held by the operation in progress (see
  // PasswordFile); empty between operations.
  std::shared_ptr<FileHold> HeldFile() const { return mHeld.lock(); }
  void SetHeldFile(const std::shared_ptr<FileHold>& hold) { mHeld = hold; }

  // While an ExpectSite lives, a WebRecord Retrieve or in-place Save of its
  // slot made through this context first checks, under the file's lock,
  // that the slot still holds the listed site, and raises
  // err::kRecordChanged otherwise. The window sets it around the calls that
  // recording and replay make with a slot number on its behalf.
  class ExpectSite {
   public:
    ExpectSite(StoreContext& context, ListedSite site);
    ~ExpectSite();
    ExpectSite(const ExpectSite&) = delete;
    ExpectSite& operator=(const ExpectSite&) = delete;

   private:
    StoreContext& mContext;
    std::optional<ListedSite> mPrevious;
  };
  // The site expected in `slot`; nullptr when none is.
  const ListedSite* ExpectedSite(int32_t slot) const;

 private:
  std::unique_ptr<IRecordFiles> mFiles;
  std::weak_ptr<FileHold> mHeld;
  std::optional<ListedSite> mExpected;
};

}  // namespace ostrel
