#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/files/RecordFiles.h"
#include "store/JournalHeader.h"

namespace ostrel {

// Writes the journal of one change (see JournalHeader.h) in a bounded
// buffer. The journal is a new file: nothing that lies at its path is ever
// opened, followed or replaced.
class JournalWriter {
 public:
  // Creates the journal at `path` for the change that `header` describes
  // (the file's identity, its length and the marks before and after; the
  // rest is filled in). Raises err::kFileExists when anything lies at
  // `path`, a link included, and the file error when it cannot be created.
  JournalWriter(IRecordFiles& files, std::string path, JournalHeader header);
  ~JournalWriter();
  JournalWriter(const JournalWriter&) = delete;
  JournalWriter& operator=(const JournalWriter&) = delete;

  // Adds the old bytes at `offset`, slot by slot: offset and size are
  // multiples of slotBytes, which is a multiple of 256 up to 64 KiB.
  void Keep(int64_t offset, std::string_view oldBytes, int32_t slotBytes);
  // Writes the entries, waits until they are on disk, writes the header and
  // waits again, and then for the folder entry. Only then may the change
  // write the file.
  void Commit();
  // Removes the journal (raising when it cannot) and waits until that is
  // on disk (a failure of that wait is ignored: see Remove in the source).
  void Remove();
  // Removes the journal without raising (when a change is abandoned before
  // it wrote anything).
  void Discard() noexcept;

 private:
  void Flush();

  IRecordFiles& mFiles;
  std::string mPath;
  std::unique_ptr<IRecordFile> mFile;
  JournalHeader mHeader;
  uint64_t mChecksum;
  std::string mBuffer;
};

}  // namespace ostrel
