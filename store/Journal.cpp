#include "store/Journal.h"

#include <algorithm>
#include <cstring>

#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

namespace {

constexpr char kMagic[8] = {'O', 'S', 'T', 'R', 'E', 'L', 'J', '1'};
constexpr int64_t kHeaderBytes = 40;
constexpr int64_t kEntryHeaderBytes = 16;
constexpr int64_t kAlignment = 256;
constexpr int64_t kMaxPiece = 64 * 1024;      // the most one entry covers
constexpr size_t kBufferBytes = 1 << 20;      // bytes held in memory at once
constexpr uint64_t kSeed = 0x243F6A8885A308D3ULL;

// A checksum against torn and missing writes (not against tampering): a
// 64-bit multiply-rotate hash of each piece, folded in order.
constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87ULL;
constexpr uint64_t kPrime2 = 0xC2B2AE3D27D4EB4FULL;

uint64_t Rotl(uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }

uint64_t Fold(uint64_t h, std::string_view bytes) {
  h ^= static_cast<uint64_t>(bytes.size()) * kPrime1;
  size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, bytes.data() + i, 8);
    h = Rotl(h ^ (word * kPrime2), 31) * kPrime1;
  }
  uint64_t tail = 0;
  std::memcpy(&tail, bytes.data() + i, bytes.size() - i);
  h = Rotl(h ^ (tail * kPrime2), 31) * kPrime1;
  h ^= h >> 33;
  h *= kPrime2;
  h ^= h >> 29;
  return h;
}

void PutInt(std::string& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

uint64_t GetInt(const char* in, int bytes) {
  uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(in[i]);
  return value;
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

OstrelError BadCall(const std::string& what) { return OstrelError(err::kInternalError, what); }

struct Entry {
  int64_t offset = 0;
  int64_t length = 0;
  std::string_view kept;
};

// Reads the entries of a journal file in order through a bounded buffer,
// folding the checksum as it goes.
class EntryReader {
 public:
  EntryReader(IRecordFile& journal, int64_t bodyBytes, uint64_t checksum)
      : mJournal(journal), mLeft(bodyBytes), mChecksum(checksum) {}

  // The next entry; false at the end of the body or at an entry that does
  // not add up (then Sound() is false).
  bool Next(Entry& entry) {
    if (!Fill(kEntryHeaderBytes)) return false;
    const char* head = mBuffer.data() + mUsed;
    entry.offset = static_cast<int64_t>(GetInt(head, 8));
    entry.length = static_cast<int64_t>(GetInt(head + 8, 4));
    const int64_t kept = static_cast<int64_t>(GetInt(head + 12, 4));
    if (entry.offset < 0 || entry.offset % kAlignment != 0 || entry.length % kAlignment != 0 ||
        entry.length == 0 || entry.length > kMaxPiece || kept > entry.length) {
      mSound = false;
      return false;
    }
    mChecksum = Fold(mChecksum, std::string_view(head, kEntryHeaderBytes));
    mUsed += kEntryHeaderBytes;
    if (!Fill(kept)) {
      mSound = false;
      return false;
    }
    entry.kept = std::string_view(mBuffer.data() + mUsed, static_cast<size_t>(kept));
    mChecksum = Fold(mChecksum, entry.kept);
    mUsed += kept;
    return true;
  }

  bool Sound() const { return mSound && mLeft == 0 && mUsed == mBuffer.size(); }
  uint64_t Checksum() const { return mChecksum; }

 private:
  // Makes `bytes` unread bytes available; false when the body ends first.
  bool Fill(int64_t bytes) {
    if (static_cast<int64_t>(mBuffer.size() - mUsed) >= bytes) return true;
    mBuffer.erase(0, mUsed);
    mUsed = 0;
    const int64_t wanted = std::min<int64_t>(mLeft, std::max<int64_t>(bytes, kBufferBytes));
    if (wanted > 0) {
      const size_t had = mBuffer.size();
      mBuffer.resize(had + static_cast<size_t>(wanted));
      mJournal.Read(static_cast<int32_t>(1 + kHeaderBytes + mRead), static_cast<int32_t>(wanted),
                    mBuffer.data() + had);
      mRead += wanted;
      mLeft -= wanted;
    }
    return static_cast<int64_t>(mBuffer.size() - mUsed) >= bytes;
  }

  IRecordFile& mJournal;
  int64_t mLeft;
  int64_t mRead = 0;
  uint64_t mChecksum;
  std::string mBuffer;
  size_t mUsed = 0;
  bool mSound = true;
};

struct Header {
  int64_t oldLength = 0;
  int64_t bodyBytes = 0;
  uint64_t checksum = 0;
  std::string fields;  // bytes 8..31, folded into the checksum last
};

std::string HeaderFields(int64_t oldLength, int64_t entries, int64_t bodyBytes) {
  std::string fields;
  PutInt(fields, static_cast<uint64_t>(oldLength), 8);
  PutInt(fields, static_cast<uint64_t>(entries), 8);
  PutInt(fields, static_cast<uint64_t>(bodyBytes), 8);
  return fields;
}

// The header of a journal whose size agrees with it; false otherwise.
bool ReadHeader(IRecordFile& journal, Header& header) {
  const int64_t size = journal.Length();
  if (size < kHeaderBytes) return false;
  char bytes[kHeaderBytes];
  journal.Read(1, kHeaderBytes, bytes);
  if (std::memcmp(bytes, kMagic, sizeof kMagic) != 0) return false;
  header.oldLength = static_cast<int64_t>(GetInt(bytes + 8, 8));
  header.bodyBytes = static_cast<int64_t>(GetInt(bytes + 24, 8));
  header.checksum = GetInt(bytes + 32, 8);
  header.fields.assign(bytes + 8, 24);
  return header.oldLength >= 0 && header.bodyBytes == size - kHeaderBytes;
}

// Whether the whole journal adds up: every entry sound, checksum equal.
bool Valid(IRecordFile& journal, Header& header) {
  if (!ReadHeader(journal, header)) return false;
  EntryReader reader(journal, header.bodyBytes, kSeed);
  Entry entry;
  while (reader.Next(entry)) {
  }
  return reader.Sound() && Fold(reader.Checksum(), header.fields) == header.checksum;
}

// Writes runs of adjacent entries with one write each.
class Restorer {
 public:
  explicit Restorer(IRecordFile& file) : mFile(file) {}
  void Add(const Entry& entry) {
    if (entry.offset != mStart + static_cast<int64_t>(mRun.size()) ||
        mRun.size() + static_cast<size_t>(entry.length) > kBufferBytes) {
      Flush();
      mStart = entry.offset;
    }
    mRun.append(entry.kept);
    mRun.append(static_cast<size_t>(entry.length) - entry.kept.size(), '\0');
  }
  void Flush() {
    if (!mRun.empty()) mFile.Write(static_cast<int32_t>(mStart / mFile.RecordLength() + 1), mRun);
    mRun.clear();
  }

 private:
  IRecordFile& mFile;
  int64_t mStart = 0;
  std::string mRun;
};

}  // namespace

std::string JournalPath(const std::string& passwordFile) { return passwordFile + "-journal"; }

JournalWriter::JournalWriter(IRecordFiles& files, const std::string& passwordFile,
                             int64_t oldLength)
    : mFiles(files), mPath(JournalPath(passwordFile)), mOldLength(oldLength), mChecksum(kSeed) {
  mFiles.Remove(mPath);
  mFile = mFiles.Open(mPath, 1);
  mBuffer.reserve(kBufferBytes + kEntryHeaderBytes + kMaxPiece);
}

JournalWriter::~JournalWriter() = default;

void JournalWriter::Keep(int64_t offset, std::string_view oldBytes, int32_t slotBytes) {
  if (slotBytes < kAlignment || slotBytes > kMaxPiece || slotBytes % kAlignment != 0 ||
      offset % slotBytes != 0 || oldBytes.size() % static_cast<size_t>(slotBytes) != 0) {
    throw BadCall("journal: bytes at " + std::to_string(offset) + " are not whole " +
                  std::to_string(slotBytes) + "-byte slots");
  }
  while (!oldBytes.empty()) {
    const std::string_view piece = oldBytes.substr(0, static_cast<size_t>(slotBytes));
    const size_t kept = KeptLength(piece);
    const size_t at = mBuffer.size();
    PutInt(mBuffer, static_cast<uint64_t>(offset), 8);
    PutInt(mBuffer, piece.size(), 4);
    PutInt(mBuffer, kept, 4);
    mChecksum = Fold(mChecksum, std::string_view(mBuffer).substr(at));
    mChecksum = Fold(mChecksum, piece.substr(0, kept));
    mBuffer.append(piece.substr(0, kept));
    ++mEntries;
    offset += static_cast<int64_t>(piece.size());
    oldBytes.remove_prefix(piece.size());
    if (mBuffer.size() >= kBufferBytes) Flush();
  }
}

void JournalWriter::Flush() {
  if (mBuffer.empty()) return;
  mFile->Write(static_cast<int32_t>(1 + kHeaderBytes + mBodyBytes), mBuffer);
  mBodyBytes += static_cast<int64_t>(mBuffer.size());
  mBuffer.clear();
}

void JournalWriter::Commit() {
  Flush();
  const std::string fields = HeaderFields(mOldLength, mEntries, mBodyBytes);
  std::string header(kMagic, sizeof kMagic);
  header += fields;
  PutInt(header, Fold(mChecksum, fields), 8);
  mFile->Write(1, header);
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
    // A journal left behind was cut off before its header: it is dropped
    // at the next open.
  }
}

JournalState InspectJournal(IRecordFiles& files, const std::string& passwordFile) {
  const std::string path = JournalPath(passwordFile);
  if (!files.Exists(path)) return JournalState::kNone;
  auto journal = files.OpenForReading(path, 1);
  Header header;
  return Valid(*journal, header) ? JournalState::kValid : JournalState::kCutOff;
}

bool RecoverJournal(IRecordFiles& files, const std::string& passwordFile, IRecordFile& file) {
  const std::string path = JournalPath(passwordFile);
  if (!files.Exists(path)) return false;
  bool undone = false;
  {
    auto journal = files.OpenForReading(path, 1);
    Header header;
    if (Valid(*journal, header)) {
      EntryReader reader(*journal, header.bodyBytes, kSeed);
      Restorer restorer(file);
      Entry entry;
      while (reader.Next(entry)) restorer.Add(entry);
      restorer.Flush();
      if (file.Length() > header.oldLength) file.Truncate(header.oldLength);
      file.Sync();
      undone = true;
    }
  }
  files.Remove(path);
  files.SyncFolder(path);
  return undone;
}

}  // namespace ostrel
