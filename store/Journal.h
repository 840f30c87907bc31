#pragma once

#include <memory>
#include <string>

#include "platform/files/RecordFiles.h"
#include "store/JournalHeader.h"
#include "store/StoreContext.h"
#include "support/OstrelError.h"

namespace ostrel {

// Where the journal of the password file at `realPath` goes: beside it, its
// name with "-journal" added. Callers pass the path with links resolved
// (IRecordFiles::RealPath), so that every name of the file finds it.
std::string JournalPath(const std::string& realPath);

// What lies where a password file's journal goes (see JournalHeader.h), and
// putting its change back. Only a regular file, opened without following a
// link, that has one name, belongs to the owner of the password file (or
// to this program's user) and names it (its marks) is ever read back into
// the file.
class Journal {
 public:
  enum class State {
    kNone,        // nothing there
    kNotBegun,    // its change never began (its header was never written)
    kUnfinished,  // a whole journal of this file: its change is undone
    kDamaged,     // this file's, damaged after its change began
    kOther,       // certainly not this file's journal (not a regular file, or
                  // written for another): never used, the file read as it is
    kUnproven,    // a regular file that may be this file's journal but cannot
                  // be proven so (another owner's, several names, unreadable):
                  // never used, and the file is not read either
  };

  // The journal of the password file open as `file` (256-byte records,
  // locked by the caller) whose own journal path is `path`: what lies at
  // `path` or, when nothing does and the file has other names (hard links),
  // the journal its change mark names, if that one names this very file
  // (device and inode). Reads, never changes anything. Needs
  // context.HeaderCipher keyed to read the mark (without, only `path` is
  // looked at). Raises the file error when `file` cannot be read.
  static Journal Find(StoreContext& context, const std::string& path, IRecordFile& file);
  // What lies at `path` only.
  static Journal At(IRecordFiles& files, const std::string& path, IRecordFile& file) {
    return Inspect(files, path, file, false);
  }

  State Found() const { return mState; }
  const std::string& Path() const { return mPath; }

  // For kUnfinished: writes the old bytes back, cuts the file to its old
  // length and syncs it, then removes the journal; returns true. For
  // kNotBegun: removes the journal. Otherwise nothing. The caller holds
  // `file` exclusively, open for writing. Raises the file error when the
  // file cannot be put back (the journal then stays for the next attempt);
  // a journal that cannot be removed stays too, without an error.
  bool Resolve(IRecordFiles& files, IRecordFile& file);

  // The error that tells the person of a kDamaged journal
  // (err::kCorruptedFile), or a kOther or kUnproven one
  // (err::kUnknownJournal).
  OstrelError Error() const;

 private:
  static Journal Inspect(IRecordFiles& files, const std::string& path, IRecordFile& file, bool named);
  void Classify(IRecordFiles& files, IRecordFile& file);
  void Refuse(State state, std::string why) {
    mState = state;
    mWhy = std::move(why);
  }

  State mState = State::kNone;
  std::string mPath;
  std::string mWhy;  // for kOther and kUnproven: what it is instead
  bool mNamesThisFile = false;  // whole, and its device and inode are the file's
  std::unique_ptr<IRecordFile> mJournal;
  JournalHeader mHeader;
};

}  // namespace ostrel
