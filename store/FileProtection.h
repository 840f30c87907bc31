#pragma once

#include <string>

#include "store/FileInfo.h"
#include "store/StoreContext.h"

namespace ostrel {

// A protected password file (header version 3): useless without a login
// password or the file's encryption key.
//   - the site slots are encrypted under a random 256-bit data key, which
//     the file holds only wrapped (KeyWrap): once per user, in the user's
//     slot, under their login password, and once in the header under the
//     file's encryption key (the recovery wrap); the key itself is never
//     stored, nor any password;
//   - every user and site slot is bound to its place and to the file's
//     random identity (Blocks.h), and the change mark seals the number of
//     site slots in use (ChangeMark.h), so slots swapped, copied over
//     others or cut off are refused, never taken as sound.
// A file is never turned back. The members below key `context` (see
// StoreContext); its HeaderCipher must hold the built-in key.
class FileProtection {
 public:
  // Keys `context` for the file `header` describes: an unprotected file's
  // DataCipher with its encryption key; for a protected one its identity,
  // and no data key until someone logs in (WebUsers::CheckPassword) or the
  // recovery key is given. Raises what reading the header raises.
  static void Prepare(StoreContext& context, FileInfo& header);

  // Makes the empty file of `header` a protected one with a new data key and
  // identity and the recovery wrap under `recoveryKey`; the context is left
  // keyed with the data key, ready for the first user. Nothing changes on
  // failure.
  static void Create(StoreContext& context, FileInfo& header, const std::string& recoveryKey);

  // Keys context.DataCipher from the recovery wrap: false, nothing changed,
  // when `recoveryKey` is not the file's encryption key.
  static bool Unlock(StoreContext& context, FileInfo& header, const std::string& recoveryKey);

  // Converts the unprotected file of `context` in place, as one journaled
  // change: every user slot gets a wrap under its stored password, every
  // site slot is encrypted anew under a new data key, the header gets the
  // identity and the recovery wrap under `recoveryKey` (empty: the file's
  // encryption key). Refused before anything is written, with a plain
  // explanation: a file protected already (err::kInvalidArgument), a user
  // name too long for a protected file (err::kBadRecordLength). On success
  // the context is keyed for the protected file (data key held); on failure
  // it is as it was. One slow derivation per user, and one more.
  static void Convert(StoreContext& context, const std::string& recoveryKey);

  // Forgets the data key of a protected file (log-off): nothing derived
  // from a password stays in memory. An unprotected file's key stays.
  static void Lock(StoreContext& context);

  // Locks `context` (see Lock) when it goes out of scope: for a handler
  // that needs the data key only while it runs.
  class LockOnExit {
   public:
    explicit LockOnExit(StoreContext& context) : mContext(context) {}
    ~LockOnExit() { Lock(mContext); }
    LockOnExit(const LockOnExit&) = delete;
    LockOnExit& operator=(const LockOnExit&) = delete;

   private:
    StoreContext& mContext;
  };
};

}  // namespace ostrel
