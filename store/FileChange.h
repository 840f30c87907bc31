#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "store/PasswordFile.h"
#include "support/OstrelError.h"

namespace ostrel {

class JournalWriter;

// One change of a file held for writing, made so that a crash at any
// instant leaves the file as it was before or as it is after, never a mix:
//   Keep every range about to change (its old bytes go to the journal),
//   Commit (the journal is on disk), Write the new bytes, Finish (the file's
//   change mark, slot 15, is written anew, the file is on disk, the journal
//   is removed). A file with other names (hard links) gets its mark first,
//   synced, at Commit: through the mark those names find the journal.
// The journal is created as a new file: when anything lies at its path,
// the change is refused (err::kUnknownJournal, explained) before anything
// is written; where it cannot be created, as for a read-only folder, with
// the read-only error.
// A failing Write or Finish puts the old bytes back at once and raises the
// failure (should putting back fail as well, the journal stays and the next
// open of the file puts them back, and the error says so). A change dropped
// between Commit and Finish (an error raised in between) is put back by the
// destructor. Writes must lie inside kept ranges or past the old end, and
// never on slot 15. Where context.HeaderCipher holds no key (a context
// that never reads a header) no mark is written: slot 15 stays as it is.
class FileChange {
 public:
  // The site count the change mark keeps (see ChangeMark) when the change
  // leaves the site slots as they are.
  static constexpr int32_t kSitesKept = -2;

  // `sitesAfter`: the highest occupied site slot once the change is made.
  explicit FileChange(PasswordFile& file, int32_t sitesAfter = kSitesKept);
  ~FileChange();
  FileChange(const FileChange&) = delete;
  FileChange& operator=(const FileChange&) = delete;

  // Keeps the old bytes of offset..offset+bytes-1 (the part inside the
  // file), read in bounded pieces, slot by slot: offset and size are
  // multiples of slotBytes (256 or 2048).
  void Keep(int64_t offset, int64_t bytes, int32_t slotBytes);
  void Commit();
  void Write(int64_t offset, std::string_view bytes);
  void Finish();

  // The whole sequence for one range of whole slots.
  static void Replace(PasswordFile& file, int64_t offset, std::string_view bytes,
                      int32_t slotBytes, int32_t sitesAfter = kSitesKept);

 private:
  void CreateJournal();
  void WriteMark();
  void Undo() noexcept;
  [[noreturn]] void Fail(const OstrelError& failure);

  PasswordFile& mFile;
  std::string mMark;  // the slot image of the new change mark; empty: none
  bool mMarkFirst = false;
  std::unique_ptr<JournalWriter> mJournal;
  bool mCommitted = false;
  bool mDone = false;
};

}  // namespace ostrel
