#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/files/RecordFile.h"

namespace ostrel {

// Reads the entries of a journal (see JournalHeader.h) in order through a
// bounded buffer, folding their checksum as it goes. `journal` is opened
// with 1-byte records and must outlive the reader.
class JournalEntries {
 public:
  struct Entry {
    int64_t offset = 0;
    int64_t length = 0;
    std::string_view kept;  // valid until the next call of Next
  };

  static constexpr int64_t kEntryHeaderBytes = 16;
  static constexpr int64_t kAlignment = 256;
  static constexpr int64_t kMaxPiece = 64 * 1024;  // the most one entry covers
  static constexpr size_t kBufferBytes = 1 << 20;  // bytes held in memory at once

  // The entries at offset..offset+bytes-1, their checksum folded from `seed`.
  JournalEntries(IRecordFile& journal, int64_t offset, int64_t bytes, uint64_t seed);

  // The next entry; false at the end of the entries or at an entry that
  // does not add up (then Sound() is false).
  bool Next(Entry& entry);

  // Whether every entry read so far added up and all bytes were used.
  bool Sound() const { return mSound && mLeft == 0 && mUsed == mBuffer.size(); }
  uint64_t Checksum() const { return mChecksum; }
  int64_t Count() const { return mCount; }

 private:
  // Makes `bytes` unread bytes available; false when the entries end first.
  bool Fill(int64_t bytes);

  IRecordFile& mJournal;
  int64_t mOffset;
  int64_t mLeft;
  int64_t mRead = 0;
  int64_t mCount = 0;
  uint64_t mChecksum;
  std::string mBuffer;
  size_t mUsed = 0;
  bool mSound = true;
};

}  // namespace ostrel
