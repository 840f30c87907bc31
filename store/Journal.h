#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/files/RecordFiles.h"

namespace ostrel {

// The journal of one change to the password file: a file next to it (its
// path with "-journal" added, mode 0600) that holds the bytes the change is
// about to overwrite, so that a change cut off at any instant - a crash, a
// kill, a power cut - is undone the next time the file is opened. The
// journal is on disk before the first byte of the file changes, and removed
// once the whole change is on disk: no journal means no change in progress.
//
// Layout (integers little-endian):
//   0   magic "OSTRELJ1"                 8 bytes
//   8   length of the file before        8
//   16  number of entries                8
//   24  bytes of entries                 8
//   32  checksum                         8   of bytes 8..31 and the entries
//   40  entries, each:
//         offset in the file  8, length  4, kept  4, then `kept` bytes:
//         the old bytes of offset..offset+length-1 were the kept bytes
//         followed by NULs (slots are NUL-padded, so little is kept).
// A journal whose magic, sizes or checksum do not agree was cut off while
// it was written; the file was not touched yet and the journal is dropped.
std::string JournalPath(const std::string& passwordFile);

// Writes the journal of one change in a bounded buffer.
class JournalWriter {
 public:
  // Creates the journal of `passwordFile` (replacing any journal there)
  // for a change of a file that is `oldLength` bytes long now.
  JournalWriter(IRecordFiles& files, const std::string& passwordFile, int64_t oldLength);
  ~JournalWriter();
  JournalWriter(const JournalWriter&) = delete;
  JournalWriter& operator=(const JournalWriter&) = delete;

  // Adds the old bytes at `offset`, slot by slot: offset and size are
  // multiples of slotBytes, which is a multiple of 256 up to 64 KiB.
  void Keep(int64_t offset, std::string_view oldBytes, int32_t slotBytes);
  // Writes the header and waits until the journal and its folder entry
  // are on disk. Only then may the change write the file.
  void Commit();
  // Removes the journal (raising when it cannot) and waits until that is
  // on disk (a failure of that wait is ignored: see Remove in Journal.cpp).
  void Remove();
  // Removes the journal without raising (when a change is abandoned before
  // it wrote anything).
  void Discard() noexcept;

 private:
  void Flush();

  IRecordFiles& mFiles;
  std::string mPath;
  std::unique_ptr<IRecordFile> mFile;
  int64_t mOldLength;
  int64_t mEntries = 0;
  int64_t mBodyBytes = 0;
  uint64_t mChecksum;
  std::string mBuffer;
};

enum class JournalState { kNone, kCutOff, kValid };

// What lies next to `passwordFile`: no journal, one cut off while it was
// written, or a valid one (a change that did not finish). Changes nothing.
JournalState InspectJournal(IRecordFiles& files, const std::string& passwordFile);

// When a journal lies next to `passwordFile`, whose open file `file` (256-
// byte records) the caller holds exclusively: a valid one is put back (the
// old bytes written, the file cut to its old length, all synced), then the
// journal is removed. Returns whether a change was undone. Raises the file
// error when that fails; the journal then stays for the next attempt.
bool RecoverJournal(IRecordFiles& files, const std::string& passwordFile, IRecordFile& file);

}  // namespace ostrel
