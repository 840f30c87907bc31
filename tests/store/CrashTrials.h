#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "store/EncryptionSvr.h"
#include "store/StoreContext.h"
#include "tests/store/MemoryDisk.h"

namespace ostrel::test {

// Crash trials: an operation on a password file is cut off at one instant
// after another - the process killed, or the power cut - and the file,
// opened again, must hold everything as it was before the operation or as
// it is after it, never a mix, and no journal may be left.

// What a person could see in a password file: every slot's plaintext.
struct FileState {
  bool exists = false;
  int64_t length = 0;
  std::string header;                // slot 16
  std::vector<std::string> users;    // slots 1..12
  std::vector<std::string> sites;    // slots 1..RecordCount
  std::string fault;                 // what could not be read, or a journal left
  bool operator==(const FileState& other) const;
};

// Opens the file as any operation would (so a cut-off change is undone
// first) and reads every slot.
FileState ReadState(StoreContext& context);

// One operation of the trials, run on a file made by BuildFile.
struct CrashOperation {
  std::string name;
  bool onEmptyFile = false;  // runs on a missing file instead
  std::function<void(StoreContext&)> run;
  bool zeroLength = false;   // with onEmptyFile: on a file of length 0
};
inline void PrintTo(const CrashOperation& operation, std::ostream* out) { *out << operation.name; }

// Every operation that writes: appending and overwriting a site, deleting
// the first site, a middle one (checked against its listing), a user's
// sites, a user with their sites, creating a user, a new password, the
// header, and the first header of a new file, missing or empty before.
std::vector<CrashOperation> CrashOperations(int sites);

// The keys of the trials, derived once and lent to each context.
class TrialKeys {
 public:
  TrialKeys();
  // Moves the keyed ciphers into `context`, and back out of it.
  void Lend(StoreContext& context);
  void Return(StoreContext& context);

 private:
  EncryptionSvr mData;
  EncryptionSvr mHeader;
};

// A password file at context.PasswordFileName: a header of version 2,
// users ann, bob and cid and `sites` sites owned in turn by them, every
// other one filling most of its slot. The file is synced.
void BuildFile(StoreContext& context, int sites);

struct TrialCounts {
  int trials = 0;
  int before = 0;    // the file as it was
  int after = 0;     // the file as the finished operation leaves it
  int refused = 0;   // read-only: refused, a change being unfinished
  int killedDuring = 0;  // real processes: killed before they finished
  std::vector<std::string> failures;  // one line per trial that was neither
  void Add(const TrialCounts& other);
};

// On memory disks: the operation is cut at each of its changes in turn,
// `seeds` times each with different random outcomes, as a kill
// (powerCut false) or a power cut. What survives is read through a disk
// that may not be written (before, after, or refused while a change is
// unfinished; counted in `refused` only) and then as usual.
TrialCounts RunMemoryTrials(TrialKeys& keys, const CrashOperation& operation, int sites,
                            int seeds, bool powerCut);

// The operation on a disk that may not be written: "" when it was refused
// as read-only and changed nothing, else what went wrong.
std::string RunReadOnly(TrialKeys& keys, const CrashOperation& operation, int sites);

// With real processes and files in `folder`: a child runs the operation on
// a copy of a file of `sites` sites and is killed (SIGKILL) after a random
// delay within the operation's running time, `trials` times.
TrialCounts RunKillTrials(TrialKeys& keys, const CrashOperation& operation,
                          const std::string& folder, int sites, int trials, uint32_t seed);

}  // namespace ostrel::test
