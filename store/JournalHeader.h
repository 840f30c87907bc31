#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ostrel {

// The journal of one change to the password file: a file beside it (its
// real path with "-journal" added, mode 0600) that holds the bytes the
// change is about to overwrite, so that a change cut off at any instant - a
// crash, a kill, a power cut - is undone the next time the file is opened.
//
// Layout (integers little-endian):
//   0    magic "OSTRELJ2"                        8 bytes
//   8    device of the password file             8
//   16   inode of the password file              8
//   24   length of the file before               8
//   32   number of entries                       8
//   40   bytes of entries                        8
//   48   checksum of the marks and the entries   8
//   56   checksum of bytes 0..55                 8
//   64   slot 15 before the change             256   (the change mark,
//   320  slot 15 as the change writes it       256    see ChangeMark)
//   576  entries, each:
//          offset in the file  8, length  4, kept  4, then `kept` bytes:
//          the old bytes of offset..offset+length-1 were the kept bytes
//          followed by NULs (slots are NUL-padded, so little is kept).
// The marks and entries are written and synced first, the header (which
// lies in the first 512-byte sector, so a power cut cannot tear it) after
// them, and synced again; only then may the file change. So a journal whose
// header is still NUL never began its change; one whose header is whole but
// whose marks and entries do not add up was damaged after its change began.
//
// A journal belongs to the file whose slot 15 holds, byte for byte, the
// mark before or the mark after (or, cut off while it was written, a mix of
// the two): every change writes the slot anew with a fresh random nonce, so
// a file restored from a backup, or another file, never matches.
//
// The layout of earlier versions, "OSTRELJ1", is still read back: a 40-byte
// header of magic, length before, number of entries, bytes of entries and
// a checksum of bytes 8..31 folded after the entries; its header was written
// with the entries, without a sync in between.
struct JournalHeader {
  static constexpr int64_t kBytes = 64;
  static constexpr int64_t kOldBytes = 40;
  static constexpr size_t kMarkBytes = 256;
  static constexpr int64_t kEntriesOffset = kBytes + 2 * static_cast<int64_t>(kMarkBytes);

  enum class Layout { kCurrent, kOld };
  enum class Found { kUnwritten, kWhole, kDamaged };

  Layout layout = Layout::kCurrent;
  uint64_t device = 0;
  uint64_t inode = 0;
  int64_t oldLength = 0;
  int64_t entries = 0;
  int64_t entryBytes = 0;
  uint64_t checksum = 0;  // of the marks and entries (kOld: see above)
  std::string markBefore = std::string(kMarkBytes, '\0');
  std::string markAfter = std::string(kMarkBytes, '\0');
  std::string oldFields;  // kOld: bytes 8..31, folded into its checksum last

  // The header's bytes (kCurrent), with its own checksum.
  std::string Encode() const;
  // Reads the header, and the marks after it, from the first bytes of a
  // journal (up to EntriesOffset()) of `size` bytes: kUnwritten when the
  // header is all NUL (or there is none), kDamaged when it is not a header
  // or does not agree with the size.
  Found Decode(std::string_view bytes, int64_t size);
  int64_t EntriesOffset() const { return layout == Layout::kCurrent ? kEntriesOffset : kOldBytes; }
  // The checksum the entries are folded into: the marks' (kCurrent).
  uint64_t EntriesSeed() const;
  // Whether the checksum of the entries as read agrees with the header.
  bool Agrees(uint64_t entriesChecksum) const;
  // Whether `slot15` of a file is the mark before, the mark after, or a mix
  // of the two, byte by byte.
  bool Marks(std::string_view slot15) const;
};

// The checksum of journals, against torn and missing writes (not against
// tampering: a journal of another owner is never read back): a 64-bit
// multiply-rotate hash of each piece, folded in order from kJournalSeed.
inline constexpr uint64_t kJournalSeed = 0x243F6A8885A308D3ULL;
uint64_t JournalChecksum(uint64_t seed, std::string_view bytes);

}  // namespace ostrel
