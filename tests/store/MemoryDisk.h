#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <stdexcept>
#include <string>

#include <unistd.h>

#include "platform/files/RecordFiles.h"

namespace ostrel::test {

// Raised by a MemoryDisk at the moment it is cut off, and by every call
// after it: the program stops where it is, as a killed one would. Not an
// OstrelError, so the store's own handlers do not catch it.
struct DiskCut : std::runtime_error {
  DiskCut() : std::runtime_error("the disk was cut off") {}
};

// Files in memory with a disk cache, for crash trials: what a write changes
// is seen at once, but reaches the "disk" only when the file is synced, and
// a file created or removed stays so only once its folder is synced.
// CutAt(n) stops the disk at its n-th change (write, sync, truncate, create,
// remove, folder sync; counted from 0); then
//   AfterKill()     - what the disk holds after the process was killed
//                     there: everything written before, and of the write it
//                     was in, a random leading part (the cache survives);
//   AfterPowerCut() - what it holds after the power went: what was synced,
//                     plus a random choice of the 512-byte sectors written
//                     since, of the lengths, and of unsynced creations and
//                     removals.
// Both give a new disk on which everything is synced. Locks do nothing.
// SetReadOnly(true) makes it a disk that can be read but not written (as a
// read-only folder or medium): opening for writing, creating and removing
// raise err::kPermissionDenied.
class MemoryDisk : public IRecordFiles {
 public:
  static constexpr int64_t kSector = 512;

  MemoryDisk() = default;
  explicit MemoryDisk(uint32_t seed) : mRandom(seed) {}

  void CutAt(int64_t change) { mCutAt = change; }
  void SetReadOnly(bool readOnly) { mReadOnly = readOnly; }
  int64_t Changes() const { return mChanges; }
  bool Cut() const { return mCut; }
  std::unique_ptr<MemoryDisk> AfterKill();
  std::unique_ptr<MemoryDisk> AfterPowerCut();
  // A copy with everything synced, no cut set.
  std::unique_ptr<MemoryDisk> Copy();

  // The bytes of a file as the program sees them; empty when there is none.
  std::string Bytes(const std::string& path) const;
  void SetBytes(const std::string& path, const std::string& bytes);

  std::unique_ptr<IRecordFile> Open(const std::string& path, int32_t recordLength) override;
  std::unique_ptr<IRecordFile> OpenForReading(const std::string& path,
                                              int32_t recordLength, Links links) override;
  std::unique_ptr<IRecordFile> CreateNew(const std::string& path, int32_t recordLength) override;
  int64_t FileLength(const std::string& path) override;
  FileIdentity IdentityOf(const std::string& path) override;
  std::string RealPath(const std::string& path) override { return path; }
  uint32_t Owner() override { return static_cast<uint32_t>(::geteuid()); }
  bool Exists(const std::string& path) override;
  void Remove(const std::string& path) override;
  void SyncFolder(const std::string& path) override;
  void WriteWhole(const std::string& path, std::string_view bytes) override;
  void CopyFile(const std::string& source, const std::string& target) override;

  // One file's contents: seen (the cache) and synced (the disk).
  struct Inode {
    uint64_t id = 0;
    std::string seen;
    std::string synced;
    std::set<int64_t> dirty;  // sectors written since the last sync
  };
  // Counts a change; at the cut, raises DiskCut (after `partly`, when given,
  // has applied its part of the change).
  void Change(const std::function<void()>& partly = {});
  void Write(Inode& inode, int64_t offset, std::string_view data);
  uint64_t Random() { return mRandom(); }

 private:
  struct Entry {
    std::shared_ptr<Inode> seen;    // what the folder holds now
    std::shared_ptr<Inode> synced;  // what it holds on the disk
  };

  std::shared_ptr<Inode> NewInode();
  // What `path` holds now; raises err::kFileMissing when nothing.
  std::shared_ptr<Inode> Existing(const std::string& path);
  void Writable(const std::string& path) const;

  std::map<std::string, Entry> mEntries;
  uint64_t mInodes = 0;
  bool mReadOnly = false;
  std::mt19937_64 mRandom{1};
  int64_t mCutAt = -1;
  int64_t mChanges = 0;
  bool mCut = false;
};

}  // namespace ostrel::test
