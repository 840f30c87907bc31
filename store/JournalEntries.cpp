#include "store/JournalEntries.h"

#include <algorithm>

#include "store/JournalHeader.h"

namespace ostrel {

namespace {

int64_t GetInt(const char* in, int bytes) {
  uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(in[i]);
  return static_cast<int64_t>(value);
}

}  // namespace

JournalEntries::JournalEntries(IRecordFile& journal, int64_t offset, int64_t bytes, uint64_t seed)
    : mJournal(journal), mOffset(offset), mLeft(bytes), mChecksum(seed) {}

bool JournalEntries::Next(Entry& entry) {
  if (!Fill(kEntryHeaderBytes)) return false;
  const char* head = mBuffer.data() + mUsed;
  entry.offset = GetInt(head, 8);
  entry.length = GetInt(head + 8, 4);
  const int64_t kept = GetInt(head + 12, 4);
  if (entry.offset < 0 || entry.offset % kAlignment != 0 || entry.length % kAlignment != 0 ||
      entry.length == 0 || entry.length > kMaxPiece || kept > entry.length) {
    mSound = false;
    return false;
  }
  mChecksum = JournalChecksum(mChecksum, std::string_view(head, kEntryHeaderBytes));
  mUsed += kEntryHeaderBytes;
  if (!Fill(kept)) {
    mSound = false;
    return false;
  }
  entry.kept = std::string_view(mBuffer.data() + mUsed, static_cast<size_t>(kept));
  mChecksum = JournalChecksum(mChecksum, entry.kept);
  mUsed += kept;
  ++mCount;
  return true;
}

bool JournalEntries::Fill(int64_t bytes) {
  if (static_cast<int64_t>(mBuffer.size() - mUsed) >= bytes) return true;
  mBuffer.erase(0, mUsed);
  mUsed = 0;
  const int64_t wanted = std::min<int64_t>(mLeft, std::max<int64_t>(bytes, kBufferBytes));
  if (wanted > 0) {
    const size_t had = mBuffer.size();
    mBuffer.resize(had + static_cast<size_t>(wanted));
    mJournal.Read(static_cast<int32_t>(1 + mOffset + mRead), static_cast<int32_t>(wanted),
                  mBuffer.data() + had);
    mRead += wanted;
    mLeft -= wanted;
  }
  return static_cast<int64_t>(mBuffer.size() - mUsed) >= bytes;
}

}  // namespace ostrel
