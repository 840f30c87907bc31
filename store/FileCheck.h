#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "store/StoreContext.h"

namespace ostrel {

// Checks a password file without changing anything and without a key typed
// (the header holds the data key): the header, every user slot and every
// site slot, and how they fit together. The file is opened for reading
// only, under a shared lock; its journal (see Journal.h) is reported, never
// put back or removed: a change that did not finish, or a journal damaged
// after its change began, is a problem.
//
// A protected file (see FileProtection) is checked without a key as far as
// its structure goes: the header, its recovery wrap, the user slots and
// their wraps, the sealed site count's place and that each counted site slot
// holds an encrypted record; its contents are then not checked. Given the
// file's encryption key, every slot is opened and the count's seal checked;
// a key that is not the file's is a problem.
//
// Uses context.Files() and keys both of context's ciphers itself.
class FileCheck {
 public:
  struct Result {
    // One line per damaged slot or other fault, in file order.
    std::vector<std::string> problems;
    // What was found: "header version 2, 3 users, 120 sites in 130 site slots".
    std::string summary;
    // False for a protected file checked without its key.
    bool contentsChecked = true;
    bool Sound() const { return problems.empty(); }
  };

  explicit FileCheck(StoreContext& context) : mContext(context) {}

  // Raises, without reading anything: a missing or unreadable file its
  // file error, a folder err::kPathFileAccess, a device, pipe or socket
  // err::kBadFileMode, and something where the journal goes that is not
  // the file's journal err::kUnknownJournal (explained).
  // `recoveryKey`: a protected file's encryption key (ignored for others).
  Result Run(const std::string& path, const std::optional<std::string>& recoveryKey = std::nullopt);

 private:
  struct Header {
    bool readable = false;
    int16_t lastUserID = 0;
    int16_t version = 0;
    std::string key;
    bool isProtected = false;
    std::string recovery;
  };

  Header CheckHeader(IRecordFile& file, int64_t length, Result& result);
  // The user ids of the table.
  std::vector<int16_t> CheckUsers(IRecordFile& file, const Header& header, Result& result);
  // Site slots 1..slots.
  int32_t CheckSites(IRecordFile& file, int32_t slots, const std::vector<int16_t>& users,
                     Result& result);
  // A protected file: the site slots its sealed count covers.
  int32_t CountedSlots(IRecordFile& file, int64_t length, Result& result);
  bool OpenRecovery(const Header& header, const std::optional<std::string>& key, Result& result);

  StoreContext& mContext;
  bool mUnknownUser = false;  // a user slot could not be read
};

}  // namespace ostrel
