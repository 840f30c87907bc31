#pragma once

#include <memory>
#include <string>

#include "platform/files/RecordFiles.h"
#include "store/EncryptionSvr.h"

namespace ostrel {

// What the store objects of one main window share: the path of the password
// file in use, the two cipher instances and the file access. One per main
// window load; store objects keep a reference to it, so it must outlive
// every FileInfo, WebUsers and WebRecord made with it.
//   PasswordFileName - full path of the password file; every store operation
//                      opens the file it names at that moment.
//   DataCipher       - keyed with the file's encryption key (header field
//                      EncryptionKey); protects user slots and site records.
//   HeaderCipher     - keyed with BuildBuiltInKey(); protects header slots.
// Both ciphers are created without a secret: SetSecret them before the first
// slot is read or written.
class StoreContext {
 public:
  // Uses the real files (PosixRecordFiles).
  StoreContext();
  // Uses `files` for every file access (tests pass a failing wrapper).
  explicit StoreContext(std::unique_ptr<IRecordFiles> files);

  std::string PasswordFileName;
  EncryptionSvr DataCipher;
  EncryptionSvr HeaderCipher;

  // Opening slots, file lengths and copying files (the window copies the
  // password file through this).
  IRecordFiles& Files() { return *mFiles; }

 private:
  std::unique_ptr<IRecordFiles> mFiles;
};

}  // namespace ostrel
