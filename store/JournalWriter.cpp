#include "store/JournalWriter.h"

#include <cstring>

#include "store/JournalEntries.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

namespace {

void PutInt(std::string& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// The length of `bytes` without its trailing NULs; a word at a time, since
// slots are mostly padding.
size_t KeptLength(std::string_view bytes) {
  size_t end = bytes.size();
  while (end >= 8) {
    uint64_t word;
    std::memcpy(&word, bytes.data() + end - 8, 8);
    if (word != 0) break;
    end -= 8;
  }
  while (end > 0 && bytes[end - 1] == '\0') --end;
  return end;
}

}  // namespace

JournalWriter::JournalWriter(IRecordFiles& files, std::string path, JournalHeader header)
    : mFiles(files), mPath(std::move(path)), mHeader(std::move(header)) {
  mHeader.entries = 0;
  mHeader.entryBytes = 0;
  mChecksum = mHeader.EntriesSeed();
  mFile = mFiles.CreateNew(mPath, 1);
  mBuffer.reserve(JournalEntries::kBufferBytes + JournalEntries::kEntryHeaderBytes +
                  JournalEntries::kMaxPiece);
  mFile->Write(1 + JournalHeader::kBytes, mHeader.markBefore + mHeader.markAfter);
}

JournalWriter::~JournalWriter() = default;

void JournalWriter::Keep(int64_t offset, std::string_view oldBytes, int32_t slotBytes) {
  if (slotBytes < JournalEntries::kAlignment || slotBytes > JournalEntries::kMaxPiece ||
      slotBytes % JournalEntries::kAlignment != 0 || offset % slotBytes != 0 ||
      oldBytes.size() % static_cast<size_t>(slotBytes) != 0) {
    throw OstrelError(err::kInternalError, "journal: bytes at " + std::to_string(offset) +
                                               " are not whole " + std::to_string(slotBytes) +
                                               "-byte slots");
  }
  while (!oldBytes.empty()) {
    const std::string_view piece = oldBytes.substr(0, static_cast<size_t>(slotBytes));
    const size_t kept = KeptLength(piece);
    const size_t at = mBuffer.size();
    PutInt(mBuffer, static_cast<uint64_t>(offset), 8);
    PutInt(mBuffer, piece.size(), 4);
    PutInt(mBuffer, kept, 4);
    mChecksum = JournalChecksum(mChecksum, std::string_view(mBuffer).substr(at));
    mChecksum = JournalChecksum(mChecksum, piece.substr(0, kept));
    mBuffer.append(piece.substr(0, kept));
    ++mHeader.entries;
    offset += static_cast<int64_t>(piece.size());
    oldBytes.remove_prefix(piece.size());
    if (mBuffer.size() >= JournalEntries::kBufferBytes) Flush();
  }
}

void JournalWriter::Flush() {
  if (mBuffer.empty()) return;
  mFile->Write(static_cast<int32_t>(1 + JournalHeader::kEntriesOffset + mHeader.entryBytes), mBuffer);
  mHeader.entryBytes += static_cast<int64_t>(mBuffer.size());
  mBuffer.clear();
}

void JournalWriter::Commit() {
  Flush();
  mFile->Sync();
  mHeader.checksum = mChecksum;
  mFile->Write(1, mHeader.Encode());
  mFile->Sync();
  mFiles.SyncFolder(mPath);
}

void JournalWriter::Remove() {
  mFile.reset();
  mFiles.Remove(mPath);
  try {
    mFiles.SyncFolder(mPath);
  } catch (const OstrelError&) {
    // The change is complete either way: a journal that came back after a
    // power cut would only take the file back to its state before.
  }
}

void JournalWriter::Discard() noexcept {
  try {
    mFile.reset();
    mFiles.Remove(mPath);
  } catch (...) {
    // A journal left behind never had its header: it is dropped at the
    // next open.
  }
}

}  // namespace ostrel

