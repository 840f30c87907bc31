#include "store/JournalHeader.h"

#include <algorithm>
#include <cstring>

namespace ostrel {

namespace {

constexpr char kMagic[8] = {'O', 'S', 'T', 'R', 'E', 'L', 'J', '2'};
constexpr char kOldMagic[8] = {'O', 'S', 'T', 'R', 'E', 'L', 'J', '1'};
constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87ULL;
constexpr uint64_t kPrime2 = 0xC2B2AE3D27D4EB4FULL;

uint64_t Rotl(uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }

void PutInt(std::string& out, uint64_t value) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

uint64_t GetInt(std::string_view in, size_t at) {
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(in[at + i]);
  return value;
}

}  // namespace

uint64_t JournalChecksum(uint64_t h, std::string_view bytes) {
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

std::string JournalHeader::Encode() const {
  std::string out(kMagic, sizeof kMagic);
  for (uint64_t field : {device, inode, static_cast<uint64_t>(oldLength), static_cast<uint64_t>(entries),
                         static_cast<uint64_t>(entryBytes), checksum}) {
    PutInt(out, field);
  }
  PutInt(out, JournalChecksum(kJournalSeed, out));
  return out;
}

JournalHeader::Found JournalHeader::Decode(std::string_view bytes, int64_t size) {
  const std::string_view head = bytes.substr(0, std::min<size_t>(bytes.size(), kBytes));
  if (std::all_of(head.begin(), head.end(), [](char c) { return c == '\0'; })) return Found::kUnwritten;
  if (bytes.size() >= static_cast<size_t>(kOldBytes) && bytes.substr(0, 8) == std::string_view(kOldMagic, 8)) {
    layout = Layout::kOld;
    oldLength = static_cast<int64_t>(GetInt(bytes, 8));
    entries = static_cast<int64_t>(GetInt(bytes, 16));
    entryBytes = static_cast<int64_t>(GetInt(bytes, 24));
    checksum = GetInt(bytes, 32);
    oldFields.assign(bytes.substr(8, 24));
    return oldLength >= 0 && entryBytes == size - kOldBytes ? Found::kWhole : Found::kDamaged;
  }
  if (bytes.size() < static_cast<size_t>(kBytes) || bytes.substr(0, 8) != std::string_view(kMagic, 8) ||
      GetInt(bytes, kBytes - 8) != JournalChecksum(kJournalSeed, bytes.substr(0, kBytes - 8))) {
    return Found::kDamaged;
  }
  layout = Layout::kCurrent;
  device = GetInt(bytes, 8);
  inode = GetInt(bytes, 16);
  oldLength = static_cast<int64_t>(GetInt(bytes, 24));
  entries = static_cast<int64_t>(GetInt(bytes, 32));
  entryBytes = static_cast<int64_t>(GetInt(bytes, 40));
  checksum = GetInt(bytes, 48);
  if (oldLength < 0 || entryBytes != size - kEntriesOffset || bytes.size() < static_cast<size_t>(kEntriesOffset)) {
    return Found::kDamaged;
  }
  markBefore.assign(bytes.substr(kBytes, kMarkBytes));
  markAfter.assign(bytes.substr(kBytes + kMarkBytes, kMarkBytes));
  return Found::kWhole;
}

uint64_t JournalHeader::EntriesSeed() const {
  if (layout == Layout::kOld) return kJournalSeed;
  return JournalChecksum(JournalChecksum(kJournalSeed, markBefore), markAfter);
}

bool JournalHeader::Agrees(uint64_t entriesChecksum) const {
  if (layout == Layout::kOld) return JournalChecksum(entriesChecksum, oldFields) == checksum;
  return entriesChecksum == checksum;
}

bool JournalHeader::Marks(std::string_view slot15) const {
  if (slot15.size() != kMarkBytes) return false;
  for (size_t i = 0; i < kMarkBytes; ++i) {
    if (slot15[i] != markBefore[i] && slot15[i] != markAfter[i]) return false;
  }
  return true;
}

}  // namespace ostrel
